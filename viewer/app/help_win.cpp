// Online help through the HTML help control, loaded at run time and called through
// its exported entry by ordinal (14 is the single-byte entry, 15 the wide one).
#include "app/help_win.h"

#include <tchar.h>

#include "app/app_win.h"
#include "app/help_topics.h"
#include "common/win_text_win.h"

namespace {

using HtmlHelpFn = HWND(WINAPI*)(HWND, const TCHAR*, UINT, DWORD_PTR);

constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kDisplayIndex = 0x0002;  // HH_DISPLAY_INDEX

HtmlHelpFn g_html_help = nullptr;

}  // namespace

void load_help_library() {
    HMODULE library = LoadLibrary(TEXT("HHCTRL.OCX"));
    if (reinterpret_cast<UINT_PTR>(library) <= 32) return;
    const WORD ordinal = sizeof(TCHAR) == 1 ? 14 : 15;
    g_html_help = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

void show_help(HWND owner, int topic) {
    if (!g_html_help) return;
    TCHAR file[MAX_PATH + 16];
    wsprintf(file, TEXT("%sglimra.chm"), g_app.program_dir);
    if (topic == kHelpIndexTopic) {
        g_html_help(owner, file, kDisplayIndex, 0);
        return;
    }
    const char* page = help_topic_page(topic);
    if (!page) return;
    TCHAR page_text[64];
    to_tchar(page, page_text);
    g_html_help(owner, file, kDisplayTopic, reinterpret_cast<DWORD_PTR>(page_text));
}
