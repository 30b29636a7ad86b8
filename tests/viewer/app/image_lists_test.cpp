// The committed image-list bitmaps and the hand cursor: strip sizes, masks, distinct
// toolbar pictures in command-list order, the resource script's entries, the cursor's
// icon-directory layout, and that the generator script still makes the same bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "settings/command_list.h"
#include "test_support.h"

namespace {

using Rgb = std::array<uint8_t, 3>;

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // top-down rows
    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

uint32_t le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t le16(const std::vector<unsigned char>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

// Reads an uncompressed 24-bit bottom-up BMP; fails the test on anything else.
Bitmap read_bmp(const fs::path& path) {
    Bitmap bmp;
    const auto bytes = read_bytes(path);
    EXPECT_GE(bytes.size(), 54u) << path;
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M') {
        ADD_FAILURE() << path << " is not a BMP";
        return bmp;
    }
    const uint32_t offset = le32(bytes, 10);
    const int32_t width = static_cast<int32_t>(le32(bytes, 18));
    const int32_t height = static_cast<int32_t>(le32(bytes, 22));
    EXPECT_EQ(le16(bytes, 28), 24) << path;
    EXPECT_EQ(le32(bytes, 30), 0u) << path;
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    if (width <= 0 || height <= 0 || offset + stride * height > bytes.size()) {
        ADD_FAILURE() << path << " has a bad size";
        return bmp;
    }
    bmp.width = width;
    bmp.height = height;
    for (int y = 0; y < height; ++y) {
        const size_t row = offset + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const size_t p = row + 3 * static_cast<size_t>(x);
            bmp.pixels.push_back({bytes[p + 2], bytes[p + 1], bytes[p]});
        }
    }
    return bmp;
}

struct ListSpec {
    const char* name;
    int size;   // pictures are size x size
    int count;
    bool masked;
    Rgb mask;
};

constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kFace = {192, 192, 192};

// Picture sizes and masks as the viewer loads the lists; counts are what its uses index.
const ListSpec kLists[] = {
    {"ILIST1_BMP", 24, 80, false, kFace},
    {"ILIST4_BMP", 16, 8, true, kWhite},
    {"ILIST_VIDEO", 16, 2, true, kBlack},
    {"ILIST_TAGS", 16, 9, true, kBlack},
    {"ILIST_PRINT", 48, 7, true, kWhite},
    {"ILIST_BAD", 32, 1, true, kWhite},
    {"ILIST_KEYS", 16, 13, true, kWhite},
    {"ILIST_TAPNHOLD", 8, 2, true, kWhite},
    {"DIR_UP", 16, 1, false, kFace},
};

fs::path bitmap_path(const std::string& name) { return source_dir() / "resources" / "bitmaps" / (name + ".bmp"); }

std::vector<Rgb> picture(const Bitmap& strip, int size, int index) {
    std::vector<Rgb> out;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) out.push_back(strip.at(index * size + x, y));
    return out;
}

}  // namespace

TEST(ImageLists, EachStripHoldsItsPicturesSideBySide) {
    for (const ListSpec& list : kLists) {
        SCOPED_TRACE(list.name);
        const Bitmap strip = read_bmp(bitmap_path(list.name));
        EXPECT_EQ(strip.width, list.count * list.size);
        EXPECT_EQ(strip.height, list.size);
    }
}

// A masked picture needs a transparent surround and something opaque to show; every
// picture (inside the raised edge for the unmasked ones) must draw on a good part of
// its background, which for unmasked lists is the button face.
TEST(ImageLists, NoPictureIsBlankOrFullyTransparent) {
    for (const ListSpec& list : kLists) {
        const Bitmap strip = read_bmp(bitmap_path(list.name));
        if (strip.width != list.count * list.size || strip.height != list.size) continue;
        const int last = std::string(list.name) == "ILIST1_BMP" ? list.count - 1 : list.count;  // "Undefined"
        const int edge = list.masked ? 0 : 1;
        for (int i = 0; i < last; ++i) {
            SCOPED_TRACE(std::string(list.name) + " picture " + std::to_string(i));
            long background = 0, total = 0;
            for (int y = edge; y < list.size - edge; ++y)
                for (int x = edge; x < list.size - edge; ++x, ++total)
                    background += strip.at(i * list.size + x, y) == list.mask;
            if (list.masked) {
                EXPECT_GT(background, 0) << "no transparent pixel";
            }
            EXPECT_LT(background, total * 9 / 10) << "almost nothing drawn";
        }
    }
}

TEST(ImageLists, ToolbarPicturesAreDistinctAndUndefinedIsAnEmptyFace) {
    const Bitmap strip = read_bmp(bitmap_path("ILIST1_BMP"));
    ASSERT_EQ(strip.width, 80 * 24);
    std::vector<std::vector<Rgb>> seen;
    for (int i = 0; i < kCommandCount; ++i) seen.push_back(picture(strip, 24, i));
    for (int i = 0; i < kCommandCount; ++i)
        for (int j = i + 1; j < kCommandCount; ++j)
            EXPECT_NE(seen[i], seen[j]) << "toolbar pictures " << i << " and " << j << " are the same";
    // Inside its raised edge the "Undefined" button is plain face colour.
    for (int y = 1; y < 23; ++y)
        for (int x = 1; x < 23; ++x) ASSERT_EQ(strip.at(kUndefinedIndex * 24 + x, y), kFace) << x << "," << y;
    // Every picture sits on the same raised button face: white top edge, grey bottom edge.
    for (int i = 0; i < kCommandCount; ++i) {
        EXPECT_EQ(strip.at(i * 24 + 5, 0), kWhite) << i;
        EXPECT_EQ(strip.at(i * 24 + 5, 23), (Rgb{128, 128, 128})) << i;
    }
}

// Tag icons are drawn over images and thumbnails; the nine must tell apart.
TEST(ImageLists, TagIconsAreDistinct) {
    const Bitmap strip = read_bmp(bitmap_path("ILIST_TAGS"));
    ASSERT_EQ(strip.width, 9 * 16);
    std::set<std::vector<Rgb>> icons;
    for (int i = 0; i < 9; ++i) icons.insert(picture(strip, 16, i));
    EXPECT_EQ(icons.size(), 9u);
}

// Toolbar picture i shows command CommandList[i]: the generator's list must match.
TEST(ImageLists, GeneratorDrawsInCommandListOrder) {
    std::ifstream in(source_dir() / "resources" / "bitmaps" / "make_image_lists.py");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    const std::string source = text.str();
    const auto start = source.find("COMMANDS = [");
    ASSERT_NE(start, std::string::npos);
    const std::string list = source.substr(start, source.find(']', start) - start);
    std::vector<int> ids;
    const std::regex number("\\d{5}");
    for (auto it = std::sregex_iterator(list.begin(), list.end(), number); it != std::sregex_iterator(); ++it)
        ids.push_back(std::stoi(it->str()));
    ASSERT_EQ(ids.size(), static_cast<size_t>(kCommandCount));
    for (int i = 0; i < kCommandCount; ++i) EXPECT_EQ(ids[i], CommandList[i]) << "position " << i;
}

TEST(ImageLists, ResourceScriptNamesEveryBitmapAndTheCursor) {
    std::ifstream in(source_dir() / "resources" / "glimra.rc");
    ASSERT_TRUE(in);
    std::stringstream text;
    text << in.rdbuf();
    const std::string rc = text.str();
    for (const ListSpec& list : kLists) {
        const std::string line = std::string(list.name) + " BITMAP \"bitmaps/" + list.name + ".bmp\"";
        EXPECT_NE(rc.find(line), std::string::npos) << "missing: " << line;
    }
    EXPECT_NE(rc.find("HAND CURSOR \"cursors/HAND.cur\""), std::string::npos);
}

// Icon directory (type 2 = cursor) with one 32 x 32 entry whose planes and bit-count
// fields carry the hot spot, then a 1-bit DIB of double height (XOR mask over AND mask).
TEST(HandCursor, IsA32By32CursorWithItsHotSpotOnTheHand) {
    const auto bytes = read_bytes(source_dir() / "resources" / "cursors" / "HAND.cur");
    ASSERT_GE(bytes.size(), 22u + 40u);
    EXPECT_EQ(le16(bytes, 0), 0);
    EXPECT_EQ(le16(bytes, 2), 2);
    EXPECT_EQ(le16(bytes, 4), 1);
    EXPECT_EQ(bytes[6], 32);
    EXPECT_EQ(bytes[7], 32);
    const int hot_x = le16(bytes, 10), hot_y = le16(bytes, 12);
    EXPECT_LT(hot_x, 32);
    EXPECT_LT(hot_y, 32);
    const uint32_t size = le32(bytes, 14), offset = le32(bytes, 18);
    ASSERT_EQ(offset + size, bytes.size());
    EXPECT_EQ(le32(bytes, offset), 40u);
    EXPECT_EQ(static_cast<int32_t>(le32(bytes, offset + 4)), 32);
    EXPECT_EQ(static_cast<int32_t>(le32(bytes, offset + 8)), 64);
    EXPECT_EQ(le16(bytes, offset + 14), 1);
    const size_t xor_mask = offset + 40 + 8, and_mask = xor_mask + 32 * 4;
    ASSERT_EQ(and_mask + 32 * 4, bytes.size());
    // Rows are bottom-up; a 0 AND bit is an opaque pixel.
    auto opaque = [&](int x, int y) { return (bytes[and_mask + (31 - y) * 4 + x / 8] & (0x80 >> (x % 8))) == 0; };
    EXPECT_TRUE(opaque(hot_x, hot_y)) << "hot spot off the hand";
    EXPECT_TRUE(opaque(hot_x - 2, hot_y) && opaque(hot_x + 2, hot_y) && opaque(hot_x, hot_y + 2))
        << "hot spot not inside the palm";
    EXPECT_FALSE(opaque(0, 0));
    EXPECT_FALSE(opaque(31, 31));
}

// The committed files are the generator's output: regenerate and compare byte for byte.
TEST(ImageLists, GeneratorReproducesTheCommittedFiles) {
    SKIP_WITHOUT_PROGRAM("python3");
    TempDir tmp;
    const fs::path out = tmp / "bitmaps";
    fs::create_directories(out);
    const fs::path scripts = source_dir() / "resources" / "bitmaps";
    std::string err;
    ASSERT_EQ(run_command("cd '" + scripts.string() + "' && python3 -B make_image_lists.py --out '" + out.string() + "'",
                          nullptr, &err), 0) << err;
    for (const ListSpec& list : kLists)
        EXPECT_EQ(read_bytes(out / (std::string(list.name) + ".bmp")), read_bytes(bitmap_path(list.name))) << list.name;
    EXPECT_EQ(read_bytes(tmp / "cursors" / "HAND.cur"), read_bytes(source_dir() / "resources" / "cursors" / "HAND.cur"));
}
