// The run-length form's one reader, one builder and its painting, on hand-made rows:
// runs at the one/two-byte boundary, rows cut at the end of their bytes, runs past the
// width, empty rows and an empty page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/run_form.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Pixels of a painted row as text: '.' white, '#' black.
std::string painted(RunRow row, int32_t width) {
    Bytes out((size_t)(width + 7) / 8, 0);
    runs_paint_row(row, out.data(), width);
    std::string s;
    for (int32_t x = 0; x < width; ++x) s += (out[(size_t)x >> 3] >> (7 - (x & 7)) & 1) ? '.' : '#';
    return s;
}

std::string repeat(char c, int n) { return std::string((size_t)n, c); }

TEST(RunForm, ReaderEndRuleAndPainting) {
    struct Case {
        const char* what;
        Bytes row;
        int32_t width;
        std::vector<int> pairs;  // white, black of each pair the walk passes
        std::string pixels;
    };
    const Case cases[] = {
        {"runs of 127 and 128", {127, 0x80, 0x80, 1, 0}, 256, {127, 128, 1, 0},
         repeat('.', 127) + repeat('#', 128) + "."},
        {"no end pair at the end of the bytes", {3, 2}, 10, {3, 2}, "...##....."},
        {"a white run without its black run", {3, 2, 4}, 10, {3, 2, 4, 0}, "...##....."},
        {"a two-byte run cut by the end", {3, 0x81}, 400, {3, 0}, repeat('.', 400)},
        {"a black run past the width", {2, 50, 0}, 8, {2, 6}, "..######"},
        {"a white run past the width", {20, 5, 0}, 8, {8, 0}, "........"},
        {"an empty end pair first", {0, 0, 5, 5}, 10, {0, 0}, ".........."},
        {"a row starting black", {0, 3, 2, 0}, 6, {0, 3, 2, 0}, "###..."},
        {"no bytes", {}, 5, {}, "....."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RunRow row{c.row.data(), c.row.size()};
        std::vector<int> pairs;
        for_each_run_pair(row, c.width, [&](int32_t, int32_t white, int32_t black) {
            pairs.push_back(white);
            pairs.push_back(black);
        });
        EXPECT_EQ(pairs, c.pairs);
        EXPECT_EQ(painted(row, c.width), c.pixels);
    }
    EXPECT_EQ(painted(RunRow{nullptr, 0}, 5), ".....");  // a row that cannot be found
}

// The bytes of row y of a built page: its pairs up to the one whose black run is 0.
Bytes row_bytes(const PageBitmap& page, int32_t y) {
    const RunRow row = run_row(page, y);
    Bytes out;
    size_t pos = 0;
    while (row.bytes && pos < row.avail) {
        int used = 0;
        run_read(row.bytes + pos, row.avail - pos, &used);
        out.insert(out.end(), row.bytes + pos, row.bytes + pos + used);
        pos += (size_t)used;
        const int black = run_read(row.bytes + pos, row.avail - pos, &used);
        out.insert(out.end(), row.bytes + pos, row.bytes + pos + used);
        pos += (size_t)used;
        if (black == 0 || used == 0) break;
    }
    return out;
}

TEST(RunForm, BuilderWritesEveryRowOneWay) {
    struct Case {
        const char* what;
        std::vector<int> runs;  // white, black, ...
        int32_t width;
        Bytes bytes;
    };
    const Case cases[] = {
        {"runs of 127 and 128", {127, 128, 1}, 256, {127, 0x80, 0x80, 1, 0}},
        {"a row starting black", {0, 5, 3}, 8, {0, 5, 3, 0}},
        {"a row ending black", {4, 4}, 8, {4, 4, 0, 0}},
        {"an empty run inside is merged", {3, 0, 2, 3}, 8, {5, 3, 0, 0}},
        {"a run past the width is cut", {6, 10}, 8, {6, 2, 0, 0}},
        {"a short row ends white", {2, 3}, 8, {2, 3, 3, 0}},
        {"no runs", {}, 8, {8, 0}},
        {"the widest row", {RUN_MAX}, RUN_MAX, {0xFF, 0xFF, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunsBuilder b;
        ASSERT_EQ(runs_begin(&b, c.width, 1, 0), IMG_OK);
        ASSERT_EQ(runs_add_row(&b, c.runs.data(), c.runs.size()), IMG_OK);
        PageBitmap page{};
        ASSERT_EQ(runs_finish(&b, &page), IMG_OK);
        EXPECT_EQ(row_bytes(page, 0), c.bytes);
        EXPECT_EQ((size_t)page.data_length, runs_table_bytes(1) + c.bytes.size());
        release_page(&page);
    }
}

TEST(RunForm, EmptyPageAndFullBuilder) {
    RunsBuilder b;
    EXPECT_EQ(runs_begin(&b, 0, 3, 0), ERR_PARAMETER);
    EXPECT_EQ(runs_begin(&b, RUN_MAX + 1, 3, 0), ERR_UNSUPPORTED);
    // No row added: every row is the one white row.
    ASSERT_EQ(runs_begin(&b, 8, 3, 0), IMG_OK);
    PageBitmap page{};
    ASSERT_EQ(runs_finish(&b, &page), IMG_OK);
    EXPECT_EQ((size_t)page.data_length, runs_table_bytes(3) + 2);
    for (int32_t y = 0; y < 3; ++y) {
        EXPECT_EQ(row_bytes(page, y), (Bytes{8, 0}));
        EXPECT_EQ(painted(run_row(page, y), 8), "........");
    }
    EXPECT_EQ(run_row(page, 3).bytes, nullptr);
    release_page(&page);
    // A page holds its height of rows and no more.
    ASSERT_EQ(runs_begin(&b, 8, 1, 0), IMG_OK);
    ASSERT_EQ(runs_add_row(&b, nullptr, 0), IMG_OK);
    EXPECT_EQ(runs_add_row(&b, nullptr, 0), ERR_PARAMETER);
    runs_abort(&b);
}

}  // namespace
