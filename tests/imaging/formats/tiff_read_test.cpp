// Tests of the TIFF directory reader on directories built byte by byte: value readers
// in both byte orders, depths, texts, photometric sense and palettes, strip layouts
// and their bounds, and the owned blue-green-red copy of 24-bit pages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/tiff/tiff.h"
#include "tiff_test_builder.h"

namespace {

// A page of `width` x `height` at `depth` bits with its pixel bytes as one strip.
std::vector<uint8_t> simple_page(bool big, uint32_t width, uint32_t height, uint16_t depth,
                                 uint16_t compression, uint16_t photometric,
                                 const std::vector<uint8_t>& pixels) {
    TiffBuilder b(big);
    const uint32_t at = b.blob(pixels);
    b.longs(256, {width});
    b.shorts(257, {(uint16_t)height});
    b.shorts(258, {depth});
    b.shorts(259, {compression});
    b.shorts(262, {photometric});
    b.longs(273, {at});
    b.longs(279, {(uint32_t)pixels.size()});
    return b.build();
}

// Reads the first directory of its own copy of the bytes, which the page borrows.
struct ReadPage {
    std::vector<uint8_t> bytes;
    PageBitmap page;
    int rc;
    explicit ReadPage(std::vector<uint8_t> b) : bytes(std::move(b)) { rc = tiff_read_bytes(bytes, &page); }
    ~ReadPage() { release_page(&page); }
};

TEST(TiffRead, ValueReadersFollowTheEntryType) {
    TiffEntry e{256, TIFF_TYPE_SHORT, 1, 0x12345678, 0x1234};
    EXPECT_EQ(tiff_entry_value(e), 0x1234u);
    e.type = TIFF_TYPE_LONG;
    EXPECT_EQ(tiff_entry_value(e), 0x12345678u);
    e.type = TIFF_TYPE_BYTE;
    EXPECT_EQ(tiff_entry_value(e), 0u);
    e.count = 3;  // several values: the field is their offset, whatever the type
    EXPECT_EQ(tiff_entry_value(e), 0x12345678u);
    const uint8_t bytes[] = {1, 2, 3, 4};
    uint32_t v = 0;
    EXPECT_TRUE(tiff_u32(TiffBytes{bytes, 4, true}, 0, &v));
    EXPECT_EQ(v, 0x01020304u);
    EXPECT_TRUE(tiff_u32(TiffBytes{bytes, 4, false}, 0, &v));
    EXPECT_EQ(v, 0x04030201u);
    EXPECT_FALSE(tiff_u32(TiffBytes{bytes, 4, false}, 1, &v));
    uint16_t s = 0;
    EXPECT_FALSE(tiff_u16(TiffBytes{bytes, 4, false}, UINT32_MAX, &s));
}

TEST(TiffRead, BigEndianTwinGivesTheSamePage) {
    const std::vector<uint8_t> pixels = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA};
    for (uint16_t depth : {4, 8}) {
        ReadPage le(simple_page(false, 3, 2, depth, 1, 1, pixels));
        ReadPage be(simple_page(true, 3, 2, depth, 1, 1, pixels));
        ASSERT_EQ(le.rc, 0);
        ASSERT_EQ(be.rc, 0);
        EXPECT_EQ(le.page.width, be.page.width);
        EXPECT_EQ(le.page.height, be.page.height);
        EXPECT_EQ(le.page.bits_per_pixel, depth);
        EXPECT_EQ(be.page.bits_per_pixel, depth);
        EXPECT_EQ(le.page.data_length, be.page.data_length);
        EXPECT_EQ(le.page.pitch, be.page.pitch);
        EXPECT_EQ(0, memcmp(le.page.data + le.page.data_offset, be.page.data + be.page.data_offset,
                            pixels.size()));
        ASSERT_NE(le.page.palette, nullptr);
        ASSERT_NE(be.page.palette, nullptr);
        EXPECT_EQ(0, memcmp(le.page.palette, be.page.palette, 768));
    }
}

TEST(TiffRead, DepthsFromBitsPerSample) {
    auto with_bits = [](const std::vector<uint16_t>& bits, uint16_t photometric) {
        TiffBuilder b(false);
        const uint32_t at = b.blob(std::vector<uint8_t>(48, 0));
        b.longs(256, {4});
        b.longs(257, {4});
        b.shorts(258, bits);
        b.shorts(262, {photometric});
        b.longs(273, {at});
        b.longs(279, {48});
        return b.build();
    };
    ReadPage rgb(with_bits({8, 8, 8}, 2));
    EXPECT_EQ(rgb.rc, 0);
    EXPECT_EQ(rgb.page.bits_per_pixel, 24);
    EXPECT_EQ(rgb.page.pitch, 12);
    ReadPage rgb_one_count(with_bits({8}, 2));  // RGB with one BitsPerSample value
    EXPECT_EQ(rgb_one_count.rc, 0);
    EXPECT_EQ(rgb_one_count.page.bits_per_pixel, 24);
    EXPECT_EQ(rgb_one_count.page.pitch, 12);
    EXPECT_EQ(ReadPage(with_bits({16, 16, 16}, 2)).rc, ERR_UNSUPPORTED);
    EXPECT_EQ(ReadPage(with_bits({8, 8, 8, 8}, 2)).rc, ERR_UNSUPPORTED);
    EXPECT_EQ(ReadPage(with_bits({2}, 1)).rc, ERR_UNSUPPORTED);
    EXPECT_EQ(ReadPage(with_bits({16}, 1)).rc, ERR_UNSUPPORTED);
}

TEST(TiffRead, TextsAreCutTo127CharactersAndShortOnesComeFromTheValueField) {
    TiffBuilder b(true);
    b.longs(256, {1});
    b.longs(257, {1});
    b.ascii(270, std::string(300, 'd'));
    b.ascii(271, "Acme");   // 5 bytes with its NUL: stored at an offset
    b.ascii(272, "XY");     // 3 bytes: inside the value field
    b.ascii(305, "Scan");   // Software replaces Make
    ReadPage r(b.build());
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(std::string(r.page.description), std::string(127, 'd'));
    EXPECT_EQ(std::string(r.page.maker), "Scan");
    EXPECT_EQ(std::string(r.page.model), "XY");
}

TEST(TiffRead, TextRunningPastTheFileIsCut) {
    TiffBuilder b(false);
    b.longs(256, {1});
    b.longs(257, {1});
    std::vector<uint8_t> bytes;
    {
        b.entry(270, TIFF_TYPE_ASCII, 100, 0);  // offset patched below
        bytes = b.build();
    }
    // Point the text at the last 3 bytes of the file.
    const uint32_t dir = tiff_first_directory(bytes);
    for (int i = 0; i < 3; ++i) bytes.push_back('a' + i);
    const uint32_t at = (uint32_t)bytes.size() - 3;
    for (int i = 0; i < 4; ++i) bytes[dir + 2 + 12 * 2 + 8 + i] = (uint8_t)(at >> (8 * i));
    ReadPage r(bytes);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(std::string(r.page.description), "abc");
}

TEST(TiffRead, BilevelSenseFollowsPhotometricAndCompression) {
    struct Case {
        uint16_t compression, photometric;
        int black_is_one;
        int code;
    } cases[] = {
        {1, 1, 0, COMP_NONE},     {1, 0, 1, COMP_NONE},     {32773, 1, 0, COMP_PACKBITS},
        {32773, 0, 1, COMP_PACKBITS}, {4, 1, 1, COMP_G4},   {4, 0, 0, COMP_G4},
        {2, 0, 0, COMP_HUFFMAN},  {5, 1, 1, COMP_LZW_TIFF},
    };
    for (const Case& c : cases) {
        ReadPage r(simple_page(false, 8, 1, 1, c.compression, c.photometric, {0xF0}));
        ASSERT_EQ(r.rc, 0);
        EXPECT_EQ(r.page.compression, c.code) << c.compression;
        EXPECT_EQ(r.page.black_is_one, c.black_is_one) << c.compression << "/" << c.photometric;
        EXPECT_EQ(r.page.palette, nullptr);
    }
}

TEST(TiffRead, BilevelPaletteTakesTheDarkerEntryAsBlack) {
    auto page = [](uint16_t grey0, uint16_t grey1) {
        TiffBuilder b(false);
        const uint32_t at = b.blob({0xAA});
        b.longs(256, {8});
        b.longs(257, {1});
        b.shorts(262, {3});
        b.longs(273, {at});
        b.longs(279, {1});
        b.shorts(320, {grey0, grey1, grey0, grey1, grey0, grey1});
        return b.build();
    };
    ReadPage dark_first(page(0, 65535));
    ReadPage light_first(page(65535, 0));
    EXPECT_EQ(dark_first.page.black_is_one, 0);  // set bits are the light entry
    EXPECT_EQ(light_first.page.black_is_one, 1);
}

TEST(TiffRead, CompressionMapping) {
    const std::pair<uint16_t, int> map[] = {{1, 0}, {2, 7}, {3, 1}, {4, 3}, {5, 8},
                                            {6, 10}, {7, 10}, {32773, 6}, {9, 0}, {34712, 0}};
    for (auto [tiff, code] : map) {
        ReadPage r(simple_page(true, 8, 1, 1, tiff, 0, {0}));
        ASSERT_EQ(r.rc, 0);
        EXPECT_EQ(r.page.compression, code) << tiff;
    }
    TiffBuilder b(false);
    b.longs(256, {8});
    b.longs(257, {1});
    b.shorts(259, {3});
    b.longs(292, {5});  // 2-D coding with fill bits
    b.shorts(266, {2});
    b.shorts(317, {2});
    ReadPage g3(b.build());
    EXPECT_EQ(g3.page.compression, COMP_G3_2D);
    EXPECT_EQ(g3.page.fill_order, 1);
    EXPECT_EQ(g3.page.layout, LAYOUT_TOP_DOWN | LAYOUT_PREDICTOR);
}

TEST(TiffRead, GreyPalettes) {
    ReadPage four(simple_page(false, 2, 1, 4, 1, 1, {0x1F}));
    ASSERT_NE(four.page.palette, nullptr);
    EXPECT_EQ(four.page.palette[3 * 1], 17);
    EXPECT_EQ(four.page.palette[3 * 15 + 2], 255);
    ReadPage inverted(simple_page(false, 1, 1, 8, 1, 0, {0}));
    ASSERT_NE(inverted.page.palette, nullptr);
    EXPECT_EQ(inverted.page.palette[0], 255);
    EXPECT_EQ(inverted.page.palette[3 * 255 + 1], 0);
    EXPECT_EQ(inverted.page.black_is_one, 0);
}

std::vector<uint8_t> palette_page(bool big, const std::vector<uint16_t>& map, bool map_in_file = true) {
    TiffBuilder b(big);
    const uint32_t at = b.blob({0x01});
    b.longs(256, {2});
    b.longs(257, {1});
    b.shorts(258, {4});
    b.shorts(262, {3});
    b.longs(273, {at});
    b.longs(279, {1});
    if (map_in_file) b.shorts(320, map);
    else b.entry(320, TIFF_TYPE_SHORT, (uint32_t)map.size(), 0x7FFFFFF0);
    return b.build();
}

TEST(TiffRead, ColorMapBecomesBlueGreenRedPalette) {
    std::vector<uint16_t> map(48, 0);
    map[1] = 0xFF00;        // red of entry 1
    map[16 + 1] = 0x8000;   // green of entry 1
    map[32 + 1] = 0x1234;   // blue of entry 1
    map[2] = 200;           // small values of a 16-bit map scale down as well
    for (bool big : {false, true}) {
        ReadPage r(palette_page(big, map));
        ASSERT_EQ(r.rc, 0);
        ASSERT_NE(r.page.palette, nullptr);
        EXPECT_EQ(r.page.palette[3], 0x12);
        EXPECT_EQ(r.page.palette[4], 0x80);
        EXPECT_EQ(r.page.palette[5], 0xFF);
        EXPECT_EQ(r.page.palette[8], 0);
    }
    // A map written with 8-bit values (all below 256) keeps them.
    std::vector<uint16_t> small(48, 0);
    for (int i = 0; i < 48; ++i) small[i] = (uint16_t)(5 * i);
    ReadPage eight(palette_page(false, small));
    ASSERT_NE(eight.page.palette, nullptr);
    EXPECT_EQ(eight.page.palette[3 * 2], 5 * (32 + 2));
    EXPECT_EQ(eight.page.palette[3 * 2 + 1], 5 * (16 + 2));
    EXPECT_EQ(eight.page.palette[3 * 2 + 2], 5 * 2);

    ReadPage outside(palette_page(false, map, false));
    ASSERT_EQ(outside.rc, 0);
    ASSERT_NE(outside.page.palette, nullptr);
    EXPECT_EQ(outside.page.palette[3 * 15], 255);  // the grey ramp instead
}

// A page of `strips` strips of one 8-bit row each, lists in 16- or 32-bit values.
std::vector<uint8_t> striped_page(bool big, bool short_lists, int strips, uint16_t depth = 8) {
    TiffBuilder b(big);
    std::vector<uint32_t> offsets, counts;
    const uint32_t row = depth == 24 ? 6 : 2;
    for (int i = 0; i < strips; ++i) {
        std::vector<uint8_t> data;
        for (uint32_t k = 0; k < row; ++k) data.push_back((uint8_t)(16 * i + k));
        offsets.push_back(b.blob(data));
        counts.push_back(row);
    }
    b.longs(256, {2});
    b.longs(257, {(uint32_t)strips});
    if (depth == 24) b.shorts(258, {8, 8, 8});
    else b.shorts(258, {depth});
    b.shorts(262, {(uint16_t)(depth == 24 ? 2 : 1)});
    b.longs(278, {1});
    if (short_lists) {
        b.shorts(273, std::vector<uint16_t>(offsets.begin(), offsets.end()));
        b.shorts(279, std::vector<uint16_t>(counts.begin(), counts.end()));
    } else {
        b.longs(273, offsets);
        b.longs(279, counts);
    }
    return b.build();
}

TEST(TiffRead, StripTablesInBothListWidths) {
    // Two 16-bit values lie in the entry's value field itself; longer lists elsewhere.
    for (int strips : {2, 3}) {
        for (bool short_lists : {false, true}) {
            for (bool big : {false, true}) {
                const std::vector<uint8_t> bytes = striped_page(big, short_lists, strips);
                ReadPage r(bytes);
                ASSERT_EQ(r.rc, 0) << strips << short_lists << big;
                ASSERT_EQ(r.page.strip_count, strips);
                EXPECT_EQ(r.page.data_offset, 0);
                EXPECT_EQ(r.page.data_length, 2 * strips);
                EXPECT_EQ(r.page.rows_per_strip, 1);
                // Uncompressed 8-bit strips are gathered into one buffer of rows.
                EXPECT_EQ(r.page.ownership, OWN_ALLOCATED);
                for (int i = 0; i < strips; ++i) {
                    EXPECT_EQ(r.page.strip_lengths[i], 2u);
                    EXPECT_EQ(r.page.strip_offsets[i], 2 * i);
                    EXPECT_EQ(r.page.data[2 * i], 16 * i);
                    EXPECT_EQ(r.page.data[2 * i + 1], 16 * i + 1);
                }
            }
        }
    }
}

TEST(TiffRead, StripsOutsideTheFileAreCut) {
    TiffBuilder b(false);
    const uint32_t at = b.blob({1, 2, 3, 4});
    b.longs(256, {2});
    b.longs(257, {3});
    b.shorts(258, {8});
    b.shorts(259, {5});  // compressed strips stay where the file has them
    b.longs(273, {at, at + 2, 0x7FFFFFFF});
    b.longs(279, {2, 0x10000000, 50});
    const std::vector<uint8_t> bytes = b.build();
    ReadPage r(bytes);
    ASSERT_EQ(r.rc, 0);
    ASSERT_EQ(r.page.strip_count, 3);
    EXPECT_EQ(r.page.strip_lengths[1], bytes.size() - (at + 2));
    EXPECT_EQ((size_t)r.page.strip_offsets[2], bytes.size());
    EXPECT_EQ(r.page.strip_lengths[2], 0u);
    for (int i = 0; i < 3; ++i)
        EXPECT_LE((uint64_t)r.page.strip_offsets[i] + r.page.strip_lengths[i], bytes.size());
}

TEST(TiffRead, StripListsLongerThanTheFileAreCutToWhatItHolds) {
    TiffBuilder b(true);
    const uint32_t data = b.blob({9, 9, 9, 9});
    const uint32_t offsets = b.blob_longs({data, data + 2});
    const uint32_t counts = b.blob_longs({2, 2});
    b.longs(256, {2});
    b.longs(257, {2});
    b.shorts(258, {8});
    b.shorts(259, {5});
    b.entry(273, TIFF_TYPE_LONG, 1000000, offsets);
    b.entry(279, TIFF_TYPE_LONG, 1000000, counts);
    std::vector<uint8_t> bytes = b.build();
    ReadPage r(bytes);
    ASSERT_EQ(r.rc, 0);
    EXPECT_GE(r.page.strip_count, 2);
    EXPECT_LT((size_t)r.page.strip_count, bytes.size() / 4);
    for (int i = 0; i < r.page.strip_count; ++i)
        EXPECT_LE((uint64_t)r.page.strip_offsets[i] + r.page.strip_lengths[i], bytes.size());
}

TEST(TiffRead, BadStripLayoutsAreRefused) {
    TiffBuilder zero(false);
    zero.longs(256, {2});
    zero.longs(257, {2});
    zero.longs(273, {8, 9});
    zero.longs(279, {0, 0});
    EXPECT_EQ(ReadPage(zero.build()).rc, ERR_BAD_HEADER);
    TiffBuilder no_counts(false);  // several strips but one byte count
    no_counts.longs(256, {2});
    no_counts.longs(257, {2});
    no_counts.longs(273, {8, 9});
    no_counts.longs(279, {4});
    EXPECT_EQ(ReadPage(no_counts.build()).rc, ERR_BAD_HEADER);
}

TEST(TiffRead, SingleStripIsCutAndZeroLengthMeansToTheEnd) {
    TiffBuilder b(false);
    const uint32_t at = b.blob({1, 2, 3, 4});
    b.longs(256, {2});
    b.longs(257, {2});
    b.shorts(258, {8});
    b.longs(273, {at});
    b.longs(279, {1000});
    std::vector<uint8_t> bytes = b.build();
    ReadPage cut(bytes);
    EXPECT_EQ(cut.page.data_offset, (int32_t)at);
    EXPECT_EQ((size_t)cut.page.data_length, bytes.size() - at);
    EXPECT_EQ(cut.page.strip_count, 0);
    EXPECT_EQ(cut.page.rows_per_strip, 2);

    TiffBuilder z(false);
    const uint32_t at2 = z.blob({1, 2, 3, 4});
    z.longs(256, {2});
    z.longs(257, {2});
    z.longs(273, {at2});
    std::vector<uint8_t> zb = z.build();
    ReadPage to_end(zb);
    EXPECT_EQ((size_t)to_end.page.data_length, zb.size() - at2);

    TiffBuilder past(false);
    past.longs(256, {2});
    past.longs(257, {2});
    past.longs(273, {0x40000000});
    past.longs(279, {4});
    std::vector<uint8_t> pb = past.build();
    ReadPage beyond(pb);
    EXPECT_EQ(beyond.rc, 0);
    EXPECT_EQ(beyond.page.data_length, 0);
    EXPECT_LE((size_t)beyond.page.data_offset, pb.size());
}

TEST(TiffRead, Tag999ReadsBackToBackStripsAsOne) {
    TiffBuilder b(false);
    const uint32_t at = b.blob({1, 2, 3, 4, 5, 6});
    b.longs(256, {2});
    b.longs(257, {3});
    b.shorts(258, {8});
    b.longs(273, {at, at + 2, at + 4});
    b.longs(278, {1});
    b.longs(279, {2, 2, 2});
    b.longs(999, {1});
    ReadPage r(b.build());
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.page.strip_count, 0);
    EXPECT_EQ(r.page.strip_offsets, nullptr);
    EXPECT_EQ(r.page.data_offset, (int32_t)at);
    EXPECT_EQ(r.page.data_length, 6);
    EXPECT_EQ(r.page.rows_per_strip, 3);
}

TEST(TiffRead, JpegInterchangeFormatReplacesTheStrips) {
    TiffBuilder b(false);
    const uint32_t jpeg = b.blob({0xFF, 0xD8, 0xFF, 0xD9});
    b.longs(256, {2});
    b.longs(257, {2});
    b.shorts(259, {6});
    b.longs(273, {8, 9, 10});
    b.longs(279, {1, 1, 1});
    b.longs(513, {jpeg});
    b.longs(514, {4});
    ReadPage r(b.build());
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.page.compression, COMP_JPEG);
    EXPECT_EQ(r.page.strip_count, 0);
    EXPECT_EQ(r.page.data_offset, (int32_t)jpeg);
    EXPECT_EQ(r.page.data_length, 4);
}

TEST(TiffRead, ResolutionsExifPointerAndEntryCount) {
    TiffBuilder b(true);
    b.longs(256, {1});
    b.longs(257, {1});
    b.longs(34665, {1234});
    b.rational(283, 7, 0);
    b.rational(282, 600, 2);
    ReadPage r(b.build(false));
    EXPECT_EQ(r.page.x_dpi, 300);
    EXPECT_EQ(r.page.y_dpi, 0);
    EXPECT_EQ(r.page.delay_or_exif, 1234);

    // A rational whose 8 bytes end exactly at the end of the file.
    TiffBuilder end(false);
    end.longs(256, {1});
    end.longs(257, {1});
    end.entry(282, TIFF_TYPE_RATIONAL, 1, 0);
    std::vector<uint8_t> bytes = end.build();
    const uint32_t dir = tiff_first_directory(bytes);
    const uint32_t at = (uint32_t)bytes.size();
    for (uint32_t v : {300u, 1u})
        for (int i = 0; i < 4; ++i) bytes.push_back((uint8_t)(v >> (8 * i)));
    for (int i = 0; i < 4; ++i) bytes[dir + 2 + 12 * 2 + 8 + i] = (uint8_t)(at >> (8 * i));
    ReadPage at_end(bytes);
    EXPECT_EQ(at_end.page.x_dpi, 300);

    TiffBuilder many(false);
    for (int i = 0; i < 257; ++i) many.longs((uint16_t)(40000 + i), {0});
    EXPECT_EQ(ReadPage(many.build()).rc, ERR_BAD_HEADER);
}

TEST(TiffRead, DirectoryCutByTheEndOfTheFileKeepsItsWholeEntries) {
    std::vector<uint8_t> bytes = simple_page(false, 3, 2, 8, 1, 1, {1, 2, 3, 4, 5, 6});
    bytes.resize(bytes.size() - 4 - 12 - 5);  // lose the link, the last entry and part of one more
    ReadPage r(bytes);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.page.width, 3);

    std::vector<uint8_t> no_directory = {'I', 'I', 42, 0, 0xF0, 0, 0, 0};
    EXPECT_EQ(ReadPage(no_directory).rc, ERR_BAD_HEADER);
}

TEST(TiffRead, RgbPageIsCopiedAndTurnedToBlueGreenRed) {
    for (bool big : {false, true}) {
        ReadPage r(striped_page(big, false, 3, 24));
        ASSERT_EQ(r.rc, 0);
        EXPECT_EQ(r.page.ownership, OWN_ALLOCATED);
        EXPECT_EQ(r.page.data_offset, 0);
        EXPECT_EQ(r.page.pitch, 6);
        EXPECT_EQ(r.page.data_length, 18);
        ASSERT_EQ(r.page.strip_count, 3);
        for (int row = 0; row < 3; ++row) {
            const uint8_t* p = r.page.data + 6 * row;
            const uint8_t base = (uint8_t)(16 * row);
            const uint8_t want[6] = {(uint8_t)(base + 2), (uint8_t)(base + 1), base,
                                     (uint8_t)(base + 5), (uint8_t)(base + 4), (uint8_t)(base + 3)};
            EXPECT_EQ(0, memcmp(p, want, 6)) << row;
            EXPECT_EQ(r.page.strip_offsets[row], 6 * row);
        }
    }
}

TEST(TiffRead, RgbPageWithMissingBytesIsPaddedWithZeros) {
    TiffBuilder b(false);
    const uint32_t at = b.blob({1, 2, 3, 4, 5, 6, 7});  // two whole pixels and one byte
    b.longs(256, {2});
    b.longs(257, {2});
    b.shorts(258, {8, 8, 8});
    b.shorts(262, {2});
    b.longs(273, {at});
    b.longs(279, {7});
    ReadPage r(b.build());
    ASSERT_EQ(r.rc, 0);
    ASSERT_EQ(r.page.data_length, 12);
    const uint8_t want[12] = {3, 2, 1, 6, 5, 4, 7, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, memcmp(r.page.data, want, 12));
}

TEST(TiffRead, ShortUncompressedPageIsPaddedToWholeRows) {
    ReadPage r(simple_page(true, 4, 3, 8, 1, 1, {1, 2, 3, 4, 5}));
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.page.ownership, OWN_ALLOCATED);
    ASSERT_EQ(r.page.data_length, 12);
    const uint8_t want[12] = {1, 2, 3, 4, 5};
    EXPECT_EQ(0, memcmp(r.page.data, want, 12));
    ReadPage whole(simple_page(true, 4, 1, 8, 1, 1, {1, 2, 3, 4}));
    EXPECT_EQ(whole.page.ownership, OWN_BORROWED);  // complete single strips stay in the file
}

// Padding stays for short pages, but a page the file holds less than a 256th of
// (beyond 64 KB) is refused before its copy is allocated.
TEST(TiffRead, PageClaimingFarMoreThanTheFileHoldsIsRefused) {
    TiffBuilder b(false);
    const uint32_t at = b.blob(std::vector<uint8_t>(300, 7));
    b.longs(256, {1024});
    b.longs(257, {1024});
    b.shorts(258, {8, 8, 8});
    b.shorts(262, {2});
    b.longs(273, {at});
    b.longs(279, {300});
    EXPECT_EQ(ReadPage(b.build()).rc, ERR_IO);  // 3 MB claimed, 300 bytes held

    TiffBuilder most(false);  // a fifth of the page held: padded
    const uint32_t part = most.blob(std::vector<uint8_t>(1024 * 3 * 200, 7));
    most.longs(256, {1024});
    most.longs(257, {1000});
    most.shorts(258, {8, 8, 8});
    most.shorts(262, {2});
    most.longs(273, {part});
    most.longs(279, {1024 * 3 * 200});
    ReadPage padded(most.build());
    ASSERT_EQ(padded.rc, 0);
    EXPECT_EQ(padded.page.data_length, 1024 * 3 * 1000);
}

TEST(TiffRead, HugeDimensionsAreRefused) {
    TiffBuilder b(false);
    b.longs(256, {0x80000000u});
    b.longs(257, {1});
    EXPECT_EQ(ReadPage(b.build()).rc, ERR_BAD_HEADER);
    TiffBuilder rgb(false);  // fits the caps but not memory: no allocation is tried
    rgb.longs(256, {1 << 20});
    rgb.longs(257, {1 << 20});
    rgb.shorts(258, {8, 8, 8});
    rgb.shorts(262, {2});
    EXPECT_EQ(ReadPage(rgb.build()).rc, ERR_MEMORY);
}

}  // namespace
