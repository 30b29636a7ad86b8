// Exif camera information: walks the Exif sub-directory (Exif 2.2 tags in TIFF 6.0
// entries) for exposure, aperture, bias, ISO and pixel size, and falls back to the
// maker notes of Canon and Nikon cameras for the ISO speed. Offsets are checked
// against the block's real length as well as the 32,767 limit on rationals.
#include "formats/exif.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/checked_math.h"
#include "formats/tiff/tiff.h"

namespace {

enum class Family { none, canon, sony, kodak, ricoh, nikon_old, nikon_new };

struct FamilyName {
    const char* maker;  // upper-cased, compared whole
    Family family;
};
constexpr FamilyName kFamilies[] = {
    {"CANON", Family::canon},
    {"SONY", Family::sony},
    {"EASTMAN KODAK COMPANY", Family::kodak},
    {"RICOH      ", Family::ricoh},
    {"NIKON", Family::nikon_old},
};

constexpr uint16_t kMaxExifEntries = 64;
constexpr uint16_t kMaxNoteEntries = 256;
// Rationals are read only at offsets up to this value.
constexpr uint32_t kMaxRationalOffset = 32767;

Family family_of(const char* maker) {
    char upper[TEXT_FIELD_SIZE] = {};
    for (int i = 0; i < TEXT_FIELD_SIZE - 1 && maker[i]; ++i)
        upper[i] = (char)std::toupper((unsigned char)maker[i]);
    for (const FamilyName& f : kFamilies)
        if (std::strcmp(upper, f.maker) == 0) return f.family;
    return Family::none;
}

int32_t clamp32(int64_t v) { return (int32_t)std::clamp<int64_t>(v, INT32_MIN, INT32_MAX); }

struct MakerNote {
    uint32_t offset = 0;
    uint32_t length = 0;
    bool present = false;
};

bool rational_at(const TiffBytes& t, uint32_t offset, uint32_t* num, uint32_t* den) {
    return offset <= kMaxRationalOffset && tiff_rational(t, offset, num, den);
}

// The first value of a SHORT or LONG entry, wherever it is stored.
bool first_number(const TiffBytes& t, const TiffEntry& e, uint32_t* out) {
    if (e.type == TIFF_TYPE_SHORT) {
        if (e.count <= 2) return (*out = e.field16), true;
        uint16_t v = 0;
        if (!tiff_u16(t, e.field, &v)) return false;
        return (*out = v), true;
    }
    if (e.type == TIFF_TYPE_LONG && e.count == 1) return (*out = e.field), true;
    return false;
}

void read_exposure(const TiffBytes& t, const TiffEntry& e, PageBitmap* page) {
    uint32_t num = 0, den = 0;
    if (rational_at(t, e.field, &num, &den) && num != 0)
        page->shutter_speed = clamp32(den / num);
}

void read_f_number(const TiffBytes& t, const TiffEntry& e, PageBitmap* page) {
    uint32_t num = 0, den = 0;
    if (rational_at(t, e.field, &num, &den) && den != 0)
        page->f_number_x100 = clamp32((uint64_t)num * 100 / den);
}

void read_bias(const TiffBytes& t, const TiffEntry& e, PageBitmap* page) {
    uint32_t num = 0, den = 0;
    if (rational_at(t, e.field, &num, &den) && den != 0)
        page->exposure_bias_x10 = clamp32((int64_t)(int32_t)num * 10 / (int32_t)den);
}

void read_exif_entry(const TiffBytes& t, const TiffEntry& e, PageBitmap* page, MakerNote* note) {
    uint32_t v = 0;
    switch (e.tag) {
    case 33434: read_exposure(t, e, page); break;
    case 33437: read_f_number(t, e, page); break;
    case 34855:
        if (first_number(t, e, &v)) page->iso_speed = clamp32(v);
        break;
    case 37380: read_bias(t, e, page); break;
    case 37500: *note = MakerNote{e.field, e.count, e.count > 4}; break;
    case 40962:
        if (first_number(t, e, &v)) page->exif_width = clamp32(v);
        break;
    case 40963:
        if (first_number(t, e, &v)) page->exif_height = clamp32(v);
        break;
    default: break;
    }
}

// ---- Maker notes -----------------------------------------------------------------

// Calls `visit` for each entry of the maker-note directory whose count lies at
// `count_at` and whose entries start at `entries_at`, as far as they lie in the block.
template <typename Visit>
void walk_note(const TiffBytes& t, uint64_t count_at, uint64_t entries_at, Visit visit) {
    uint16_t count = 0;
    if (!tiff_u16(t, count_at, &count)) return;
    count = std::min(count, kMaxNoteEntries);
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t at = entries_at + 12ull * i;
        TiffEntry e;
        if (!tiff_read_entry(t, at, &e)) return;
        if (visit(e, at)) return;
    }
}

struct IsoCode {
    uint16_t code;
    int32_t iso;
};
constexpr IsoCode kCanonIso[] = {{15, 0}, {16, 50}, {17, 100}, {18, 200}, {19, 400}};
constexpr IsoCode kNikonIso[] = {{0, 80}, {2, 160}, {4, 320}, {5, 100}};

template <size_t N>
void map_iso(const IsoCode (&table)[N], uint16_t code, PageBitmap* page) {
    for (const IsoCode& c : table)
        if (c.code == code) page->iso_speed = c.iso;
}

// Canon: entry 1 points to the camera settings, 16-bit values; value 16 is the ISO.
void canon_iso(const TiffBytes& t, const MakerNote& note, PageBitmap* page) {
    walk_note(t, note.offset, note.offset + 2ull, [&](const TiffEntry& e, uint64_t) {
        if (e.tag != 1) return false;
        uint16_t code = 0;
        if (e.count > 16 && tiff_u16(t, (uint64_t)tiff_entry_value(e) + 32, &code))
            map_iso(kCanonIso, code, page);
        return true;
    });
}

// Older Nikon notes: entry 2 holds the ISO speed as the second 16-bit value.
void nikon_old_iso(const TiffBytes& t, const MakerNote& note, PageBitmap* page) {
    walk_note(t, note.offset, note.offset + 2ull, [&](const TiffEntry& e, uint64_t at) {
        if (e.tag != 2) return false;
        uint16_t iso = 0;
        if (tiff_u16(t, at + 10, &iso)) page->iso_speed = iso;
        return true;
    });
}

// Newer Nikon notes ("Nikon" header): the directory starts 8 bytes in; entry 6 holds
// an ISO code.
void nikon_new_iso(const TiffBytes& t, const MakerNote& note, PageBitmap* page) {
    walk_note(t, note.offset + 8ull, note.offset + 10ull, [&](const TiffEntry& e, uint64_t) {
        if (e.tag != 6) return false;
        map_iso(kNikonIso, e.field16, page);
        return true;
    });
}

bool note_says_nikon(const TiffBytes& t, const MakerNote& note) {
    return range_fits(note.offset, 5, t.size) && std::memcmp(t.data + note.offset, "Nikon", 5) == 0;
}

void iso_from_note(const TiffBytes& t, Family family, const MakerNote& note, PageBitmap* page) {
    switch (family) {
    case Family::canon: canon_iso(t, note, page); break;
    case Family::nikon_old: nikon_old_iso(t, note, page); break;
    case Family::nikon_new: nikon_new_iso(t, note, page); break;
    default: break;  // Sony, Kodak, Ricoh: recognised, no rule
    }
}

}  // namespace

void exif_clear_camera_info(PageBitmap* page) {
    page->shutter_speed = page->f_number_x100 = page->exposure_bias_x10 = -1;
    page->iso_speed = page->exif_width = page->exif_height = -1;
}

int exif_read_camera_info(const uint8_t* block, int32_t block_length, int tiff_base,
                          int directory_offset, int big_endian, PageBitmap* page) {
    if (!block || !page || tiff_base < 0 || directory_offset < 0 || block_length <= tiff_base)
        return ERR_PARAMETER;
    const TiffBytes t{block + tiff_base, (size_t)(block_length - tiff_base), big_endian != 0};
    uint16_t count = 0;
    if (!tiff_u16(t, (uint32_t)directory_offset, &count)) return ERR_PARAMETER;
    if (count > kMaxExifEntries) return IMG_OK;
    Family family = family_of(page->maker);
    MakerNote note;
    for (uint32_t i = 0; i < count; ++i) {
        TiffEntry e;
        if (!tiff_read_entry(t, (uint64_t)directory_offset + 2 + 12ull * i, &e)) break;
        read_exif_entry(t, e, page, &note);
    }
    if (note.present && note_says_nikon(t, note)) family = Family::nikon_new;
    if (page->iso_speed == -1 && note.present) iso_from_note(t, family, note, page);
    return IMG_OK;
}

namespace {

void copy_text_if_set(const char* from, char* to) {
    if (!from[0]) return;
    std::memcpy(to, from, TEXT_FIELD_SIZE);
    to[TEXT_FIELD_SIZE - 1] = 0;
}

}  // namespace

int exif_read_segment(const uint8_t* tiff, int32_t length, PageBitmap* page) {
    if (!tiff || !page || length < 8) return ERR_PARAMETER;
    const bool big = tiff[0] == 'M';
    const TiffBytes t{tiff, (size_t)length, big};
    uint32_t first = 0;
    tiff_u32(t, 4, &first);
    if (first > (uint32_t)INT32_MAX) return ERR_BAD_HEADER;
    ImageFileInfo info{};
    info.file_size = length;
    PageBitmap ifd0{};
    ifd0.data = const_cast<uint8_t*>(tiff);
    ifd0.data_offset = (int32_t)first;
    ifd0.ownership = OWN_BORROWED;
    const int rc = tiff_read_directory(&info, &ifd0);
    // The entries are read before the directory reader judges the page, so texts and
    // the Exif pointer are there even when IFD0 describes no readable image.
    copy_text_if_set(ifd0.description, page->description);
    copy_text_if_set(ifd0.maker, page->maker);
    copy_text_if_set(ifd0.model, page->model);
    if (ifd0.delay_or_exif > 0)
        exif_read_camera_info(tiff, length, 0, ifd0.delay_or_exif, big, page);
    release_page(&ifd0);
    return rc == ERR_UNSUPPORTED ? IMG_OK : rc;
}

bool exif_find_in_jpeg(const uint8_t* jpeg, size_t size, size_t* tiff_pos, size_t* tiff_length) {
    if (!jpeg || size < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return false;
    size_t pos = 2;
    while (pos + 4 <= size && jpeg[pos] == 0xFF) {
        const uint8_t marker = jpeg[pos + 1];
        if (marker == 0xFF) {  // fill byte
            ++pos;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return false;  // scan or end: no Exif before it
        const size_t length = (size_t)jpeg[pos + 2] << 8 | jpeg[pos + 3];
        if (length < 2) return false;
        const size_t payload = pos + 4, end = std::min(pos + 2 + length, size);
        if (marker == 0xE1 && end >= payload + 6 + 8 && std::memcmp(jpeg + payload, "Exif\0\0", 6) == 0) {
            *tiff_pos = payload + 6;
            *tiff_length = end - *tiff_pos;
            return true;
        }
        pos += 2 + length;
    }
    return false;
}
