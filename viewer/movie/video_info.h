// Every text of the "Video Information" dialog (134) that "Image Info..." opens for AVI
// and QuickTime files: size, frame rate, sound rate, frame count, file size and kind,
// the video and sound codecs and the file's times.
#pragma once

#include <cstdint>
#include <vector>

#include "dialogs/info_dialog_ids.h"
#include "imaging.h"
#include "info/info_text.h"

struct VideoInfoInput {
    const char* path;            // the current file path
    const ImageFileInfo* file;   // the movie's description
    int32_t width, height;       // the frame size
    bool has_times;
    CivilTime created, modified;
};

// The name of a movie's sound format: "PCM", "IMA4 ADPCM", "U-LAW" or "Unsupported".
const char* audio_format_name(int audio_format);
// The texts of every value control of the dialog. A movie without a frame time or
// without sound shows "N/A" for its rate.
std::vector<InfoLine> video_info_lines(const VideoInfoInput& in);
