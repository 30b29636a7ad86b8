// Opening the current file and reading its pages: identify_file, then the library's
// read_decoded_page with decoding options from the settings (the page comes back
// owned and top-down), then fax aspect correction, GIF frame composition and
// auto-rotation.
#include <windows.h>

#include <cstring>

#include "app.h"
#include "image_view.h"
#include "imaging.h"
#include "startup_rules.h"
#include "win_text.h"

namespace {

struct PageRequest {
    bool compositing;
    int extra_flags;  // JPEG_HALF for the retry of a JFIF page that ran out of memory
};

// Decoding flags from the settings and the stored page's width.
int viewer_decode_flags(const PageBitmap* stored, const void* context) {
    const PageRequest& request = *static_cast<const PageRequest*>(context);
    const OptionFlags& f = g_app.settings.flags;
    DecodeInputs in{};
    in.compositing = request.compositing;
    in.optimize_jpeg_size = f.OptimizeJpegSize;
    in.jpeg_size = g_app.settings.jpeg_size;
    in.page_width = stored->width;
    in.screen_width = g_app.screen_width;
    in.load_16bpp = f.Load16Bpp;
    in.is_avi = g_app.file.format == FMT_AVI;
    in.ignore_errors = f.IgnoreErrors;
    return decode_flags(in) | request.extra_flags;
}

// Reads the current page ready for use through the file's kept stored page. A JFIF
// page that runs out of memory is tried once more at half size.
int read_shown_page(bool compositing, PageBitmap* page) {
    PageRequest request{compositing, 0};
    int rc = read_decoded_page_by(&g_app.file, g_app.page_index, viewer_decode_flags, &request, page, &g_app.stored);
    if (rc == ERR_MEMORY && g_app.file.format == FMT_JFIF) {
        request.extra_flags = JPEG_HALF;
        rc = read_decoded_page_by(&g_app.file, g_app.page_index, viewer_decode_flags, &request, page, &g_app.stored);
    }
    return rc;
}

// Fax pages whose rows are twice as far apart as their columns get every row doubled.
int correct_fax_aspect(PageBitmap* page) {
    if (g_app.settings.flags.FaxCorrect &&
        needs_fax_doubling(page->bits_per_pixel, page->x_dpi, page->y_dpi, page->width, page->height))
        return image_operation(page, OP_DOUBLE_ROWS, 0, 0);
    return IMG_OK;
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
    PageBitmap decoded{};
    int rc = read_shown_page(compositing, &decoded);
    if (rc == IMG_OK) rc = correct_fax_aspect(&decoded);
    if (rc == IMG_OK && composes_frames(decoded)) {
        // Frame 0 starts a fresh canvas; later frames are drawn over the one shown.
        if (g_app.page_index == 0) release_page(&g_app.page);
        rc = compose_animation_frame(&g_app.page, &decoded);
        release_page(&decoded);
    } else if (rc == IMG_OK) {
        release_page(&g_app.page);
        g_app.page = decoded;
    } else if (decoded.data) {
        release_page(&decoded);
    }
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

void close_current_file() {
    if (g_app.stored.data || g_app.stored.palette || g_app.stored.aux_buffer) release_page(&g_app.stored);
    g_app.stored = PageBitmap{};
    close_file_info(&g_app.file);
}

void release_current_image() {
    release_page(&g_app.page);
    g_app.page = PageBitmap{};
    close_current_file();
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
            close_current_file();
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
        close_current_file();
        g_app.file = ImageFileInfo{};
        g_app.file.format = kept.format;
        g_app.file.page_count = 1;
    }
    show_movie_controls(g_app.file.format == FMT_AVI || g_app.file.format == FMT_QUICKTIME);
    return IMG_OK;
}
