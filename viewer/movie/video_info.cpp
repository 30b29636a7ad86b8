// Texts of the "Video Information" dialog (see video_info.h).
#include "movie/video_info.h"

#include <cstdio>
#include <string>

namespace {

std::string number(const char* format, int32_t a) {
    char text[32];
    std::snprintf(text, sizeof text, format, a);
    return text;
}

}  // namespace

const char* audio_format_name(int audio_format) {
    switch (audio_format) {
    case AUDIO_PCM: return "PCM";
    case AUDIO_IMA_ADPCM: return "IMA4 ADPCM";
    case AUDIO_MULAW: return "U-LAW";
    default: return "Unsupported";
    }
}

std::vector<InfoLine> video_info_lines(const VideoInfoInput& in) {
    const ImageFileInfo& f = *in.file;
    char size[40];
    std::snprintf(size, sizeof size, "%d x %d", in.width, in.height);
    const bool timed = f.frame_ms > 0;
    return {
        {IDC_VIDEO_NAME, file_name_text(in.path)},
        {IDC_VIDEO_SIZE, size},
        {IDC_VIDEO_FRAME_RATE, timed ? number("%d fps", 1000 / f.frame_ms) : "N/A"},
        {IDC_VIDEO_AUDIO_RATE, f.audio_rate != 0 ? number("%d Hz", f.audio_rate) : "N/A"},
        {IDC_VIDEO_FRAMES, number("%d", f.page_count)},
        {IDC_VIDEO_FILE_SIZE, number("%d", f.file_size)},
        {IDC_VIDEO_FILE_TYPE, file_kind_name(f.format)},
        {IDC_VIDEO_CODEC, compression_name(f.video_compression)},
        {IDC_VIDEO_AUDIO_CODEC, audio_format_name(f.audio_format)},
        {IDC_VIDEO_CREATED, in.has_times ? format_civil_time(in.created) : "N/A"},
        {IDC_VIDEO_MODIFIED, in.has_times ? format_civil_time(in.modified) : "N/A"},
    };
}
