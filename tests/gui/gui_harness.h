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
    // Waits up to `timeout_ms` for a visible dialog (class "#32770") of the process
    // with window text `title`.
    HWND wait_for_dialog(const char* title, DWORD timeout_ms);
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
// Text of the first non-empty static control of a message box.
std::string message_text(HWND box);
// Waits up to `timeout_ms` for `window` to be destroyed; true when it is gone.
bool wait_gone(HWND window, DWORD timeout_ms);

// The program's settings key, HKEY_LOCAL_MACHINE "SOFTWARE\Corvel\Glimra", in the
// registry the program under test uses.
extern const char kSettingsKey[];
// Removes the key with everything in it (a first start follows).
void delete_settings_key();
bool settings_key_exists();
// Number of values under the key; -1 when the key does not exist.
int settings_value_count();
// A value's type and bytes; false when it is missing.
bool read_setting(const char* name, DWORD* type, std::string* bytes);
bool read_setting_dword(const char* name, DWORD* value);
void write_setting_dword(const char* name, DWORD value);
void write_setting_string(const char* name, const std::string& value);

// Saves the window as it shows on screen into a 24-bit BMP file (for looking at
// dialogs while working on their layout).
bool save_window_bitmap(HWND window, const std::string& path);
