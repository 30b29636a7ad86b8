// The library's records and codes, and the lowest layer under them: the error,
// format and compression codes, the file and page records, row sizes, and the memory
// and file layers. Every layer of the library builds on this header; callers reach it
// through imaging.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/error_list.h"

// Paths are single-byte strings in the desktop build and wide strings in the
// handheld build (which defines UNICODE).
#if defined(UNICODE) && defined(_WIN32)
typedef wchar_t PathChar;
#else
typedef char PathChar;
#endif

// An open file: the Win32 HANDLE in the Windows builds, the POSIX descriptor
// (stored in the pointer) natively. FILE_HANDLE_INVALID matches INVALID_HANDLE_VALUE.
typedef void* FileHandle;
#define FILE_HANDLE_INVALID ((FileHandle)(intptr_t)-1)

// ---- Error codes ---------------------------------------------------------
// The viewer shows code c as string-table entry 5000 - c.
#define IMAGING_ERROR_ENUM(name, value, text) name = value,
enum ImagingError { IMG_OK = 0, IMAGING_ERROR_LIST(IMAGING_ERROR_ENUM) };
#undef IMAGING_ERROR_ENUM
enum { ERROR_STRING_BASE = 5000, ERROR_CODE_COUNT = 10 };

// Message text of an error code (-1 .. -10); null for any other value.
const char* error_message(int code);

// ---- Format codes --------------------------------------------------------
enum ImageFormat {
    FMT_WINDOWS_BMP = 0,
    FMT_OS2_BMP = 1,
    FMT_WINDOWS_2BP = 2,
    FMT_PCX = 3,
    FMT_DCX = 4,
    FMT_TIFF = 5,
    FMT_JFIF = 6,
    FMT_IOCA = 7,
    FMT_AWD = 8,
    FMT_TARGA = 9,
    FMT_PDF = 10,
    FMT_GIF = 11,
    FMT_PNG = 12,
    FMT_PSEG = 13,
    FMT_WINFAX = 14,
    FMT_BITFAX = 15,
    FMT_CALS = 16,
    FMT_QUICKLINKS = 17,
    FMT_POCKET_POWERPOINT = 18,
    FMT_FLI = 19,
    FMT_AVI = 20,
    FMT_QUICKTIME = 21,
    FMT_WINFAX10 = 22,
    FMT_FRITZFAX = 23,
    FMT_CANON_RAW = 24,
    FMT_MINOLTA_RAW = 25,
    FMT_OLYMPUS_RAW = 26,
    FMT_FUJI_RAW = 27,
    FORMAT_CODE_COUNT = 28
};

// Display names indexed by format code; the table ends with an empty name.
extern const char* const format_names[FORMAT_CODE_COUNT + 1];

// ---- Compression codes ---------------------------------------------------
enum CompressionCode {
    COMP_NONE = 0,
    COMP_G3_1D = 1,
    COMP_G3_2D = 2,
    COMP_G4 = 3,
    COMP_IBM_MMR = 4,
    COMP_PCX_RLE = 5,
    COMP_PACKBITS = 6,
    COMP_HUFFMAN = 7,
    COMP_LZW_TIFF = 8,
    COMP_LZW_GIF = 9,
    COMP_JPEG = 10,
    COMP_RUNS = 11,  // the library's run-length form of a bilevel page
    COMP_PCL = 12,
    COMP_BMP_RLE = 13,
    COMP_FLICK = 14,
    COMP_FLATE = 15,
    COMP_MOTION_JPEG = 16,
    COMP_PNG = 17,
    COMP_CINEPAK = 18,
    COMP_H263 = 19,
    COMPRESSION_CODE_COUNT = 20,
    COMP_NO_STREAM = 255  // movie records: no video or no audio
};

extern const char* const compression_names[COMPRESSION_CODE_COUNT];

// Audio formats of movie records.
enum AudioFormat { AUDIO_PCM = 0, AUDIO_IMA_ADPCM = 1, AUDIO_MULAW = 2, AUDIO_NONE = 255 };

// Access modes of ImageFileInfo.
enum AccessMode { ACCESS_CLOSED = 0, ACCESS_MAPPED = 1, ACCESS_STREAMED = 2 };

// Ownership of PageBitmap.data: the one rule for who frees a page's buffers.
// A page frees its data when it owns it (1, or 3 for a streamed JPEG's window);
// borrowed data (2: the file's mapped view, or the stored page a convert_page
// result still refers to, which must outlive it) is never freed. The palette (4-
// and 8-bit pages), the strip tables and aux_buffer always belong to the page that
// holds them, so a record is never copied whole with its buffers: they are moved.
enum PageOwnership {
    OWN_NONE = 0,
    OWN_ALLOCATED = 1,  // allocated for this page; freed with it
    OWN_BORROWED = 2,   // points into the file's mapped view or another page; never freed
    OWN_STREAM = 3      // the 64 KB streaming window of a streamed JPEG; freed with it
};

// PageBitmap.layout flags.
enum PageLayout {
    LAYOUT_BMP = 4,
    LAYOUT_TOP_DOWN = 8,
    LAYOUT_BOTTOM_UP = 16,
    LAYOUT_PREDICTOR = 32
};

// convert_page flags.
enum ConvertFlags {
    JPEG_RGB565 = 0x01,
    JPEG_ACCEPT_DAMAGED = 0x04,
    JPEG_INTO_BUFFER = 0x08,
    JPEG_HALF = 0x20,
    JPEG_EIGHTH = 0x40,
    JPEG_THUMBNAIL = 0x80
};

enum { TEXT_FIELD_SIZE = 128, STREAM_WINDOW_SIZE = 65536 };

// ---- Records -------------------------------------------------------------
struct ImageFileInfo {
    FileHandle file;
    FileHandle mapping;
    int32_t file_size;
    const uint8_t* view;
    int32_t* page_offsets;
    int32_t* audio_offsets;
    int32_t* frame_sizes;
    int32_t* audio_sizes;
    uint8_t* keyframes;
    void* video_decoder;
    int32_t current_page;
    int32_t page_count;
    int32_t audio_chunk_count;
    int32_t audio_rate;
    int32_t audio_total;
    int32_t audio_block_align;
    int32_t frame_ms;
    int32_t movie_width;
    int32_t movie_height;
    int8_t audio_bits;
    int8_t movie_bpp;
    uint8_t video_compression;  // 16, 18, 19 or 255
    uint8_t audio_format;       // AudioFormat
    int8_t format;
    int8_t access;
};

struct PageBitmap {
    void* aux_buffer;
    int32_t width;
    int32_t height;
    int32_t x_dpi;
    int32_t y_dpi;
    int32_t data_length;
    int32_t left;
    int32_t top;
    int32_t delay_or_exif;
    FileHandle stream_file;
    int32_t stream_buffer_size;
    uint8_t gif_flags;
    uint8_t transparent_index;
    uint8_t background_index;
    int32_t screen_width;
    int32_t screen_height;
    uint8_t* data;
    int32_t data_offset;
    uint8_t* palette;
    int32_t pitch;
    int32_t strip_count;
    int32_t* strip_offsets;
    uint32_t* strip_lengths;
    void* decoder_state;
    int32_t rows_per_strip;
    int32_t shutter_speed;
    int32_t f_number_x100;
    int32_t exposure_bias_x10;
    int32_t iso_speed;
    int32_t exif_width;
    int32_t exif_height;
    int8_t compression;
    int8_t black_is_one;
    int8_t bits_per_pixel;
    int8_t planes;
    uint8_t layout;
    int8_t fill_order;
    int8_t ownership;
    char description[TEXT_FIELD_SIZE];
    char maker[TEXT_FIELD_SIZE];
    char model[TEXT_FIELD_SIZE];
};

// True when the page frees its data: buffers allocated for it (1) and a streamed
// JPEG's window (3). Borrowed data (2) is never freed, nor data of a record that
// names no owner (0: a page put together by hand around someone else's buffer).
inline bool page_owns_data(const PageBitmap& page) {
    return page.ownership == OWN_ALLOCATED || page.ownership == OWN_STREAM;
}

// ---- Row sizes -----------------------------------------------------------
// Bytes of one row padded to 4 bytes; the width is cut to 24 bits and the result
// to 16 bits (at most 65,532). 0 for an unsupported depth.
int32_t row_bytes_aligned(int32_t width, int bpp);
// Bytes of one row without padding. 0 for an unsupported depth.
int32_t row_bytes_packed(int32_t width, int bpp);

// ---- Memory layer ----------------------------------------------------------
// Committed, read-write, zero-filled page allocations from the operating system.
void* mem_alloc(size_t size);
// Frees a block from mem_alloc; ignores null, the all-ones pointer and small
// integers below 64 KB (marker values, never blocks).
void mem_free(void* p);
// Decommits the pages before releasing them.
void mem_free_decommit(void* p);

// ---- File layer ------------------------------------------------------------
bool file_exists(const PathChar* path);
FileHandle file_open_read(const PathChar* path);
FileHandle file_open_update(const PathChar* path);
FileHandle file_create(const PathChar* path);
// origin 0 start, 1 current, 2 end; returns the new position. A seek from the end
// answers 0 when the position does not fit in 32 bits.
int32_t file_seek(FileHandle h, int32_t distance, int origin);
int32_t file_read(FileHandle h, void* buffer, int32_t count);
int32_t file_write(FileHandle h, const void* buffer, int32_t count);
void file_close(FileHandle h);
// Maps the whole file read-only. Returns the view or null; *mapping receives the
// mapping object (Windows) to be passed back to file_unmap.
const uint8_t* file_map(FileHandle h, int32_t size, FileHandle* mapping);
void file_unmap(const uint8_t* view, int32_t size, FileHandle mapping);
// Removes a file (used to take away a partly written output).
bool file_delete(const PathChar* path);
// Safe replacement of a file: write a new file beside it, flush it, then move it
// over the old one, so that the old file stays whole until the new one is complete.
// file_create_new fails when the name exists; file_flush writes the file's data
// through to the disk; file_replace moves `from` over `to` in one step.
FileHandle file_create_new(const PathChar* path);
bool file_flush(FileHandle h);
bool file_replace(const PathChar* from, const PathChar* to);

// ---- Record operations -------------------------------------------------------
// Frees what a page owns (data unless borrowed, palette, strip tables, aux buffer).
int release_page(PageBitmap* page);
// Creates (or, with flags & 1, opens for update) `path` as a streamed output record.
int create_output_file(const PathChar* path, ImageFileInfo* info, int flags, int format);
