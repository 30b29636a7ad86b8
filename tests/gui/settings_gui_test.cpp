// Settings under Wine: the first start writes every default, the settings sheet
// shows stored values and saves what is changed on its pages, and Glimra mode
// saves nothing.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "gui_harness.h"
#include "resource_ids.h"

namespace {

constexpr DWORD kStartTimeout = 20000;

// Starts the program, waits for its main window, and hands both back.
HWND start_glimra(GlimraProcess& app, const std::string& arguments = "") {
    if (!app.start(arguments)) return nullptr;
    return app.wait_for_window("TAVLO2", kStartTimeout);
}

HWND open_settings(GlimraProcess& app, HWND main) {
    app.post_command(main, IDM_PREFERENCES);
    return app.wait_for_dialog("Settings", 10000);
}

HWND current_page(HWND sheet) { return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)); }

HWND show_page(HWND sheet, int index) {
    SendMessageA(sheet, PSM_SETCURSEL, index, 0);
    return current_page(sheet);
}

// Closes the sheet with OK or Cancel, then ends the program through "Exit" so that
// it saves its settings on the way out.
void close_sheet_and_exit(GlimraProcess& app, HWND main, HWND sheet, int button) {
    PostMessageA(sheet, PSM_PRESSBUTTON, button, 0);
    for (int i = 0; i < 50 && IsWindow(sheet); ++i) Sleep(100);
    EXPECT_FALSE(IsWindow(sheet)) << "the sheet did not close";
    app.post_command(main, IDM_EXIT);
    DWORD code = 0;
    EXPECT_TRUE(app.wait_for_exit(10000, &code)) << "still running 10 s after Exit";
}

int list_selection(HWND page, int id) { return static_cast<int>(SendDlgItemMessageA(page, id, CB_GETCURSEL, 0, 0)); }

bool checked(HWND page, int id) { return SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::string setting_bytes(const char* name, DWORD expected_type) {
    DWORD type = 0;
    std::string bytes;
    if (!read_setting(name, &type, &bytes)) return "<missing>";
    if (type != expected_type) return "<type " + std::to_string(type) + ">";
    return bytes;
}

DWORD setting(const char* name) {
    DWORD value = 0xDEADBEEF;
    read_setting_dword(name, &value);
    return value;
}

// Writes a REG_BINARY value into the existing settings key.
void write_setting_bytes(const char* name, const std::string& bytes) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
}

int display_bits() {
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, PLANES) * GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bits;
}

// Each test starts as a first start and leaves no settings behind for the tests
// that follow it in the same Wine prefix.
class SettingsGui : public testing::Test {
protected:
    void SetUp() override { delete_settings_key(); }
    void TearDown() override { delete_settings_key(); }
};

}  // namespace

TEST_F(SettingsGui, FirstStartCreatesTheKeyAndSavesEveryDefault) {
    GlimraProcess app;
    HWND main = start_glimra(app);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(settings_value_count(), 0) << "the key is created empty at start-up";
    app.post_command(main, IDM_EXIT);
    DWORD code = 0;
    ASSERT_TRUE(app.wait_for_exit(10000, &code));

    EXPECT_EQ(settings_value_count(), 65);
    const DWORD optimize_colors = display_bits() < 16 ? 1u << 5 : 0;
    EXPECT_EQ(setting("Options"), 0xF0369F5Cu | optimize_colors);
    EXPECT_EQ(setting("Options2"), 7u);
    EXPECT_EQ(setting("DefView"), 40026u);
    EXPECT_EQ(setting("CustomView"), 25u);
    EXPECT_EQ(setting("AnimationRate"), 4u);
    EXPECT_EQ(setting("ThumbSize"), GetSystemMetrics(SM_CXSCREEN) > 800 ? 3u : 2u);
    EXPECT_EQ(setting("ZoomCX"), 74u);
    EXPECT_EQ(setting("SlideDelay"), 2000u);
    EXPECT_EQ(setting("CaptureDelay"), 5u);
    EXPECT_EQ(setting_bytes("CurDir", REG_SZ), std::string(1, '\0'));
    EXPECT_EQ(setting_bytes("CaptureDir", REG_SZ), std::string("\\My Documents", 14));

    const std::string toolbars = setting_bytes("ToolBars", REG_BINARY);
    ASSERT_EQ(toolbars.size(), 100u);
    EXPECT_EQ(toolbars.substr(0, 10), std::string("\x00\x47\x07\x08\x0e\x13\x29\x1e\x4a\x25", 10));
    const std::string names = setting_bytes("ToolbarNames", REG_SZ);
    ASSERT_EQ(names.size(), 200u);
    EXPECT_EQ(names.substr(160, 20), std::string("Batch Process\0\0\0\0\0\0\0", 20));
    const std::string keys = setting_bytes("MainKeys", REG_BINARY);
    ASSERT_EQ(keys.size(), 256u);
    EXPECT_EQ(keys.substr(0, 13), std::string("\x2e\x2f\x07\x08\x28\x34\x0e\x21\x04\x06\x02\x03\x2b", 13));
    const std::string font = setting_bytes("ThumbFont", REG_BINARY);
    ASSERT_EQ(font.size(), 60u);
    EXPECT_EQ(font.substr(0, 4), std::string("\xf0\xff\xff\xff", 4));  // height -16
    EXPECT_EQ(font.substr(28, 6), std::string("Arial\0", 6));
}

TEST_F(SettingsGui, ValueChangedOnAPageIsSavedOnOk) {
    GlimraProcess app;
    HWND main = start_glimra(app);
    ASSERT_NE(main, nullptr);
    HWND sheet = open_settings(app, main);
    ASSERT_NE(sheet, nullptr) << "no \"Settings\" sheet";

    HWND prefs = show_page(sheet, 0);
    ASSERT_TRUE(checked(prefs, IDC_PREF_CONFIRM_DELETE));
    SendDlgItemMessageA(prefs, IDC_PREF_CONFIRM_DELETE, BM_CLICK, 0, 0);
    SendDlgItemMessageA(prefs, IDC_PREF_VIEW_CUSTOM, BM_CLICK, 0, 0);
    SetDlgItemTextA(prefs, IDC_PREF_CUSTOM_PERCENT, "2");
    HWND jpeg = show_page(sheet, 2);  // leaving a page stores it
    ASSERT_NE(jpeg, nullptr);
    SendDlgItemMessageA(jpeg, IDC_JPEG_QUALITY, CB_SETCURSEL, 3, 0);
    HWND video = show_page(sheet, 4);
    SendDlgItemMessageA(video, IDC_VIDEO_LOOP, BM_CLICK, 0, 0);
    close_sheet_and_exit(app, main, sheet, PSBTN_OK);

    EXPECT_EQ(setting("Options2") & 2u, 0u) << "\"Confirm Before Delete\" still on";
    EXPECT_EQ(setting("Options") & (1u << 13), 1u << 13) << "\"Play continuously\" not on";
    EXPECT_EQ(setting("DefView"), 40033u);
    EXPECT_EQ(setting("CustomView"), 5u) << "a custom view of 2 % is stored as 5";
    EXPECT_EQ(setting("JPEGQuality") & 3u, 3u);
    EXPECT_EQ(setting("LastPrefPage"), 4u);
}

TEST_F(SettingsGui, StoredValuesAreShownOnTheirPages) {
    write_setting_dword("LastPrefPage", 2);
    write_setting_dword("JPEGQuality", 6);
    write_setting_dword("SlideDelay", 3456);
    write_setting_dword("AnimationRate", 30);  // outside 0 ... 17: back to 4
    write_setting_dword("ThumbShape", 2);
    GlimraProcess app;
    HWND main = start_glimra(app);
    ASSERT_NE(main, nullptr);
    HWND sheet = open_settings(app, main);
    ASSERT_NE(sheet, nullptr);

    HWND jpeg = current_page(sheet);  // the sheet opens on the last page used
    EXPECT_EQ(list_selection(jpeg, IDC_JPEG_QUALITY), 2);
    EXPECT_TRUE(checked(jpeg, IDC_JPEG_SUBSAMPLING));
    HWND slides = show_page(sheet, 1);
    char text[32] = {};
    GetDlgItemTextA(slides, IDC_SLIDE_DELAY, text, sizeof text);
    EXPECT_STREQ(text, "3456");
    EXPECT_TRUE(checked(slides, IDC_SLIDE_TIMED));
    HWND prefs = show_page(sheet, 0);
    EXPECT_EQ(list_selection(prefs, IDC_PREF_ANIMATION_RATE), 4);
    EXPECT_TRUE(checked(prefs, IDC_PREF_VIEW_FIT_WINDOW));
    HWND gui = show_page(sheet, 5);
    EXPECT_EQ(list_selection(gui, IDC_GUI_SHAPE), 2);
    close_sheet_and_exit(app, main, sheet, PSBTN_CANCEL);
}

TEST_F(SettingsGui, ToolbarEditedDownToFourButtonsIsStored) {
    GlimraProcess app;
    HWND main = start_glimra(app);
    ASSERT_NE(main, nullptr);
    HWND sheet = open_settings(app, main);
    ASSERT_NE(sheet, nullptr);
    HWND toolbars = show_page(sheet, 3);
    SetDlgItemTextA(toolbars, IDC_TB_NUMBER, "3");  // switches to toolbar 3, "Edit"
    char name[32] = {};
    GetDlgItemTextA(toolbars, IDC_TB_NAME, name, sizeof name);
    EXPECT_STREQ(name, "Edit");
    SetDlgItemTextA(toolbars, IDC_TB_NAME, "My Edit");
    for (int i = 0; i < 6; ++i) SendDlgItemMessageA(toolbars, IDC_TB_REMOVE, BM_CLICK, 0, 0);
    EXPECT_EQ(SendDlgItemMessageA(toolbars, IDC_TB_CURRENT, LVM_GETITEMCOUNT, 0, 0), 4);
    close_sheet_and_exit(app, main, sheet, PSBTN_OK);

    const std::string layout = setting_bytes("ToolBars", REG_BINARY);
    ASSERT_EQ(layout.size(), 100u);
    EXPECT_EQ(layout.substr(20, 10), std::string("\x18\x1a\x32\x25\x4f\x4f\x4f\x4f\x4f\x4f", 10));
    EXPECT_EQ(layout.substr(10, 10), std::string("\x00\x0e\x0a\x0b\x0c\x0d\x33\x21\x23\x25", 10));
    const std::string names = setting_bytes("ToolbarNames", REG_SZ);
    ASSERT_EQ(names.size(), 200u);
    EXPECT_EQ(names.substr(40, 20), std::string("My Edit", 7) + std::string(13, '\0'));
}

// ESC is bound to "Exit" by default; a stored binding of "Undefined" makes it do nothing.
TEST_F(SettingsGui, StoredKeyBindingDecidesWhatAKeyDoes) {
    GlimraProcess app;
    HWND main = start_glimra(app);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
    DWORD code = 0;
    ASSERT_TRUE(app.wait_for_exit(10000, &code)) << "ESC did not exit";

    std::string keys = setting_bytes("MainKeys", REG_BINARY);
    ASSERT_EQ(keys.size(), 256u);
    keys[5] = 79;  // ESC
    write_setting_bytes("MainKeys", keys);
    GlimraProcess again;
    main = start_glimra(again);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(again.wait_for_exit(1500, &code)) << "ESC still exits after being unbound";
    again.post_command(main, IDM_EXIT);
    EXPECT_TRUE(again.wait_for_exit(10000, &code));
}

// "Reset Defaults" restores only the binding array shown.
TEST_F(SettingsGui, ButtonsPageResetsTheShownBindings) {
    write_setting_dword("LastPrefPage", 6);
    const std::string unbound = std::string(13, '\x4f') + std::string(243, '\0');
    write_setting_bytes("MainKeys", unbound);
    write_setting_bytes("FullscreenKeys", unbound);
    GlimraProcess app;
    HWND main = start_glimra(app);
    ASSERT_NE(main, nullptr);
    HWND sheet = open_settings(app, main);
    ASSERT_NE(sheet, nullptr);
    HWND buttons = current_page(sheet);
    EXPECT_TRUE(checked(buttons, IDC_KEYS_MAIN));
    EXPECT_EQ(SendDlgItemMessageA(buttons, IDC_KEYS_LIST, LVM_GETITEMCOUNT, 0, 0), 13);
    EXPECT_EQ(SendDlgItemMessageA(buttons, IDC_KEYS_COMMANDS, LB_GETCOUNT, 0, 0), 80);
    SendDlgItemMessageA(buttons, IDC_KEYS_RESET, BM_CLICK, 0, 0);
    close_sheet_and_exit(app, main, sheet, PSBTN_OK);

    EXPECT_EQ(setting_bytes("MainKeys", REG_BINARY).substr(0, 13),
              std::string("\x2e\x2f\x07\x08\x28\x34\x0e\x21\x04\x06\x02\x03\x2b", 13));
    EXPECT_EQ(setting_bytes("FullscreenKeys", REG_BINARY), unbound);
}

// Track-bar moves are stored at once, so they outlast a Cancel; "Reset" gives 128.
TEST_F(SettingsGui, GammaPageStoresEveryMove) {
    write_setting_dword("Gamma", 10);
    write_setting_dword("Brightness", 20);
    write_setting_dword("LastPrefPage", 7);
    GlimraProcess app;
    HWND main = start_glimra(app);
    ASSERT_NE(main, nullptr);
    HWND sheet = open_settings(app, main);
    ASSERT_NE(sheet, nullptr);
    HWND gamma = current_page(sheet);
    HWND gamma_bar = GetDlgItem(gamma, IDC_GAMMA_GAMMA);
    HWND brightness_bar = GetDlgItem(gamma, IDC_GAMMA_BRIGHTNESS);
    EXPECT_EQ(SendMessageA(gamma_bar, TBM_GETPOS, 0, 0), 10);
    EXPECT_EQ(SendMessageA(brightness_bar, TBM_GETPOS, 0, 0), 20);
    SendMessageA(gamma_bar, TBM_SETPOS, TRUE, 200);
    SendMessageA(gamma, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 200), reinterpret_cast<LPARAM>(gamma_bar));
    close_sheet_and_exit(app, main, sheet, PSBTN_CANCEL);
    EXPECT_EQ(setting("Gamma"), 200u);
    EXPECT_EQ(setting("Brightness"), 20u);

    GlimraProcess again;
    main = start_glimra(again);
    ASSERT_NE(main, nullptr);
    sheet = open_settings(again, main);
    ASSERT_NE(sheet, nullptr);
    gamma = current_page(sheet);
    SendDlgItemMessageA(gamma, IDC_GAMMA_RESET, BM_CLICK, 0, 0);
    EXPECT_EQ(SendDlgItemMessageA(gamma, IDC_GAMMA_GAMMA, TBM_GETPOS, 0, 0), 128);
    close_sheet_and_exit(again, main, sheet, PSBTN_CANCEL);
    EXPECT_EQ(setting("Gamma"), 128u);
    EXPECT_EQ(setting("Brightness"), 128u);
}

// Every page opens from its dialog resource. With GLIMRA_SCREENSHOT_DIR set, each
// page is also saved there as "settings-<n>.bmp" for a look at the layout.
TEST_F(SettingsGui, EveryPageOpens) {
    GlimraProcess app;
    HWND main = start_glimra(app);
    ASSERT_NE(main, nullptr);
    HWND sheet = open_settings(app, main);
    ASSERT_NE(sheet, nullptr);
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 9);
    const int first_control[9] = {IDC_PREF_SCALE_TO_GRAY, IDC_SLIDE_TRANSITION, IDC_JPEG_QUALITY,
                                  IDC_TB_ICONS,           IDC_VIDEO_LOOP,       IDC_GUI_SIZE,
                                  IDC_KEYS_LIST,          IDC_GAMMA_GAMMA,      IDC_BATCH_DIR};
    const char* shots = std::getenv("GLIMRA_SCREENSHOT_DIR");
    for (int i = 0; i < 9; ++i) {
        HWND page = show_page(sheet, i);
        ASSERT_NE(page, nullptr) << "page " << i;
        EXPECT_NE(GetDlgItem(page, first_control[i]), nullptr) << "page " << i;
        if (shots) {
            Sleep(1000);
            save_window_bitmap(sheet, std::string(shots) + "\\settings-" + std::to_string(i) + ".bmp");
        }
    }
    close_sheet_and_exit(app, main, sheet, PSBTN_CANCEL);
}

TEST_F(SettingsGui, GlimraModeSavesNothing) {
    write_setting_dword("SlideDelay", 1234);
    GlimraProcess app;
    HWND main = start_glimra(app, "Z:\\no-such-dir\\picture.jpg");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(window_text(main), "GLM - Glimra Mode");
    HWND sheet = open_settings(app, main);
    ASSERT_NE(sheet, nullptr);
    HWND slides = show_page(sheet, 1);
    SetDlgItemTextA(slides, IDC_SLIDE_DELAY, "999");
    HWND prefs = show_page(sheet, 0);  // applying "Preferences" saves, except in this mode
    SendDlgItemMessageA(prefs, IDC_PREF_SMOOTH_SCALING, BM_CLICK, 0, 0);
    close_sheet_and_exit(app, main, sheet, PSBTN_OK);

    EXPECT_EQ(settings_value_count(), 1);
    EXPECT_EQ(setting("SlideDelay"), 1234u);
}
