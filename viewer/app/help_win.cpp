// Online help through the HTML help control, loaded at run time and called through
// its exported entry by ordinal (14 is the single-byte entry, 15 the wide one).
#include "app/help_win.h"

#include <tchar.h>

#include "app/help_topics.h"
#include "common/win_text_win.h"

namespace {

constexpr UINT kDisplayTopic = 0x0000;  // HH_DISPLAY_TOPIC
constexpr UINT kDisplayIndex = 0x0002;  // HH_DISPLAY_INDEX

}  // namespace

void load_help_library(Help& help) {
    HMODULE library = LoadLibrary(TEXT("HHCTRL.OCX"));
    if (reinterpret_cast<UINT_PTR>(library) <= 32) return;
    const WORD ordinal = sizeof(TCHAR) == 1 ? 14 : 15;
    help.html_help = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(library, MAKEINTRESOURCEA(ordinal))));
}

void set_help_file(Help& help, const TCHAR* program_dir) { wsprintf(help.file, TEXT("%sglimra.chm"), program_dir); }

void show_help(const Help& help, HWND owner, int topic) {
    if (!help.html_help) return;
    const TCHAR* file = help.file;
    if (topic == kHelpIndexTopic) {
        help.html_help(owner, file, kDisplayIndex, 0);
        return;
    }
    const char* page = help_topic_page(topic);
    if (!page) return;
    TCHAR page_text[64];
    to_tchar(page, page_text);
    help.html_help(owner, file, kDisplayTopic, reinterpret_cast<DWORD_PTR>(page_text));
}
