// Helpers of the GUI tests: start glimra.exe, wait for its windows, post commands
// and end it, leaving no process behind.
#pragma once

#include <windows.h>

#include <string>

// Converts a Unix path (as CMake passes it) to the Windows path Wine maps it to.
std::string to_windows_path(const std::string& path);
// The glimra.exe under test (from GLIMRA_EXE).
std::string glimra_exe_path();

class GlimraProcess {
public:
    GlimraProcess() = default;
    ~GlimraProcess();
    GlimraProcess(const GlimraProcess&) = delete;
    GlimraProcess& operator=(const GlimraProcess&) = delete;

    // Starts glimra.exe with the given command-line tail; false if it cannot start.
    bool start(const std::string& arguments = "");
    // Waits up to `timeout_ms` for a top-level window of `cls` owned by the process.
    HWND wait_for_window(const char* cls, DWORD timeout_ms);
    // Waits for the process to end; true with its exit code when it did in time.
    bool wait_for_exit(DWORD timeout_ms, DWORD* exit_code);
    void post_command(HWND window, WORD id);
    bool running() const;
    DWORD pid() const { return info_.dwProcessId; }
    // Ends the process if it still runs.
    void kill();

private:
    PROCESS_INFORMATION info_ = {};
};

// Window text of `window`.
std::string window_text(HWND window);
