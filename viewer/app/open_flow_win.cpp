// Opening the current file and reading its pages: identify_file, read_page and one
// convert_page into the viewer's own page (bilevel pages in run-length form, others
// decoded with options from the settings), then bottom-up flip, fax aspect
// correction, GIF frame composition and auto-rotation.
#include <windows.h>

#include <cstring>

#include "app/app_win.h"
#include "view/image_view_win.h"
#include "imaging.h"
#include "app/startup_rules.h"
#include "common/win_text_win.h"

namespace {

int decode_options(const PageBitmap& stored, bool compositing) {
    const OptionFlags& f = g_app.settings.flags;
    if (stored.bits_per_pixel == 1) return f.IgnoreErrors ? JPEG_ACCEPT_DAMAGED : 0;
    DecodeInputs in{};
    in.compositing = compositing;
    in.optimize_jpeg_size = f.OptimizeJpegSize;
    in.jpeg_size = g_app.settings.jpeg_size;
    in.page_width = stored.width;
    in.screen_width = g_app.screen_width;
    in.load_16bpp = f.Load16Bpp;
    in.is_avi = g_app.file.format == FMT_AVI;
    in.ignore_errors = f.IgnoreErrors;
    return decode_flags(in);
}

// Decodes `stored` into `result`: run-length form for bilevel pages, plain rows for
// the others. A JFIF page that runs out of memory is tried once more at half size.
int decode_stored(const PageBitmap& stored, PageBitmap* result, bool compositing) {
    const int options = decode_options(stored, compositing) & ~JPEG_INTO_BUFFER;
    *result = PageBitmap{};
    result->compression = stored.bits_per_pixel == 1 ? COMP_RUNS : COMP_NONE;
    int rc = convert_page(&stored, result, options);
    if (rc == ERR_MEMORY && g_app.file.format == FMT_JFIF) {
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

int finish_page(PageBitmap* page) {
    if (page->layout & LAYOUT_BOTTOM_UP) {
        if (int rc = image_operation(page, OP_FLIP, 0, 0)) return rc;
        page->layout = uint8_t((page->layout & ~LAYOUT_BOTTOM_UP) | LAYOUT_TOP_DOWN);
    }
    if (g_app.settings.flags.FaxCorrect &&
        needs_fax_doubling(page->bits_per_pixel, page->x_dpi, page->y_dpi, page->width, page->height))
        return image_operation(page, OP_DOUBLE_ROWS, 0, 0);
    return IMG_OK;
}

// Draws a decoded GIF frame onto the current page (a fresh canvas on frame 0 or
// when the current page is not a canvas of the same depth).
int compose_gif_frame(PageBitmap* frame) {
    PageBitmap& base = g_app.page;
    if (g_app.page_index == 0 || !base.data || base.bits_per_pixel != frame->bits_per_pixel ||
        base.compression != COMP_NONE) {
        PageBitmap canvas{};
        if (int rc = make_frame_screen(*frame, &canvas)) return rc;
        release_page(&base);
        base = canvas;
    }
    if (frame->palette && base.palette) std::memcpy(base.palette, frame->palette, 768);
    return compose_frame(&base, frame);
}

bool is_animated_gif() { return g_app.file.format == FMT_GIF && g_app.file.page_count > 1; }

bool composes_frames(const PageBitmap& page) { return is_animated_gif() && page.bits_per_pixel > 1; }

void read_failed() {
    release_page(&g_app.page);
    g_app.page = PageBitmap{};
    g_app.animating = false;
}

}  // namespace

int read_current_page(bool compositing) {
    g_app.selection = RECT{};
    HCURSOR old_cursor = compositing ? nullptr : SetCursor(LoadCursor(nullptr, IDC_WAIT));
    PageBitmap stored{}, decoded{};
    int rc = read_page(&g_app.file, &stored, g_app.page_index);
    if (rc == IMG_OK) rc = decode_stored(stored, &decoded, compositing);
    if (rc == IMG_OK) rc = finish_page(&decoded);
    if (rc == IMG_OK && composes_frames(decoded)) {
        rc = compose_gif_frame(&decoded);
        release_decoded(&decoded, stored);
    } else if (rc == IMG_OK) {
        release_page(&g_app.page);
        g_app.page = decoded;
        if (g_app.page.palette == stored.palette) stored.palette = nullptr;
    } else if (decoded.data) {
        release_decoded(&decoded, stored);
    }
    release_page(&stored);
    if (old_cursor) SetCursor(old_cursor);
    if (rc != IMG_OK) {
        read_failed();
        return rc;
    }
    const Settings& s = g_app.settings;
    g_app.view_rotation = auto_rotation(g_app.view_rotation, s.flags.AutoRotate, g_app.page.width, g_app.page.height,
                                        g_app.screen_width, g_app.screen_height, s.rotate_dir);
    return IMG_OK;
}

void release_current_image() {
    release_page(&g_app.page);
    g_app.page = PageBitmap{};
    close_file_info(&g_app.file);
    g_app.file = ImageFileInfo{};
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

void show_file_error(int code) {
    char path[256], name[128];
    from_tchar(g_app.current_path, path);
    file_name_part(path, name, sizeof name);
    TCHAR text[512], caption[128];
    load_text(error_string_id(code), text, 512);
    to_tchar(name, caption);
    MessageBox(g_app.main_window, text, caption, MB_OK | MB_ICONERROR);
}

namespace {

bool file_index_valid() { return g_app.file_index >= 0 && g_app.file_index < g_app.file_count && g_app.file_index < 4096; }

}  // namespace

int remembered_file_rotation() { return file_index_valid() ? g_app.rotations[g_app.file_index] : 0; }

void remember_file_rotation() {
    if (file_index_valid()) g_app.rotations[g_app.file_index] = (int16_t)g_app.view_rotation;
}

int open_current_file(bool messages) {
    release_current_image();
    char path[256];
    from_tchar(g_app.current_path, path);
    int rc = identify_file(path, &g_app.file, 0);
    if (rc == IMG_OK) {
        g_app.view_rotation = remembered_file_rotation();
        rc = read_current_page(is_animated_gif());
        if (rc != IMG_OK) {
            close_file_info(&g_app.file);
            g_app.file = ImageFileInfo{};
        }
    } else {
        g_app.file = ImageFileInfo{};
    }
    if (rc != IMG_OK) {
        if (messages) show_file_error(rc);
        view_clear();
        show_movie_controls(false);
        return rc;
    }
    if (g_app.main_window) {
        view_show_new_page(true);
        SetForegroundWindow(g_app.main_window);
    }
    // Single-page files are closed at once; the record keeps its format and count.
    if (g_app.file.page_count == 1) {
        const ImageFileInfo kept = g_app.file;
        close_file_info(&g_app.file);
        g_app.file = ImageFileInfo{};
        g_app.file.format = kept.format;
        g_app.file.page_count = 1;
    }
    show_movie_controls(g_app.file.format == FMT_AVI || g_app.file.format == FMT_QUICKTIME);
    return IMG_OK;
}
