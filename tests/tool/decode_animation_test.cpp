// glimra-tool decode of FLI/FLC frames (read in order up to the page asked for),
// compared with ffmpeg's decoding of the same frames.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

// The P6 raster after the header (ffmpeg writes no comments).
std::vector<unsigned char> raster(const fs::path& p) {
    std::vector<unsigned char> b = read_bytes(p);
    int fields = 0;
    size_t i = 0;
    while (i < b.size() && fields < 4) {
        while (i < b.size() && std::isspace(b[i])) ++i;
        while (i < b.size() && !std::isspace(b[i])) ++i;
        ++fields;
    }
    return std::vector<unsigned char>(b.begin() + (long)std::min(i + 1, b.size()), b.end());
}

// Largest sample difference between our frame and ffmpeg's, or -1.
int frame_difference(const fs::path& file, int frame) {
    TempDir tmp;
    const fs::path ours = tmp / "ours.ppm", ref = tmp / "ref.ppm";
    if (run_command(q(tool_path()) + " decode " + q(file) + " --page " + std::to_string(frame) + " -o " + q(ours)))
        return -1;
    if (run_command("ffmpeg -loglevel error -y -i " + q(file) + " -vf 'select=eq(n\\," + std::to_string(frame) +
                    ")' -vframes 1 -f image2 -vcodec ppm " + q(ref)))
        return -1;
    const auto a = raster(ours), b = raster(ref);
    if (a.size() != b.size() || a.empty()) return -1;
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

}  // namespace

TEST(DecodeAnimation, FlcFramesMatchFfmpeg) {
    SKIP_WITHOUT_PROGRAM("ffmpeg");
    SKIP_WITHOUT_CORPUS_FILE(flc, "movie/2422.flc");
    for (int frame : {0, 1, 13, 26}) EXPECT_EQ(frame_difference(flc, frame), 0) << frame;
}

TEST(DecodeAnimation, FliFramesMatchFfmpegWithinPaletteScaling) {
    SKIP_WITHOUT_PROGRAM("ffmpeg");
    SKIP_WITHOUT_CORPUS_FILE(fli, "movie/a.fli");
    // 64-level palettes are multiplied by 4; ffmpeg also copies the top bits down,
    // so the two differ by at most 3.
    for (int frame : {0, 1, 40}) {
        const int diff = frame_difference(fli, frame);
        EXPECT_GE(diff, 0) << frame;
        EXPECT_LE(diff, 3) << frame;
    }
}
