// Services of the platform loaded at run time: the simple mail interface (whose
// presence decides whether "Send via Email..." can send), the TWAIN source manager
// (source chooser and acquisition), and the about dialog.
#include <windows.h>

#include <cstdio>

#include "app/platform_services_win.h"
#include "common/win_text_win.h"

namespace {

// The few TWAIN codes used here.
constexpr UINT32 kDgControl = 1;
constexpr UINT16 kDatParent = 4, kDatIdentity = 3;
constexpr UINT16 kMsgOpenDsm = 0x0301, kMsgCloseDsm = 0x0302, kMsgUserSelect = 0x0403;

#pragma pack(push, 2)
struct TwVersion {
    UINT16 major, minor, language, country;
    char info[34];
};
struct TwIdentity {
    UINT32 id;
    TwVersion version;
    UINT16 protocol_major, protocol_minor;
    UINT32 supported_groups;
    char manufacturer[34], product_family[34], product_name[34];
};
#pragma pack(pop)

bool load_twain(PlatformServices& services) {
    if (services.dsm) return true;
    if (!services.twain) services.twain = LoadLibrary(TEXT("TWAIN_32.DLL"));
    if (!services.twain) return false;
    services.dsm = reinterpret_cast<DsmEntry>(reinterpret_cast<void*>(GetProcAddress(services.twain, "DSM_Entry")));
    return services.dsm != nullptr;
}

TwIdentity app_identity() {
    TwIdentity id = {};
    id.version.major = 1;
    id.version.language = 13;  // English
    id.version.country = 1;    // USA
    lstrcpynA(id.version.info, "Glimra", 34);
    id.protocol_major = 1;
    id.protocol_minor = 9;
    id.supported_groups = 1 | 2;  // control and image
    lstrcpynA(id.manufacturer, "Corvel", 34);
    lstrcpynA(id.product_family, "Glimra", 34);
    lstrcpynA(id.product_name, "Glimra", 34);
    return id;
}

INT_PTR CALLBACK about_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) {
        char built[64];
        std::snprintf(built, sizeof built, "Built: %s", __DATE__);
        TCHAR text[64];
        to_tchar(built, text);
        SetDlgItemText(dialog, 1001, text);
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        EndDialog(dialog, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

// Mail can be sent when the simple mail interface loads and offers MAPISendMail.
bool mail_interface_available(PlatformServices& services) {
    if (!services.mail) services.mail = LoadLibrary(TEXT("MAPI32.DLL"));
    return services.mail && GetProcAddress(services.mail, "MAPISendMail") != nullptr;
}

void release_mail_interface(PlatformServices& services) {
    if (services.mail) FreeLibrary(services.mail);
    services.mail = nullptr;
}

// The source manager's own chooser; without a source manager nothing happens.
void twain_select_source(PlatformServices& services, HWND owner) {
    if (!load_twain(services)) return;
    TwIdentity app = app_identity(), source = {};
    HWND parent = owner;
    if (services.dsm(&app, nullptr, kDgControl, kDatParent, kMsgOpenDsm, &parent) != 0) return;
    services.dsm(&app, nullptr, kDgControl, kDatIdentity, kMsgUserSelect, &source);
    services.dsm(&app, nullptr, kDgControl, kDatParent, kMsgCloseDsm, &parent);
}

// Acquisition needs the source manager; the image transfer lands with pasting.
void twain_acquire(PlatformServices& services, HWND owner) {
    if (!load_twain(services)) return;
    MessageBeep(0);
    (void)owner;
}

void show_about(HINSTANCE instance, HWND owner) {
    DialogBox(instance, MAKEINTRESOURCE(103), owner, about_proc);
}
