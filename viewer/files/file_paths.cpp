// Folder browser path steps on plain strings: a path is a root ("C:\" or "/")
// followed by folder names; going up drops the last name, and a root goes up to
// the computer level, shown as the drive list.
#include "files/file_paths.h"

#include "files/file_lists.h"

namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

bool is_root(const std::string& path) { return is_drive_root(path) || path == "/"; }

std::string without_trailing_separator(std::string path) {
    while (path.size() > 1 && is_separator(path.back()) && !is_root(path)) path.pop_back();
    return path;
}

}  // namespace

bool is_drive_root(const std::string& path) {
    return path.size() == 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
           path[1] == ':' && path[2] == '\\';
}

std::string enter_folder(const std::string& directory, const std::string& folder) {
    if (is_drive_root(folder)) return folder;
    return join_path(directory.c_str(), folder.c_str());
}

std::string parent_directory(const std::string& directory) {
    const std::string path = without_trailing_separator(directory);
    if (path.empty() || is_root(path)) return "";
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return "";
    const std::string head = path.substr(0, cut + 1);  // keeps the separator for roots
    return is_root(head) ? head : head.substr(0, cut);
}

std::string up_levels(std::string directory, int levels) {
    for (int i = 0; i < levels && !directory.empty(); ++i) directory = parent_directory(directory);
    return directory;
}

int count_levels(const std::string& directory) {
    int levels = 0;
    for (std::string d = directory; !d.empty(); d = parent_directory(d)) ++levels;
    return levels;
}

std::string directory_of(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return "";
    const std::string head = path.substr(0, cut + 1);
    return is_root(head) ? head : head.substr(0, cut);
}

std::string file_name_of(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string directory_without_separator(const std::string& directory) {
    return without_trailing_separator(directory);
}

std::string path_button_name(const std::string& directory) {
    const std::string path = without_trailing_separator(directory);
    if (path.empty() || is_root(path)) return path;
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}
