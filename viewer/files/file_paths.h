// Directory arithmetic of the folder browser: entering a folder or drive, going up
// a level (above a drive root lies the computer level, the empty path) and the
// name the path button shows. Both '\' and '/' count as separators.
#pragma once

#include <string>

// "X:\" (a drive letter, a colon and a backslash): a drive entry of the computer level.
bool is_drive_root(const std::string& path);
// The directory a double-click on `folder` in `directory` leads to.
std::string enter_folder(const std::string& directory, const std::string& folder);
// One level up: "C:\a\b" -> "C:\a", "C:\a" -> "C:\", "C:\" -> "" (computer level).
std::string parent_directory(const std::string& directory);
// `levels` steps up, stopping at the computer level.
std::string up_levels(std::string directory, int levels);
// The levels of the path, the directory itself first, up to its root.
int count_levels(const std::string& directory);
// Directory part of a file path, without its last separator unless that is a root's
// ("C:\\a\\b.bmp" -> "C:\\a", "C:\\b.bmp" -> "C:\\"); "" when the path has no separator.
std::string directory_of(const std::string& path);
// The name after the last separator (the whole path when it has none).
std::string file_name_of(const std::string& path);
// A directory as the current directory: trailing separators dropped, except that a
// root ("C:\\", "/") keeps its own.
std::string directory_without_separator(const std::string& directory);
// Name on the path button: the last folder's name, the whole path of a drive or
// file-system root, "" at the computer level.
std::string path_button_name(const std::string& directory);
