// The program starts with its main window and ends cleanly on "Exit".
#include <gtest/gtest.h>

#include "gui_harness.h"
#include "resource_ids.h"

TEST(Startup, MainWindowAppearsAndExitEndsTheProcess) {
    GlimraProcess app;
    ASSERT_TRUE(app.start()) << "cannot start " << glimra_exe_path();
    HWND main = app.wait_for_window("TAVLO2", 20000);
    ASSERT_NE(main, nullptr) << "no TAVLO2 window within 20 s";
    EXPECT_EQ(window_text(main), "GLM");
    EXPECT_NE(GetMenu(main), nullptr);

    app.post_command(main, IDM_EXIT);
    DWORD code = 1234;
    ASSERT_TRUE(app.wait_for_exit(10000, &code)) << "still running 10 s after Exit";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(app.running());
}
