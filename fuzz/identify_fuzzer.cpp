// Fuzz target: identifies arbitrary bytes through a temporary file, as the viewer
// identifies a file a user opens, and checks that every table entry it describes
// lies inside the file; runs the quick test on the same file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "imaging.h"
#include "sample_file.h"

namespace {

const char* path() {
    static const std::string path = sample_path("identify");
    return path.c_str();
}

// Every frame and sound chunk of a movie lies inside the file; page tables of the
// still formats never point past its end.
void check_tables(const ImageFileInfo& info) {
    const int64_t size = info.file_size;
    if (info.page_count < 0 || info.audio_chunk_count < 0) __builtin_trap();
    const bool movie = info.format == FMT_AVI || info.format == FMT_QUICKTIME;
    const int64_t header = info.format == FMT_AVI ? 8 : 0;
    for (int32_t i = 0; movie && i < info.page_count; ++i)
        if (info.page_offsets[i] < 0 || info.page_offsets[i] + header + info.frame_sizes[i] > size) __builtin_trap();
    for (int32_t i = 0; i < info.audio_chunk_count; ++i)
        if (info.audio_offsets[i] < 0 || (int64_t)info.audio_offsets[i] + info.audio_sizes[i] > size) __builtin_trap();
    const bool tabled = info.format == FMT_TIFF || info.format == FMT_IOCA || info.format == FMT_AWD ||
                        info.format == FMT_WINFAX10 || info.format == FMT_PDF;
    for (int32_t i = 0; tabled && i < info.page_count; ++i)
        if (info.page_offsets[i] < 0 || info.page_offsets[i] >= size) __builtin_trap();
    if (info.format == FMT_GIF && info.page_offsets[info.page_count] != size) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!write_sample(path(), data, size)) return 0;
    ImageFileInfo info{};
    if (identify_file(path(), &info, 0) == 0) {
        check_tables(info);
        close_file_info(&info);
    }
    is_image_file(path());
    std::remove(path());
    return 0;
}
