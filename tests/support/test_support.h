// Shared helpers of the native tests: paths of the sample corpus and the tool, a
// temporary folder removed at the end of a test, and small file utilities.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Folder of sample files written by others; tests using it skip when it is absent.
fs::path corpus_dir();
// Path of a corpus file, or empty when the corpus (or the file) is missing.
fs::path corpus_file(const std::string& relative);
fs::path source_dir();
fs::path tool_path();

std::vector<unsigned char> read_bytes(const fs::path& path);
void write_bytes(const fs::path& path, const std::vector<unsigned char>& bytes);

// Runs a shell command; returns its exit status and fills `out` with its stdout and
// `err` with its stderr (when given).
int run_command(const std::string& command, std::string* out = nullptr, std::string* err = nullptr);
// True when a program of that name is on PATH.
bool have_program(const std::string& name);

// A fresh temporary folder, removed with everything in it when the object ends.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

#define SKIP_WITHOUT_CORPUS_FILE(var, rel)                                  \
    const fs::path var = corpus_file(rel);                                  \
    if (var.empty()) GTEST_SKIP() << "sample corpus file not present: " << rel

#define SKIP_WITHOUT_PROGRAM(name) \
    if (!have_program(name)) GTEST_SKIP() << "program not installed: " << name
