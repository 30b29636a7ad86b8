// Tests of the TIFF writer: the exact directory layout, pages of every depth written
// and read back, acceptance by libtiff's tools and ImageMagick, and that a failed
// write leaves no file behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "formats/tiff/tiff.h"
#include "test_support.h"
#include "tiff_test_builder.h"

namespace {

// An uncompressed page over caller-owned pixels (not released by the library).
struct MemoryPage {
    std::vector<uint8_t> pixels;
    std::vector<uint8_t> palette = std::vector<uint8_t>(768, 0);
    PageBitmap page;

    MemoryPage(int width, int height, int depth, int pitch_padding = 0) {
        std::memset(&page, 0, sizeof page);
        page.width = width;
        page.height = height;
        page.bits_per_pixel = (int8_t)depth;
        page.pitch = row_bytes_packed(width, depth) + pitch_padding;
        pixels.resize((size_t)page.pitch * height);
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (uint8_t)(i * 37 + 11);
        page.data = pixels.data();
        page.data_length = (int32_t)pixels.size();
        page.ownership = OWN_BORROWED;
        page.layout = LAYOUT_TOP_DOWN;
        page.x_dpi = 300;
        page.y_dpi = 150;
        if (depth == 4 || depth == 8) {
            for (int i = 0; i < 256; ++i) {
                palette[3 * i] = (uint8_t)(255 - i);  // blue
                palette[3 * i + 1] = (uint8_t)(i / 2);
                palette[3 * i + 2] = (uint8_t)i;  // red
            }
            page.palette = palette.data();
        }
    }
};

std::vector<uint8_t> write_to_bytes(const PageBitmap& page, const fs::path& path, int* rc) {
    *rc = tiff_save_page(path.c_str(), &page);
    return *rc == 0 ? read_bytes(path) : std::vector<uint8_t>{};
}

// The packed rows of `page` in picture order, as written to the file.
std::vector<uint8_t> packed_rows(const MemoryPage& m) {
    const PageBitmap& p = m.page;
    const int row = row_bytes_packed(p.width, p.bits_per_pixel);
    std::vector<uint8_t> out;
    for (int r = 0; r < p.height; ++r) {
        const int stored = (p.layout & LAYOUT_BOTTOM_UP) ? p.height - 1 - r : r;
        const uint8_t* src = m.pixels.data() + (size_t)stored * p.pitch;
        out.insert(out.end(), src, src + row);
    }
    return out;
}

TEST(TiffWrite, DirectoryLayout) {
    TempDir dir;
    MemoryPage m(5, 3, 8);
    std::strcpy(m.page.description, "A page of five by three");
    int rc = 0;
    const std::vector<uint8_t> f = write_to_bytes(m.page, dir / "layout.tif", &rc);
    ASSERT_EQ(rc, 0);
    ASSERT_GE(f.size(), 14u);
    EXPECT_EQ(0, memcmp(f.data(), "II*\0\x08\0\0\0", 8));
    const TiffBytes t{f.data(), f.size(), false};
    uint16_t n = 0;
    ASSERT_TRUE(tiff_u16(t, 8, &n));
    const uint16_t want_tags[] = {254, 256, 257, 258, 259, 262, 266, 270, 273,
                                  277, 278, 279, 282, 283, 296, 320, 33432};
    ASSERT_EQ(n, sizeof want_tags / sizeof want_tags[0]);
    const uint32_t block = 14 + 12u * n;
    uint32_t link = 1;
    ASSERT_TRUE(tiff_u32(t, 10 + 12u * n, &link));
    EXPECT_EQ(link, 0u);
    uint32_t strip = 0, x_at = 0, map_at = 0, notice_at = 0;
    for (uint16_t i = 0; i < n; ++i) {
        TiffEntry e;
        ASSERT_TRUE(tiff_read_entry(t, 10 + 12u * i, &e));
        EXPECT_EQ(e.tag, want_tags[i]);
        if (e.tag == 270) {
            EXPECT_EQ(e.field, block);  // the description opens the value block
            EXPECT_EQ(0, memcmp(f.data() + block, "A page of five by three", 24));
        }
        if (e.tag == 273) strip = e.field;
        if (e.tag == 282) x_at = e.field;
        if (e.tag == 320) {
            map_at = e.field;
            EXPECT_EQ(e.count, 768u);
        }
        if (e.tag == 33432) {
            notice_at = e.field;
            EXPECT_EQ(e.count, 37u);
        }
        if (e.tag == 262) EXPECT_EQ(e.field, 3u);
        if (e.tag == 279) EXPECT_EQ(e.field, 15u);
    }
    EXPECT_EQ((x_at - block) % 4, 0u);  // aligned within the value block
    EXPECT_EQ((map_at - block) % 2, 0u);
    EXPECT_EQ(strip, f.size() - 15);  // the data follows the value block
    EXPECT_EQ(0, memcmp(f.data() + notice_at, "Written by the Glimra viewer\0\0\0\0\0\0\0\0", 37));
    uint16_t red1 = 0, blue1 = 0;
    tiff_u16(t, map_at + 2, &red1);
    tiff_u16(t, map_at + 2 * 512 + 2, &blue1);
    EXPECT_EQ(red1, 1 * 257);
    EXPECT_EQ(blue1, 254 * 257);
    EXPECT_EQ(0, memcmp(f.data() + strip, packed_rows(m).data(), 15));
}

TEST(TiffWrite, EveryDepthReadsBack) {
    TempDir dir;
    for (int depth : {1, 4, 8, 24}) {
        MemoryPage m(13, 7, depth, 3);  // rows padded beyond their packed size
        std::strcpy(m.page.description, depth == 1 ? "ab" : "Round trip");
        int rc = 0;
        const std::vector<uint8_t> f = write_to_bytes(m.page, dir / "d.tif", &rc);
        ASSERT_EQ(rc, 0) << depth;
        PageBitmap back;
        ASSERT_EQ(tiff_read_bytes(f, &back), 0) << depth;
        EXPECT_EQ(back.width, 13);
        EXPECT_EQ(back.height, 7);
        EXPECT_EQ(back.bits_per_pixel, depth);
        EXPECT_EQ(back.compression, COMP_NONE);
        EXPECT_EQ(back.x_dpi, 300);
        EXPECT_EQ(back.y_dpi, 150);
        EXPECT_EQ(std::string(back.description), m.page.description);
        EXPECT_EQ(back.black_is_one, 0);
        const std::vector<uint8_t> rows = packed_rows(m);
        const int row = row_bytes_packed(13, depth);
        ASSERT_EQ((size_t)back.pitch, (size_t)row);
        for (int r = 0; r < 7; ++r)  // 24-bit: read back blue-green-red, as written from
            EXPECT_EQ(0, memcmp(back.data + back.data_offset + r * row, rows.data() + r * row, row))
                << depth << " row " << r;
        if (depth == 4 || depth == 8)
            EXPECT_EQ(0, memcmp(back.palette, m.palette.data(), 3u << depth));
        release_page(&back);
    }
}

TEST(TiffWrite, BottomUpPageIsWrittenTopRowFirst) {
    TempDir dir;
    MemoryPage m(4, 3, 8);
    m.page.layout = LAYOUT_BOTTOM_UP | LAYOUT_BMP;
    int rc = 0;
    const std::vector<uint8_t> f = write_to_bytes(m.page, dir / "b.tif", &rc);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(0, memcmp(f.data() + f.size() - 12, m.pixels.data() + 8, 4));
    EXPECT_EQ(0, memcmp(f.data() + f.size() - 4, m.pixels.data(), 4));
}

TEST(TiffWrite, CompressedPagesKeepTheirDataAndSense) {
    TempDir dir;
    std::vector<uint8_t> coded = {0x26, 0xA0, 0x00, 0x10, 0x01};
    struct Case {
        int8_t code;
        int black_is_one;
        uint32_t tiff, photometric;
        bool t4;
    } cases[] = {
        {COMP_G4, 0, 4, 0, false},      {COMP_G4, 1, 4, 1, false},
        {COMP_G3_2D, 0, 3, 0, true},    {COMP_HUFFMAN, 0, 2, 0, false},
        {COMP_PACKBITS, 0, 32773, 1, false}, {COMP_LZW_TIFF, 1, 5, 1, false},
    };
    for (const Case& c : cases) {
        PageBitmap p;
        std::memset(&p, 0, sizeof p);
        p.width = 16;
        p.height = 2;
        p.bits_per_pixel = 1;
        p.compression = c.code;
        p.black_is_one = (int8_t)c.black_is_one;
        p.fill_order = 1;
        p.data = coded.data();
        p.data_length = (int32_t)coded.size();
        int rc = 0;
        const std::vector<uint8_t> f = write_to_bytes(p, dir / "c.tif", &rc);
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(0, memcmp(f.data() + f.size() - coded.size(), coded.data(), coded.size()));
        PageBitmap back;
        ASSERT_EQ(tiff_read_bytes(f, &back), 0);
        EXPECT_EQ(back.compression, c.code);
        EXPECT_EQ(back.fill_order, 1);
        EXPECT_EQ(back.data_length, (int32_t)coded.size());
        EXPECT_EQ(back.black_is_one, c.black_is_one) << (int)c.code;  // the sense survives
        release_page(&back);
        const TiffBytes t{f.data(), f.size(), false};
        bool saw_t4 = false;
        for (int i = 0; i < 20; ++i) {
            TiffEntry e;
            if (!tiff_read_entry(t, 10 + 12 * i, &e)) break;
            if (e.tag == 259) EXPECT_EQ(e.field, c.tiff);
            if (e.tag == 262) EXPECT_EQ(e.field, c.photometric) << (int)c.code;
            if (e.tag == 292) {
                saw_t4 = true;
                EXPECT_EQ(e.field, 1u);
            }
        }
        EXPECT_EQ(saw_t4, c.t4);
    }
}

// A compressed page still in its file's strips (as read_page describes it) is written
// with lists of strip offsets and lengths, each strip's bytes as they were.
TEST(TiffWrite, CompressedPageInSeveralStripsKeepsThem) {
    TempDir dir;
    std::vector<uint8_t> file = {0, 0, 0xA1, 0xA2, 0xA3, 0, 0xB1, 0xB2, 0, 0xC1};
    int32_t offsets[] = {2, 6, 9};
    uint32_t lengths[] = {3, 2, 1};
    PageBitmap p;
    std::memset(&p, 0, sizeof p);
    p.width = 8;
    p.height = 6;
    p.bits_per_pixel = 1;
    p.compression = COMP_G4;
    p.data = file.data();
    p.data_length = 6;
    p.strip_count = 3;
    p.strip_offsets = offsets;
    p.strip_lengths = lengths;
    p.rows_per_strip = 2;
    int rc = 0;
    const std::vector<uint8_t> f = write_to_bytes(p, dir / "strips.tif", &rc);
    ASSERT_EQ(rc, 0);
    PageBitmap back;
    ASSERT_EQ(tiff_read_bytes(f, &back), 0);
    ASSERT_EQ(back.strip_count, 3);
    EXPECT_EQ(back.rows_per_strip, 2);
    EXPECT_EQ(back.data_length, 6);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(back.strip_lengths[i], lengths[i]);
        EXPECT_EQ(0, memcmp(f.data() + back.strip_offsets[i], file.data() + offsets[i], lengths[i])) << i;
    }
    EXPECT_EQ((size_t)back.strip_offsets[2] + 1, f.size());
    release_page(&back);
}

TEST(TiffWrite, RefusedPagesLeaveNoFile) {
    TempDir dir;
    MemoryPage sixteen(4, 4, 16);
    EXPECT_EQ(tiff_save_page((dir / "16.tif").c_str(), &sixteen.page), ERR_UNSUPPORTED);
    EXPECT_FALSE(fs::exists(dir / "16.tif"));
    MemoryPage flick(4, 4, 8);
    flick.page.compression = COMP_FLICK;
    EXPECT_EQ(tiff_save_page((dir / "f.tif").c_str(), &flick.page), ERR_PARAMETER);
    EXPECT_FALSE(fs::exists(dir / "f.tif"));
}

// A write that fails half-way (the file-size limit is hit) reports -3 and removes
// the file. Runs in a child process so that the limit does not touch the tests.
TEST(TiffWrite, FailedWriteRemovesThePartialFile) {
    TempDir dir;
    const fs::path target = dir / "big.tif";
    MemoryPage m(3000, 400, 24);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{100000, 100000};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(tiff_save_page(target.c_str(), &m.page) == ERR_IO ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(tiff_save_page(target.c_str(), &m.page), 0);  // without the limit it fits
    EXPECT_EQ(fs::file_size(target), 3000u * 400 * 3 + 14 + 12 * 15 + (12 + 16 + 37));
}

// Our files pass libtiff's checks and ImageMagick decodes them to our pixels.
TEST(TiffWrite, ReferenceToolsAcceptOurFiles) {
    SKIP_WITHOUT_PROGRAM("tiffinfo");
    SKIP_WITHOUT_PROGRAM("convert");
    TempDir dir;
    for (int depth : {1, 4, 8, 24}) {
        MemoryPage m(21, 9, depth, 1);
        std::strcpy(m.page.description, "Reference check");
        const fs::path path = dir / ("r" + std::to_string(depth) + ".tif");
        ASSERT_EQ(tiff_save_page(path.c_str(), &m.page), 0);
        std::string out, err;
        EXPECT_EQ(run_command("tiffinfo -D " + path.string(), &out, &err), 0) << err;
        // libtiff notes the zeros after our notice text and reads it up to them.
        const std::string notice_note = "\"Copyright\" contains null byte";
        std::string other;
        for (size_t at = 0, end; at < err.size(); at = end + 1) {
            end = err.find('\n', at);
            if (end == std::string::npos) end = err.size();
            const std::string line = err.substr(at, end - at);
            if (line.find(notice_note) == std::string::npos) other += line;
        }
        EXPECT_EQ(other, "") << depth;
        EXPECT_NE(out.find("Reference check"), std::string::npos);
        EXPECT_EQ(run_command("convert " + path.string() + " -depth 8 rgb:" + (dir / "px").string(),
                              nullptr, &err), 0) << err;
        const std::vector<uint8_t> px = read_bytes(dir / "px");
        ASSERT_EQ(px.size(), 21u * 9 * 3) << depth;
        for (int y = 0; y < 9; ++y) {
            for (int x = 0; x < 21; ++x) {
                const uint8_t* row = m.pixels.data() + (size_t)y * m.page.pitch;
                uint8_t want[3];
                if (depth == 24) {
                    want[0] = row[3 * x + 2], want[1] = row[3 * x + 1], want[2] = row[3 * x];
                } else if (depth == 1) {
                    const uint8_t v = (row[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0;  // set bit white
                    want[0] = want[1] = want[2] = v;
                } else {
                    const int index = depth == 8 ? row[x] : (row[x / 2] >> (x % 2 ? 0 : 4)) & 15;
                    for (int c = 0; c < 3; ++c) want[c] = m.palette[3 * index + 2 - c];
                }
                ASSERT_EQ(0, memcmp(px.data() + 3 * (y * 21 + x), want, 3))
                    << "depth " << depth << " at " << x << "," << y;
            }
        }
    }
}

}  // namespace
