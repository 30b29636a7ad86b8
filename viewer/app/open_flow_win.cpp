// Opening the current file and reading its pages: identify_file, read_page and one
// convert_page into the viewer's own page (bilevel pages in run-length form, others
// decoded with options from the settings), then bottom-up flip, fax aspect
// correction, GIF frame composition and auto-rotation.
#include <windows.h>

#include <cstring>

#include "app/main_window_win.h"
#include "view/image_view_win.h"
#include "imaging.h"
#include "app/startup_rules.h"
#include "common/win_text_win.h"

namespace {

int decode_options(MainWindow& w, const PageBitmap& stored, bool compositing) {
    const OptionFlags& f = w.app.settings.flags;
    if (stored.bits_per_pixel == 1) return f.IgnoreErrors ? JPEG_ACCEPT_DAMAGED : 0;
    DecodeInputs in{};
    in.compositing = compositing;
    in.optimize_jpeg_size = f.OptimizeJpegSize;
    in.jpeg_size = w.app.settings.jpeg_size;
    in.page_width = stored.width;
    in.screen_width = w.app.screen_width;
    in.load_16bpp = f.Load16Bpp;
    in.is_avi = w.doc.file.format == FMT_AVI;
    in.ignore_errors = f.IgnoreErrors;
    return decode_flags(in);
}

// Decodes `stored` into `result`: run-length form for bilevel pages, plain rows for
// the others. A JFIF page that runs out of memory is tried once more at half size.
int decode_stored(MainWindow& w, const PageBitmap& stored, PageBitmap* result, bool compositing) {
    const int options = decode_options(w, stored, compositing) & ~JPEG_INTO_BUFFER;
    *result = PageBitmap{};
    result->compression = stored.bits_per_pixel == 1 ? COMP_RUNS : COMP_NONE;
    int rc = convert_page(&stored, result, options);
    if (rc == ERR_MEMORY && w.doc.file.format == FMT_JFIF) {
        *result = PageBitmap{};
        result->compression = COMP_NONE;
        rc = convert_page(&stored, result, options | JPEG_HALF);
    }
    if (rc == IMG_OK) rc = own_page_data(stored, result);
    if (rc != IMG_OK && result->data && result->data != stored.data) release_page(result);
    return rc;
}

// Releases a decoded page whose palette may still be the stored page's.
void release_decoded(PageBitmap* decoded, const PageBitmap& stored) {
    if (decoded->palette == stored.palette) decoded->palette = nullptr;
    release_page(decoded);
}

int finish_page(MainWindow& w, PageBitmap* page) {
    if (page->layout & LAYOUT_BOTTOM_UP) {
        if (int rc = image_operation(page, OP_FLIP, 0, 0)) return rc;
        page->layout = uint8_t((page->layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    }
    if (w.app.settings.flags.FaxCorrect &&
        needs_fax_doubling(page->bits_per_pixel, page->x_dpi, page->y_dpi, page->width, page->height))
        return image_operation(page, OP_DOUBLE_ROWS, 0, 0);
    return IMG_OK;
}

// Draws a decoded GIF frame onto the current page (a fresh canvas on frame 0 or
// when the current page is not a canvas of the same depth).
int compose_gif_frame(MainWindow& w, PageBitmap* frame) {
    PageBitmap& base = w.doc.page;
    if (w.doc.page_index == 0 || !base.data || base.bits_per_pixel != frame->bits_per_pixel ||
        base.compression != COMP_NONE) {
        PageBitmap canvas{};
        if (int rc = make_frame_screen(*frame, &canvas)) return rc;
        release_page(&base);
        base = canvas;
    }
    if (frame->palette && base.palette) std::memcpy(base.palette, frame->palette, 768);
    return compose_frame(&base, frame);
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
    PageBitmap stored{}, decoded{};
    int rc = read_page(&w.doc.file, &stored, w.doc.page_index);
    if (rc == IMG_OK) rc = decode_stored(w, stored, &decoded, compositing);
    if (rc == IMG_OK) rc = finish_page(w, &decoded);
    if (rc == IMG_OK && composes_frames(w, decoded)) {
        rc = compose_gif_frame(w, &decoded);
        release_decoded(&decoded, stored);
    } else if (rc == IMG_OK) {
        release_page(&w.doc.page);
        w.doc.page = decoded;
        if (w.doc.page.palette == stored.palette) stored.palette = nullptr;
    } else if (decoded.data) {
        release_decoded(&decoded, stored);
    }
    release_page(&stored);
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

void release_current_image(MainWindow& w) {
    release_page(&w.doc.page);
    w.doc.page = PageBitmap{};
    close_file_info(&w.doc.file);
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
            close_file_info(&w.doc.file);
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
    // Single-page files are closed at once; the record keeps its format and count.
    if (w.doc.file.page_count == 1) {
        const ImageFileInfo kept = w.doc.file;
        close_file_info(&w.doc.file);
        w.doc.file = ImageFileInfo{};
        w.doc.file.format = kept.format;
        w.doc.file.page_count = 1;
    }
    show_movie_controls(w, w.doc.file.format == FMT_AVI || w.doc.file.format == FMT_QUICKTIME);
    return IMG_OK;
}
