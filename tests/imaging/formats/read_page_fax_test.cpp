// Fax file pages: PC fax modified Huffman rows decoded to runs (row failures before
// and after row 100), WinFAX 10, Fritz-Fax and CALS headers, AWD strip records, and
// the padded copy of mapped fax data that ends on a 4 KB boundary.
#include <gtest/gtest.h>

#include "codecs/fax_tables.h"
#include "read_page_test_util.h"

namespace {

// Bits written most significant first; bytes() gives them least significant first,
// as the PC fax files store them.
struct BitWriter {
    Bytes out;
    int used = 0;
    void put(uint32_t bits, int length) {
        for (int i = length - 1; i >= 0; --i) {
            if (used % 8 == 0) out.push_back(0);
            if ((bits >> i) & 1) out.back() |= (uint8_t)(0x80 >> (used % 8));
            ++used;
        }
    }
    void run(int length, bool black) {
        const FaxRunCode* codes = black ? kFaxBlackCodes : kFaxWhiteCodes;
        if (length >= 64) {
            const FaxRunCode& m = codes[63 + length / 64];
            put(m.bits, m.length);
        }
        const FaxRunCode& t = codes[length % 64];
        put(t.bits, t.length);
    }
    void eol() { put(1, 12); }
    void row(std::initializer_list<int> runs) {
        eol();
        bool black = false;
        for (int r : runs) {
            run(r, black);
            black = !black;
        }
    }
    Bytes lsb_first() const {
        Bytes b = out;
        for (auto& v : b) v = kBitReverse[v];
        return b;
    }
};

Bytes winfax_file(const BitWriter& w) {
    Bytes b(126, 0);
    std::memcpy(b.data(), "WINF", 4);
    const Bytes data = w.lsb_first();
    b.push_back(0);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

}  // namespace

TEST(ReadPageFax, PcFaxRowsBecomeRuns) {
    BitWriter w;
    for (int i = 0; i < 120; ++i) w.row({100, 50, 1578});
    for (int i = 0; i < 6; ++i) w.eol();
    MemFile f(winfax_file(w), FMT_WINFAX);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->compression, COMP_RUNS);
    EXPECT_EQ(page->width, 1728);
    EXPECT_EQ(page->height, 121);  // the row that found no data counts
    EXPECT_EQ(page->x_dpi, 204);
    EXPECT_EQ(page->y_dpi, 196);
    const auto px = bilevel_pixels(page.page);
    EXPECT_EQ(px[0][99], 1);
    EXPECT_EQ(px[0][100], 0);
    EXPECT_EQ(px[119][149], 0);
    EXPECT_EQ(px[119][150], 1);
    EXPECT_EQ(px[120][100], 1);
}

TEST(ReadPageFax, BrokenRowEndsThePageOnlyAfterRow100) {
    for (int broken : {50, 150}) {
        BitWriter w;
        for (int i = 1; i < broken; ++i) w.row({1728});
        w.row({1700, 100});  // runs past the row's end
        for (int i = 0; i < 10; ++i) w.row({1728});
        MemFile f(winfax_file(w), FMT_WINFAX);
        ScopedPage page;
        const int rc = read_page(&f.info, page.get(), 0);
        if (broken < 100) {
            EXPECT_EQ(rc, ERR_DECOMPRESS);
            continue;
        }
        ASSERT_EQ(rc, IMG_OK);
        EXPECT_EQ(page->height, broken);
        EXPECT_EQ(bilevel_pixels(page.page)[broken - 1][1727], 1);  // decoded white, rest white
    }
}

TEST(ReadPageFax, EndOfLineInsideARowEndsItEarly) {
    BitWriter w;
    for (int i = 0; i < 110; ++i) {
        w.eol();
        w.run(10, false);
        w.run(20, true);  // no more runs: the next row's EOL ends this one
    }
    MemFile f(winfax_file(w), FMT_WINFAX);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->height, 110);  // the last row, cut by the end of the data, is the failing one
    const auto px = bilevel_pixels(page.page);
    EXPECT_EQ(px[5][9], 1);
    EXPECT_EQ(px[5][10], 0);
    EXPECT_EQ(px[5][29], 0);
    EXPECT_EQ(px[5][30], 1);
}

TEST(ReadPageFax, WinFax10AndFritzHeaders) {
    Bytes w10(128, 0);
    w10[0] = 0x0B, w10[1] = 0x23, w10[2] = 0xC8, w10[7] = 1;
    put16(w10, 3, 1728);
    put16(w10, 5, 1100);
    put32(w10, 116, 10);
    w10.resize(128 + 10, 0x55);
    MemFile f(w10, FMT_WINFAX10);
    f.set_page_offsets({0});
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->compression, COMP_G4);
    EXPECT_EQ(page->width, 1728);
    EXPECT_EQ(page->height, 1100);
    EXPECT_EQ(page->data_offset, 128);
    EXPECT_EQ(page->data_length, 10);
    EXPECT_EQ(page->fill_order, 1);
    EXPECT_EQ(page->ownership, OWN_BORROWED);

    Bytes fritz(46, 0);
    std::memcpy(fritz.data(), "Sfff", 4);
    put16(fritz, 34, 1728);
    put16(fritz, 28, 50);
    fritz.resize(46 + 4096, 0);
    MemFile g(fritz, FMT_FRITZFAX);
    ScopedPage guarded;
    ASSERT_EQ(read_page(&g.info, guarded.get(), 0), IMG_OK);
    EXPECT_EQ(guarded->compression, COMP_G4);
    EXPECT_EQ(guarded->height, 50);
    // 4,096 bytes of mapped fax data: handed over in an owned copy.
    EXPECT_EQ(guarded->ownership, OWN_ALLOCATED);
    EXPECT_NE(guarded->data, g.info.view);
    EXPECT_EQ(guarded->data_length, 4096);

    fritz.pop_back();
    MemFile h(fritz, FMT_FRITZFAX);
    ScopedPage plain;
    ASSERT_EQ(read_page(&h.info, plain.get(), 0), IMG_OK);
    EXPECT_EQ(plain->ownership, OWN_BORROWED);
}

TEST(ReadPageFax, CalsHeaderRecords) {
    Bytes b(2048, ' ');
    const char* rpel = "rpelcnt: 002480,003300";
    const char* dens = "rdensity: 0300";
    std::memcpy(b.data() + 1024, rpel, std::strlen(rpel));
    std::memcpy(b.data() + 1152, dens, std::strlen(dens));
    b.resize(2100, 0);
    MemFile f(b, FMT_CALS);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->width, 2480);
    EXPECT_EQ(page->height, 3300);
    EXPECT_EQ(page->x_dpi, 300);
    EXPECT_EQ(page->y_dpi, 300);
    EXPECT_EQ(page->data_offset, 2048);
    EXPECT_EQ(page->data_length, 52);
}

TEST(ReadPageFax, AwdStripRecordsAreGathered) {
    // Two strip records then a closing record of length 6.
    Bytes b(100, 0);
    const size_t start = 40;
    size_t pos = start;
    for (int s = 0; s < 2; ++s) {
        put16(b, pos, 12 + 4);
        put32(b, pos + 6, s ? 0x0010000A : 0x000A0008);
        put16(b, pos + 10, 74);
        for (int k = 0; k < 4; ++k) b[pos + 14 + k] = (uint8_t)(0x10 * (s + 1) + k);
        pos += 18;
    }
    put16(b, pos, 6);
    MemFile f(b, FMT_AWD);
    f.set_page_offsets({(int32_t)start});
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->strip_count, 2);
    EXPECT_EQ(page->height, 148);
    EXPECT_EQ(page->width, 1728);
    EXPECT_EQ(page->rows_per_strip, 74);
    EXPECT_EQ(page->data_length, 8);
    EXPECT_EQ(page->strip_offsets[1], 4);
    EXPECT_EQ(page->strip_lengths[1], 4u);
    EXPECT_EQ(page->data[4], 0x20);
    EXPECT_EQ(page->ownership, OWN_ALLOCATED);
}
