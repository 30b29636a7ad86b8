// read_page's checks before any format: closed records, page numbers, formats that
// are named but not readable, and the preparation of the page record.
#include <gtest/gtest.h>

#include "read_page_test_util.h"

TEST(ReadPage, RecordAndPageChecks) {
    Bytes b(64, 0);
    MemFile f(b, FMT_TARGA);
    ScopedPage page;
    f.info.access = ACCESS_CLOSED;
    EXPECT_EQ(read_page(&f.info, page.get(), 0), ERR_PARAMETER);
    f.info.access = ACCESS_MAPPED;
    EXPECT_EQ(read_page(&f.info, page.get(), 1), ERR_PAGE_NOT_FOUND);
    EXPECT_EQ(read_page(&f.info, page.get(), -1), ERR_PAGE_NOT_FOUND);
    for (int format : {FMT_WINDOWS_2BP, FMT_POCKET_POWERPOINT}) {
        MemFile g(b, format);
        EXPECT_EQ(read_page(&g.info, page.get(), 0), ERR_UNKNOWN_FORMAT) << format;
    }
}

TEST(ReadPage, CameraFieldsStartUnrecordedAndTextFieldsEmpty) {
    Bytes b(18, 0);
    b[2] = 2;
    put16(b, 12, 1);
    put16(b, 14, 1);
    b[16] = 24;
    append(b, {1, 2, 3});
    MemFile f(b, FMT_TARGA);
    ScopedPage page;
    std::memset(page->description, 'x', sizeof page->description);
    page->iso_speed = 100;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->description[0], 0);
    EXPECT_EQ(page->iso_speed, -1);
    EXPECT_EQ(page->shutter_speed, -1);
    EXPECT_EQ(page->exif_height, -1);
    EXPECT_EQ(f.info.current_page, 0);
}
