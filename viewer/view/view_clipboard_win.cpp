// Clipboard copy (the selected part of the page at 100 % in the view's orientation,
// as CF_DIB), paste (a CF_DIB becomes the current page, upright, at view rotation 0)
// and red-eye removal on the page pixels under the selection.
#include "view/view_clipboard_win.h"

#include "app/main_window_win.h"
#include "resource_ids.h"
#include "view/dib_page.h"
#include "view/image_view_win.h"
#include "imaging.h"
#include "view/view_selection.h"

namespace {

ViewRect selection_rect(MainWindow& w) {
    const RECT& s = w.doc.selection;
    return {s.left, s.top, s.right, s.bottom};
}

// The page region under the selection, in the view's orientation.
bool selected_region(MainWindow& w, PageRegion* region) {
    if (!w.doc.image_loaded() || !view_has_selection(w)) return false;
    return selection_page_region(selection_rect(w), w.view.params, w.view.layout, view_page_size(w), region) == 0;
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

void show_pasted_page(MainWindow& w, PageBitmap& page) {
    release_current_image(w);
    w.doc.page = page;
    w.doc.file.format = FMT_WINDOWS_BMP;
    w.doc.file.page_count = 1;
    w.doc.stored_compression = COMP_NONE;
    w.doc.page_index = 0;
    w.doc.view_rotation = 0;
    w.view.params.angle = 0;
    w.doc.selection = RECT{};
    view_show_new_page(w, true);
}



}  // namespace

void view_copy_selection(MainWindow& w, HWND hwnd) {
    PageRegion region{};
    if (!w.doc.image_loaded() || !view_has_selection(w)) {
        MessageBeep(0);
        return;
    }
    if (!selected_region(w, &region)) return;
    const uint32_t size = clipboard_dib_bytes(region.width, region.height, w.doc.page.bits_per_pixel);
    if (size == 0) return;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block) return;
    uint8_t* bytes = static_cast<uint8_t*>(GlobalLock(block));
    const int rc = bytes ? write_region_dib(w.doc.page, region, w.doc.view_rotation, bytes, size) : ERR_MEMORY;
    if (bytes) GlobalUnlock(block);
    if (rc != IMG_OK || !OpenClipboard(hwnd)) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_DIB, block)) GlobalFree(block);
    CloseClipboard();
}

void view_paste(MainWindow& w, HWND hwnd) {
    if (!OpenClipboard(hwnd)) return;
    HANDLE data = GetClipboardData(CF_DIB);
    const uint8_t* dib = data ? static_cast<const uint8_t*>(GlobalLock(data)) : nullptr;
    if (dib) {
        PageBitmap page{};
        int rc = page_from_dib(dib, GlobalSize(data), &page);
        if (rc == IMG_OK) rc = to_view_form(&page);
        GlobalUnlock(data);
        if (rc == IMG_OK) show_pasted_page(w, page);
        else show_library_error(hwnd, rc, CMD_PASTE);
    }
    CloseClipboard();
}

void view_remove_red_eye(MainWindow& w, HWND hwnd) {
    PageRegion turned{};
    if (!selected_region(w, &turned)) {
        MessageBeep(0);
        return;
    }
    const PageRegion r = stored_region(turned, w.doc.page.width, w.doc.page.height, w.doc.view_rotation);
    if (int rc = remove_red_eye(&w.doc.page, r.x, r.y, r.width, r.height)) {
        show_library_error(hwnd, rc, CMD_REMOVE_RED_EYE);
        return;
    }
    w.doc.selection = RECT{};
    view_render(w, true);
    view_refresh(w, true, true);
}

void cmd_copy_to_clipboard(MainWindow& w, int) { view_copy_selection(w, w.hwnd); }
void cmd_paste(MainWindow& w, int) { view_paste(w, w.hwnd); }
void cmd_red_eye(MainWindow& w, int) { view_remove_red_eye(w, w.hwnd); }
