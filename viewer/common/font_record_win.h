// Conversion between the stored font record and the system's LOGFONT.
#pragma once

#include <windows.h>

#include "settings/settings_table.h"

LOGFONT to_logfont(const FontRecord& font);
FontRecord from_logfont(const LOGFONT& font);
