// "Image Info..." (40009): dialog 126 "Image Information" for the file and page shown.
// Every text comes from image_info_lines and the histogram picture from
// build_histogram; this file reads the file's times, fills the controls, draws the
// histogram and keeps an edited comment with the page. AVI and QuickTime files are
// described by the movie's own dialog instead.
#include "info/info_dialog_win.h"

#include <windows.h>

#include <string>

#include "app/main_window_win.h"
#include "common/dialog_util_win.h"
#include "common/file_times_win.h"
#include "common/win_text_win.h"
#include "dialogs/info_dialog_ids.h"
#include "info/dialog_state_win.h"
#include "info/histogram.h"
#include "info/info_text.h"
#include "movie/video_info_win.h"

namespace {

// The comment edit shows and returns at most what description text 1 can hold.
constexpr int kCommentLimit = TEXT_FIELD_SIZE - 1;

struct InfoDialog {
    MainWindow* main;
    HBITMAP histogram = nullptr;
};

HBITMAP make_histogram_bitmap(const PageBitmap& page) {
    if (page.bits_per_pixel < 16) return nullptr;
    HistogramPicture picture;
    if (!build_histogram(page, &picture)) return nullptr;
    return CreateBitmap(HISTOGRAM_WIDTH, HISTOGRAM_HEIGHT, 1, 1, picture.bits);
}

void info_init(InfoDialog& d, HWND dialog) {
    MainWindow& w = *d.main;
    centre_window(dialog, w.hwnd);
    char path[256];
    from_tchar(w.doc.current_path, path);
    ImageInfoInput in{};
    in.path = path;
    in.format = w.doc.file.format;
    in.stored_compression = w.doc.stored_compression;
    in.page_index = w.doc.page_index;
    in.page_count = w.doc.file.page_count;
    in.file_size = w.doc.file.file_size;
    in.page = &w.doc.page;
    uint64_t created = 0, modified = 0;
    in.has_times = read_file_times(w.doc.current_path, &created, &modified);
    in.created = civil_time_from_ticks(created);
    in.modified = civil_time_from_ticks(modified);
    d.histogram = make_histogram_bitmap(w.doc.page);
    SendDlgItemMessage(dialog, IDC_INFO_COMMENT, EM_LIMITTEXT, kCommentLimit, 0);
    show_lines(dialog, image_info_lines(in));
}

// The histogram stretched over its control, or a black box for pages without one.
void draw_histogram(const InfoDialog& d, const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    if (!d.histogram) {
        HGDIOBJ old_brush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
        HGDIOBJ old_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        SelectObject(dc, old_pen);
        SelectObject(dc, old_brush);
        return;
    }
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, d.histogram);
    // Clear bits draw in the text colour (black), set bits in the background colour (white).
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, 0, 0, HISTOGRAM_WIDTH, HISTOGRAM_HEIGHT,
               SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

// OK keeps the edited comment as the page's description text 1 (in memory only).
void keep_comment(InfoDialog& d, HWND dialog) {
    TCHAR text[kCommentLimit + 1];
    GetDlgItemText(dialog, IDC_INFO_COMMENT, text, kCommentLimit + 1);
    char narrow[kCommentLimit + 1];
    from_tchar(text, narrow);
    store_comment(&d.main->doc.page, narrow);
}

INT_PTR info_dialog(InfoDialog& d, HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: info_init(d, dialog); return TRUE;
    case WM_DRAWITEM:
        if (wp != IDC_INFO_HISTOGRAM) return FALSE;
        draw_histogram(d, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) keep_comment(d, dialog);
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dialog, LOWORD(wp));
        return TRUE;
    case WM_DESTROY:
        if (d.histogram) DeleteObject(d.histogram);
        d.histogram = nullptr;
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

void cmd_image_info(MainWindow& w, int) {
    if (w.doc.file.format == FMT_AVI || w.doc.file.format == FMT_QUICKTIME) {
        show_video_information(w);
        return;
    }
    InfoDialog d{&w};
    run_stateful_dialog<InfoDialog, info_dialog>(w.app.instance, MAKEINTRESOURCE(IDD_IMAGE_INFO), w.hwnd, d);
}
