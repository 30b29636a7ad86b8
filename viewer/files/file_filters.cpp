// File-name filter table and wildcard matching. Matching follows the Win32 search
// rules the viewer relies on: case-insensitive, '*' matches any run of characters,
// '?' one character (or nothing at the end of the name), and "*.*" matches every name.
#include "files/file_filters.h"

#include <cstring>

namespace {

constexpr FileFilter kFilters[kFileFilterCount] = {
    {"All Image Files", "."}, {"All Files", "*.*"}, {"JPEG", "*.JPG"},
    {"PCX", "*.PCX"},         {"TIFF", "*.TIF"},     {"BMP", "*.BMP"},
    {"2BP", "*.2BP"},         {"DCX", "*.DCX"},      {"AVI", "*.AVI"},
    {"QuickTime", "*.MOV"},   {"AWD", "*.AWD"},      {"GIF", "*.GIF"},
    {"TARGA", "*.TGA"},       {"PDF", "*.PDF"},      {"WinFAX", "*.FX?"},
    {"PSEG", "*.PSG"},        {"CALS", "*.CA"},      {"MODCA/IOCA", "*.ICA"},
};

// CALS and MODCA/IOCA files are listed only under their own filters.
constexpr int kFirstImagePattern = 2, kLastImagePattern = 15;

char fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool match_from(const char* p, const char* n) {
    for (; *p; ++p) {
        if (*p == '*') {
            while (p[1] == '*') ++p;
            for (const char* rest = n;; ++rest) {
                if (match_from(p + 1, rest)) return true;
                if (!*rest) return false;
            }
        }
        if (*p == '?') {
            if (*n) ++n;  // at the end of the name '?' matches nothing
            continue;
        }
        if (fold(*p) != fold(*n)) return false;
        ++n;
    }
    return *n == '\0';
}

}  // namespace

const FileFilter& file_filter(int index) {
    if (index < 0 || index >= kFileFilterCount) index = kAllImageFilesFilter;
    return kFilters[index];
}

bool is_multi_pattern(const char* pattern) { return pattern[0] == '.'; }

std::span<const FileFilter> image_file_filters() {
    return std::span<const FileFilter>(kFilters + kFirstImagePattern,
                                       kLastImagePattern - kFirstImagePattern + 1);
}

bool wildcard_match(const char* pattern, const char* name) {
    return std::strcmp(pattern, "*.*") == 0 || match_from(pattern, name);
}
