// Fuzz target: reads the bytes as a TIFF file, follows up to four directories from the
// header with the directory reader, and touches every byte the page says it holds, so
// that a strip or palette pointing outside the data shows up under the sanitizers.
// Seeds: small files from ImageMagick (grey, palette, RGB in strips, G3, G4, LZW with
// predictor, PackBits, two pages) and their tiffcp -B twins, plus hand-made ones:
// strip_list_past_end (lists claiming 100,000 entries, one strip far past the end),
// marked_single_strip (tag 999 over two RGB strips), map_and_texts_outside (colour map,
// a 300-byte text and a rational pointing past the end), too_many_entries (257 entries).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/tiff/tiff.h"
#include "imaging.h"

namespace {

uint32_t sum_bytes(const uint8_t* p, size_t n) {
    uint32_t s = 0;
    for (size_t i = 0; i < n; ++i) s += p[i];
    return s;
}

// Reads every byte the page refers to; returns a checksum so the reads are kept.
uint32_t touch_page(const PageBitmap& page) {
    uint32_t s = 0;
    if (page.strip_count > 1) {
        for (int32_t i = 0; i < page.strip_count; ++i)
            s += sum_bytes(page.data + page.strip_offsets[i], page.strip_lengths[i]);
    } else if (page.data_length > 0) {
        s += sum_bytes(page.data + page.data_offset, (size_t)page.data_length);
    }
    if (page.palette) s += sum_bytes(page.palette, 768);
    return s + (uint32_t)strnlen(page.description, TEXT_FIELD_SIZE) +
           (uint32_t)strnlen(page.maker, TEXT_FIELD_SIZE) + (uint32_t)strnlen(page.model, TEXT_FIELD_SIZE);
}

uint32_t next_directory(const TiffBytes& t, uint32_t directory) {
    uint16_t count = 0;
    uint32_t next = 0;
    if (!tiff_u16(t, directory, &count) || !tiff_u32(t, (uint64_t)directory + 2 + 12ull * count, &next))
        return 0;
    return next;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 8 || size > (1u << 24)) return 0;
    const TiffBytes t{data, size, data[0] == 'M'};
    uint32_t directory = 0;
    tiff_u32(t, 4, &directory);
    ImageFileInfo info;
    std::memset(&info, 0, sizeof info);
    info.file_size = (int32_t)size;
    info.view = data;
    info.access = ACCESS_MAPPED;
    volatile uint32_t sink = 0;
    for (int n = 0; n < 4 && directory > 0 && directory < size; ++n) {
        PageBitmap page;
        std::memset(&page, 0, sizeof page);
        page.data = const_cast<uint8_t*>(data);  // read only: the reader never writes the view
        page.data_offset = (int32_t)directory;
        page.ownership = OWN_BORROWED;
        if (tiff_read_directory(&info, &page) == 0) sink = sink + touch_page(page);
        release_page(&page);
        directory = next_directory(t, directory);
    }
    (void)sink;
    return 0;
}
