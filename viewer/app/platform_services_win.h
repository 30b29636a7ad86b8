// Services of the platform loaded at run time: the simple mail interface, the TWAIN
// source manager, and the about dialog.
#pragma once

#include <windows.h>

using DsmEntry = UINT16(WINAPI*)(void*, void*, UINT32, UINT16, UINT16, void*);

struct PlatformServices {
    HMODULE mail = nullptr;
    HMODULE twain = nullptr;
    DsmEntry dsm = nullptr;  // TWAIN source manager entry (DSM_Entry)
};

// Mail availability of the platform's simple mail interface; released at exit.
bool mail_interface_available(PlatformServices& services);
void release_mail_interface(PlatformServices& services);
// TWAIN through the platform's source manager, loaded on first use.
void twain_select_source(PlatformServices& services, HWND owner);
void twain_acquire(PlatformServices& services, HWND owner);
// Opens the about dialog.
void show_about(HINSTANCE instance, HWND owner);
