// Folder browser path steps: entering folders and drives, going up to the computer
// level, and the path button's name.
#include <gtest/gtest.h>

#include "files/dir_listing.h"
#include "files/file_paths.h"

TEST(FilePaths, UpToTheComputerLevel) {
    EXPECT_EQ(parent_directory("C:\\Pics\\2024"), "C:\\Pics");
    EXPECT_EQ(parent_directory("C:\\Pics\\2024\\"), "C:\\Pics");
    EXPECT_EQ(parent_directory("C:\\Pics"), "C:\\");
    EXPECT_EQ(parent_directory("C:\\"), "");
    EXPECT_EQ(parent_directory(""), "");
    EXPECT_EQ(parent_directory("/tmp/pics"), "/tmp");
    EXPECT_EQ(parent_directory("/tmp"), "/");
    EXPECT_EQ(parent_directory("/"), "");
    EXPECT_EQ(up_levels("C:\\a\\b\\c", 2), "C:\\a");
    EXPECT_EQ(up_levels("C:\\a\\b\\c", 9), "");
    EXPECT_EQ(count_levels("C:\\a\\b"), 3);
    EXPECT_EQ(count_levels(""), 0);
}

TEST(FilePaths, EnteringFoldersAndDrives) {
    EXPECT_TRUE(is_drive_root("d:\\"));
    EXPECT_FALSE(is_drive_root("D:"));
    EXPECT_FALSE(is_drive_root("1:\\"));
    EXPECT_EQ(enter_folder("", "D:\\"), "D:\\");
    EXPECT_EQ(enter_folder("C:\\", "Pics"), "C:\\Pics");
    EXPECT_EQ(enter_folder("C:\\Pics", "2024"), std::string("C:\\Pics") + dir_separator() + "2024");
}

TEST(FilePaths, PathButtonName) {
    EXPECT_EQ(path_button_name("C:\\Pics\\2024"), "2024");
    EXPECT_EQ(path_button_name("C:\\"), "C:\\");
    EXPECT_EQ(path_button_name(""), "");
    EXPECT_EQ(path_button_name("/tmp/pics/"), "pics");
}

TEST(FilePaths, DirectoryAndNameOfAFilePath) {
    EXPECT_EQ(directory_of("C:\\Pics\\a.bmp"), "C:\\Pics");
    EXPECT_EQ(directory_of("C:\\a.bmp"), "C:\\") << "a drive root keeps its backslash";
    EXPECT_EQ(directory_of("/a.bmp"), "/");
    EXPECT_EQ(directory_of("a.bmp"), "");
    EXPECT_EQ(file_name_of("C:\\Pics\\a.bmp"), "a.bmp");
    EXPECT_EQ(file_name_of("a.bmp"), "a.bmp");
    EXPECT_EQ(file_name_of("C:\\Pics\\"), "");
}

TEST(FilePaths, DirectoryChosenWithATrailingSeparator) {
    EXPECT_EQ(directory_without_separator("C:\\Pics\\"), "C:\\Pics");
    EXPECT_EQ(directory_without_separator("C:\\Pics\\\\"), "C:\\Pics");
    EXPECT_EQ(directory_without_separator("C:\\"), "C:\\");
    EXPECT_EQ(directory_without_separator("/"), "/");
    EXPECT_EQ(directory_without_separator("C:\\Pics"), "C:\\Pics");
}
