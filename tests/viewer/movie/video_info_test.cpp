// The texts of the "Video Information" dialog for movie records of each kind, and for
// records without a frame time or sound.
#include <gtest/gtest.h>

#include <map>

#include "movie/video_info.h"

namespace {

std::map<int, std::string> lines_of(const ImageFileInfo& file, int32_t w, int32_t h) {
    const VideoInfoInput in{"Z:\\clips\\take 1.avi", &file, w, h, true, {2001, 2, 3, 4, 5, 6}, {2011, 12, 13, 14, 15, 16}};
    std::map<int, std::string> out;
    for (const InfoLine& l : video_info_lines(in)) out[l.control] = l.text;
    return out;
}

}  // namespace

TEST(VideoInfo, LinesOfMovieRecords) {
    struct Case {
        int format, video, audio, frame_ms, rate, frames, size;
        std::map<int, std::string> expected;
    } cases[] = {
        {FMT_AVI, COMP_CINEPAK, AUDIO_PCM, 83, 8000, 78, 1048576,
         {{IDC_VIDEO_FRAME_RATE, "12 fps"}, {IDC_VIDEO_AUDIO_RATE, "8000 Hz"}, {IDC_VIDEO_FRAMES, "78"},
          {IDC_VIDEO_FILE_SIZE, "1048576"}, {IDC_VIDEO_FILE_TYPE, "AVI"}, {IDC_VIDEO_CODEC, "Cinepak"},
          {IDC_VIDEO_AUDIO_CODEC, "PCM"}}},
        {FMT_QUICKTIME, COMP_H263, AUDIO_IMA_ADPCM, 66, 22050, 300, 5000,
         {{IDC_VIDEO_FRAME_RATE, "15 fps"}, {IDC_VIDEO_AUDIO_RATE, "22050 Hz"}, {IDC_VIDEO_FILE_TYPE, "QuickTime"},
          {IDC_VIDEO_CODEC, "H.263"}, {IDC_VIDEO_AUDIO_CODEC, "IMA4 ADPCM"}}},
        {FMT_AVI, COMP_MOTION_JPEG, AUDIO_MULAW, 33, 11025, 9, 1,
         {{IDC_VIDEO_FRAME_RATE, "30 fps"}, {IDC_VIDEO_CODEC, "Motion-JPEG"}, {IDC_VIDEO_AUDIO_CODEC, "U-LAW"}}},
        // No frame time and no sound: no rates (and no division by zero).
        {FMT_AVI, COMP_MOTION_JPEG, AUDIO_NONE, 0, 0, 1, 1,
         {{IDC_VIDEO_FRAME_RATE, "N/A"}, {IDC_VIDEO_AUDIO_RATE, "N/A"}, {IDC_VIDEO_AUDIO_CODEC, "Unsupported"}}},
        {FMT_QUICKTIME, COMP_NO_STREAM, 7, 40, 0, 2, 1, {{IDC_VIDEO_CODEC, ""}, {IDC_VIDEO_AUDIO_CODEC, "Unsupported"}}},
    };
    for (const Case& c : cases) {
        ImageFileInfo f{};
        f.format = (int8_t)c.format;
        f.video_compression = (uint8_t)c.video;
        f.audio_format = (uint8_t)c.audio;
        f.frame_ms = c.frame_ms;
        f.audio_rate = c.rate;
        f.page_count = c.frames;
        f.file_size = c.size;
        auto lines = lines_of(f, 400, 187);
        EXPECT_EQ(lines[IDC_VIDEO_NAME], "take 1.avi");
        EXPECT_EQ(lines[IDC_VIDEO_SIZE], "400 x 187");
        EXPECT_EQ(lines[IDC_VIDEO_CREATED], "2001/02/03 04:05:06");
        EXPECT_EQ(lines[IDC_VIDEO_MODIFIED], "2011/12/13 14:15:16");
        for (const auto& e : c.expected) EXPECT_EQ(lines[e.first], e.second) << c.format << " control " << e.first;
    }
}
