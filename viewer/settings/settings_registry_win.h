// Loading and saving the settings in the registry key of the program.
#pragma once

#include <windows.h>

#include "settings/settings_table.h"

// Path of the program's key under HKEY_LOCAL_MACHINE.
extern const TCHAR kSettingsKeyPath[];

// Makes sure the key exists: opened for reading, or created empty.
void ensure_settings_key();
// Every setting at its default, then each stored value that reads cleanly.
void load_settings(Settings& s, const DisplayInfo& display);
// Writes every setting (errors ignored). Callers in Glimra mode do not call it.
void save_settings(Settings& s);
