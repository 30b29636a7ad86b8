// Name tables of the library: error messages, format and compression display names.
#include "base/records.h"

const char* error_message(int code) {
#define IMAGING_ERROR_CASE(name, value, text) \
    case value:                               \
        return text;
    switch (code) { IMAGING_ERROR_LIST(IMAGING_ERROR_CASE) }
#undef IMAGING_ERROR_CASE
    return nullptr;
}

const char* const format_names[FORMAT_CODE_COUNT + 1] = {
    "Windows BMP", "OS/2 BMP", "Windows 2bp", "PCX", "DCX", "TIFF", "JFIF", "IOCA",
    "Microsoft AWD", "Targa", "PDF", "GIF", "PNG", "PSEG", "WinFAX", "BitFAX", "CALS",
    "Quicklinks II FAX", "Pocket Powerpoint", "FLI/FLC Animation", "AVI", "QuickTime",
    "WinFAX 10", "AVM Fritz-Fax", "Canon RAW", "Minolta RAW", "Olympus RAW", "Fuji RAW", ""};

const char* const compression_names[COMPRESSION_CODE_COUNT] = {
    "Uncompressed", "G3 1-D",      "G3 2-D",     "G4",          "IBM MMR",
    "PCX (RLE)",    "Packbits",    "Huffman",    "LZW",         "LZW",
    "JPEG",         "Run-Length",  "HP PC",      "Run-Length",  "Flick",
    "Flate",        "Motion-JPEG", "PNG",        "Cinepak",     "H.263"};
