// Records, name tables, row sizes and release operations of the library core.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "codecs/run_form.h"
#include "imaging.h"
#include "test_support.h"

namespace {
// Parses the numbered entries of resources/strings.rc ("5001 \"text\"").
std::map<int, std::string> string_table_entries() {
    std::ifstream in(source_dir() / "resources" / "strings.rc");
    std::stringstream ss;
    ss << in.rdbuf();
    std::map<int, std::string> entries;
    const std::string text = ss.str();
    std::regex line(R"re(^\s*(\d+)\s+"([^"]*)")re", std::regex::multiline);
    for (std::sregex_iterator it(text.begin(), text.end(), line), end; it != end; ++it)
        entries[std::stoi((*it)[1])] = (*it)[2];
    return entries;
}
}  // namespace

TEST(ErrorCodes, EachCodeMapsToItsStringTableEntry) {
    const auto entries = string_table_entries();
    for (int code = -1; code >= -10; --code) {
        ASSERT_NE(error_message(code), nullptr) << code;
        auto it = entries.find(ERROR_STRING_BASE - code);
        ASSERT_NE(it, entries.end()) << "no string " << ERROR_STRING_BASE - code;
        EXPECT_EQ(it->second, error_message(code)) << code;
    }
    EXPECT_STREQ(error_message(ERR_MEMORY), "Not enough memory.  Try closing other applications");
    EXPECT_STREQ(error_message(ERR_PAGE_NOT_FOUND), "Page not found");
    EXPECT_EQ(error_message(0), nullptr);
    EXPECT_EQ(error_message(-11), nullptr);
}

TEST(NameTables, FormatAndCompressionNames) {
    EXPECT_STREQ(format_names[FMT_WINDOWS_BMP], "Windows BMP");
    EXPECT_STREQ(format_names[FMT_QUICKLINKS], "Quicklinks II FAX");
    EXPECT_STREQ(format_names[FMT_FUJI_RAW], "Fuji RAW");
    EXPECT_STREQ(format_names[FORMAT_CODE_COUNT], "");
    for (int i = 0; i < FORMAT_CODE_COUNT; ++i) EXPECT_GT(std::strlen(format_names[i]), 0u) << i;
    EXPECT_STREQ(compression_names[COMP_RUNS], "Run-Length");
    EXPECT_STREQ(compression_names[COMP_BMP_RLE], "Run-Length");
    EXPECT_STREQ(compression_names[COMP_PCL], "HP PC");
    EXPECT_STREQ(compression_names[COMP_H263], "H.263");
}

TEST(RowBytes, AlignedAndPacked) {
    EXPECT_EQ(row_bytes_aligned(1000, 24), 3000);
    EXPECT_EQ(row_bytes_aligned(9, 1), 4);
    EXPECT_EQ(row_bytes_packed(9, 1), 2);
    EXPECT_EQ(row_bytes_aligned(5, 2), 4);
    EXPECT_EQ(row_bytes_aligned(7, 4), 4);
    EXPECT_EQ(row_bytes_aligned(9, 4), 8);
    EXPECT_EQ(row_bytes_aligned(3, 8), 4);
    EXPECT_EQ(row_bytes_aligned(3, 16), 8);
    EXPECT_EQ(row_bytes_packed(3, 16), 6);
    EXPECT_EQ(row_bytes_packed(5, 4), 3);
    EXPECT_EQ(row_bytes_packed(5, 2), 2);
    EXPECT_EQ(row_bytes_aligned(10, 3), 0);
    EXPECT_EQ(row_bytes_packed(10, 32), 0);
}

TEST(RowBytes, AlignedRowIsCutTo16Bits) {
    EXPECT_EQ(row_bytes_aligned(21844, 24), 65532);
    // 21,846 pixels need 65,538 bytes: the cut value wraps, which is why readers
    // never size a buffer from it.
    EXPECT_EQ(row_bytes_aligned(21846, 24), (3 * 21846 + 3) & 0xFFFC);
    EXPECT_LT(row_bytes_aligned(21846, 24), 3 * 21846);
    // The width is cut to 24 bits first.
    EXPECT_EQ(row_bytes_aligned(0x1000008, 8), 8);
}

TEST(RunCoding, LengthsRoundTrip) {
    for (int length : {0, 1, 127, 128, 255, 256, 4095, 32767}) {
        uint8_t buf[2] = {0xEE, 0xEE};
        const int n = run_write(buf, length);
        EXPECT_EQ(n, run_size(length)) << length;
        int used = -1;
        EXPECT_EQ(run_read(buf, 2, &used), length);
        EXPECT_EQ(used, n);
    }
}

TEST(RunCoding, ByteForms) {
    uint8_t buf[2] = {};
    EXPECT_EQ(run_write(buf, 127), 1);
    EXPECT_EQ(buf[0], 0x7F);
    EXPECT_EQ(run_write(buf, 128), 2);
    EXPECT_EQ(buf[0], 0x80);
    EXPECT_EQ(buf[1], 0x80);
    EXPECT_EQ(run_write(buf, 32767), 2);
    EXPECT_EQ(buf[0], 0xFF);
    EXPECT_EQ(buf[1], 0xFF);
}

TEST(RunCoding, TwoByteRunCutAtTheEndIsNotRead) {
    const uint8_t buf[1] = {0x81};
    int used = -1;
    EXPECT_EQ(run_read(buf, 1, &used), 0);
    EXPECT_EQ(used, 0);
    EXPECT_EQ(run_read(buf, 0, &used), 0);
    EXPECT_EQ(used, 0);
}

TEST(RunForm, RebasingAfterACopyKeepsEveryRow) {
    const int height = 3;
    const size_t table = runs_table_bytes(height);
    std::vector<uint8_t> a(table + 16), b(table + 16);
    uint8_t** rows = reinterpret_cast<uint8_t**>(a.data());
    const uint8_t lists[] = {10, 5, 0, 0, 3, 2, 1, 0, 0x80, 0x80, 0, 0};
    std::memcpy(a.data() + table, lists, sizeof lists);
    rows[0] = a.data() + table;
    rows[1] = a.data() + table + 4;
    rows[2] = a.data() + table + 8;
    std::memcpy(b.data(), a.data(), a.size());
    runs_rebase_rows(b.data(), a.data(), height);
    uint8_t** moved = reinterpret_cast<uint8_t**>(b.data());
    for (int y = 0; y < height; ++y) {
        EXPECT_EQ(moved[y] - b.data(), rows[y] - a.data()) << y;
        EXPECT_EQ(std::memcmp(moved[y], rows[y], 4), 0) << y;
    }
    int used = 0;
    EXPECT_EQ(run_read(moved[2], 4, &used), 128);
    EXPECT_EQ(runs_table_bytes(height), height * sizeof(void*));
}

TEST(Memory, AllocationsAreZeroFilledAndFreeIgnoresMarkers) {
    uint8_t* p = static_cast<uint8_t*>(mem_alloc(100000));
    ASSERT_NE(p, nullptr);
    for (size_t i = 0; i < 100000; i += 997) EXPECT_EQ(p[i], 0);
    p[99999] = 1;
    mem_free(p);
    // Null, the all-ones value and small integers are markers, never blocks.
    mem_free(nullptr);
    mem_free(reinterpret_cast<void*>(UINTPTR_MAX));
    mem_free(reinterpret_cast<void*>(12));
    mem_free_decommit(reinterpret_cast<void*>(0xFFFF));
    void* q = mem_alloc(10);
    mem_free_decommit(q);
}

TEST(ReleasePage, EmptyPageIsAnInvalidParameter) {
    PageBitmap page{};
    EXPECT_EQ(release_page(&page), ERR_PARAMETER);
}

TEST(ReleasePage, FreesOwnedBuffersAndForgetsBorrowedData) {
    std::vector<uint8_t> view(64, 0x5A);  // stands in for a mapped file
    PageBitmap page{};
    page.data = view.data();
    page.ownership = OWN_BORROWED;
    page.bits_per_pixel = 8;
    page.palette = static_cast<uint8_t*>(mem_alloc(768));
    page.strip_count = 2;
    page.strip_offsets = static_cast<int32_t*>(mem_alloc(8));
    page.strip_lengths = static_cast<uint32_t*>(mem_alloc(8));
    page.aux_buffer = mem_alloc(32);
    EXPECT_EQ(release_page(&page), IMG_OK);
    EXPECT_EQ(page.data, nullptr);
    EXPECT_EQ(page.palette, nullptr);
    EXPECT_EQ(page.strip_offsets, nullptr);
    EXPECT_EQ(page.strip_lengths, nullptr);
    EXPECT_EQ(page.aux_buffer, nullptr);
    EXPECT_EQ(page.strip_count, 0);
    EXPECT_EQ(view[0], 0x5A);
    EXPECT_EQ(release_page(&page), ERR_PARAMETER);
}

TEST(ReleasePage, MarkerAuxBufferIsNotFreed) {
    PageBitmap page{};
    page.data = static_cast<uint8_t*>(mem_alloc(16));
    page.ownership = OWN_ALLOCATED;
    page.aux_buffer = reinterpret_cast<void*>(uintptr_t{1});
    EXPECT_EQ(release_page(&page), IMG_OK);
    EXPECT_EQ(page.aux_buffer, nullptr);
}

TEST(CloseFileInfo, ClosedRecordFreesOnlyTheTables) {
    ImageFileInfo info{};
    info.page_offsets = static_cast<int32_t*>(mem_alloc(64));
    info.keyframes = static_cast<uint8_t*>(mem_alloc(8));
    info.file = FILE_HANDLE_INVALID;
    EXPECT_EQ(close_file_info(&info), IMG_OK);
    EXPECT_EQ(info.page_offsets, nullptr);
    EXPECT_EQ(info.keyframes, nullptr);
    EXPECT_EQ(info.access, ACCESS_CLOSED);
}

TEST(FileLayer, CreateWriteSeekReadAndMap) {
    TempDir dir;
    const std::string path = (dir / "data.bin").string();
    EXPECT_FALSE(file_exists(path.c_str()));
    EXPECT_FALSE(file_exists((dir / "no" / "such").string().c_str()));
    FileHandle h = file_create(path.c_str());
    ASSERT_NE(h, FILE_HANDLE_INVALID);
    EXPECT_EQ(file_write(h, "glimra-bytes", 12), 12);
    file_close(h);
    EXPECT_TRUE(file_exists(path.c_str()));

    h = file_open_read(path.c_str());
    ASSERT_NE(h, FILE_HANDLE_INVALID);
    EXPECT_EQ(file_seek(h, 0, 2), 12);
    EXPECT_EQ(file_seek(h, 7, 0), 7);
    char buf[16] = {};
    EXPECT_EQ(file_read(h, buf, 16), 5);
    EXPECT_STREQ(buf, "bytes");
    EXPECT_EQ(file_read(h, buf, 16), 0);
    FileHandle mapping = nullptr;
    const uint8_t* view = file_map(h, 12, &mapping);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::memcmp(view, "glimra", 6), 0);
    file_unmap(view, 12, mapping);
    file_close(h);
    EXPECT_EQ(file_open_read((dir / "missing").string().c_str()), FILE_HANDLE_INVALID);
}

TEST(CreateOutputFile, TruncatesOrOpensForUpdate) {
    TempDir dir;
    const std::string path = (dir / "out.tif").string();
    write_bytes(path, {1, 2, 3, 4});
    ImageFileInfo info{};
    info.page_count = 99;
    ASSERT_EQ(create_output_file(path.c_str(), &info, 1, FMT_TIFF), IMG_OK);
    EXPECT_EQ(info.access, ACCESS_STREAMED);
    EXPECT_EQ(info.format, FMT_TIFF);
    EXPECT_EQ(info.page_count, 0);
    EXPECT_EQ(file_seek(info.file, 0, 2), 4);  // kept its bytes
    close_file_info(&info);

    ASSERT_EQ(create_output_file(path.c_str(), &info, 0, FMT_PCX), IMG_OK);
    EXPECT_EQ(file_seek(info.file, 0, 2), 0);  // truncated
    close_file_info(&info);

    EXPECT_EQ(create_output_file((dir / "no" / "dir" / "x").string().c_str(), &info, 0, FMT_PCX), ERR_IO);
}

TEST(Memory, LargeBlocksAreUsableToTheirLastByte) {
    // Sizes around the huge-page threshold and the 2 MB steps above it.
    for (size_t size : {size_t{4u << 20} - 64, size_t{4u << 20}, size_t{(6u << 20) + 1}, size_t{37u << 20}}) {
        uint8_t* p = static_cast<uint8_t*>(mem_alloc(size));
        ASSERT_NE(p, nullptr) << size;
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[size - 1], 0);
        p[0] = 1;
        p[size - 1] = 2;
        mem_free(p);
    }
}
