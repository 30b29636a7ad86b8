// PDF image scanner: finds the image objects of a PDF file (ISO 32000-1, 7.5) by
// following startxref and the chain of cross-reference sections (/Prev; tables, or
// streams as read in pdf_xref.cpp), then keeps
// the objects whose dictionary says /Image with a filter a page reader can decode.
// The page table's second half holds the object offsets, its first half the pages.
#include <string_view>

#include "formats/file_scanning.h"

namespace {

constexpr int32_t kMaxSectionEntries = 6000;
constexpr int kMaxSections = 64;  // a /Prev chain longer than this is damaged
constexpr size_t kObjectWindow = 512;

// Text view of the file bytes from `offset` (at most `length` bytes).
std::string_view text_at(const FileSpan& file, size_t offset, size_t length) {
    ByteReader r = file.window(offset, length);
    return std::string_view(reinterpret_cast<const char*>(r.data()), r.size());
}

bool is_blank(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t' || c == '\f' || c == '\0'; }

// A cursor over the file's text that parses decimal numbers: blanks are skipped,
// the digits read, and the cursor moves one character past them.
struct TextCursor {
    const FileSpan& file;
    size_t pos;

    char peek(size_t ahead = 0) const {
        return pos + ahead < file.size ? (char)file.data[pos + ahead] : '\0';
    }
    void skip_blanks() {
        while (pos < file.size && is_blank(peek())) ++pos;
    }
    bool starts(std::string_view word) const { return text_at(file, pos, word.size()) == word; }
    // False when no digit is there; values beyond 31 bits also fail.
    bool number(int64_t* out) {
        skip_blanks();
        int64_t value = 0;
        size_t digits = 0;
        while (peek() >= '0' && peek() <= '9') {
            value = value * 10 + (peek() - '0');
            if (value > INT32_MAX) return false;
            ++pos, ++digits;
        }
        if (!digits) return false;
        ++pos;
        *out = value;
        return true;
    }
};

// The offset that follows the first "startxref" in the last 1,000 bytes, or -1.
int64_t find_startxref(const FileSpan& file) {
    const size_t from = file.size > 1000 ? file.size - 1000 : 0;
    const std::string_view tail = text_at(file, from, 1000);
    const size_t star = tail.find("star");
    if (star == std::string_view::npos || tail.substr(star + 4, 4) != "txre") return -1;
    TextCursor c{file, from + star + 9};
    int64_t offset = 0;
    return c.number(&offset) ? offset : -1;
}

struct ObjectList {
    int32_t* offsets;
    int32_t count;
};

// Reads one cross-reference section at `offset`, a table or a stream: the in-use
// entries go into `objects`. Answers the /Prev offset of its trailer, -1 when there
// is none or the section cannot be read, -2 when a subsection is too long.
int64_t read_xref_section(const FileSpan& file, size_t offset, ObjectList* objects) {
    TextCursor c{file, offset};
    if (!c.starts("xref"))
        return read_xref_stream(file, offset, objects->offsets, &objects->count, kPageTableEntries);
    c.pos += 4;
    for (;;) {
        c.skip_blanks();
        if (c.starts("trailer")) break;
        int64_t first = 0, count = 0;
        if (!c.number(&first) || !c.number(&count)) return -1;
        if (count > kMaxSectionEntries) return -2;
        for (int64_t k = 0; k < count; ++k) {
            // "oooooooooo ggggg n": read by tokens, so that entries cut to 19 bytes by
            // careless writers are read as well as the standard 20-byte ones.
            int64_t object_offset = 0, generation = 0;
            if (!c.number(&object_offset) || !c.number(&generation)) return -1;
            c.skip_blanks();
            const char type = c.peek();
            ++c.pos;
            if (type == 'n' && objects->count < kPageTableEntries)
                objects->offsets[objects->count++] = (int32_t)object_offset;
        }
    }
    const std::string_view trailer = text_at(file, c.pos, 150);
    const size_t prev = trailer.find("/Prev");
    if (prev == std::string_view::npos) return -1;
    TextCursor p{file, c.pos + prev + 5};
    int64_t prev_offset = 0;
    return p.number(&prev_offset) ? prev_offset : -1;
}

// Collects the object offsets of every cross-reference section. False when a
// subsection holds more entries than a section may.
bool collect_objects(const FileSpan& file, int64_t offset, ObjectList* objects) {
    int64_t followed[kMaxSections];
    int sections = 0;
    while (offset >= 0 && (size_t)offset < file.size && sections < kMaxSections) {
        for (int i = 0; i < sections; ++i)
            if (followed[i] == offset) return true;  // the chain loops
        followed[sections++] = offset;
        offset = read_xref_section(file, (size_t)offset, objects);
        if (offset == -2) return false;
    }
    return true;
}

// An image object: "/Image" (not "/ImageB") before the object's first "endobj",
// and one of the filters the page reader decodes before it too. Objects larger than
// the window are judged by the window.
bool is_image_object(const FileSpan& file, size_t offset) {
    const std::string_view object = text_at(file, offset, kObjectWindow);
    const std::string_view body = object.substr(0, object.find("endobj"));
    size_t image = body.find("/Image");
    while (image != std::string_view::npos && body.substr(image + 6, 1) == "B") image = body.find("/Image", image + 1);
    if (image == std::string_view::npos) return false;
    static constexpr std::string_view kFilters[] = {"CCITT", "FlateDecode", "LZWDecode", "DCTDecode"};
    for (std::string_view filter : kFilters)
        if (body.find(filter) != std::string_view::npos) return true;
    return false;
}

}  // namespace

int scan_pdf_images(const FileSpan& file, const IdentifyHeader&, ImageFileInfo* info) {
    info->page_offsets = alloc_offset_table(2 * (size_t)kPageTableEntries);
    if (!info->page_offsets) return ERR_MEMORY;
    info->page_count = 0;
    ObjectList objects{info->page_offsets + kPageTableEntries, 0};
    const int64_t start = find_startxref(file);
    if (start < 0 || !collect_objects(file, start, &objects)) return IMG_OK;
    for (int32_t i = 0; i < objects.count; ++i) {
        const int32_t offset = objects.offsets[i];
        if (offset >= 0 && (size_t)offset < file.size && is_image_object(file, (size_t)offset))
            info->page_offsets[info->page_count++] = offset;
    }
    return IMG_OK;
}

// ---- Detection (identify) -----------------------------------------------------

bool is_pdf(const IdentifyHeader& h) { return h.has(0, "%PDF"); }
