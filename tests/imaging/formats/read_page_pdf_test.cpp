// Images inside PDF files: Flate images inflated in read_page (grey, colour, bilevel),
// ASCII85 data, and the filter, BlackIs1 and Decode keys of other images.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "read_page_test_util.h"

namespace {

Bytes deflate_bytes(const Bytes& raw) {
    uLongf size = compressBound(raw.size());
    Bytes out(size);
    compress(out.data(), &size, raw.data(), raw.size());
    out.resize(size);
    return out;
}

std::string ascii85(const Bytes& raw) {
    std::string s;
    for (size_t i = 0; i < raw.size(); i += 4) {
        uint32_t v = 0;
        const size_t n = std::min<size_t>(4, raw.size() - i);
        for (size_t k = 0; k < 4; ++k) v = v << 8 | (k < n ? raw[i + k] : 0);
        if (v == 0 && n == 4) {
            s += 'z';
            continue;
        }
        char group[5];
        for (int k = 4; k >= 0; --k, v /= 85) group[k] = (char)('!' + v % 85);
        s.append(group, n + 1);
    }
    return s + "~>";
}

// A PDF holding one image object (at offset kObject) whose dictionary is `dict`
// and stream `data`.
constexpr int32_t kObject = 9;
Bytes pdf_with_image(const std::string& dict, const Bytes& data) {
    std::string head = "%PDF-1.4\n";
    head += "1 0 obj\n<< /Type /XObject /Subtype /Image " + dict + " >>\nstream\n";
    Bytes b(head.begin(), head.end());
    b.insert(b.end(), data.begin(), data.end());
    const std::string tail = "\nendstream\nendobj\n";
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

// The record of such a file, its page table pointing at the object.
struct PdfFile : MemFile {
    explicit PdfFile(Bytes b) : MemFile(std::move(b), FMT_PDF) { set_page_offsets({kObject}); }
};

}  // namespace

TEST(ReadPagePdf, FlateGreyAndColourImagesAreInflated) {
    const Bytes grey = {0, 50, 100, 150, 200, 250};
    PdfFile g(pdf_with_image("/Width 3 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /FlateDecode",
                               deflate_bytes(grey)));
    ScopedPage a;
    ASSERT_EQ(read_page(&g.info, a.get(), 0), IMG_OK);
    EXPECT_EQ(a->compression, COMP_NONE);
    EXPECT_EQ(a->bits_per_pixel, 8);
    EXPECT_EQ(pixel_at(a.page, 2, 1), 250u);
    EXPECT_EQ(a->palette[3 * 200], 200);  // grey ramp

    const Bytes rgb = {255, 0, 0, 0, 0, 255};  // red, blue
    PdfFile c(pdf_with_image("/Width 2 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
                               deflate_bytes(rgb)));
    ScopedPage b;
    ASSERT_EQ(read_page(&c.info, b.get(), 0), IMG_OK);
    EXPECT_EQ(b->bits_per_pixel, 24);
    EXPECT_EQ(pixel_at(b.page, 0, 0), 0xFF0000u);  // red in the top byte
    EXPECT_EQ(pixel_at(b.page, 1, 0), 0x0000FFu);
}

TEST(ReadPagePdf, FlateBilevelIgnoresDecodeAndAscii85IsUnwrapped) {
    const Bytes bits = {0xF0, 0x0F};
    const std::string text = ascii85(deflate_bytes(bits));
    PdfFile f(pdf_with_image(
        "/Width 8 /Height 2 /BitsPerComponent 1 /Decode [ 1 0 ] /Filter [/ASCII85Decode /FlateDecode]",
        Bytes(text.begin(), text.end())));
    ScopedPage out;
    ASSERT_EQ(read_and_decode(f, out), IMG_OK);
    const auto px = bilevel_pixels(out.page);
    EXPECT_EQ(px[0], (std::vector<int>{1, 1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(px[1], (std::vector<int>{0, 0, 0, 0, 1, 1, 1, 1}));
}

TEST(ReadPagePdf, FaxImagesKeepTheirStreamAndSense) {
    const Bytes data = {1, 2, 3, 4, 5};
    PdfFile f(pdf_with_image("/Width 16 /Height 16 /BitsPerComponent 1 /Filter /CCITTFaxDecode "
                               "/DecodeParms << /K -1 /BlackIs1 true >>",
                               data));
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->compression, COMP_G4);
    EXPECT_EQ(page->black_is_one, 1);
    EXPECT_EQ(page->ownership, OWN_ALLOCATED);
    EXPECT_EQ(page->data[0], 1);

    PdfFile g(pdf_with_image("/Width 16 /Height 16 /BitsPerComponent 1 /Filter /CCITTFaxDecode "
                               "/Decode [1 0] /DecodeParms << /K -1 /BlackIs1 true >>",
                               data));
    ScopedPage inverted;
    ASSERT_EQ(read_page(&g.info, inverted.get(), 0), IMG_OK);
    EXPECT_EQ(inverted->black_is_one, 0);
}

TEST(ReadPagePdf, JpegStreamsAreSizedFromTheirFrame) {
    Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 0, 0, 0xFF, 0xC0, 0, 11, 8, 0, 20, 0, 30, 1, 1, 0x11, 0};
    PdfFile f(pdf_with_image("/Width 1 /Height 1 /BitsPerComponent 8 /Filter /DCTDecode", jpeg));
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    EXPECT_EQ(page->compression, COMP_JPEG);
    EXPECT_EQ(page->width, 30);
    EXPECT_EQ(page->height, 20);
    EXPECT_EQ(page->bits_per_pixel, 8);

    jpeg[9] = 0xC9;  // arithmetic coding: no frame the decoder takes
    PdfFile g(pdf_with_image("/Width 1 /Height 1 /BitsPerComponent 8 /Filter /DCTDecode", jpeg));
    ScopedPage none;
    EXPECT_EQ(read_page(&g.info, none.get(), 0), ERR_BAD_HEADER);
}

TEST(ReadPagePdf, IndexedColourSpaceInItsOwnObjectGivesThePalette) {
    const Bytes indices = {0, 1, 2, 1};
    Bytes b = pdf_with_image("/Width 4 /Height 1 /ColorSpace 5 0 R /BitsPerComponent 8 /Filter /FlateDecode",
                             deflate_bytes(indices));
    const std::string space = "5 0 obj\n[/Indexed /DeviceRGB 2 <FF0000 00ff00 0000FF>]\nendobj\n";
    b.insert(b.end(), space.begin(), space.end());
    PdfFile f(b);
    ScopedPage page;
    ASSERT_EQ(read_page(&f.info, page.get(), 0), IMG_OK);
    ASSERT_NE(page->palette, nullptr);
    EXPECT_EQ(page->palette[2], 255);      // entry 0 red
    EXPECT_EQ(page->palette[0], 0);
    EXPECT_EQ(page->palette[3 + 1], 255);  // entry 1 green
    EXPECT_EQ(page->palette[6 + 0], 255);  // entry 2 blue
    EXPECT_EQ(pixel_at(page.page, 2, 0), 2u);
}
