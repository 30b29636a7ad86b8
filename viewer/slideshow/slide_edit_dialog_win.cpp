// "Add / Edit Slide" (dialog "SLIDEEDIT"): one slide's sound, wait flag, delay,
// transition, fit and rotation, with a preview of the slide as the show draws it:
// the first page decoded at the player's reduced size for the preview box, turned,
// fitted or stretched on black (slide_picture.h), drawn as a 16-bit RGB565 DIB.
// A file that cannot be shown gets the broken-image sign instead.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "app/main_window_win.h"
#include "common/dialog_util_win.h"
#include "common/win_text_win.h"
#include "dialogs/slide_dialog_ids.h"
#include "resource_ids.h"
#include "slideshow/slide_dialogs_win.h"
#include "slideshow/slide_picture.h"

namespace {

constexpr int kHelpTopic = 21;  // "addslide.htm"
constexpr int kTransitionCount = 20;

struct SlideEditor {
    MainWindow& w;
    SlideRecord& slide;
    int32_t rotation;  // the working rotation, stored on OK
    // The preview: RGB565 pixels of width x height, or none when the file cannot be shown.
    std::vector<uint16_t> picture;
    int32_t width = 0, height = 0;
};

SlideEditor& editor_of(HWND dialog) { return *reinterpret_cast<SlideEditor*>(GetWindowLongPtr(dialog, DWLP_USER)); }

struct PreviewScreen {
    int32_t width, height;
};

// The player's reduced decoding, measured against the preview box turned with the slide.
int preview_flags(const PageBitmap* stored, const void* context) {
    const PreviewScreen& box = *static_cast<const PreviewScreen*>(context);
    return slide_decode_flags(stored->width, stored->height, box.width, box.height);
}

void make_preview(SlideEditor& e, HWND dialog) {
    const HCURSOR old_cursor = SetCursor(LoadCursor(nullptr, IDC_WAIT));
    RECT box;
    GetClientRect(GetDlgItem(dialog, IDC_SLIDE_EDIT_PREVIEW), &box);
    e.width = (box.right + 3) & ~3;
    e.height = box.bottom;
    e.picture.clear();
    const bool turned = e.rotation == 90 || e.rotation == 270;
    const PreviewScreen screen = {turned ? e.height : e.width, turned ? e.width : e.height};
    TCHAR path[SLIDE_PATH_BYTES];
    to_tchar(e.slide.image_path, path);
    ImageFileInfo file{};
    if (e.width > 0 && e.height > 0 && identify_file(path, &file, 0) == IMG_OK) {
        PageBitmap page{};
        if (read_decoded_page_by(&file, 0, preview_flags, &screen, &page, nullptr) == IMG_OK &&
            draw_slide_picture(page, e.rotation, is_checked(dialog, IDC_SLIDE_EDIT_STRETCH), e.width, e.height,
                               e.picture) != IMG_OK)
            e.picture.clear();
        if (page.data) release_page(&page);
        close_file_info(&file);
    }
    InvalidateRect(GetDlgItem(dialog, IDC_SLIDE_EDIT_PREVIEW), nullptr, FALSE);
    SetCursor(old_cursor);
}

void draw_preview(const SlideEditor& e, const DRAWITEMSTRUCT& item) {
    const RECT& r = item.rcItem;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (!e.picture.empty() && h <= e.height && w <= e.width) {
        struct {
            BITMAPINFOHEADER header;
            DWORD masks[3];
        } dib = {};
        dib.header.biSize = sizeof dib.header;
        dib.header.biWidth = e.width;
        dib.header.biHeight = -e.height;  // top-down
        dib.header.biPlanes = 1;
        dib.header.biBitCount = 16;
        dib.header.biCompression = BI_BITFIELDS;
        dib.masks[0] = 0xF800, dib.masks[1] = 0x07E0, dib.masks[2] = 0x001F;
        StretchDIBits(item.hDC, r.left, r.top, w, h, 0, 0, w, h, e.picture.data(),
                      reinterpret_cast<const BITMAPINFO*>(&dib), DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    // The broken-image sign: a framed white field with the 32 x 32 picture centred.
    FillRect(item.hDC, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    FrameRect(item.hDC, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
    if (HIMAGELIST bad = e.w.view.lists.bad) {
        int iw = 0, ih = 0;
        ImageList_GetIconSize(bad, &iw, &ih);
        ImageList_Draw(bad, 0, item.hDC, r.left + (w - iw) / 2, r.top + (h - ih) / 2, ILD_NORMAL);
    }
}

void load_fields(SlideEditor& e, HWND dialog) {
    const char* slash = std::strrchr(e.slide.image_path, '\\');
    const char* name = slash ? slash + 1 : e.slide.image_path;
    TCHAR text[SLIDE_PATH_BYTES];
    to_tchar(name, text);
    SetDlgItemText(dialog, IDC_SLIDE_EDIT_IMAGE, text);
    SendDlgItemMessage(dialog, IDC_SLIDE_EDIT_AUDIO, EM_LIMITTEXT, SLIDE_PATH_BYTES - 1, 0);
    to_tchar(e.slide.sound_path, text);
    SetDlgItemText(dialog, IDC_SLIDE_EDIT_AUDIO, text);
    set_checked(dialog, IDC_SLIDE_EDIT_WAIT, e.slide.wait_for_sound != 0);
    set_checked(dialog, IDC_SLIDE_EDIT_STRETCH, e.slide.stretch != 0);
    SetDlgItemInt(dialog, IDC_SLIDE_EDIT_DELAY, (UINT)std::max(e.slide.delay, 0), FALSE);
    fill_list_from_strings(dialog, IDC_SLIDE_EDIT_TRANSITION, IDS_TRANSITIONS, kTransitionCount);
    set_list_selection(dialog, IDC_SLIDE_EDIT_TRANSITION, e.slide.transition);
}

void store_fields(SlideEditor& e, HWND dialog) {
    SlideRecord& s = e.slide;
    s.stretch = is_checked(dialog, IDC_SLIDE_EDIT_STRETCH);
    s.wait_for_sound = is_checked(dialog, IDC_SLIDE_EDIT_WAIT);
    s.rotation = e.rotation;
    TCHAR text[SLIDE_PATH_BYTES] = {};
    GetDlgItemText(dialog, IDC_SLIDE_EDIT_AUDIO, text, SLIDE_PATH_BYTES);
    from_tchar(text, s.sound_path);
    const LRESULT transition = SendDlgItemMessage(dialog, IDC_SLIDE_EDIT_TRANSITION, CB_GETCURSEL, 0, 0);
    if (transition != CB_ERR) s.transition = (int32_t)transition;
    // Text that is not a number gives 0; numbers beyond the field's range stop at its top.
    BOOL number = FALSE;
    const UINT delay = GetDlgItemInt(dialog, IDC_SLIDE_EDIT_DELAY, &number, FALSE);
    s.delay = number ? (int32_t)std::min<UINT>(delay, INT_MAX) : 0;
}

INT_PTR CALLBACK slide_edit_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtr(dialog, DWLP_USER, lp);
    if (!GetWindowLongPtr(dialog, DWLP_USER)) return FALSE;
    SlideEditor& e = editor_of(dialog);
    switch (msg) {
    case WM_INITDIALOG:
        centre_window(dialog, GetParent(dialog));
        load_fields(e, dialog);
        make_preview(e, dialog);
        return TRUE;
    case WM_DRAWITEM:
        if (wp != IDC_SLIDE_EDIT_PREVIEW) return FALSE;
        draw_preview(e, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_SLIDE_EDIT_ROTATE:
            e.rotation = next_rotation(e.rotation);
            make_preview(e, dialog);
            return TRUE;
        case IDC_SLIDE_EDIT_STRETCH:
            if (HIWORD(wp) == BN_CLICKED) make_preview(e, dialog);
            return TRUE;
        case IDOK:
            store_fields(e, dialog);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDC_SLIDE_HELP: show_help(e.w.app.help, dialog, kHelpTopic); return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

INT_PTR edit_slide(MainWindow& w, HWND owner, int index) {
    if (index < 0 || index > w.app.slides.count || index > SLIDE_TABLE_CAPACITY) return IDCANCEL;
    SlideRecord& slide = w.app.slides.records[index];
    SlideEditor editor{w, slide, quarter_turn(slide.rotation), {}};
    return DialogBoxParam(w.app.instance, TEXT("SLIDEEDIT"), owner, slide_edit_proc, (LPARAM)&editor);
}
