// glimra-tool "info --pages" on TIFF files: each page line carries the strip layout,
// fill order, data length and the texts of its directory.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "formats/tiff/tiff.h"
#include "test_support.h"

namespace {

std::string info_pages(const fs::path& file) {
    std::string out;
    EXPECT_EQ(run_command(tool_path().string() + " info " + file.string() + " --pages", &out), 0) << out;
    return out;
}

TEST(TiffTool, PageLineDescribesStripsAndTexts) {
    TempDir dir;
    std::vector<uint8_t> pixels(6 * 4, 0x5A);
    PageBitmap page;
    std::memset(&page, 0, sizeof page);
    page.width = 6;
    page.height = 4;
    page.bits_per_pixel = 8;
    page.pitch = 6;
    page.data = pixels.data();
    page.data_length = (int32_t)pixels.size();
    page.x_dpi = page.y_dpi = 96;
    std::strcpy(page.description, "say \"cheese\"");
    const fs::path file = dir / "one.tif";
    ASSERT_EQ(tiff_save_page(file.c_str(), &page), 0);
    EXPECT_NE(info_pages(file).find("page 0: width=6 height=4 bpp=8 compression=0 x_dpi=96 y_dpi=96 black_is_one=0 "
                                    "strips=1 rows_per_strip=4 fill_order=0 data_length=24 "
                                    "description=\"say \\\"cheese\\\"\" maker=\"\" model=\"Written by the Glimra viewer\"\n"),
              std::string::npos)
        << info_pages(file);
}

TEST(TiffTool, MultiPageFaxFile) {
    SKIP_WITHOUT_CORPUS_FILE(file, "tiff/g4_multipage.tiff");
    const std::string out = info_pages(file);
    for (const char* page : {"page 0: width=3307 height=4677 bpp=1 compression=3 x_dpi=400 y_dpi=400 ",
                             "page 1: ", "page 2: "})
        EXPECT_NE(out.find(page), std::string::npos) << out;
    EXPECT_NE(out.find("maker=\"GPL Ghostscript 9.14\""), std::string::npos) << out;
}

}  // namespace
