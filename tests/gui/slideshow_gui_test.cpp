// Custom slideshows under Wine: slides are added from the current list and from the
// shown image, edited in "Add / Edit Slide" (whose preview turns with the slide),
// reordered and removed in "Manage Slides", saved through the standard save dialog
// and read back by a second start with the file on its command line; a damaged file
// is refused without touching the slides, and unsaved changes are asked about.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "dialogs/slide_dialog_ids.h"
#include "gui_harness.h"
#include "resource_ids.h"

namespace {

constexpr DWORD kStartTimeout = 20000, kBoxTimeout = 8000, kQuietWait = 1500;
constexpr const char* kEditTitle = "Add / Edit Slide";
constexpr const char* kManageTitle = "Manage Slides";

// A folder of the test's own under the temporary directory holding the files it
// writes by name; all of them and the folder go at the end.
class SlideFolder {
public:
    SlideFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "glimra-slides-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~SlideFolder() {
        for (const std::string& name : names_) DeleteFileA((*this / name).c_str());
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    // Writes a file, or names one the program will write, so that it is removed.
    bool write(const std::string& name, const std::string& bytes) {
        names_.push_back(name);
        FILE* f = std::fopen((*this / name).c_str(), "wb");
        if (!f) return false;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        return std::fclose(f) == 0 && ok;
    }
    void expect(const std::string& name) { names_.push_back(name); }
    std::string read(const std::string& name) const {
        std::string bytes;
        if (FILE* f = std::fopen((*this / name).c_str(), "rb")) {
            char buffer[4096];
            for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
            std::fclose(f);
        }
        return bytes;
    }

private:
    std::string path_;
    std::vector<std::string> names_;
};

// A 24-bit bitmap, bottom-up, whose left half is red and right half blue.
std::string red_blue_bitmap(int width, int height) {
    const int pitch = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {0x4D42, (DWORD)(54 + pitch * height), 0, 0, 54};
    BITMAPINFOHEADER info = {sizeof info, width, height, 1, 24, BI_RGB, (DWORD)(pitch * height), 2835, 2835, 0, 0};
    std::string bytes(reinterpret_cast<const char*>(&file), 14);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(pitch, '\0');
    for (int x = 0; x < width; ++x) row[3 * x + (x < width / 2 ? 2 : 0)] = '\xff';
    for (int y = 0; y < height; ++y) bytes += row;
    return bytes;
}

uint32_t le32(const std::string& b, size_t at) {
    return (uint8_t)b[at] | (uint8_t)b[at + 1] << 8 | (uint8_t)b[at + 2] << 16 | (uint32_t)(uint8_t)b[at + 3] << 24;
}

// One record of a slideshow file, read from its documented layout.
struct StoredSlide {
    std::string image, sound;
    uint32_t rotation, transition, delay, stretch, wait;
};

std::vector<StoredSlide> stored_slides(const std::string& file) {
    std::vector<StoredSlide> slides;
    if (file.size() < 8 || file.compare(0, 4, "GLM3") != 0) return slides;
    const uint32_t count = le32(file, 4);
    for (uint32_t i = 0; i < count && 8 + (i + 1) * 352 <= file.size(); ++i) {
        const size_t at = 8 + i * 352;
        slides.push_back({file.substr(at, 160).c_str(), file.substr(at + 160, 160).c_str(), le32(file, at + 320),
                          le32(file, at + 324), le32(file, at + 328), le32(file, at + 332), le32(file, at + 336)});
    }
    return slides;
}

std::string item_text(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The lines of the "Manage Slides" list and its selection.
std::vector<std::string> list_lines(HWND manage) {
    HWND list = GetDlgItem(manage, IDC_SLIDE_LIST);
    std::vector<std::string> lines;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Asked across processes, Wine answers in wide characters whatever the list's.
        wchar_t text[512] = {};
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 512) SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
        lines.push_back(std::string(text, text + wcslen(text)));
    }
    return lines;
}
int list_selection(HWND manage) { return (int)SendDlgItemMessageA(manage, IDC_SLIDE_LIST, LB_GETCURSEL, 0, 0); }

// Sends a button's command to a dialog; returns once the dialog has handled it.
void press(HWND dialog, int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0, SMTO_NORMAL, 10000, &result);
}

// The colour the screen shows at (x, y) of a control's client area.
COLORREF pixel_of(HWND control, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(control, &p);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, p.x, p.y);
    ReleaseDC(nullptr, screen);
    return c;
}

// Red, blue or black as a letter ('?' for anything else), whatever the screen makes
// of the preview's 16-bit colours.
char colour_letter(COLORREF c) {
    const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
    if (g > 40) return '?';
    if (r > 200 && b < 40) return 'R';
    if (b > 200 && r < 40) return 'B';
    return r < 40 && b < 40 ? 'K' : '?';
}

// The preview at six points chosen clear of the edges of the red and blue halves and
// of the black bands for the pictures this test shows: left and right of the centre
// a quarter and three quarters down, near the left edge a quarter down, and near
// the top in the middle.
std::string preview_letters(HWND edit) {
    HWND box = GetDlgItem(edit, IDC_SLIDE_EDIT_PREVIEW);
    Sleep(300);  // the preview repaints after the dialog handled the command
    RECT r;
    GetClientRect(box, &r);
    const int w = r.right, h = r.bottom;
    const POINT points[] = {{w / 2 - w / 8, h / 4}, {w / 2 + w / 8, h / 4}, {w / 2 - w / 8, 3 * h / 4},
                            {w / 2 + w / 8, 3 * h / 4}, {w / 8, h / 4}, {w / 2, 8}};
    std::string letters;
    for (const POINT& p : points) letters += colour_letter(pixel_of(box, p.x, p.y));
    return letters;
}

// Types `path` into the standard file dialog titled `title` and presses its OK.
void choose_in_file_dialog(GlimraProcess& app, const char* title, const std::string& path) {
    HWND dialog = app.wait_for_dialog(title, kBoxTimeout);
    ASSERT_NE(dialog, nullptr) << "no \"" << title << "\" dialog";
    // The name field: a combo box (cmb13) in the explorer-style dialog, else edt1.
    HWND name = GetDlgItem(dialog, 1148);
    if (!name) name = GetDlgItem(dialog, 1152);
    ASSERT_NE(name, nullptr) << "no file name field";
    SendMessageA(name, WM_SETTEXT, 0, (LPARAM)path.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_gone(dialog, kBoxTimeout));
}

// Waits for a message box, checks its text, answers it with `button`.
void answer_box(GlimraProcess& app, const char* caption, const std::string& text, int button) {
    HWND box = app.wait_for_dialog(caption, kBoxTimeout);
    ASSERT_NE(box, nullptr) << "no box captioned \"" << caption << "\"";
    EXPECT_EQ(message_text(box), text);
    PostMessageA(box, WM_COMMAND, button, 0);
    EXPECT_TRUE(wait_gone(box, 5000));
}

// With GLIMRA_DIALOG_SHOTS set, the dialog is saved there as a bitmap (for layout work).
void shoot(HWND window, const char* name) {
    if (const char* dir = std::getenv("GLIMRA_DIALOG_SHOTS")) save_window_bitmap(window, std::string(dir) + "\\" + name);
}

const std::string kAskDrop =
    "Your current slideshow has changed.  Changes to the slideshow will be lost.  Continue without saving?";

}  // namespace

class SlideshowGui : public testing::Test {
protected:
    void SetUp() override { delete_settings_key(); }
    void TearDown() override {
        app_.kill();
        delete_settings_key();
    }

    void exit_program(HWND main) {
        app_.post_command(main, IDM_EXIT);
        DWORD code = 1234;
        ASSERT_TRUE(app_.wait_for_exit(10000, &code)) << "still running 10 s after Exit";
        EXPECT_EQ(code, 0u);
    }

    HWND open_manage(HWND main) {
        app_.post_command(main, CMD_EDIT_CUSTOM_SLIDESHOW);
        return app_.wait_for_dialog(kManageTitle, kBoxTimeout);
    }

    GlimraProcess app_;
};

TEST_F(SlideshowGui, SlidesAreBuiltEditedSavedAndReopened) {
    SlideFolder folder;
    for (const char* name : {"a.bmp", "b.bmp", "c.bmp"}) ASSERT_TRUE(folder.write(name, red_blue_bitmap(64, 32)));
    folder.expect("trip.GLS");
    write_setting_string("CurDir", folder.path());
    ASSERT_TRUE(app_.start());
    HWND main = app_.wait_for_window("TAVLO2", kStartTimeout);
    ASSERT_NE(main, nullptr);

    // Without slides there is nothing to save or to manage.
    const std::string no_slides =
        "There are no slides currently defined.  Open an existing slideshow or create a new one by opening an image "
        "into the main window, then choose \"Add to Slideshow\" from the menu or toolbar.";
    app_.post_command(main, CMD_SAVE_SLIDESHOW);
    answer_box(app_, "Save Slideshow", no_slides, IDOK);
    app_.post_command(main, CMD_EDIT_CUSTOM_SLIDESHOW);
    answer_box(app_, "Edit Custom Slideshow", no_slides, IDOK);

    // Every image of the list once; a second time none.
    app_.post_command(main, CMD_ADD_ALL_IMAGES_TO_SLIDESHOW);
    answer_box(app_, "Add All Images to Slideshow", "3 slides added", IDOK);
    app_.post_command(main, CMD_ADD_ALL_IMAGES_TO_SLIDESHOW);
    answer_box(app_, "Add All Images to Slideshow", "0 slides added", IDOK);

    // The shown image is a slide already: the dialog opens on it.
    // "Next File" shows a.bmp through a message of its own; until then "Add Image to
    // Slideshow" has no image and only beeps, so it is asked again.
    app_.post_command(main, CMD_NEXT_FILE);
    HWND edit = nullptr;
    for (int tries = 0; tries < 5 && !edit; ++tries) {
        app_.post_command(main, CMD_ADD_IMAGE_TO_SLIDESHOW);
        edit = app_.wait_for_dialog(kEditTitle, 2000);
    }
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(item_text(edit, IDC_SLIDE_EDIT_IMAGE), "a.bmp");
    EXPECT_EQ(item_text(edit, IDC_SLIDE_EDIT_AUDIO), folder / "a.wav");
    EXPECT_EQ(item_text(edit, IDC_SLIDE_EDIT_DELAY), "2000");
    // The preview shows the picture as the show will: fitted, red left and blue right,
    // black above; a quarter turn stands it upright with red on top, black beside it.
    EXPECT_EQ(preview_letters(edit), "RBRBRK");
    press(edit, IDC_SLIDE_EDIT_ROTATE);
    EXPECT_EQ(preview_letters(edit), "RRBBKR");
    shoot(edit, "slide_edit.bmp");
    SetDlgItemTextA(edit, IDC_SLIDE_EDIT_DELAY, "1234");
    SetDlgItemTextA(edit, IDC_SLIDE_EDIT_AUDIO, "C:\\sounds\\intro.wav");
    SendDlgItemMessageA(edit, IDC_SLIDE_EDIT_TRANSITION, CB_SETCURSEL, 5, 0);
    CheckDlgButton(edit, IDC_SLIDE_EDIT_WAIT, BST_CHECKED);
    CheckDlgButton(edit, IDC_SLIDE_EDIT_STRETCH, BST_CHECKED);
    press(edit, IDC_SLIDE_EDIT_STRETCH);
    // Stretched, the turned picture covers the whole box.
    EXPECT_EQ(preview_letters(edit), "RRBBRR");
    press(edit, IDOK);
    ASSERT_TRUE(wait_gone(edit, 5000));

    // Manage: Up on the first line only beeps; c moves up; Down on the last beeps;
    // Delete removes c and selects the line above; Edit opens the selected slide.
    HWND manage = open_manage(main);
    ASSERT_NE(manage, nullptr);
    EXPECT_EQ(list_lines(manage), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
    EXPECT_EQ(list_selection(manage), 0);
    shoot(manage, "manage_slides.bmp");
    press(manage, IDC_SLIDE_UP);
    EXPECT_EQ(list_lines(manage), (std::vector<std::string>{"a.bmp", "b.bmp", "c.bmp"}));
    SendDlgItemMessageA(manage, IDC_SLIDE_LIST, LB_SETCURSEL, 2, 0);
    press(manage, IDC_SLIDE_UP);
    EXPECT_EQ(list_lines(manage), (std::vector<std::string>{"a.bmp", "c.bmp", "b.bmp"}));
    EXPECT_EQ(list_selection(manage), 1);
    SendDlgItemMessageA(manage, IDC_SLIDE_LIST, LB_SETCURSEL, 2, 0);
    press(manage, IDC_SLIDE_DOWN);
    EXPECT_EQ(list_lines(manage), (std::vector<std::string>{"a.bmp", "c.bmp", "b.bmp"}));
    SendDlgItemMessageA(manage, IDC_SLIDE_LIST, LB_SETCURSEL, 1, 0);
    press(manage, IDC_SLIDE_DELETE);
    EXPECT_EQ(list_lines(manage), (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_EQ(list_selection(manage), 0);
    PostMessageA(manage, WM_COMMAND, IDC_SLIDE_EDIT, 0);
    edit = app_.wait_for_dialog(kEditTitle, kBoxTimeout);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(item_text(edit, IDC_SLIDE_EDIT_DELAY), "1234");
    press(edit, IDCANCEL);
    ASSERT_TRUE(wait_gone(edit, 5000));
    press(manage, IDOK);
    ASSERT_TRUE(wait_gone(manage, 5000));

    // Saved under a name without '.', which gets ".GLS".
    app_.post_command(main, CMD_SAVE_SLIDESHOW);
    choose_in_file_dialog(app_, "Save As", folder / "trip");
    const std::vector<StoredSlide> saved = stored_slides(folder.read("trip.GLS"));
    ASSERT_EQ(saved.size(), 2u) << "trip.GLS was not written whole";
    EXPECT_EQ(saved[0].image, folder / "a.bmp");
    EXPECT_EQ(saved[0].sound, "C:\\sounds\\intro.wav");
    EXPECT_EQ(saved[0].rotation, 90u);
    EXPECT_EQ(saved[0].transition, 5u);
    EXPECT_EQ(saved[0].delay, 1234u);
    EXPECT_EQ(saved[0].stretch, 1u);
    EXPECT_EQ(saved[0].wait, 1u);
    EXPECT_EQ(saved[1].image, folder / "b.bmp");
    EXPECT_EQ(saved[1].sound, folder / "b.wav");
    EXPECT_EQ(saved[1].rotation, 0u);
    EXPECT_EQ(saved[1].delay, 2000u);
    // Saved: Exit asks nothing.
    exit_program(main);
    if (HasFatalFailure()) return;

    // A second start with the file on its command line has the same slides.
    ASSERT_TRUE(app_.start(folder / "trip.GLS"));
    main = app_.wait_for_window("TAVLO2", kStartTimeout);
    ASSERT_NE(main, nullptr);
    manage = open_manage(main);
    ASSERT_NE(manage, nullptr);
    EXPECT_EQ(list_lines(manage), (std::vector<std::string>{"a.bmp", "b.bmp"}));
    PostMessageA(manage, WM_COMMAND, IDC_SLIDE_EDIT, 0);
    edit = app_.wait_for_dialog(kEditTitle, kBoxTimeout);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(item_text(edit, IDC_SLIDE_EDIT_AUDIO), "C:\\sounds\\intro.wav");
    EXPECT_EQ(SendDlgItemMessageA(edit, IDC_SLIDE_EDIT_TRANSITION, CB_GETCURSEL, 0, 0), 5);
    EXPECT_EQ(IsDlgButtonChecked(edit, IDC_SLIDE_EDIT_STRETCH), (UINT)BST_CHECKED);
    press(edit, IDCANCEL);
    ASSERT_TRUE(wait_gone(edit, 5000));
    SendDlgItemMessageA(manage, IDC_SLIDE_LIST, LB_SETCURSEL, 1, 0);
    press(manage, IDC_SLIDE_DELETE);
    press(manage, IDCANCEL);  // keeps the deletion
    ASSERT_TRUE(wait_gone(manage, 5000));

    // Unsaved changes: "No" keeps the slides and opens nothing; after "Yes" a damaged
    // file (a count past the table) is refused and the slides stay.
    std::string damaged = "GLM3";
    damaged += std::string("\xF5\x01\x00\x00", 4) + std::string(352, '\0');
    ASSERT_TRUE(folder.write("damaged.GLS", damaged));
    app_.post_command(main, CMD_OPEN_SLIDESHOW);
    answer_box(app_, "GLM", kAskDrop, IDNO);
    EXPECT_EQ(app_.wait_for_dialog("Open", kQuietWait), nullptr) << "No did not end the command";
    app_.post_command(main, CMD_OPEN_SLIDESHOW);
    answer_box(app_, "GLM", kAskDrop, IDYES);
    choose_in_file_dialog(app_, "Open", folder / "damaged.GLS");
    manage = open_manage(main);
    ASSERT_NE(manage, nullptr);
    EXPECT_EQ(list_lines(manage), (std::vector<std::string>{"a.bmp"}));
    // "Delete All" asks first; No keeps the slides and the dialog.
    PostMessageA(manage, WM_COMMAND, IDC_SLIDE_DELETE_ALL, 0);
    answer_box(app_, "Edit Custom Slideshow", "Are you sure you want to delete all of the slides?", IDNO);
    EXPECT_EQ(list_lines(manage), (std::vector<std::string>{"a.bmp"}));
    press(manage, IDOK);
    ASSERT_TRUE(wait_gone(manage, 5000));

    // Closing with unsaved changes asks; No keeps the window, Yes ends the program.
    PostMessageA(main, WM_CLOSE, 0, 0);
    answer_box(app_, "GLM", kAskDrop, IDNO);
    Sleep(500);
    EXPECT_TRUE(IsWindow(main) && app_.running()) << "No closed the window";
    app_.post_command(main, IDM_EXIT);
    answer_box(app_, "GLM", kAskDrop, IDYES);
    DWORD code = 1234;
    EXPECT_TRUE(app_.wait_for_exit(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(stored_slides(folder.read("trip.GLS")).size(), 2u) << "the saved file changed without a save";
}
