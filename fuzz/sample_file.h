// The fuzz input as a file, for the targets that go through identify_file: one path
// per target and process, written anew for every input.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The file's path: /tmp/glimra_<target>_fuzz_<pid>.
inline std::string sample_path(const char* target) {
    return std::string("/tmp/glimra_") + target + "_fuzz_" + std::to_string(getpid());
}

// Writes the input to the file; false when it could not be written whole.
inline bool write_sample(const char* path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}
