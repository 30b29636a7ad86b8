// Values of a PDF file's objects read straight from its text (ISO 32000-1, 7.3):
// integers, names, indirect references ("N G R") followed to the object that holds
// the value, and the stream of a stream object. Positions are byte offsets into the
// file; every read stays inside it.
#pragma once

#include <cstddef>
#include <cstdint>

struct PdfFile {
    const uint8_t* data;
    size_t size;
};

constexpr size_t kPdfNone = (size_t)-1;

// Position of the first byte after blanks from `pos` (the file's end when none).
size_t pdf_skip_blanks(PdfFile f, size_t pos);
// The value at `pos`: when it is an indirect reference, the value its object holds
// (references to references are followed a few times). kPdfNone when a reference
// names an object the file does not define.
size_t pdf_resolve(PdfFile f, size_t pos);
// Position of the value of `key` ("/Width") among [from, to), or kPdfNone. The key
// must end there (so "/N" does not find "/Name").
size_t pdf_key_value(PdfFile f, size_t from, size_t to, const char* key);
// The integer value at `pos` after resolving; false when there is none.
bool pdf_integer(PdfFile f, size_t pos, long* value);
// True when the name at `pos` (after resolving) is `name` ("/DeviceRGB").
bool pdf_name_is(PdfFile f, size_t pos, const char* name);
// Position just past the value at `pos` (a number, name, reference, string, array or
// dictionary), for walking the items of an array.
size_t pdf_skip_value(PdfFile f, size_t pos);
// The data of the stream object whose dictionary starts at `dict`: its start and its
// /Length (direct or indirect), cut to the file. False when there is no stream.
bool pdf_stream_at(PdfFile f, size_t dict, size_t* start, size_t* length);
