// Conversions between the settings' single-byte text and the shell's TCHAR text.
// With single-byte TCHAR they are plain bounded copies; with wide TCHAR they go
// through the system code page.
#include "common/win_text_win.h"


void to_tchar(const char* text, TCHAR* out, size_t size) {
    if (size == 0) return;
    if constexpr (sizeof(TCHAR) == 1) {
        lstrcpyn(out, reinterpret_cast<const TCHAR*>(text), static_cast<int>(size));
    } else {
        const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(out), static_cast<int>(size));
        if (n == 0) out[size - 1] = 0;
    }
    out[size - 1] = 0;
}

void from_tchar(const TCHAR* text, char* out, size_t size) {
    if (size == 0) return;
    if constexpr (sizeof(TCHAR) == 1) {
        lstrcpynA(out, reinterpret_cast<const char*>(text), static_cast<int>(size));
    } else {
        const int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text), -1, out,
                                          static_cast<int>(size), nullptr, nullptr);
        if (n == 0) out[size - 1] = 0;
    }
    out[size - 1] = 0;
}

void load_text(UINT id, TCHAR* out, int size) {
    // The strings are the program's own resources.
    if (!LoadString(GetModuleHandle(nullptr), id, out, size)) out[0] = 0;
}
