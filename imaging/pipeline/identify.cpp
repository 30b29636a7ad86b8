// Format identification: decides a file's format from its first 4,096 bytes (the
// extension plays no part) by an ordered list of magic-number tests (each written in
// its format's file, declared in formats/file_scanning.h), then fills the
// ImageFileInfo: page count and page table from the format's scanner, and the file
// left open, mapped whole or streamed. is_image_file is the quick yes/no variant.
#include <cstring>

#include "formats/file_scanning.h"
#include "imaging.h"

namespace {

constexpr int kNoMatch = 1000;  // a test result that lets the next test decide

// ---- identify_file's ordered tests ----------------------------------------------
// Each answers a format code, an error code, or kNoMatch.

using FormatTest = int (*)(const IdentifyHeader& h, int32_t file_size);

template <bool (*Pred)(const IdentifyHeader&), int Format>
int when(const IdentifyHeader& h, int32_t) {
    return Pred(h) ? Format : kNoMatch;
}

int test_cals(const IdentifyHeader& h, int32_t) {
    if (!is_cals(h)) return kNoMatch;
    return is_cals_type1(h) ? (int)FMT_CALS : (int)ERR_UNSUPPORTED;
}
int test_bmp(const IdentifyHeader& h, int32_t) { return is_bmp(h) ? bmp_kind(h) : kNoMatch; }
int test_compound(const IdentifyHeader& h, int32_t) {
    if (!is_compound_with_root(h)) return kNoMatch;
    return h.at(60) == 2 ? FMT_POCKET_POWERPOINT : FMT_AWD;
}
// FLI (0xAF11) and FLC (0xAF12): the header's size field equals the file size.
int test_fli(const IdentifyHeader& h, int32_t file_size) {
    return h.le32(0) == (uint32_t)file_size && (h.le16(4) & ~3) == 0xAF10 ? FMT_FLI : kNoMatch;
}
int test_avi(const IdentifyHeader& h, int32_t file_size) {
    if (!is_avi(h)) return kNoMatch;
    return file_size < 13 ? (int)ERR_UNSUPPORTED : (int)FMT_AVI;
}
// The last resort: an MPEG stream or a header that is no Targa is unknown.
int test_targa(const IdentifyHeader& h, int32_t) {
    if (h.be32(0) == 0x000001BA || h.at(1) > 1) return ERR_UNKNOWN_FORMAT;
    return is_targa_type(h.at(2)) ? (int)FMT_TARGA : (int)ERR_UNKNOWN_FORMAT;
}

constexpr FormatTest kFormatTests[] = {
    when<is_winfax10, FMT_WINFAX10>,
    when<is_png, FMT_PNG>,
    when<is_fuji_raw, FMT_FUJI_RAW>,
    when<is_olympus_raw, FMT_OLYMPUS_RAW>,
    when<is_canon_raw, FMT_CANON_RAW>,
    when<is_minolta_raw, FMT_MINOLTA_RAW>,
    when<is_fritz_fax, FMT_FRITZFAX>,
    test_cals,
    test_bmp,
    when<is_jpeg, FMT_JFIF>,
    when<is_dcx, FMT_DCX>,
    when<is_pcx, FMT_PCX>,
    test_compound,
    when<is_gif, FMT_GIF>,
    when<is_tiff, FMT_TIFF>,
    when<is_pseg, FMT_PSEG>,
    when<is_bitfax, FMT_BITFAX>,
    when<is_winfax, FMT_WINFAX>,
    when<is_quicklinks, FMT_QUICKLINKS>,
    when<is_ioca, FMT_IOCA>,
    test_fli,
    when<is_pdf, FMT_PDF>,
    test_avi,
    when<is_quicktime, FMT_QUICKTIME>,
    test_targa,
};

int decide_format(const IdentifyHeader& h, int32_t file_size) {
    for (FormatTest test : kFormatTests) {
        const int result = test(h, file_size);
        if (result != kNoMatch) return result;
    }
    return ERR_UNKNOWN_FORMAT;
}

// ---- Page counts kept in the header itself --------------------------------------

int count_from_le16(const IdentifyHeader& h, size_t offset, ImageFileInfo* info) {
    info->page_count = h.le16(offset);
    return IMG_OK;
}
int scan_bitfax(const FileSpan&, const IdentifyHeader& h, ImageFileInfo* info) { return count_from_le16(h, 9, info); }
int scan_quicklinks(const FileSpan&, const IdentifyHeader& h, ImageFileInfo* info) {
    return count_from_le16(h, 8, info);
}
int scan_fli(const FileSpan&, const IdentifyHeader& h, ImageFileInfo* info) { return count_from_le16(h, 6, info); }

// ---- What each format needs after the decision ------------------------------------

struct FormatSetup {
    int8_t access;        // ACCESS_MAPPED or ACCESS_STREAMED
    PageScanner scanner;  // null: one page, nothing to scan
};

constexpr FormatSetup kMapped = {ACCESS_MAPPED, nullptr};

// Indexed by format code. Streamed formats with a parser are mapped only while
// it runs.
constexpr FormatSetup kFormatSetup[FORMAT_CODE_COUNT] = {
    kMapped,                                  // Windows BMP
    kMapped,                                  // OS/2 BMP
    kMapped,                                  // Windows 2bp (never identified)
    kMapped,                                  // PCX
    {ACCESS_MAPPED, scan_dcx_pages},          // DCX
    {ACCESS_MAPPED, scan_tiff_directories},   // TIFF
    {ACCESS_STREAMED, nullptr},               // JFIF
    {ACCESS_MAPPED, scan_ioca_pages},         // IOCA
    {ACCESS_MAPPED, scan_awd_pages},          // Microsoft AWD
    kMapped,                                  // Targa
    {ACCESS_MAPPED, scan_pdf_images},         // PDF
    {ACCESS_MAPPED, scan_gif_frames},         // GIF
    kMapped,                                  // PNG
    kMapped,                                  // PSEG
    kMapped,                                  // WinFAX
    {ACCESS_MAPPED, scan_bitfax},             // BitFAX
    kMapped,                                  // CALS
    {ACCESS_MAPPED, scan_quicklinks},         // Quicklinks II
    {ACCESS_MAPPED, scan_awd_pages},          // Pocket Powerpoint
    {ACCESS_MAPPED, scan_fli},                // FLI/FLC
    {ACCESS_STREAMED, parse_avi_movie},       // AVI
    {ACCESS_STREAMED, parse_quicktime_movie}, // QuickTime
    {ACCESS_MAPPED, scan_winfax10_pages},     // WinFAX 10
    kMapped,                                  // AVM Fritz-Fax
    kMapped,                                  // Canon RAW
    kMapped,                                  // Minolta RAW
    kMapped,                                  // Olympus RAW
    kMapped,                                  // Fuji RAW
};

// Opens the file and reads its header; fills file, file_size and page_count.
int open_and_read_header(const PathChar* path, ImageFileInfo* info, IdentifyHeader* h) {
    if (!file_exists(path)) return ERR_FILE_NOT_FOUND;
    const FileHandle file = file_open_read(path);
    if (file == FILE_HANDLE_INVALID) return ERR_IO;
    std::memset(info, 0, sizeof *info);
    info->page_count = 1;
    const int32_t got = file_read(file, h->bytes, (int32_t)IdentifyHeader::kSize);
    h->length = got > 0 ? (size_t)got : 0;
    const int32_t size = file_seek(file, 0, 2);
    file_seek(file, 0, 0);
    if (h->length < 50 || size <= 0) {
        file_close(file);
        return ERR_IO;
    }
    info->file = file;
    info->file_size = size;
    return IMG_OK;
}

// Runs the format's scanner over the mapped file and settles the access mode. The
// record owns the file and mapping throughout, so close_file_info cleans up a failure.
int describe_file(ImageFileInfo* info, const IdentifyHeader& h) {
    const FormatSetup& setup = kFormatSetup[info->format];
    info->access = ACCESS_STREAMED;
    if (setup.access == ACCESS_MAPPED || setup.scanner) {
        info->view = file_map(info->file, info->file_size, &info->mapping);
        if (!info->view) return ERR_IO;
        info->access = ACCESS_MAPPED;
    }
    if (setup.scanner) {
        const int rc = setup.scanner(FileSpan{info->view, (size_t)info->file_size}, h, info);
        if (rc < 0) return rc;
    }
    if (setup.access == ACCESS_STREAMED && info->view) {
        file_unmap(info->view, info->file_size, info->mapping);
        info->view = nullptr;
        info->mapping = nullptr;
        info->access = ACCESS_STREAMED;
    }
    return IMG_OK;
}

// ---- is_image_file's quick test ----------------------------------------------------

using QuickTest = bool (*)(const IdentifyHeader&);

// Camera raw files other than Canon's, IOCA and FLI/FLC are deliberately left out.
constexpr QuickTest kQuickTests[] = {
    is_pdf,      is_fritz_fax,  is_png,     is_winfax10,       is_canon_raw,          is_cals_type1,
    is_known_bmp, is_jpeg,      is_dcx,     is_pcx,            is_compound_with_root, is_gif,
    is_tiff,     is_pseg,       is_bitfax,  is_winfax,         is_quicklinks,         is_avi,
    is_quicktime, is_plausible_targa,
};

}  // namespace

int identify_file(const PathChar* path, ImageFileInfo* info, int /*reserved*/) {
    if (!path || !info) return ERR_PARAMETER;
    IdentifyHeader h{};
    int rc = open_and_read_header(path, info, &h);
    if (rc < 0) return rc;
    rc = decide_format(h, info->file_size);
    if (rc < 0) {
        file_close(info->file);
        info->file = nullptr;
        return rc;
    }
    info->format = (int8_t)rc;
    rc = describe_file(info, h);
    if (rc < 0) {
        close_file_info(info);
        return rc;
    }
    return IMG_OK;
}

int is_image_file(const PathChar* path) {
    if (!path) return 0;
    const FileHandle file = file_open_read(path);
    if (file == FILE_HANDLE_INVALID) return 0;
    IdentifyHeader h{};
    const int32_t got = file_read(file, h.bytes, (int32_t)IdentifyHeader::kSize);
    file_close(file);
    h.length = got > 0 ? (size_t)got : 0;
    if (h.length < 50) return 0;
    for (QuickTest test : kQuickTests)
        if (test(h)) return 1;
    return 0;
}
