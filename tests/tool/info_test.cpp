// glimra-tool info: the key-value lines of an identified file and the report of a
// file that cannot be identified.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

std::string info_command(const fs::path& file, const std::string& extra = "") {
    return tool_path().string() + " info '" + file.string() + "'" + extra;
}

TEST(ToolInfo, StillImageLinesInOrder) {
    TempDir dir;
    std::vector<unsigned char> gif = {'G', 'I', 'F', '8', '9', 'a', 8, 0, 8, 0, 0, 0, 0,
                                      ',', 0, 0, 0, 0, 8, 0, 8, 0, 0, 2, 1, 0, 0, ';'};
    gif.resize(60, 0);
    write_bytes(dir / "one.gif", gif);
    std::string out;
    ASSERT_EQ(run_command(info_command(dir / "one.gif"), &out), 0);
    EXPECT_EQ(out, "format: 11 GIF\naccess: 1\nfile_size: 60\npages: 1\n");
}

TEST(ToolInfo, MovieAddsItsParameters) {
    SKIP_WITHOUT_CORPUS_FILE(avi, "movie/mjpeg_ac3.avi");
    std::string out;
    ASSERT_EQ(run_command(info_command(avi), &out), 0);
    EXPECT_EQ(out,
              "format: 20 AVI\naccess: 2\nfile_size: 725126\npages: 9\nframe_ms: 33\nmovie_width: 468\n"
              "movie_height: 312\nmovie_bpp: 24\nvideo_compression: 16\naudio_format: 255\naudio_rate: 44100\n"
              "audio_bits: 16\naudio_block_align: 3840\naudio_chunk_count: 0\naudio_total: 0\n");
}

TEST(ToolInfo, FailuresAndBadArguments) {
    TempDir dir;
    write_bytes(dir / "words.txt", std::vector<unsigned char>(80, 'w'));
    std::string out, err;
    EXPECT_EQ(run_command(info_command(dir / "words.txt"), &out, &err), 1);
    EXPECT_EQ(err, "error -9: Unknown file format\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(run_command(info_command(dir / "absent.tif"), &out, &err), 1);
    EXPECT_EQ(err, "error -2: File not found\n");
    EXPECT_NE(run_command(tool_path().string() + " info", &out, &err), 0);
    EXPECT_NE(err.find("usage"), std::string::npos);
    EXPECT_NE(run_command(info_command(dir / "words.txt", " --no-such-option"), &out, &err), 0);
    EXPECT_NE(err.find("unknown option"), std::string::npos);
}

}  // namespace
