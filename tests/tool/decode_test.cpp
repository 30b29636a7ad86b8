// glimra-tool decode: pixels compared with ImageMagick on the sample corpus and on
// files ImageMagick writes here, page selection, and error reporting.
#include <gtest/gtest.h>

#include <cstdlib>

#include "test_support.h"

namespace {

struct Ppm {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};

// Parses a binary P6 with maxval 255; empty on anything else.
Ppm parse_ppm(const std::vector<unsigned char>& b) {
    Ppm p;
    size_t pos = 0;
    auto token = [&]() {
        std::string t;
        for (;;) {  // blanks and comment lines
            while (pos < b.size() && std::isspace(b[pos])) ++pos;
            if (pos >= b.size() || b[pos] != '#') break;
            while (pos < b.size() && b[pos] != '\n') ++pos;
        }
        while (pos < b.size() && !std::isspace(b[pos])) t += (char)b[pos++];
        return t;
    };
    if (token() != "P6") return {};
    p.width = std::atoi(token().c_str());
    p.height = std::atoi(token().c_str());
    if (token() != "255") return {};
    ++pos;
    p.rgb.assign(b.begin() + (long)std::min(pos, b.size()), b.end());
    if (p.rgb.size() != (size_t)p.width * p.height * 3) return {};
    return p;
}

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

// Our decode of `file` (page `page`) and ImageMagick's reading of it with `im_ops`.
bool decode_both(const fs::path& file, const TempDir& tmp, Ppm* ours, Ppm* theirs, const std::string& im_ops = "",
                 int page = 0) {
    const fs::path a = tmp / "ours.ppm", b = tmp / "theirs.ppm";
    std::string err;
    if (run_command(q(tool_path()) + " decode " + q(file) + " --page " + std::to_string(page) + " -o " + q(a),
                    nullptr, &err) != 0) {
        ADD_FAILURE() << file << ": " << err;
        return false;
    }
    const std::string im_input = q(file.string() + "[" + std::to_string(page) + "]");
    if (run_command("convert " + im_input + " " + im_ops + " -depth 8 ppm:" + q(b)) != 0) {
        ADD_FAILURE() << "ImageMagick cannot read " << file;
        return false;
    }
    *ours = parse_ppm(read_bytes(a));
    *theirs = parse_ppm(read_bytes(b));
    return true;
}

// Largest difference of any sample; -1 when the sizes differ.
int max_difference(const Ppm& a, const Ppm& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.empty()) return -1;
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) worst = std::max(worst, std::abs(a.rgb[i] - b.rgb[i]));
    return worst;
}

void expect_match(const fs::path& file, int tolerance, const std::string& im_ops = "", int page = 0) {
    TempDir tmp;
    Ppm ours, theirs;
    if (!decode_both(file, tmp, &ours, &theirs, im_ops, page)) return;
    EXPECT_EQ(ours.width, theirs.width) << file;
    EXPECT_EQ(ours.height, theirs.height) << file;
    const int diff = max_difference(ours, theirs);
    EXPECT_GE(diff, 0) << file;
    EXPECT_LE(diff, tolerance) << file;
}

int run_tool(const std::string& args, std::string* err = nullptr) {
    return run_command(q(tool_path()) + " " + args, nullptr, err);
}

}  // namespace

TEST(DecodeTool, LosslessCorpusFilesMatchImageMagickExactly) {
    SKIP_WITHOUT_PROGRAM("convert");
    if (corpus_dir().empty() || !fs::exists(corpus_dir())) GTEST_SKIP() << "no sample corpus";
    const char* files[] = {"bmp/pal1.bmp",           "bmp/pal4.bmp",         "bmp/pal8.bmp",
                           "bmp/pal8os2_core.bmp",   "bmp/pal8topdown.bmp",  "bmp/pal8v5.bmp",
                           "bmp/rgb16_565.bmp",      "bmp/rgb24.bmp",        "bmp/rgb32.bmp",
                           "pcx/cga_mono_640x200.pcx", "pcx/ega_4planes.pcx", "pcx/hopper.dcx",
                           "pcx/mono_1plane_rle.pcx", "pcx/rgb24_3planes.pcx", "tga/ccm8.tga",
                           "tga/ctc24.tga",          "tga/ucm8.tga",         "tga/utc24.tga",
                           "tga/utc32.tga",          "bmp/pal4rle.bmp",      "bmp/pal8rle.bmp",
                           "tiff/copyleft_packbits.tiff"};
    int compared = 0;
    for (const char* name : files) {
        const fs::path f = corpus_file(name);
        if (f.empty()) continue;
        expect_match(f, 0);
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "corpus files absent";
}

TEST(DecodeTool, FiveBitColourAndGreyTargaFollowTheLibraryForms) {
    SKIP_WITHOUT_PROGRAM("convert");
    // 5-5-5 pixels travel as 5-6-5: green is widened from six bits, within 4 levels.
    for (const char* name : {"bmp/rgb16_555.bmp", "tga/utc16.tga"})
        if (const fs::path f = corpus_file(name); !f.empty()) expect_match(f, 4);
    // Grey Targa pages are bilevel: every non-zero grey is white.
    for (const char* name : {"tga/cbw8.tga", "tga/ubw8.tga"})
        if (const fs::path f = corpus_file(name); !f.empty()) expect_match(f, 0, "-threshold 0");
}

TEST(DecodeTool, FilesWrittenByImageMagickMatch) {
    SKIP_WITHOUT_PROGRAM("convert");
    TempDir tmp;
    const fs::path src = tmp / "src.ppm";
    ASSERT_EQ(run_command("convert -size 37x23 -seed 4 plasma:red-blue -depth 8 ppm:" + q(src)), 0);
    struct Case {
        const char* name;
        const char* options;
        int tolerance;
        const char* im_ops;
    };
    const Case cases[] = {
        {"mono.bmp", "-type bilevel", 0, ""},
        {"c16.bmp", "-colors 16 -type palette -compress none", 0, ""},
        {"c256.bmp", "-colors 200 -type palette -compress none", 0, ""},
        {"rgb.bmp", "-type truecolor", 0, ""},
        {"rgba.bmp", "-type truecoloralpha -define bmp:format=bmp4 -alpha set", 0, "-alpha off"},
        {"os2.bmp2", "-colors 100 -type palette", 0, ""},
        {"r565.bmp", "-define bmp:subtype=RGB565", 4, ""},
        {"r555.bmp", "-define bmp:subtype=RGB555", 4, ""},
        {"mono.pcx", "-type bilevel", 0, ""},
        {"c256.pcx", "-colors 200 -type palette", 0, ""},
        {"rgb.pcx", "-type truecolor", 0, ""},
        {"raw8.tga", "-orient TopLeft -colors 100 -type palette -compress none", 0, ""},
        {"rle8.tga", "-orient TopLeft -colors 100 -type palette -compress rle", 0, ""},
        {"raw24.tga", "-orient TopLeft -type truecolor -compress none", 0, ""},
        {"rle24.tga", "-orient TopLeft -type truecolor -compress rle", 0, ""},
        {"raw32.tga", "-orient TopLeft -type truecoloralpha -alpha set -compress none", 0, "-alpha off"},
        {"rle32.tga", "-orient TopLeft -type truecoloralpha -alpha set -compress rle", 0, "-alpha off"},
        {"grey.tga", "-orient TopLeft -colorspace gray -type grayscale -compress none", 0, "-threshold 0"},
        {"greyrle.tga", "-orient TopLeft -colorspace gray -type grayscale -compress rle", 0, "-threshold 0"},
    };
    for (const Case& c : cases) {
        std::string name = c.name, prefix;
        if (name.size() > 5 && name.substr(name.size() - 5) == ".bmp2") {
            prefix = "BMP2:";
            name = name.substr(0, name.size() - 1);
        }
        const fs::path out = tmp / name;
        ASSERT_EQ(run_command("convert " + q(src) + " " + c.options + " " + prefix + q(out)), 0) << c.name;
        SCOPED_TRACE(c.name);
        expect_match(out, c.tolerance, c.im_ops);
    }
}

// ImageMagick 6 reads back its own bottom-up Targa files upside down; ffmpeg
// serves as the reference for that row order.
TEST(DecodeTool, BottomUpTargaMatchesFfmpeg) {
    SKIP_WITHOUT_PROGRAM("convert");
    SKIP_WITHOUT_PROGRAM("ffmpeg");
    TempDir tmp;
    const fs::path tga = tmp / "up.tga", ref = tmp / "ref.ppm", ours = tmp / "ours.ppm";
    ASSERT_EQ(run_command("convert -size 21x13 -seed 2 plasma: -orient BottomLeft -type truecolor -compress rle " +
                          q(tga)),
              0);
    ASSERT_EQ(run_command("ffmpeg -loglevel error -y -i " + q(tga) + " -f image2 -vcodec ppm " + q(ref)), 0);
    ASSERT_EQ(run_tool("decode " + q(tga) + " -o " + q(ours)), 0);
    const Ppm a = parse_ppm(read_bytes(ours)), b = parse_ppm(read_bytes(ref));
    EXPECT_EQ(max_difference(a, b), 0);
}

TEST(DecodeTool, DcxPagesAndPageErrors) {
    SKIP_WITHOUT_PROGRAM("convert");
    TempDir tmp;
    const fs::path dcx = tmp / "two.dcx";
    ASSERT_EQ(run_command("convert -size 20x10 gradient:white-black -size 31x7 xc:red -colors 50 DCX:" + q(dcx)), 0);
    expect_match(dcx, 0, "", 0);
    expect_match(dcx, 0, "", 1);
    std::string err;
    const fs::path out = tmp / "none.ppm";
    EXPECT_EQ(run_tool("decode " + q(dcx) + " --page 2 -o " + q(out), &err), 1);
    EXPECT_NE(err.find("error -10: Page not found"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(out));
}

TEST(InfoPages, OneLinePerPage) {
    SKIP_WITHOUT_PROGRAM("convert");
    TempDir tmp;
    const fs::path dcx = tmp / "two.dcx";
    ASSERT_EQ(run_command("convert -size 20x10 xc:white -size 31x7 gradient: -monochrome DCX:" + q(dcx)), 0);
    std::string out;
    ASSERT_EQ(run_command(q(tool_path()) + " info " + q(dcx) + " --pages", &out), 0);
    EXPECT_NE(out.find("pages: 2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("page 0: width=20 height=10 bpp="), std::string::npos) << out;
    EXPECT_NE(out.find("page 1: width=31 height=7 bpp=1 compression=5 x_dpi="), std::string::npos) << out;
    EXPECT_EQ(out.find("page 2:"), std::string::npos) << out;
}

TEST(DecodeTool, BadArgumentsAndUnreadableFiles) {
    TempDir tmp;
    std::string err;
    EXPECT_EQ(run_tool("decode " + q(tmp / "missing.pcx") + " -o " + q(tmp / "x.ppm"), &err), 1);
    EXPECT_NE(err.find("error -2:"), std::string::npos) << err;
    EXPECT_EQ(run_tool("decode " + q(tmp / "missing.pcx"), &err), 1);  // no output named
    EXPECT_EQ(run_tool("decode a.pcx --page x -o b.ppm", &err), 1);
    // A PCX whose data stops before the last row.
    std::vector<unsigned char> pcx(128, 0);
    pcx[0] = 0x0A, pcx[1] = 5, pcx[2] = 1, pcx[3] = 8, pcx[8] = 9, pcx[10] = 9, pcx[65] = 1, pcx[66] = 10;
    pcx.resize(pcx.size() + 50 + 769, 0x11);  // 100 pixels need 100 bytes
    write_bytes(tmp / "cut.pcx", pcx);
    EXPECT_EQ(run_tool("decode " + q(tmp / "cut.pcx") + " -o " + q(tmp / "cut.ppm"), &err), 1);
    EXPECT_NE(err.find("error -4:"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(tmp / "cut.ppm"));
}
