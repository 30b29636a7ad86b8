// Dialog 134 "Video Information": the texts of video_info_lines for the movie shown,
// with the file's times.
#include "movie/video_info_win.h"

#include <windows.h>

#include "app/main_window_win.h"
#include "common/dialog_util_win.h"
#include "common/file_times_win.h"
#include "common/win_text_win.h"
#include "info/dialog_state_win.h"
#include "movie/video_info.h"

namespace {

struct VideoDialog {
    MainWindow* main;
};

void video_init(const VideoDialog& d, HWND dialog) {
    const MainWindow& w = *d.main;
    centre_window(dialog, w.hwnd);
    char path[256];
    from_tchar(w.doc.current_path, path);
    VideoInfoInput in{path, &w.doc.file, w.doc.file.movie_width, w.doc.file.movie_height, false, {}, {}};
    if (in.width <= 0 || in.height <= 0) {
        in.width = w.doc.page.width;
        in.height = w.doc.page.height;
    }
    uint64_t created = 0, modified = 0;
    in.has_times = read_file_times(w.doc.current_path, &created, &modified);
    in.created = civil_time_from_ticks(created);
    in.modified = civil_time_from_ticks(modified);
    show_lines(dialog, video_info_lines(in));
}

INT_PTR video_dialog(VideoDialog& d, HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: video_init(d, dialog); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dialog, LOWORD(wp));
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

void show_video_information(MainWindow& w) {
    VideoDialog d{&w};
    run_stateful_dialog<VideoDialog, video_dialog>(w.app.instance, MAKEINTRESOURCE(IDD_VIDEO_INFO), w.hwnd, d);
}
