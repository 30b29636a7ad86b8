// Code tables of ITU-T T.4 and T.6: the white and black run-length codes (terminating,
// make-up and the extended make-up codes shared by both colours), and the look-up
// tables the fax decoders find codes with (a 9- or 8-bit first look-up, a second one
// for codes that begin with several zeros, and a 7-bit table for the 2-D mode codes).
#pragma once

#include <array>
#include <cstdint>

// One code of the run-length tables: `bits` holds the code in its low `length` bits.
struct FaxRunCode {
    uint16_t run;
    uint16_t bits;
    uint8_t length;
};

// White and black codes (terminating 0..63, then make-up 64..1728), and the extended
// make-up codes 1792..2560 common to both colours.
extern const FaxRunCode kFaxWhiteCodes[91];
extern const FaxRunCode kFaxBlackCodes[91];
extern const FaxRunCode kFaxExtendedCodes[13];

// A decoding entry: run value in the low 12 bits, code length in the high 4 bits.
// The values below are not runs.
enum : uint16_t {
    FAX_ESCAPE = 0xFFD,  // look at the second table
    FAX_EOL = 0xFFE,     // eleven zeros and a one (end of line)
    FAX_BAD = 0xFFF      // no such code (twelve zeros: fill, or damaged data)
};
constexpr int fax_entry_run(uint16_t e) { return e & 0xFFF; }
constexpr int fax_entry_length(uint16_t e) { return e >> 12; }

// White: first table on the top 9 bits of the window; codes that begin with seven
// zeros continue in the second table on bits 7..11.
extern const std::array<uint16_t, 512> kFaxWhiteFirst;
extern const std::array<uint16_t, 32> kFaxWhiteSecond;
// Black: first table on the top 8 bits; longer codes (all begin with four zeros)
// continue in the second table on bits 4..12.
extern const std::array<uint16_t, 256> kFaxBlackFirst;
extern const std::array<uint16_t, 512> kFaxBlackSecond;

// Looks up the code at the top of a 32-bit window (most significant bit first).
inline uint16_t fax_white_lookup(uint32_t window) {
    const uint16_t e = kFaxWhiteFirst[window >> 23];
    return fax_entry_run(e) == FAX_ESCAPE ? kFaxWhiteSecond[(window >> 20) & 31] : e;
}
inline uint16_t fax_black_lookup(uint32_t window) {
    const uint16_t e = kFaxBlackFirst[window >> 24];
    return fax_entry_run(e) == FAX_ESCAPE ? kFaxBlackSecond[(window >> 19) & 0x1FF] : e;
}

// Two-dimensional mode codes (T.4 section 4.2.1.3, T.6 section 2.2.5).
enum FaxMode : uint8_t {
    MODE_V0, MODE_VR1, MODE_VR2, MODE_VR3, MODE_VL1, MODE_VL2, MODE_VL3,
    MODE_PASS, MODE_HORIZONTAL, MODE_EXTENSION, MODE_ZEROS
};
struct FaxModeEntry {
    uint8_t mode;
    uint8_t length;
};
// Indexed by the top 7 bits of the window.
extern const std::array<FaxModeEntry, 128> kFaxModes;
// Offset of a1 from b1 for the vertical modes (indexed by FaxMode, V0..VL3).
inline constexpr int8_t kFaxVerticalOffset[7] = {0, 1, 2, 3, -1, -2, -3};

// Byte with its bit order reversed (least significant bit first to most first).
extern const std::array<uint8_t, 256> kBitReverse;
