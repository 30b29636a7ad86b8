// Settings values as a damaged registry could hold them: the input is cut into one
// value per setting (a length byte, then that many bytes), loaded like registry reads
// and repaired; every look-up the viewer makes on settings must then stay in bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "settings/command_list.h"
#include "settings/key_table.h"
#include "settings/settings_table.h"
#include "settings/toolbar_layout.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void use_text(const char* text, size_t capacity) { check(strnlen(text, capacity) < capacity); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DisplayInfo display{size ? data[0] % 33 : 32, 1024};
    Settings s;
    settings_set_defaults(s, display);
    size_t at = 1;
    for (const SettingEntry& e : settings_entries()) {
        if (at >= size) break;
        const size_t length = data[at++] * 2u;  // up to 510 bytes: past every buffer but the largest
        const size_t n = length < size - at ? length : size - at;
        if (n && data[at] != 0xFF) store_loaded_value(s, e, data + at, n);  // 0xFF: value missing
        at += n;
    }
    settings_after_load(s, display);

    for (const char* text : {s.cur_dir, s.save_dir, s.print_comment, s.batch_dir, s.batch_log}) use_text(text, 256);
    use_text(s.capture_name, 512);
    use_text(s.capture_dir, 512);
    use_text(s.thumb_font.face_name, 32);
    check(s.toolbar >= 0 && s.toolbar < kToolbarCount);
    check(s.last_pref_page >= 0 && s.last_pref_page <= 8);
    check(s.custom_view >= kCustomViewMin && s.custom_view <= kCustomViewMax);
    check(animation_period_ms(s.animation_rate) > 0);
    for (int t = 0; t < kToolbarCount; ++t) {
        use_text(toolbar_name(s.toolbar_names, t), kToolbarNameSize);
        const ToolbarButtons buttons = toolbar_buttons(s.toolbars, t);
        for (int b = 0; b < buttons.count; ++b) check(buttons.index[b] < kCommandCount);
        store_toolbar(s.toolbars, t, buttons);
    }
    for (uint16_t key : KeyList)
        for (const KeyBinding* binding : {&s.main_keys, &s.fullscreen_keys, &s.thumb_keys})
            check(index_of_command(bound_command(*binding, key)) >= 0);
    const OptionFlags flags = s.flags;
    settings_before_save(s);
    check(std::memcmp(&flags, &s.flags, sizeof flags) == 0);
    const OptionFlags again = decode_options({s.options, s.options2});
    check(encode_options(again).options == s.options && encode_options(again).options2 == s.options2);
    return 0;
}
