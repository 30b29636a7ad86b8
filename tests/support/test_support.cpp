#include "test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

fs::path corpus_dir() {
    if (const char* env = std::getenv("GLIMRA_CORPUS")) return env;
    return GLIMRA_CORPUS_DIR;
}

fs::path corpus_file(const std::string& relative) {
    fs::path p = corpus_dir() / relative;
    std::error_code ec;
    return fs::is_regular_file(p, ec) ? p : fs::path();
}

fs::path source_dir() { return GLIMRA_SOURCE_DIR; }
fs::path tool_path() { return GLIMRA_TOOL_PATH; }

std::vector<unsigned char> read_bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void write_bytes(const fs::path& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
}

namespace {
std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
}  // namespace

int run_command(const std::string& command, std::string* out, std::string* err) {
    TempDir tmp;
    const std::string full = "(" + command + ") >'" + (tmp / "out").string() + "' 2>'" + (tmp / "err").string() + "' </dev/null";
    const int status = std::system(full.c_str());
    if (out) *out = slurp(tmp / "out");
    if (err) *err = slurp(tmp / "err");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool have_program(const std::string& name) {
    return std::system(("command -v '" + name + "' >/dev/null 2>&1").c_str()) == 0;
}

TempDir::TempDir() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p = fs::temp_directory_path() / ("glimra-test-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            path_ = p;
            return;
        }
    }
    std::abort();
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}
