// PDF cross-reference streams (ISO 32000-1, 7.5.8), the compressed form of the
// cross-reference table that PDF 1.5 writers use: a Flate stream of fixed-width
// big-endian entries (/W), rows optionally PNG-predicted (RFC 2083 filter types).
#include <zlib.h>

#include <string_view>

#include "formats/file_scanning.h"

namespace {

constexpr size_t kDictionaryWindow = 4096;
constexpr uint64_t kMaxStreamEntries = 1u << 20;
constexpr int kMaxIndexValues = 64;  // /Index pairs looked at

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_name_char(char c) { return is_digit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The numbers after `key` (the key itself a whole name): one number, or the
// numbers of an array. Returns how many were read into `values`.
int numbers_after(std::string_view dict, std::string_view key, int64_t* values, int capacity) {
    size_t at = dict.find(key);
    while (at != std::string_view::npos && at + key.size() < dict.size() && is_name_char(dict[at + key.size()]))
        at = dict.find(key, at + 1);
    if (at == std::string_view::npos) return 0;
    size_t pos = at + key.size();
    while (pos < dict.size() && (dict[pos] == ' ' || dict[pos] == '\r' || dict[pos] == '\n')) ++pos;
    const bool array = pos < dict.size() && dict[pos] == '[';
    int count = 0;
    for (pos += array; count < capacity;) {
        while (pos < dict.size() && !is_digit(dict[pos]) && dict[pos] != ']' && dict[pos] != '/') ++pos;
        if (pos >= dict.size() || !is_digit(dict[pos])) break;
        int64_t value = 0;
        for (; pos < dict.size() && is_digit(dict[pos]) && value <= INT32_MAX; ++pos) value = value * 10 + (dict[pos] - '0');
        values[count++] = value;
        if (!array) break;
    }
    return count;
}

// A stream's data: after the "stream" keyword and its line end, /Length bytes, or
// up to "endstream" when the length is given by reference.
ByteReader stream_data(const FileSpan& file, size_t dict_start, std::string_view dict) {
    size_t data = dict_start + dict.size() + 6;
    if (data < file.size && file.data[data] == '\r') ++data;
    if (data < file.size && file.data[data] == '\n') ++data;
    // "/Length 77" is direct; "/Length 5 0 R" refers to another object.
    const size_t length_at = dict.find("/Length");
    const std::string_view length_text =
        length_at == std::string_view::npos ? "R" : dict.substr(length_at + 7).substr(0, dict.find_first_of("/>", length_at + 7) - length_at - 7);
    int64_t length = 0;
    if (length_text.find('R') == std::string_view::npos && numbers_after(dict, "/Length", &length, 1) == 1)
        return file.window(data, (size_t)length);
    ByteReader rest = file.from(data);
    const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
    const size_t end = text.find("endstream");
    return file.window(data, end == std::string_view::npos ? rest.size() : end);
}

// Inflates `in` into `out` (at most `capacity` bytes); answers the bytes produced.
size_t inflate_into(ByteReader in, uint8_t* out, size_t capacity) {
    z_stream z{};
    if (in.size() == 0 || inflateInit(&z) != Z_OK) return 0;
    z.next_in = const_cast<Bytef*>(in.data());
    z.avail_in = (uInt)in.size();
    z.next_out = out;
    z.avail_out = (uInt)capacity;
    while (z.avail_out > 0 && inflate(&z, Z_NO_FLUSH) == Z_OK) {
    }
    const size_t produced = capacity - z.avail_out;
    inflateEnd(&z);
    return produced;
}

uint8_t paeth(int a, int b, int c) {
    const int p = a + b - c, pa = p > a ? p - a : a - p, pb = p > b ? p - b : b - p, pc = p > c ? p - c : c - p;
    return (uint8_t)(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// Undoes the PNG row filters in place (one filter byte before each row, one byte
// per pixel); rows stay where they are, filter bytes included.
void unpredict_rows(uint8_t* rows, size_t count, size_t width) {
    const size_t stride = width + 1;
    for (size_t r = 0; r < count; ++r) {
        uint8_t* row = rows + r * stride + 1;
        const uint8_t* up = r ? row - stride : nullptr;
        const uint8_t filter = row[-1];
        for (size_t i = 0; i < width; ++i) {
            const int a = i ? row[i - 1] : 0, b = up ? up[i] : 0, c = up && i ? up[i - 1] : 0;
            const int add = filter == 1 ? a : filter == 2 ? b : filter == 3 ? (a + b) / 2 : filter == 4 ? paeth(a, b, c) : 0;
            row[i] = (uint8_t)(row[i] + add);
        }
    }
}

uint64_t field(const uint8_t* p, int64_t width) {
    uint64_t v = 0;
    for (int64_t i = 0; i < width; ++i) v = v << 8 | p[i];
    return v;
}

struct XrefLayout {
    int64_t widths[3];
    int64_t index[kMaxIndexValues];
    int index_values;
    uint64_t entries;
    size_t row_width;
    bool predicted;
};

bool read_layout(std::string_view dict, XrefLayout* l) {
    if (numbers_after(dict, "/W", l->widths, 3) != 3) return false;
    for (int64_t w : l->widths)
        if (w < 0 || w > 8) return false;
    l->row_width = (size_t)(l->widths[0] + l->widths[1] + l->widths[2]);
    l->index_values = numbers_after(dict, "/Index", l->index, kMaxIndexValues) & ~1;
    if (l->index_values == 0) {
        l->index[0] = 0;
        if (numbers_after(dict, "/Size", &l->index[1], 1) != 1) return false;
        l->index_values = 2;
    }
    l->entries = 0;
    for (int i = 1; i < l->index_values; i += 2) l->entries += (uint64_t)l->index[i];
    int64_t predictor = 0;
    numbers_after(dict, "/Predictor", &predictor, 1);
    l->predicted = predictor >= 10;
    return l->row_width > 0 && l->entries > 0 && l->entries <= kMaxStreamEntries &&
           (dict.find("/Filter") == std::string_view::npos || dict.find("/FlateDecode") != std::string_view::npos);
}

// Stores the offsets of the in-use objects (entry type 1; type 1 when /W gives
// the type no bytes) of the decoded rows.
void store_offsets(const uint8_t* rows, size_t count, const XrefLayout& l, int32_t* offsets, int32_t* stored,
                   int32_t capacity) {
    const size_t stride = l.row_width + (l.predicted ? 1 : 0);
    for (size_t r = 0; r < count && *stored < capacity; ++r) {
        const uint8_t* row = rows + r * stride + (l.predicted ? 1 : 0);
        const uint64_t type = l.widths[0] ? field(row, l.widths[0]) : 1;
        const uint64_t offset = field(row + l.widths[0], l.widths[1]);
        if (type == 1 && offset <= INT32_MAX) offsets[(*stored)++] = (int32_t)offset;
    }
}

}  // namespace

int64_t read_xref_stream(const FileSpan& file, size_t offset, int32_t* offsets, int32_t* stored, int32_t capacity) {
    ByteReader head = file.window(offset, kDictionaryWindow);
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    const size_t stream = text.find("stream");
    if (stream == std::string_view::npos) return -1;
    const std::string_view dict = text.substr(0, stream);
    XrefLayout layout{};
    if (dict.find("/XRef") == std::string_view::npos || !read_layout(dict, &layout)) return -1;
    const size_t stride = layout.row_width + (layout.predicted ? 1 : 0);
    const size_t capacity_bytes = (size_t)layout.entries * stride;
    uint8_t* rows = static_cast<uint8_t*>(mem_alloc(capacity_bytes));
    if (!rows) return -1;
    const ByteReader data = stream_data(file, offset, dict);
    const bool compressed = dict.find("/FlateDecode") != std::string_view::npos;
    size_t produced = 0;
    if (compressed) {
        produced = inflate_into(data, rows, capacity_bytes);
    } else {
        produced = data.size() < capacity_bytes ? data.size() : capacity_bytes;
        if (produced) std::memcpy(rows, data.data(), produced);
    }
    const size_t count = produced / stride;
    if (layout.predicted) unpredict_rows(rows, count, layout.row_width);
    store_offsets(rows, count, layout, offsets, stored, capacity);
    mem_free(rows);
    int64_t prev = -1;
    return numbers_after(dict, "/Prev", &prev, 1) == 1 ? prev : -1;
}
