// Process and window helpers of the GUI tests.
#include "gui_harness.h"

#include <cstdlib>
#include <cstring>
#include <vector>

std::string to_windows_path(const std::string& path) {
    if (path.size() > 1 && path[1] == ':') return path;
    std::string out = "Z:";
    for (char c : path) out += c == '/' ? '\\' : c;
    return out;
}

std::string glimra_exe_path() {
    const char* exe = std::getenv("GLIMRA_EXE");
    return to_windows_path(exe ? exe : "glimra.exe");
}

GlimraProcess::~GlimraProcess() { kill(); }

bool GlimraProcess::start(const std::string& arguments) {
    std::string command = "\"" + glimra_exe_path() + "\"";
    if (!arguments.empty()) command += " " + arguments;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &info_) != 0;
}

namespace {
struct FindData {
    DWORD pid;
    const char* cls;
    HWND found;
    const char* title = nullptr;
};

BOOL CALLBACK find_window_of_process(HWND hwnd, LPARAM lp) {
    FindData* d = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64];
    if (pid == d->pid && GetClassNameA(hwnd, cls, sizeof cls) && lstrcmpA(cls, d->cls) == 0 &&
        (!d->title || window_text(hwnd) == d->title) && (!d->title || IsWindowVisible(hwnd))) {
        d->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND GlimraProcess::wait_for_window(const char* cls, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        FindData d{info_.dwProcessId, cls, nullptr};
        EnumWindows(find_window_of_process, reinterpret_cast<LPARAM>(&d));
        if (d.found && IsWindowVisible(d.found)) return d.found;
        if (!running()) return nullptr;
        Sleep(100);
    }
    return nullptr;
}

HWND GlimraProcess::wait_for_dialog(const char* title, DWORD timeout_ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeout_ms) {
        FindData d{info_.dwProcessId, "#32770", nullptr, title};
        EnumWindows(find_window_of_process, reinterpret_cast<LPARAM>(&d));
        if (d.found) return d.found;
        if (!running()) return nullptr;
        Sleep(100);
    }
    return nullptr;
}

bool GlimraProcess::wait_for_exit(DWORD timeout_ms, DWORD* exit_code) {
    if (!info_.hProcess) return false;
    if (WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) return false;
    GetExitCodeProcess(info_.hProcess, exit_code);
    return true;
}

void GlimraProcess::post_command(HWND window, WORD id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

bool GlimraProcess::running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void GlimraProcess::kill() {
    if (!info_.hProcess) return;
    if (running()) {
        TerminateProcess(info_.hProcess, 255);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
    info_ = {};
}

std::string window_text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string message_text(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[32];
        GetClassNameA(child, cls, sizeof cls);
        const std::string text = window_text(child);
        if (lstrcmpiA(cls, "Static") == 0 && !text.empty()) return text;
    }
    return "";
}

bool wait_gone(HWND window, DWORD timeout_ms) {
    for (DWORD waited = 0; IsWindow(window) && waited < timeout_ms; waited += 50) Sleep(50);
    return !IsWindow(window);
}

const char kSettingsKey[] = "SOFTWARE\\Corvel\\Glimra";

void delete_settings_key() { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kSettingsKey); }

bool settings_key_exists() { return settings_value_count() >= 0; }

int settings_value_count() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD values = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return static_cast<int>(values);
}

bool read_setting(const char* name, DWORD* type, std::string* bytes) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char buffer[1024];
    DWORD size = sizeof buffer;
    const bool ok = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(buffer), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    if (ok) bytes->assign(buffer, size);
    return ok;
}

bool read_setting_dword(const char* name, DWORD* value) {
    DWORD type = 0;
    std::string bytes;
    if (!read_setting(name, &type, &bytes) || type != REG_DWORD || bytes.size() != 4) return false;
    memcpy(value, bytes.data(), 4);
    return true;
}

namespace {
void write_setting(const char* name, DWORD type, const void* bytes, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(bytes), size);
    RegCloseKey(key);
}
}  // namespace

void write_setting_dword(const char* name, DWORD value) { write_setting(name, REG_DWORD, &value, 4); }

void write_setting_string(const char* name, const std::string& value) {
    write_setting(name, REG_SZ, value.c_str(), (DWORD)value.size() + 1);
}

bool save_window_bitmap(HWND window, const std::string& path) {
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD image = static_cast<DWORD>(((w * 3 + 3) & ~3) * h);
    BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(sizeof file + sizeof info.bmiHeader + image), 0, 0,
                             static_cast<DWORD>(sizeof file + sizeof info.bmiHeader)};
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    const bool ok = out != INVALID_HANDLE_VALUE && WriteFile(out, &file, sizeof file, &written, nullptr) &&
                    WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
                    WriteFile(out, bits, image, &written, nullptr);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}
