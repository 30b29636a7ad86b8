// glimra-tool decode of Targa files in every pixel order the image descriptor can
// name (rows bottom-up or top-down, each row left to right or right to left), raw
// and run-length, colour-mapped, true-colour and grey, compared with ffmpeg, which
// follows the descriptor as Truevision's format document gives it.
#include <gtest/gtest.h>

#include "test_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

constexpr int kWidth = 7, kHeight = 3;

// Pixels come in groups of three along the picture's rows, so that run packets
// repeat pixels and cross row ends, and no row reads the same mirrored.
int group_of(int x, int y) { return (y * kWidth + x) / 3; }

// Blue, green, red of a group; grey pictures alternate black and white groups.
void colour_of(int group, unsigned char bgr[3]) {
    bgr[0] = (unsigned char)(37 * group + 10);
    bgr[1] = (unsigned char)(90 * group + 50);
    bgr[2] = (unsigned char)(255 - 29 * group);
}

// One pixel as the file stores it, for `type` and `depth`.
Bytes stored_pixel(int type, int depth, int x, int y) {
    const int group = group_of(x, y);
    if (type == 1 || type == 9) return {(unsigned char)group};
    if (type == 3 || type == 11) return {(unsigned char)(group % 2 ? 255 : 0)};
    unsigned char c[3];
    colour_of(group, c);
    if (depth == 24) return {c[0], c[1], c[2]};
    if (depth == 32) return {c[0], c[1], c[2], 0x80};
    const unsigned v = (unsigned)(c[2] >> 3) << 10 | (unsigned)(c[1] >> 3) << 5 | (unsigned)(c[0] >> 3);
    return {(unsigned char)v, (unsigned char)(v >> 8)};
}

// Run-length packets: equal neighbours as repeat packets, others as literal packets.
Bytes run_length(const std::vector<Bytes>& pixels) {
    Bytes out;
    for (size_t i = 0; i < pixels.size();) {
        size_t j = i;
        while (j + 1 < pixels.size() && pixels[j + 1] == pixels[i] && j - i < 127) ++j;
        if (j > i) {
            out.push_back((unsigned char)(0x80 | (j - i)));
            out.insert(out.end(), pixels[i].begin(), pixels[i].end());
            i = j + 1;
            continue;
        }
        while (j + 1 < pixels.size() && pixels[j + 1] != pixels[j] && j - i < 127) ++j;
        if (j + 1 < pixels.size() && j > i && pixels[j + 1] == pixels[j]) --j;  // leave the pair to a repeat
        out.push_back((unsigned char)(j - i));
        for (size_t k = i; k <= j; ++k) out.insert(out.end(), pixels[k].begin(), pixels[k].end());
        i = j + 1;
    }
    return out;
}

// A 7 x 3 Targa file whose pixels are stored in the order `descriptor` names. Its
// identification field (which readers skip) keeps it above the 50 bytes identification
// asks of any file.
Bytes targa_file(int type, int depth, int descriptor) {
    const std::string id = "pixel order test, 32 bytes long.";
    Bytes b(18, 0);
    b[0] = (unsigned char)id.size();
    b[2] = (unsigned char)type;
    b[12] = kWidth;
    b[14] = kHeight;
    b[16] = (unsigned char)depth;
    b[17] = (unsigned char)descriptor;
    b.insert(b.end(), id.begin(), id.end());
    if (type == 1 || type == 9) {
        const int entries = group_of(kWidth - 1, kHeight - 1) + 1;
        b[1] = 1;
        b[5] = (unsigned char)entries;
        b[7] = 24;
        for (int g = 0; g < entries; ++g) {
            unsigned char c[3];
            colour_of(g, c);
            b.insert(b.end(), c, c + 3);
        }
    }
    std::vector<Bytes> pixels;
    for (int row = 0; row < kHeight; ++row)
        for (int i = 0; i < kWidth; ++i) {
            const int y = (descriptor & 0x20) ? row : kHeight - 1 - row;
            const int x = (descriptor & 0x10) ? kWidth - 1 - i : i;
            pixels.push_back(stored_pixel(type, depth, x, y));
        }
    if (type > 8) {
        const Bytes packets = run_length(pixels);
        b.insert(b.end(), packets.begin(), packets.end());
    } else {
        for (const Bytes& p : pixels) b.insert(b.end(), p.begin(), p.end());
    }
    return b;
}

// The P6 raster after a header without comments (ours and ffmpeg's).
Bytes raster(const fs::path& p) {
    const Bytes b = read_bytes(p);
    size_t i = 0;
    for (int fields = 0; fields < 4 && i < b.size(); ++fields) {
        while (i < b.size() && std::isspace(b[i])) ++i;
        while (i < b.size() && !std::isspace(b[i])) ++i;
    }
    return Bytes(b.begin() + (long)std::min(i + 1, b.size()), b.end());
}

// Largest sample difference between our decode of `file` and ffmpeg's, or -1.
int difference_from_ffmpeg(const fs::path& file, const TempDir& tmp) {
    const fs::path ours = tmp / "ours.ppm", ref = tmp / "ref.ppm";
    fs::remove(ours);
    fs::remove(ref);
    if (run_command(q(tool_path()) + " decode " + q(file) + " -o " + q(ours))) return -1;
    if (run_command("ffmpeg -loglevel error -y -i " + q(file) + " -pix_fmt rgb24 -f image2 -vcodec ppm " + q(ref)))
        return -1;
    const Bytes a = raster(ours), b = raster(ref);
    if (a.size() != b.size() || a.empty()) return -1;
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

}  // namespace

TEST(DecodeTarga, EveryPixelOrderMatchesFfmpeg) {
    SKIP_WITHOUT_PROGRAM("ffmpeg");
    struct Kind {
        int type, depth, tolerance;  // 5-bit colour travels as 5-6-5: within 8 levels
    };
    const Kind kinds[] = {{1, 8, 0},  {2, 16, 8}, {2, 24, 0}, {2, 32, 0}, {3, 8, 0},
                          {9, 8, 0},  {10, 16, 8}, {10, 24, 0}, {10, 32, 0}, {11, 8, 0}};
    TempDir tmp;
    for (const Kind& k : kinds)
        for (int descriptor : {0x00, 0x20, 0x10, 0x30}) {
            SCOPED_TRACE("type " + std::to_string(k.type) + ", depth " + std::to_string(k.depth) + ", descriptor " +
                         std::to_string(descriptor));
            const fs::path file = tmp / "order.tga";
            write_bytes(file, targa_file(k.type, k.depth, descriptor));
            const int diff = difference_from_ffmpeg(file, tmp);
            EXPECT_GE(diff, 0);
            EXPECT_LE(diff, k.tolerance);
        }
}

// The 60 x 40 gradient ImageMagick writes with a bottom-left origin: ImageMagick 6
// stores its rows top row first all the same, so by the format the first stored row
// (red) is the bottom one, as ffmpeg shows it.
TEST(DecodeTarga, ImageMagickGradientFollowsItsStoredOrigin) {
    SKIP_WITHOUT_PROGRAM("ffmpeg");
    SKIP_WITHOUT_PROGRAM("convert");
    TempDir tmp;
    const fs::path tga = tmp / "gradient.tga";
    ASSERT_EQ(run_command("convert -size 60x40 gradient:red-blue " + q(tga)), 0);
    const Bytes file = read_bytes(tga);
    ASSERT_GT(file.size(), 18u);
    ASSERT_EQ(file[17] & 0x30, 0) << "bottom-left origin expected";
    EXPECT_EQ(difference_from_ffmpeg(tga, tmp), 0);
    const Bytes ours = raster(tmp / "ours.ppm");
    ASSERT_EQ(ours.size(), 60u * 40u * 3u);
    EXPECT_GT(ours[2], ours[0]) << "the top row is the blue end";
    EXPECT_GT(ours[ours.size() - 3], ours[ours.size() - 1]) << "the bottom row is the red end";
}
