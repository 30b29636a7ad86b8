// Process and window helpers of the GUI tests.
#include "gui_harness.h"

#include <cstdlib>
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
};

BOOL CALLBACK find_window_of_process(HWND hwnd, LPARAM lp) {
    FindData* d = reinterpret_cast<FindData*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64];
    if (pid == d->pid && GetClassNameA(hwnd, cls, sizeof cls) && lstrcmpA(cls, d->cls) == 0) {
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
