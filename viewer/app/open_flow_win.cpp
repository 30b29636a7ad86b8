// Opening the current file and reading its pages: identify_file, then the library's
// read_decoded_page with decoding options from the settings (the page comes back
// owned and top-down), then fax aspect correction, GIF frame composition and
// auto-rotation.
#include <windows.h>

#include <cstring>

#include "app/main_window_win.h"
#include "view/image_view_win.h"
#include "imaging.h"
#include "app/startup_rules.h"
#include "common/win_text_win.h"

namespace {

struct PageRequest {
    MainWindow* window;
    bool compositing;
    int extra_flags;  // JPEG_HALF for the retry of a JFIF page that ran out of memory
    mutable int stored_compression;  // noted when the stored page is seen
};

// Decoding flags from the settings and the stored page's width.
int viewer_decode_flags(const PageBitmap* stored, const void* context) {
    const PageRequest& request = *static_cast<const PageRequest*>(context);
    request.stored_compression = stored->compression;
    const MainWindow& w = *request.window;
    const OptionFlags& f = w.app.settings.flags;
    DecodeInputs in{};
    in.compositing = request.compositing;
    in.optimize_jpeg_size = f.OptimizeJpegSize;
    in.jpeg_size = w.app.settings.jpeg_size;
    in.page_width = stored->width;
    in.screen_width = w.app.screen_width;
    in.load_16bpp = f.Load16Bpp;
    in.is_avi = w.doc.file.format == FMT_AVI;
    in.ignore_errors = f.IgnoreErrors;
    return decode_flags(in) | request.extra_flags;
}

// Reads the current page ready for use through the document's kept stored page. A
// JFIF page that runs out of memory is tried once more at half size.
int read_shown_page(MainWindow& w, bool compositing, PageBitmap* page) {
    PageRequest request{&w, compositing, 0, COMP_NONE};
    Document& d = w.doc;
    int rc = read_decoded_page_by(&d.file, d.page_index, viewer_decode_flags, &request, page, &d.stored);
    if (rc == ERR_MEMORY && d.file.format == FMT_JFIF) {
        request.extra_flags = JPEG_HALF;
        rc = read_decoded_page_by(&d.file, d.page_index, viewer_decode_flags, &request, page, &d.stored);
    }
    if (rc == IMG_OK) d.stored_compression = request.stored_compression;
    return rc;
}

// Fax pages whose rows are twice as far apart as their columns get every row doubled.
int correct_fax_aspect(MainWindow& w, PageBitmap* page) {
    if (w.app.settings.flags.FaxCorrect &&
        needs_fax_doubling(page->bits_per_pixel, page->x_dpi, page->y_dpi, page->width, page->height))
        return image_operation(page, OP_DOUBLE_ROWS, 0, 0);
    return IMG_OK;
}

bool is_animated_gif(MainWindow& w) { return w.doc.file.format == FMT_GIF && w.doc.file.page_count > 1; }

bool composes_frames(MainWindow& w, const PageBitmap& page) { return is_animated_gif(w) && page.bits_per_pixel > 1; }

void read_failed(MainWindow& w) {
    release_page(&w.doc.page);
    w.doc.page = PageBitmap{};
    w.app.flags.animating = false;
}

}  // namespace

int read_current_page(MainWindow& w, bool compositing) {
    w.doc.selection = RECT{};
    HCURSOR old_cursor = compositing ? nullptr : SetCursor(LoadCursor(nullptr, IDC_WAIT));
    PageBitmap decoded{};
    int rc = read_shown_page(w, compositing, &decoded);
    if (rc == IMG_OK) rc = correct_fax_aspect(w, &decoded);
    if (rc == IMG_OK && composes_frames(w, decoded)) {
        // Frame 0 starts a fresh canvas; later frames are drawn over the one shown.
        if (w.doc.page_index == 0) release_page(&w.doc.page);
        rc = compose_animation_frame(&w.doc.page, &decoded);
        release_page(&decoded);
    } else if (rc == IMG_OK) {
        release_page(&w.doc.page);
        w.doc.page = decoded;
    } else if (decoded.data) {
        release_page(&decoded);
    }
    if (old_cursor) SetCursor(old_cursor);
    if (rc != IMG_OK) {
        read_failed(w);
        return rc;
    }
    const Settings& s = w.app.settings;
    w.doc.view_rotation = auto_rotation(w.doc.view_rotation, s.flags.AutoRotate, w.doc.page.width, w.doc.page.height,
                                        w.app.screen_width, w.app.screen_height, s.rotate_dir);
    return IMG_OK;
}

void close_current_file(MainWindow& w) {
    if (w.doc.stored.data || w.doc.stored.palette || w.doc.stored.aux_buffer) release_page(&w.doc.stored);
    w.doc.stored = PageBitmap{};
    close_file_info(&w.doc.file);
}

void release_current_image(MainWindow& w) {
    release_page(&w.doc.page);
    w.doc.page = PageBitmap{};
    close_current_file(w);
    w.doc.file = ImageFileInfo{};
}

int message_box(HWND owner, UINT text_id, UINT caption_id, UINT style) {
    TCHAR text[512], caption[128];
    load_text(text_id, text, 512);
    load_text(caption_id, caption, 128);
    return MessageBox(owner, text, caption, style);
}

void show_library_error(HWND owner, int code, UINT caption_id) {
    message_box(owner, error_string_id(code), caption_id, MB_OK | MB_ICONERROR);
}

void show_file_error(MainWindow& w, int code) {
    char path[256], name[128];
    from_tchar(w.doc.current_path, path);
    file_name_part(path, name, sizeof name);
    TCHAR text[512], caption[128];
    load_text(error_string_id(code), text, 512);
    to_tchar(name, caption);
    MessageBox(w.hwnd, text, caption, MB_OK | MB_ICONERROR);
}

namespace {

bool file_index_valid(MainWindow& w) { return w.doc.file_index >= 0 && w.doc.file_index < w.doc.file_count && w.doc.file_index < 4096; }

}  // namespace

int remembered_file_rotation(MainWindow& w) { return file_index_valid(w) ? w.doc.rotations[w.doc.file_index] : 0; }

void remember_file_rotation(MainWindow& w) {
    if (file_index_valid(w)) w.doc.rotations[w.doc.file_index] = (int16_t)w.doc.view_rotation;
}

int open_current_file(MainWindow& w, bool messages) {
    release_current_image(w);
    char path[256];
    from_tchar(w.doc.current_path, path);
    int rc = identify_file(path, &w.doc.file, 0);
    if (rc == IMG_OK) {
        w.doc.view_rotation = remembered_file_rotation(w);
        rc = read_current_page(w, is_animated_gif(w));
        if (rc != IMG_OK) {
            close_current_file(w);
            w.doc.file = ImageFileInfo{};
        }
    } else {
        w.doc.file = ImageFileInfo{};
    }
    if (rc != IMG_OK) {
        if (messages) show_file_error(w, rc);
        view_clear(w);
        show_movie_controls(w, false);
        return rc;
    }
    if (w.hwnd) {
        view_show_new_page(w, true);
        SetForegroundWindow(w.hwnd);
    }
    // Single-page files are closed at once; the record keeps its format, count and
    // size (the image information shows them).
    if (w.doc.file.page_count == 1) {
        const ImageFileInfo kept = w.doc.file;
        close_current_file(w);
        w.doc.file = ImageFileInfo{};
        w.doc.file.format = kept.format;
        w.doc.file.page_count = 1;
        w.doc.file.file_size = kept.file_size;
    }
    show_movie_controls(w, w.doc.file.format == FMT_AVI || w.doc.file.format == FMT_QUICKTIME);
    return IMG_OK;
}
