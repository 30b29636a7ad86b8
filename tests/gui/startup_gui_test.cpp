// Start-up of the program under Wine: the main window and a clean exit, Glimra mode
// from a command line (quoted, unreadable, slideshow), the hand-over of a file to a
// running Glimra-mode instance, and which runs save their settings.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "gui_harness.h"
#include "resource_ids.h"

namespace {

constexpr const char* kMainClass = "TAVLO2";

void exit_cleanly(GlimraProcess& app, HWND main) {
    app.post_command(main, IDM_EXIT);
    DWORD code = 1234;
    ASSERT_TRUE(app.wait_for_exit(10000, &code)) << "still running 10 s after Exit";
    EXPECT_EQ(code, 0u);
}

// Writes `bytes` to a temporary file; returns its Windows path ("" on failure).
std::string write_file(const char* name, const std::string& bytes) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return "";
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
}

// A 2 x 2 24-bit Windows bitmap in a temporary file; returns its Windows path.
std::string write_small_bmp(const char* name) {
    const unsigned char bmp[] = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0,
        0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // info header
        0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0,  // two rows
    };
    return write_file(name, std::string(reinterpret_cast<const char*>(bmp), sizeof bmp));
}

}  // namespace

TEST(Startup, MainWindowAppearsAndExitEndsTheProcess) {
    GlimraProcess app;
    ASSERT_TRUE(app.start()) << "cannot start " << glimra_exe_path();
    HWND main = app.wait_for_window(kMainClass, 20000);
    ASSERT_NE(main, nullptr) << "no TAVLO2 window within 20 s";
    EXPECT_EQ(window_text(main), "GLM");
    EXPECT_NE(GetMenu(main), nullptr);
    exit_cleanly(app, main);
    EXPECT_FALSE(app.running());
}

TEST(Startup, QuotedCommandLineIsOnePathAndFailsWithTheLibraryMessage) {
    GlimraProcess app;
    ASSERT_TRUE(app.start("\"C:\\no such dir\\picture.tif\""));
    // The quotes stay part of the upper-cased path, so the caption ends in one.
    HWND box = app.wait_for_dialog("PICTURE.TIF\"", 20000);
    ASSERT_NE(box, nullptr) << "no open failure message";
    // A name with quotes cannot be opened: the file layer answers "not found" or, for
    // the invalid name, a general I/O error.
    const std::string text = message_text(box);
    EXPECT_TRUE(text == "File not found" || text == "General I/O error") << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND main = app.wait_for_window(kMainClass, 10000);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(window_text(main), "GLM - Glimra Mode");
    exit_cleanly(app, main);
}

TEST(Startup, UnreadableFileShowsTheErrorStringWithTheFileName) {
    const std::string path = write_file("glimra_startup_bad.xyz", std::string(64, 'x'));
    ASSERT_FALSE(path.empty());
    GlimraProcess app;
    ASSERT_TRUE(app.start(path));
    HWND box = app.wait_for_dialog("GLIMRA_STARTUP_BAD.XYZ", 20000);
    ASSERT_NE(box, nullptr) << "no message for an unknown format";
    EXPECT_EQ(message_text(box), "Unknown file format");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND main = app.wait_for_window(kMainClass, 10000);
    ASSERT_NE(main, nullptr);
    exit_cleanly(app, main);
    DeleteFileA(path.c_str());
}

TEST(Startup, SecondStartHandsItsFileToTheGlimraModeInstance) {
    const std::string first = write_small_bmp("glimra_startup_first.bmp");
    ASSERT_FALSE(first.empty());
    GlimraProcess running;
    ASSERT_TRUE(running.start(first));
    HWND main = running.wait_for_window(kMainClass, 20000);
    ASSERT_NE(main, nullptr);
    ASSERT_EQ(window_text(main), "GLM - Glimra Mode");
    EXPECT_EQ(running.wait_for_dialog("GLIMRA_STARTUP_FIRST.BMP", 1000), nullptr) << "a valid BMP failed to open";

    GlimraProcess second;
    ASSERT_TRUE(second.start("C:\\missing\\handed.bmp"));
    DWORD code = 1234;
    ASSERT_TRUE(second.wait_for_exit(10000, &code)) << "the second start did not hand over and end";
    EXPECT_EQ(code, 0u);
    // The running instance opens the handed path as given (not upper-cased).
    HWND box = running.wait_for_dialog("handed.bmp", 10000);
    ASSERT_NE(box, nullptr) << "the running instance did not open the handed-over file";
    EXPECT_EQ(message_text(box), "File not found");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    exit_cleanly(running, main);
    DeleteFileA(first.c_str());
}

TEST(Startup, NormalInstanceIsNotAHandOverTarget) {
    GlimraProcess normal;
    ASSERT_TRUE(normal.start());
    HWND main = normal.wait_for_window(kMainClass, 20000);
    ASSERT_NE(main, nullptr);
    GlimraProcess second;
    ASSERT_TRUE(second.start("C:\\missing\\other.bmp"));
    HWND box = second.wait_for_dialog("OTHER.BMP", 20000);
    EXPECT_NE(box, nullptr) << "the second start should run on its own";
    EXPECT_TRUE(second.running());
    second.kill();
    exit_cleanly(normal, main);
}

TEST(Startup, SlideshowFileStartsGlimraModeAndAsksForFiles) {
    GlimraProcess app;
    ASSERT_TRUE(app.start("C:\\missing\\show.gls"));
    // No slides and no files to play: the "Slide Show" command reports the empty list.
    HWND box = app.wait_for_dialog("Slide Show", 20000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(message_text(box).find("There are no matching files"), std::string::npos);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    HWND main = app.wait_for_window(kMainClass, 10000);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(window_text(main), "GLM - Glimra Mode");
    exit_cleanly(app, main);
}

TEST(Startup, SettingsAreSavedAtExitOutsideGlimraModeOnly) {
    const std::string image = write_small_bmp("glimra_startup_saved.bmp");
    delete_settings_key();
    {
        GlimraProcess app;
        ASSERT_TRUE(app.start(image));
        HWND main = app.wait_for_window(kMainClass, 20000);
        ASSERT_NE(main, nullptr);
        exit_cleanly(app, main);
    }
    EXPECT_TRUE(settings_key_exists());
    EXPECT_EQ(settings_value_count(), 0) << "Glimra mode saved its settings";
    {
        GlimraProcess app;
        ASSERT_TRUE(app.start());
        HWND main = app.wait_for_window(kMainClass, 20000);
        ASSERT_NE(main, nullptr);
        exit_cleanly(app, main);
    }
    EXPECT_GT(settings_value_count(), 10);
    delete_settings_key();
    DeleteFileA(image.c_str());
}

TEST(Startup, CommandsWithoutAnImageLeaveTheWindowRunning) {
    GlimraProcess app;
    ASSERT_TRUE(app.start());
    HWND main = app.wait_for_window(kMainClass, 20000);
    ASSERT_NE(main, nullptr);
    // Keys outside the bindable 13 and image commands without an image do nothing.
    PostMessageA(main, WM_KEYDOWN, 'A', 0);
    for (WORD id : {40016, 40090, 40099, 40006, 40005, 40089}) app.post_command(main, id);
    // Batch without tags reports that nothing is tagged.
    app.post_command(main, 40108);
    HWND box = app.wait_for_dialog("Batch Process", 10000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(message_text(box), "No files have been tagged for processing.");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    exit_cleanly(app, main);
}
