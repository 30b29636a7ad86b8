// Registry storage of the settings, driven by the settings table: numbers as
// REG_DWORD, text as REG_SZ with its terminating NUL, byte arrays and fonts as
// REG_BINARY. A value that is missing, too large or unreadable keeps its default.
#include "settings/settings_registry_win.h"

#include <cstring>

#include "app/app_win.h"
#include "common/win_text_win.h"

const TCHAR kSettingsKeyPath[] = TEXT("SOFTWARE\\Corvel\\Glimra");

namespace {

constexpr DWORD kLargestValue = 512;  // the largest read size in the table

bool is_text(const SettingEntry& e) { return e.kind == SettingKind::String || e.kind == SettingKind::Names; }

// Reads into a scratch buffer first: after a failed read (a value larger than its
// buffer) the buffer's contents are undefined, and the setting must keep its default.
bool query(HKEY key, const SettingEntry& e, void* out, DWORD capacity, DWORD* size) {
    TCHAR name[32];
    to_tchar(e.name, name);
    *size = capacity;
    return RegQueryValueEx(key, name, nullptr, nullptr, static_cast<BYTE*>(out), size) == ERROR_SUCCESS;
}

void read_bytes(HKEY key, const SettingEntry& e, Settings& s) {
    BYTE buffer[kLargestValue] = {};
    DWORD size = 0;
    if (query(key, e, buffer, e.read_size, &size)) store_loaded_value(s, e, buffer, size);
}

// Text replaces the default whole; embedded NULs (the toolbar names) are kept, and the
// repair after loading ends each text within its buffer.
void read_text(HKEY key, const SettingEntry& e, Settings& s) {
    TCHAR buffer[kLargestValue] = {};
    DWORD size = 0;
    if (!query(key, e, buffer, e.read_size * sizeof(TCHAR), &size)) return;
    if constexpr (sizeof(TCHAR) == 1) {
        store_loaded_value(s, e, buffer, size);
    } else {
        char text[kLargestValue] = {};
        const int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(buffer),
                                          static_cast<int>(size / sizeof(TCHAR)), text, e.read_size, nullptr, nullptr);
        store_loaded_value(s, e, text, n > 0 ? n : 0);
    }
}

void write_value(HKEY key, const SettingEntry& e, const Settings& s) {
    TCHAR name[32];
    to_tchar(e.name, name);
    const char* storage = static_cast<const char*>(setting_storage(s, e));
    if (!is_text(e)) {
        const DWORD type = e.kind == SettingKind::Number ? REG_DWORD : REG_BINARY;
        RegSetValueEx(key, name, 0, type, reinterpret_cast<const BYTE*>(storage), e.write_size);
        return;
    }
    // Strings end at their NUL; the toolbar names are written whole, NULs included.
    const DWORD chars = e.kind == SettingKind::Names ? e.write_size : static_cast<DWORD>(strnlen(storage, e.write_size - 1) + 1);
    TCHAR text[kLargestValue];
    if constexpr (sizeof(TCHAR) == 1) {
        std::memcpy(text, storage, chars);
    } else {
        MultiByteToWideChar(CP_ACP, 0, storage, static_cast<int>(chars), reinterpret_cast<wchar_t*>(text), kLargestValue);
    }
    RegSetValueEx(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), chars * sizeof(TCHAR));
}

}  // namespace

void ensure_settings_key() {
    HKEY key;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        RegCloseKey(key);
        return;
    }
    if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, const_cast<TCHAR*>(TEXT("")), REG_OPTION_NON_VOLATILE,
                       KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS)
        RegCloseKey(key);
}

void load_settings(Settings& s, const DisplayInfo& display) {
    settings_set_defaults(s, display);
    HKEY key;
    if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return;
    for (const SettingEntry& e : settings_entries()) is_text(e) ? read_text(key, e, s) : read_bytes(key, e, s);
    RegCloseKey(key);
    settings_after_load(s, display);
}

void save_settings(Settings& s) {
    settings_before_save(s);
    HKEY key;
    if (RegCreateKeyEx(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, const_cast<TCHAR*>(TEXT("")), REG_OPTION_NON_VOLATILE,
                       KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const SettingEntry& e : settings_entries()) write_value(key, e, s);
    RegCloseKey(key);
}

void save_app_settings(App& app) {
    if (!app.glimra_mode) save_settings(app.settings);
}
