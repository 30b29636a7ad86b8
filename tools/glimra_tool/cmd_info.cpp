// "info FILE [OPTIONS]": identifies a file and prints what the library's file record
// holds, one "key: value" line each; movies add their frame and sound parameters.
// Options print further sections after the basic lines (see kInfoOptions).
#include <cstdio>
#include <cstring>

#include "imaging.h"
#include "tool.h"

namespace {

void print_basic_lines(const ImageFileInfo& info) {
    const int format = info.format;
    std::printf("format: %d %s\n", format, format >= 0 && format < FORMAT_CODE_COUNT ? format_names[format] : "");
    std::printf("access: %d\n", info.access);
    std::printf("file_size: %d\n", info.file_size);
    std::printf("pages: %d\n", info.page_count);
}

void print_movie_lines(const ImageFileInfo& info) {
    const struct {
        const char* key;
        long value;
    } lines[] = {
        {"frame_ms", info.frame_ms},
        {"movie_width", info.movie_width},
        {"movie_height", info.movie_height},
        {"movie_bpp", info.movie_bpp},
        {"video_compression", info.video_compression},
        {"audio_format", info.audio_format},
        {"audio_rate", info.audio_rate},
        {"audio_bits", info.audio_bits},
        {"audio_block_align", info.audio_block_align},
        {"audio_chunk_count", info.audio_chunk_count},
        {"audio_total", info.audio_total},
    };
    for (const auto& line : lines) std::printf("%s: %ld\n", line.key, line.value);
}

// An option prints its section for an identified file; it returns 0 or a library
// error code (reported like identification failures).
struct InfoOption {
    const char* name;
    int (*print)(ImageFileInfo& info);
};

}  // namespace

// Camera fields and texts of page 0 (info_exif.cpp).
int print_exif_section(ImageFileInfo& info);
// One line per page from read_page (info_pages.cpp).
int print_pages_section(ImageFileInfo& info);

namespace {

constexpr InfoOption kInfoOptions[] = {
    {"--exif", print_exif_section},
    {"--pages", print_pages_section},
    {nullptr, nullptr},  // options are added above this line
};

const InfoOption* find_option(const std::string& name) {
    for (const InfoOption& o : kInfoOptions)
        if (o.name && name == o.name) return &o;
    return nullptr;
}

int run_info(const ToolArgs& args) {
    std::string path;
    std::vector<const InfoOption*> options;
    for (const std::string& arg : args) {
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            const InfoOption* option = find_option(arg);
            if (!option) return tool_fail_message("unknown option: " + arg);
            options.push_back(option);
        } else if (path.empty()) {
            path = arg;
        } else {
            return tool_fail_message("usage: glimra-tool info FILE [OPTIONS]");
        }
    }
    if (path.empty()) return tool_fail_message("usage: glimra-tool info FILE [OPTIONS]");
    ImageFileInfo info{};
    int rc = identify_file(path.c_str(), &info, 0);
    if (rc < 0) return tool_fail(rc);
    print_basic_lines(info);
    if (info.format == FMT_AVI || info.format == FMT_QUICKTIME) print_movie_lines(info);
    for (const InfoOption* option : options) {
        rc = option->print(info);
        if (rc < 0) break;
    }
    close_file_info(&info);
    return rc < 0 ? tool_fail(rc) : 0;
}

}  // namespace

GLIMRA_TOOL_COMMAND(info_cmd, "info", "FILE", "identify a file and print its format, pages and movie parameters",
                    run_info);
