// glimra-tool decode and render with page operations applied after decoding,
// compared with ImageMagick doing the same to the same picture.
#include <gtest/gtest.h>

#include <sstream>

#include "test_support.h"

namespace {

struct Ppm {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

// Reads a binary PPM (P6, maxval 255) as both tools write it.
Ppm read_ppm(const fs::path& path) {
    const auto bytes = read_bytes(path);
    Ppm p;
    std::string header(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
    std::istringstream in(header);
    std::string magic;
    int maxval = 0;
    in >> magic >> p.width >> p.height >> maxval;
    if (magic != "P6" || maxval != 255) return Ppm{};
    const size_t start = (size_t)in.tellg() + 1;
    p.rgb.assign(bytes.begin() + (long)start, bytes.end());
    return p;
}

class PageOpsTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (!have_program("convert")) GTEST_SKIP() << "ImageMagick not installed";
        source_ = (dir_ / "picture.bmp").string();
        // A picture with no symmetry, so every turn and mirror shows.
        ASSERT_EQ(run_command("convert -size 23x17 gradient:red-blue -fill lime -draw 'rectangle 2,3 8,6' "
                              "-fill yellow -draw 'point 20,1' -type TrueColor BMP3:" + source_),
                  0);
    }

    // Output of glimra-tool decode with `ops`, and the status it ended with.
    int ours(const std::string& ops, Ppm* out, const std::string& file = "") {
        const fs::path ppm = dir_ / "ours.ppm";
        std::string err;
        const int rc = run_command(tool_path().string() + " decode " + (file.empty() ? source_ : file) + " " + ops +
                                       " -o " + ppm.string(), nullptr, &err);
        if (rc == 0) *out = read_ppm(ppm);
        last_error_ = err;
        return rc;
    }

    Ppm theirs(const std::string& ops, const std::string& file = "") {
        const fs::path ppm = dir_ / "theirs.ppm";
        EXPECT_EQ(run_command("convert " + (file.empty() ? source_ : file) + " " + ops + " -depth 8 ppm:" + ppm.string()), 0);
        return read_ppm(ppm);
    }

    void expect_same(const Ppm& a, const Ppm& b, const std::string& what) {
        EXPECT_EQ(a.width, b.width) << what;
        EXPECT_EQ(a.height, b.height) << what;
        EXPECT_TRUE(a.rgb == b.rgb) << what;
    }

    TempDir dir_;
    std::string source_, last_error_;
};

}  // namespace

TEST_F(PageOpsTool, TurnsMirrorsAndInvertMatchImageMagick) {
    Ppm out;
    ASSERT_EQ(ours("--op 1", &out), 0) << last_error_;
    expect_same(out, theirs("-rotate 90"), "turn 90");
    ASSERT_EQ(ours("--op 5 --op 6", &out), 0);  // 180 degrees
    expect_same(out, theirs("-rotate 180"), "turn 180");
    ASSERT_EQ(ours("--op 1 --op 5 --op 6", &out), 0);  // 270 degrees
    expect_same(out, theirs("-rotate 270"), "turn 270");
    ASSERT_EQ(ours("--op 5", &out), 0);
    expect_same(out, theirs("-flop"), "mirror");
    ASSERT_EQ(ours("--op 4", &out), 0);
    expect_same(out, theirs("-negate"), "invert");
}

TEST_F(PageOpsTool, CropAndResizeInOrder) {
    Ppm out;
    ASSERT_EQ(ours("--crop 3,2,10,9", &out), 0) << last_error_;
    expect_same(out, theirs("-crop 10x9+3+2 +repage"), "crop");
    ASSERT_EQ(ours("--op 1 --crop 1,4,6,5", &out), 0);
    expect_same(out, theirs("-rotate 90 -crop 6x5+1+4 +repage"), "turn then crop");
    ASSERT_EQ(ours("--resize 46,34", &out), 0);
    EXPECT_EQ(out.width, 46);
    EXPECT_EQ(out.height, 34);
    // Doubling keeps every pixel: each source pixel becomes a 2 x 2 block.
    const Ppm src = theirs("");
    for (int y = 0; y < 34; ++y)
        for (int x = 0; x < 46; ++x)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(out.rgb[(size_t)(y * 46 + x) * 3 + c], src.rgb[(size_t)((y / 2) * 23 + x / 2) * 3 + c]);
}

TEST_F(PageOpsTool, RefusalsAndBadValues) {
    Ppm out;
    EXPECT_EQ(ours("--crop 20,0,10,5", &out), 1);  // past the right edge
    EXPECT_EQ(last_error_, "error -6: Invalid parameter\n");
    EXPECT_EQ(ours("--resize 32768,10", &out), 1);
    EXPECT_EQ(last_error_, "error -6: Invalid parameter\n");
    EXPECT_EQ(ours("--op 1:x", &out), 1);
    EXPECT_NE(last_error_.find("bad value for --op"), std::string::npos) << last_error_;
    EXPECT_EQ(ours("--crop 1,2,3", &out), 1);
    EXPECT_EQ(ours("--redeye", &out), 1);
}

TEST_F(PageOpsTool, RenderAppliesOperationsBeforeDrawing) {
    const fs::path ppm = dir_ / "render.ppm";
    ASSERT_EQ(run_command(tool_path().string() + " render " + source_ + " --op 1 --size 17,23 --scale 256 -o " +
                          ppm.string()),
              0);
    expect_same(read_ppm(ppm), theirs("-rotate 90"), "render after turn");
}

TEST_F(PageOpsTool, CompositeDrawsGifFramesOnTheLogicalScreen) {
    const std::string gif = (dir_ / "anim.gif").string();
    // Three frames sharing one colour table of more than 16 colours (8-bit frames):
    // a full background, then two smaller frames placed on it, the last with a
    // transparent colour; ImageMagick's -coalesce shows the composed screens.
    ASSERT_EQ(run_command("convert -size 12x10 gradient:navy-teal "
                          "\\( -size 4x3 gradient:red-orange -repage +2+1 \\) "
                          "\\( -size 5x4 gradient:yellow-green -fill white -draw 'point 1,1' -transparent white "
                          "-repage +6+5 \\) -set dispose none +map -loop 0 " + gif),
              0);
    Ppm out;
    const int rc = ours("--page 2 --composite", &out, gif);
    ASSERT_EQ(rc, 0) << last_error_;
    expect_same(out, theirs("-coalesce -delete 0-1", gif), "frame 2 composed");
    ASSERT_EQ(ours("--page 1 --composite", &out, gif), 0);
    expect_same(out, theirs("-coalesce -delete 0,2", gif), "frame 1 composed");
}
