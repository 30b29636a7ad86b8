// The stored data of a page in several strips stays inside the file even when the
// strips overlap, so that a copy of the stored data (convert_page between equal
// compressions) reads nothing past the file's view.
#include <gtest/gtest.h>

#include "tiff_test_builder.h"

namespace {

// Recipe: four strips, each claiming the whole file from offset 0.
TEST(TiffStripBounds, OverlappingStripsKeepTheDataInsideTheFile) {
    TiffBuilder b(false);
    b.blob(std::vector<uint8_t>(5000, 0x80));
    b.shorts(256, {64});
    b.shorts(257, {64});
    b.shorts(258, {8});
    b.shorts(259, {5});
    b.shorts(262, {1});
    b.shorts(278, {16});
    b.longs(273, {0, 0, 0, 0});
    b.longs(279, {60000, 60000, 60000, 60000});
    const std::vector<uint8_t> file = b.build();
    PageBitmap page{};
    ASSERT_EQ(IMG_OK, tiff_read_bytes(file, &page));
    ASSERT_EQ(page.strip_count, 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(page.strip_lengths[i], file.size());
    EXPECT_EQ((size_t)page.data_length, file.size());
    release_page(&page);
}

}  // namespace
