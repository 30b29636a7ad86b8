// File-name filters of the file list: the filter table shown in the browser, the
// multi-pattern "All Image Files" filter and the case-insensitive wildcard match
// ('*' any run, '?' one character or none at the end) that Windows searches use.
#pragma once

#include <span>

struct FileFilter {
    const char* description;
    const char* pattern;
};

constexpr int kFileFilterCount = 18;
constexpr int kAllImageFilesFilter = 0;

// Filter `index` of the table; an index outside it gives "All Image Files".
const FileFilter& file_filter(int index);
// A pattern that starts with '.' selects the scan over every image pattern.
bool is_multi_pattern(const char* pattern);
// The patterns "All Image Files" scans in turn (filters 2 to 15).
std::span<const FileFilter> image_file_filters();

bool wildcard_match(const char* pattern, const char* name);
