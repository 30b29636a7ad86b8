// Values of a PDF file's objects read from its text (ISO 32000-1, 7.3 objects, 7.3.10
// indirect objects, 7.3.8 streams). An object is found by its "N G obj" line; the
// last definition in the file wins, as incremental updates append newer ones.
#include "formats/pdf/pdf_objects.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr int kMaxReferenceHops = 4;
constexpr int kMaxNesting = 32;

bool blank(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == 0; }
bool delimiter(uint8_t c) {
    return blank(c) || c == '/' || c == '[' || c == ']' || c == '<' || c == '>' || c == '(' || c == ')' || c == '%' ||
           c == '{' || c == '}';
}
bool digit(uint8_t c) { return c >= '0' && c <= '9'; }

std::string_view text(PdfFile f) { return std::string_view(reinterpret_cast<const char*>(f.data), f.size); }

// Reads unsigned digits at *pos; false when there are none.
bool read_digits(PdfFile f, size_t* pos, long* value) {
    size_t i = *pos;
    long v = 0;
    while (i < f.size && digit(f.data[i]) && v < 100000000) v = v * 10 + (f.data[i++] - '0');
    if (i == *pos) return false;
    *pos = i;
    *value = v;
    return true;
}

// "N G R" at `pos`: the object and generation numbers, and the position past the R.
bool reference_at(PdfFile f, size_t pos, long* number, long* generation, size_t* end = nullptr) {
    size_t i = pos;
    if (!read_digits(f, &i, number)) return false;
    const size_t gap = i;
    i = pdf_skip_blanks(f, i);
    if (i == gap || !read_digits(f, &i, generation)) return false;
    const size_t gap2 = i;
    i = pdf_skip_blanks(f, i);
    if (i == gap2 || i >= f.size || f.data[i] != 'R' || (i + 1 < f.size && !delimiter(f.data[i + 1]))) return false;
    if (end) *end = i + 1;
    return true;
}

// Position of the value object `number` holds (after "N G obj"), or kPdfNone.
size_t find_object(PdfFile f, long number, long generation) {
    char label[48];
    const int n = std::snprintf(label, sizeof label, "%ld %ld obj", number, generation);
    if (n <= 0 || (size_t)n >= sizeof label) return kPdfNone;
    const std::string_view all = text(f);
    size_t at = all.rfind(std::string_view(label, (size_t)n));
    while (at != std::string_view::npos && at > 0 && !delimiter(f.data[at - 1]))  // "110 0 obj" is not object 10
        at = all.rfind(std::string_view(label, (size_t)n), at - 1);
    if (at == std::string_view::npos) return kPdfNone;
    return pdf_skip_blanks(f, at + (size_t)n);
}

// Past a literal string "( ... )" whose parentheses nest and may be escaped.
size_t skip_literal(PdfFile f, size_t pos) {
    int depth = 0;
    for (size_t i = pos; i < f.size; ++i) {
        const uint8_t c = f.data[i];
        if (c == '\\') ++i;
        else if (c == '(') ++depth;
        else if (c == ')' && --depth == 0) return i + 1;
    }
    return f.size;
}

size_t skip_value_at(PdfFile f, size_t pos, int nesting) {
    pos = pdf_skip_blanks(f, pos);
    if (pos >= f.size || nesting > kMaxNesting) return f.size;
    const uint8_t c = f.data[pos];
    if (c == '(') return skip_literal(f, pos);
    if (c == '<' && pos + 1 < f.size && f.data[pos + 1] == '<') {
        size_t i = pos + 2;
        for (;;) {
            i = pdf_skip_blanks(f, i);
            if (i + 1 >= f.size) return f.size;
            if (f.data[i] == '>' && f.data[i + 1] == '>') return i + 2;
            i = skip_value_at(f, i, nesting + 1);
        }
    }
    if (c == '<') {
        const void* end = std::memchr(f.data + pos, '>', f.size - pos);
        return end ? (size_t)(static_cast<const uint8_t*>(end) - f.data) + 1 : f.size;
    }
    if (c == '[') {
        size_t i = pos + 1;
        for (;;) {
            i = pdf_skip_blanks(f, i);
            if (i >= f.size) return f.size;
            if (f.data[i] == ']') return i + 1;
            i = skip_value_at(f, i, nesting + 1);
        }
    }
    long number = 0, generation = 0;
    size_t end = 0;
    if (reference_at(f, pos, &number, &generation, &end)) return end;
    // A name, number or keyword: up to the next delimiter (a name's slash included).
    size_t i = pos + 1;
    while (i < f.size && !delimiter(f.data[i])) ++i;
    return i;
}

}  // namespace

size_t pdf_skip_blanks(PdfFile f, size_t pos) {
    while (pos < f.size) {
        if (blank(f.data[pos])) {
            ++pos;
        } else if (f.data[pos] == '%') {  // a comment runs to the end of its line
            while (pos < f.size && f.data[pos] != '\n' && f.data[pos] != '\r') ++pos;
        } else {
            break;
        }
    }
    return pos;
}

size_t pdf_resolve(PdfFile f, size_t pos) {
    for (int hop = 0; hop <= kMaxReferenceHops; ++hop) {
        if (pos == kPdfNone) return kPdfNone;
        pos = pdf_skip_blanks(f, pos);
        long number = 0, generation = 0;
        if (!reference_at(f, pos, &number, &generation)) return pos;
        pos = find_object(f, number, generation);
    }
    return kPdfNone;  // a chain of references too long (or looping)
}

size_t pdf_key_value(PdfFile f, size_t from, size_t to, const char* key) {
    if (to > f.size) to = f.size;
    const size_t n = std::strlen(key);
    const std::string_view all = text(f);
    for (size_t at = all.find(key, from); at != std::string_view::npos && at + n <= to; at = all.find(key, at + 1))
        if (at + n >= f.size || delimiter(f.data[at + n])) return at + n;
    return kPdfNone;
}

bool pdf_integer(PdfFile f, size_t pos, long* value) {
    pos = pdf_resolve(f, pos);
    if (pos == kPdfNone || pos >= f.size) return false;
    const bool negative = f.data[pos] == '-';
    if (negative || f.data[pos] == '+') ++pos;
    if (!read_digits(f, &pos, value)) return false;
    if (negative) *value = -*value;
    return true;
}

bool pdf_name_is(PdfFile f, size_t pos, const char* name) {
    pos = pdf_resolve(f, pos);
    const size_t n = std::strlen(name);
    return pos != kPdfNone && pos + n <= f.size && std::memcmp(f.data + pos, name, n) == 0 &&
           (pos + n == f.size || delimiter(f.data[pos + n]));
}

size_t pdf_skip_value(PdfFile f, size_t pos) { return skip_value_at(f, pos, 0); }

bool pdf_stream_at(PdfFile f, size_t dict, size_t* start, size_t* length) {
    dict = pdf_skip_blanks(f, dict);
    if (dict + 1 >= f.size || f.data[dict] != '<' || f.data[dict + 1] != '<') return false;
    const size_t dict_end = pdf_skip_value(f, dict);
    size_t s = pdf_skip_blanks(f, dict_end);
    if (s + 6 > f.size || std::memcmp(f.data + s, "stream", 6) != 0) return false;
    s += 6;
    if (s < f.size && f.data[s] == '\r') ++s;
    if (s < f.size && f.data[s] == '\n') ++s;
    long declared = -1;
    const size_t value = pdf_key_value(f, dict, dict_end, "/Length");
    if (value == kPdfNone || !pdf_integer(f, value, &declared)) declared = -1;
    size_t n;
    if (declared >= 0 && (size_t)declared <= f.size - s) {
        n = (size_t)declared;
    } else {  // no usable length: the data runs to "endstream"
        const size_t end = text(f).find("endstream", s);
        n = (end == std::string_view::npos ? f.size : end) - s;
    }
    *start = s;
    *length = n;
    return true;
}
