// Clipboard copy (the selected part of the page at 100 % in the view's orientation,
// as CF_DIB), paste (a CF_DIB becomes the current page, upright, at view rotation 0)
// and red-eye removal on the page pixels under the selection.
#include "view/view_clipboard_win.h"

#include "app/app_win.h"
#include "app/command_registry_win.h"
#include "view/dib_page.h"
#include "view/image_view_win.h"
#include "imaging.h"
#include "view/view_selection.h"

namespace {

ViewRect selection_rect() {
    const RECT& s = g_app.selection;
    return {s.left, s.top, s.right, s.bottom};
}

// The page region under the selection, in the view's orientation.
bool selected_region(PageRegion* region) {
    if (!image_loaded() || !view_has_selection()) return false;
    return selection_page_region(selection_rect(), g_view.params, g_view.layout, view_page_size(), region) == 0;
}

// Bilevel pages are kept in the run-length form the view draws from.
int to_view_form(PageBitmap* page) {
    if (page->bits_per_pixel != 1) return IMG_OK;
    PageBitmap runs{};
    runs.compression = COMP_RUNS;
    const int rc = convert_page(page, &runs, 0);
    release_page(page);
    *page = runs;
    return rc;
}

void show_pasted_page(PageBitmap& page) {
    release_current_image();
    g_app.page = page;
    g_app.file.format = FMT_WINDOWS_BMP;
    g_app.file.page_count = 1;
    g_app.page_index = 0;
    g_app.view_rotation = 0;
    g_view.params.angle = 0;
    g_app.selection = RECT{};
    view_show_new_page(true);
}

void cmd_copy(HWND hwnd, int) { view_copy_selection(hwnd); }
void cmd_paste(HWND hwnd, int) { view_paste(hwnd); }
void cmd_red_eye(HWND hwnd, int) { view_remove_red_eye(hwnd); }

constexpr CommandEntry kClipboardCommands[] = {
    {40058, 40058, NEED_NONE, cmd_copy},
    {40095, 40095, NEED_NONE, cmd_paste},
    {40097, 40097, NEED_IMAGE, cmd_red_eye},
};
GLIMRA_COMMANDS(kClipboardCommands);

}  // namespace

void view_copy_selection(HWND hwnd) {
    PageRegion region{};
    if (!image_loaded() || !view_has_selection()) {
        MessageBeep(0);
        return;
    }
    if (!selected_region(&region)) return;
    const uint32_t size = clipboard_dib_bytes(region.width, region.height, g_app.page.bits_per_pixel);
    if (size == 0) return;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return;
    uint8_t* bytes = static_cast<uint8_t*>(GlobalLock(block));
    const int rc = bytes ? write_region_dib(g_app.page, region, g_app.view_rotation, bytes, size) : ERR_MEMORY;
    if (bytes) GlobalUnlock(block);
    if (rc != IMG_OK || !OpenClipboard(hwnd)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_DIB, block)) GlobalFree(block);
    CloseClipboard();
}

void view_paste(HWND hwnd) {
    if (!OpenClipboard(hwnd)) return;
    HANDLE data = GetClipboardData(CF_DIB);
    const uint8_t* dib = data ? static_cast<const uint8_t*>(GlobalLock(data)) : nullptr;
    if (dib) {
        PageBitmap page{};
        int rc = page_from_dib(dib, GlobalSize(data), &page);
        if (rc == IMG_OK) rc = to_view_form(&page);
        GlobalUnlock(data);
        if (rc == IMG_OK) show_pasted_page(page);
        else show_library_error(hwnd, rc, 40095);
    }
    CloseClipboard();
}

void view_remove_red_eye(HWND hwnd) {
    PageRegion turned{};
    if (!selected_region(&turned)) {
        MessageBeep(0);
        return;
    }
    const PageRegion r = stored_region(turned, g_app.page.width, g_app.page.height, g_app.view_rotation);
    if (int rc = remove_red_eye(&g_app.page, r.x, r.y, r.width, r.height)) {
        show_library_error(hwnd, rc, 40097);
        return;
    }
    g_app.selection = RECT{};
    view_render(true);
    view_refresh(true, true);
}
