// "Resize..." (40013), "Crop..." (40014) and "Modify Colors..." (40038): the dialogs
// "RESIZE", "CROPDLG" and "ColorMod" and the page operations they lead to. The
// values the fields show and which entries OK accepts come from
// info/operation_dialogs.h; the operations are the library's resize_page, crop_page
// and depth change.
#include "info/operation_dialogs_win.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "app/main_window_win.h"
#include "common/dialog_util_win.h"
#include "common/win_text_win.h"
#include "dialogs/info_dialog_ids.h"
#include "info/dialog_state_win.h"
#include "info/operation_dialogs.h"
#include "resource_ids.h"
#include "view/image_view_win.h"

namespace {

constexpr int kResizeHelpTopic = 24;
constexpr int kCropHelpTopic = 13;
constexpr int kColorHelpTopic = 23;
constexpr int kResizeEditChars = 20;
constexpr int kCropEditChars = 7;

void field_text(HWND dialog, int id, char* out, size_t size) {
    TCHAR text[32];
    GetDlgItemText(dialog, id, text, 32);
    from_tchar(text, out, size);
}

void set_text(HWND dialog, int id, const char* text) {
    TCHAR wide[64];
    to_tchar(text, wide);
    SetDlgItemText(dialog, id, wide);
}

void set_spin_range(HWND dialog, int id, int low, int high) {
    SendDlgItemMessage(dialog, id, UDM_SETRANGE32, (WPARAM)low, (LPARAM)high);
}

// ---- "RESIZE" ------------------------------------------------------------------------

struct ResizeDialog {
    MainWindow* main;
    bool dpi = false;  // the edits hold resolutions
    int32_t width = 0, height = 0;  // the size accepted
};

// The two values the edits start from in the current units.
void resize_bases(const ResizeDialog& d, int32_t* across, int32_t* down) {
    const PageBitmap& p = d.main->doc.page;
    *across = d.dpi ? p.x_dpi : p.width;
    *down = d.dpi ? p.y_dpi : p.height;
}

void resize_show_units(ResizeDialog& d, HWND dialog, bool dpi) {
    d.dpi = dpi;
    int32_t across, down;
    resize_bases(d, &across, &down);
    SetDlgItemInt(dialog, IDC_RESIZE_WIDTH, (UINT)across, TRUE);
    SetDlgItemInt(dialog, IDC_RESIZE_HEIGHT, (UINT)down, TRUE);
}

void resize_init(ResizeDialog& d, HWND dialog) {
    const PageBitmap& p = d.main->doc.page;
    centre_window(dialog, d.main->hwnd);
    for (int id : {IDC_RESIZE_WIDTH, IDC_RESIZE_HEIGHT})
        SendDlgItemMessage(dialog, id, EM_LIMITTEXT, kResizeEditChars, 0);
    for (int id : {IDC_RESIZE_WIDTH_SPIN, IDC_RESIZE_HEIGHT_SPIN}) set_spin_range(dialog, id, 1, RESIZE_MAX_SIDE);
    CheckRadioButton(dialog, IDC_RESIZE_PIXELS, IDC_RESIZE_DPI, IDC_RESIZE_PIXELS);
    EnableWindow(GetDlgItem(dialog, IDC_RESIZE_DPI), resize_dpi_offered(p.x_dpi, p.y_dpi));
    set_checked(dialog, IDC_RESIZE_KEEP_ASPECT, d.main->app.settings.flags.KeepAspect);
    resize_show_units(d, dialog, false);
}

// An up-down control moved: with the aspect kept, the other edit follows.
void resize_spin_moved(ResizeDialog& d, HWND dialog, HWND spin) {
    if (!d.main->app.settings.flags.KeepAspect) return;
    const int32_t moved = (int32_t)SendMessage(spin, UDM_GETPOS32, 0, 0);
    int32_t across, down;
    resize_bases(d, &across, &down);
    if (GetDlgCtrlID(spin) == IDC_RESIZE_HEIGHT_SPIN)
        SetDlgItemInt(dialog, IDC_RESIZE_WIDTH, (UINT)aspect_follow(down, across, moved), TRUE);
    else
        SetDlgItemInt(dialog, IDC_RESIZE_HEIGHT, (UINT)aspect_follow(across, down, moved), TRUE);
}

bool resize_ok(ResizeDialog& d, HWND dialog) {
    const PageBitmap& p = d.main->doc.page;
    char width[32], height[32];
    field_text(dialog, IDC_RESIZE_WIDTH, width, sizeof width);
    field_text(dialog, IDC_RESIZE_HEIGHT, height, sizeof height);
    const ResizeOutcome out = resize_outcome({width, height, d.dpi, p.width, p.height, p.x_dpi, p.y_dpi});
    if (out.verdict == RESIZE_ACCEPTED) {
        d.width = out.width;
        d.height = out.height;
        return true;
    }
    if (out.verdict == RESIZE_OUT_OF_RANGE) message_box(dialog, IDS_RESIZE_TOO_LARGE, CMD_RESIZE, MB_OK);
    else MessageBeep(0);
    reselect_field(dialog, out.field == 0 ? IDC_RESIZE_WIDTH : IDC_RESIZE_HEIGHT);
    return false;
}

INT_PTR resize_dialog(ResizeDialog& d, HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: resize_init(d, dialog); return TRUE;
    case WM_VSCROLL:
        if (LOWORD(wp) == SB_THUMBPOSITION) resize_spin_moved(d, dialog, (HWND)lp);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_RESIZE_PIXELS: resize_show_units(d, dialog, false); return TRUE;
        case IDC_RESIZE_DPI: resize_show_units(d, dialog, true); return TRUE;
        case IDC_RESIZE_KEEP_ASPECT:
            d.main->app.settings.flags.KeepAspect = is_checked(dialog, IDC_RESIZE_KEEP_ASPECT);
            return TRUE;
        case IDOK:
            if (resize_ok(d, dialog)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDHELP: show_help(d.main->app.help, dialog, kResizeHelpTopic); return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

// ---- "CROPDLG" --------------------------------------------------------------------------

constexpr int kCropEdits[4] = {IDC_CROP_LEFT, IDC_CROP_RIGHT, IDC_CROP_TOP, IDC_CROP_BOTTOM};

struct CropDialog {
    MainWindow* main;
    PageSize size;  // the page after the view rotation
    CropEdges start;
    bool ready = false;  // the edits hold their first values
    CropOutcome result = {};
};

void crop_show_sizes(const CropDialog& d, HWND dialog) {
    if (!d.ready) return;
    char text[4][32];
    for (int i = 0; i < 4; ++i) field_text(dialog, kCropEdits[i], text[i], sizeof text[i]);
    const CropSizeTexts sizes = crop_size_texts(text[0], text[1], text[2], text[3]);
    set_text(dialog, IDC_CROP_WIDTH, sizes.width.c_str());
    set_text(dialog, IDC_CROP_HEIGHT, sizes.height.c_str());
    set_text(dialog, IDC_CROP_RATIO, sizes.ratio.c_str());
}

void crop_init(CropDialog& d, HWND dialog) {
    centre_window(dialog, d.main->hwnd);
    char size[48];
    std::snprintf(size, sizeof size, "%d x %d", (int)d.size.width, (int)d.size.height);
    set_text(dialog, IDC_CROP_PAGE_SIZE, size);
    for (int id : kCropEdits) SendDlgItemMessage(dialog, id, EM_LIMITTEXT, kCropEditChars, 0);
    set_spin_range(dialog, IDC_CROP_LEFT_SPIN, 0, d.size.width - 1);
    set_spin_range(dialog, IDC_CROP_RIGHT_SPIN, 1, d.size.width - 1);
    set_spin_range(dialog, IDC_CROP_TOP_SPIN, 0, d.size.height - 1);
    set_spin_range(dialog, IDC_CROP_BOTTOM_SPIN, 1, d.size.height - 1);
    const int32_t edges[4] = {d.start.left, d.start.right, d.start.top, d.start.bottom};
    for (int i = 0; i < 4; ++i) SetDlgItemInt(dialog, kCropEdits[i], (UINT)edges[i], TRUE);
    d.ready = true;
    crop_show_sizes(d, dialog);
}

bool crop_ok(CropDialog& d, HWND dialog) {
    char text[4][32];
    const char* texts[4];
    for (int i = 0; i < 4; ++i) {
        field_text(dialog, kCropEdits[i], text[i], sizeof text[i]);
        texts[i] = text[i];
    }
    d.result = crop_outcome(texts, d.size.width, d.size.height);
    switch (d.result.verdict) {
    case CROP_ACCEPTED: return true;
    case CROP_OUT_OF_BOUNDS:
        message_box(dialog, IDS_CROP_OUT_OF_BOUNDS, CMD_CROP, MB_OK | MB_ICONERROR);
        reselect_field(dialog, IDC_CROP_LEFT);
        return false;
    default:
        MessageBeep(0);
        reselect_field(dialog, kCropEdits[d.result.field]);
        return false;
    }
}

INT_PTR crop_dialog(CropDialog& d, HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: crop_init(d, dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_CROP_LEFT:
        case IDC_CROP_RIGHT:
        case IDC_CROP_TOP:
        case IDC_CROP_BOTTOM:
            if (HIWORD(wp) == EN_CHANGE) crop_show_sizes(d, dialog);
            return TRUE;
        case IDOK:
            if (crop_ok(d, dialog)) EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        case IDHELP: show_help(d.main->app.help, dialog, kCropHelpTopic); return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

// ---- "ColorMod" -------------------------------------------------------------------------

struct ColorDialog {
    MainWindow* main;
};

void color_init(ColorDialog& d, HWND dialog) {
    centre_window(dialog, d.main->hwnd);
    SetDlgItemInt(dialog, IDC_COLOR_CURRENT, (UINT)d.main->doc.page.bits_per_pixel, FALSE);
    SendDlgItemMessage(dialog, IDC_COLOR_DEPTHS, CB_RESETCONTENT, 0, 0);
    for (int depth : kColorDepths) {
        TCHAR text[8];
        wsprintf(text, TEXT("%d"), depth);
        SendDlgItemMessage(dialog, IDC_COLOR_DEPTHS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    set_list_selection(dialog, IDC_COLOR_DEPTHS, color_depth_entry(d.main->doc.page.bits_per_pixel));
    CheckRadioButton(dialog, IDC_COLOR_BEST, IDC_COLOR_DIFFUSION, IDC_COLOR_DIFFUSION);
}

INT_PTR color_dialog(ColorDialog& d, HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: color_init(d, dialog); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            EndDialog(dialog, color_result(list_selection(dialog, IDC_COLOR_DEPTHS),
                                           is_checked(dialog, IDC_COLOR_DIFFUSION)));
            return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        case IDHELP: show_help(d.main->app.help, dialog, kColorHelpTopic); return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

}  // namespace

void cmd_resize(MainWindow& w, int) {
    ResizeDialog d{&w};
    if (run_stateful_dialog<ResizeDialog, resize_dialog>(w.app.instance, TEXT("RESIZE"), w.hwnd, d) != IDOK) return;
    PageBitmap resized{};
    if (int rc = resize_page(&w.doc.page, &resized, d.width, d.height)) {
        show_library_error(w.hwnd, rc, CMD_RESIZE);
        return;
    }
    release_page(&w.doc.page);
    w.doc.page = resized;
    w.doc.selection = RECT{};
    view_show_new_page(w, false);
}

void cmd_crop(MainWindow& w, int) {
    const RECT& s = w.doc.selection;
    const CropView view = {s.left, s.top, s.right, s.bottom, w.view.params.src_x, w.view.params.src_y,
                           w.view.params.x_scale, w.view.layout.margin_x, w.view.layout.margin_y};
    CropDialog d{&w, view_page_size(w)};
    d.start = crop_start(d.size.width, d.size.height, view);
    if (run_stateful_dialog<CropDialog, crop_dialog>(w.app.instance, TEXT("CROPDLG"), w.hwnd, d) != IDOK) return;
    ViewParams rectangle{};
    rectangle.src_x = d.result.x;
    rectangle.src_y = d.result.y;
    rectangle.out_width = d.result.width;
    rectangle.out_height = d.result.height;
    rectangle.angle = w.doc.view_rotation;
    if (int rc = crop_page(&w.doc.page, &rectangle)) {
        show_library_error(w.hwnd, rc, CMD_CROP);
        return;
    }
    // The kept rectangle is stored in the orientation it was shown in.
    w.doc.selection = RECT{};
    w.doc.view_rotation = 0;
    w.view.params.angle = 0;
    view_show_new_page(w, false);
}

void cmd_modify_colors(MainWindow& w, int) {
    ColorDialog d{&w};
    const INT_PTR result = run_stateful_dialog<ColorDialog, color_dialog>(w.app.instance, TEXT("ColorMod"), w.hwnd, d);
    if (result <= 0) return;
    const DepthChange change = depth_change((int)result);
    if (int rc = image_operation(&w.doc.page, OP_CHANGE_DEPTH, change.depth, change.method)) {
        show_library_error(w.hwnd, rc, CMD_MODIFY_COLORS);
        return;
    }
    view_show_new_page(w, false);
}
