// Shared pieces of format identification: the 4,096-byte header the format tests
// look at, the whole-file byte span the page scanners and movie parsers walk, and
// the scanners' entry points (each in its format's file; identify's table calls
// them). Scanners do no file I/O: they read the mapped file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "base/byte_reader.h"
#include "base/records.h"

// The first bytes of a file. Bytes beyond what was read count as zero, so a test
// on a short file simply fails to match.
struct IdentifyHeader {
    static constexpr size_t kSize = 4096;
    uint8_t bytes[kSize];
    size_t length;

    uint8_t at(size_t n) const { return n < length ? bytes[n] : 0; }
    uint16_t le16(size_t n) const { return (uint16_t)(at(n) | at(n + 1) << 8); }
    uint16_t be16(size_t n) const { return (uint16_t)(at(n) << 8 | at(n + 1)); }
    uint32_t le32(size_t n) const { return (uint32_t)le16(n) | (uint32_t)le16(n + 2) << 16; }
    uint32_t be32(size_t n) const { return (uint32_t)be16(n) << 16 | be16(n + 2); }
    // True when the bytes at `offset` are the `count` bytes of `text` (no NUL needed).
    bool has(size_t offset, const char* text, size_t count) const {
        return offset <= length && count <= length - offset && std::memcmp(bytes + offset, text, count) == 0;
    }
    bool has(size_t offset, const char* text) const { return has(offset, text, std::strlen(text)); }
};

// The whole file as mapped for identification.
struct FileSpan {
    const uint8_t* data;
    size_t size;

    // A reader over at most `length` bytes from `offset`: what a read of that many
    // bytes at that position would return (fewer at the end of the file, none past it).
    ByteReader window(size_t offset, size_t length, bool big_endian = false) const {
        if (offset >= size) return ByteReader(data, 0, big_endian);
        const size_t n = length < size - offset ? length : size - offset;
        return ByteReader(data + offset, n, big_endian);
    }
    // The rest of the file from `offset`.
    ByteReader from(size_t offset, bool big_endian = false) const { return window(offset, SIZE_MAX, big_endian); }
};

// Capacity of the page tables of TIFF, GIF, IOCA and the compound documents, and of
// each half of the PDF table.
constexpr int32_t kPageTableEntries = 4096;

// A zero-filled table of `entries` 32-bit offsets from the library's allocator
// (null when it cannot be had).
int32_t* alloc_offset_table(size_t entries);
// Gives the record an empty page table of `entries` offsets (0 or ERR_MEMORY).
int start_table(ImageFileInfo* info, size_t entries);
// Stores `offset` as the record's next page; false when `capacity` pages are there.
bool add_page(ImageFileInfo* info, int32_t capacity, size_t offset);

// ---- Magic-number tests, each in its format's file ------------------------------
// identify_file runs them in its ordered table; is_image_file in its quick list.

// bmp.cpp
bool is_bmp(const IdentifyHeader& h);
// Windows BMP, OS/2 BMP, or -9 for a header size no reader knows.
int bmp_kind(const IdentifyHeader& h);
bool is_known_bmp(const IdentifyHeader& h);

// jfif.cpp
bool is_jpeg(const IdentifyHeader& h);
bool is_fuji_raw(const IdentifyHeader& h);
bool is_olympus_raw(const IdentifyHeader& h);
bool is_canon_raw(const IdentifyHeader& h);
bool is_minolta_raw(const IdentifyHeader& h);

// pcx.cpp
bool is_dcx(const IdentifyHeader& h);
bool is_pcx(const IdentifyHeader& h);

// fax_files.cpp
bool is_winfax10(const IdentifyHeader& h);
bool is_fritz_fax(const IdentifyHeader& h);
bool is_cals(const IdentifyHeader& h);
// "rtype: 1" in the seventh 128-byte header record.
bool is_cals_type1(const IdentifyHeader& h);
// A compound document holding the wide-character name "Root Entry".
bool is_compound_with_root(const IdentifyHeader& h);

// gif.cpp
bool is_gif(const IdentifyHeader& h);

// tiff/tiff_pages.cpp
bool is_tiff(const IdentifyHeader& h);

// ioca.cpp
bool is_pseg(const IdentifyHeader& h);
bool is_ioca(const IdentifyHeader& h);

// pc_fax.cpp
bool is_bitfax(const IdentifyHeader& h);
bool is_winfax(const IdentifyHeader& h);
bool is_quicklinks(const IdentifyHeader& h);

// pdf/pdf_scan.cpp
bool is_pdf(const IdentifyHeader& h);

// movie/avi.cpp
bool is_avi(const IdentifyHeader& h);

// movie/quicktime.cpp
bool is_quicktime(const IdentifyHeader& h);

// targa.cpp
bool is_targa_type(uint8_t image_type);
// Targa passes the quick test only with a plausible size and pixel depth.
bool is_plausible_targa(const IdentifyHeader& h);

// png.cpp
bool is_png(const IdentifyHeader& h);

// A page scanner fills info->page_count and, for formats that keep one, the page
// table; it returns 0 or an error code. The header is that of the same file.
using PageScanner = int (*)(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);

int scan_winfax10_pages(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);
int scan_dcx_pages(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);
int scan_awd_pages(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);
int scan_gif_frames(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);
int scan_tiff_directories(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);
int scan_ioca_pages(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);
int scan_pdf_images(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);
// Reads the cross-reference stream object at `offset` of a PDF file: the offsets of
// its in-use objects go into `offsets` (while *stored < capacity). Answers its /Prev
// offset, or -1 when there is none or the object is no cross-reference stream.
int64_t read_xref_stream(const FileSpan& file, size_t offset, int32_t* offsets, int32_t* stored, int32_t capacity);
int parse_avi_movie(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);
int parse_quicktime_movie(const FileSpan& file, const IdentifyHeader& header, ImageFileInfo* info);

// ---- Movie tables shared by the AVI and QuickTime parsers ----

// Named caps on file-controlled counts: more frames or audio chunks than this are
// not described (a day of video at 48 frames per second).
constexpr size_t kMaxMovieFrames = 1u << 22;
constexpr size_t kMaxAudioChunks = 1u << 22;

// Standard rates for rates that are nearly one: 8,000, 11,025, 22,050 and 44,100.
int32_t snap_audio_rate(int32_t rate);
// Allocates page_offsets, frame_sizes and keyframes for `frames` video frames.
int alloc_frame_tables(ImageFileInfo* info, size_t frames);
// Allocates audio_offsets and audio_sizes for `chunks` audio chunks.
int alloc_audio_tables(ImageFileInfo* info, size_t chunks);
// True when `length` bytes at `offset` lie inside the file.
inline bool inside_file(const FileSpan& file, uint64_t offset, uint64_t length) {
    return offset <= file.size && length <= file.size - offset;
}
