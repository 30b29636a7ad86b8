// Copies between the 60-byte stored font and LOGFONT. The numeric fields have the
// same layout in both (LONG is 32 bits on Windows); the face name is TCHAR text.
#include "common/font_record_win.h"

#include <cstddef>
#include <cstring>

#include "common/win_text_win.h"

namespace {
constexpr size_t kNumericPart = offsetof(FontRecord, face_name);
static_assert(offsetof(LOGFONT, lfFaceName) == kNumericPart && sizeof(LONG) == 4);
}  // namespace

LOGFONT to_logfont(const FontRecord& f) {
    LOGFONT lf = {};
    std::memcpy(&lf, &f, kNumericPart);
    to_tchar(f.face_name, lf.lfFaceName);
    return lf;
}

FontRecord from_logfont(const LOGFONT& lf) {
    FontRecord f = {};
    std::memcpy(&f, &lf, kNumericPart);
    from_tchar(lf.lfFaceName, f.face_name);
    return f;
}
