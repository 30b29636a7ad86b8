// Code tables of ITU-T T.4 (the white and black run-length codes and the extended
// make-up codes) and the two-dimensional mode codes of T.4 section 4.2 and T.6
// section 2.2, with the decoding look-up tables built from them at compile time.
#include "codecs/fax_tables.h"

#include <array>
#include <cstddef>

constexpr FaxRunCode kFaxWhiteCodes[91] = {
    {0, 0b00110101, 8}, {1, 0b000111, 6}, {2, 0b0111, 4}, {3, 0b1000, 4},
    {4, 0b1011, 4}, {5, 0b1100, 4}, {6, 0b1110, 4}, {7, 0b1111, 4},
    {8, 0b10011, 5}, {9, 0b10100, 5}, {10, 0b00111, 5}, {11, 0b01000, 5},
    {12, 0b001000, 6}, {13, 0b000011, 6}, {14, 0b110100, 6}, {15, 0b110101, 6},
    {16, 0b101010, 6}, {17, 0b101011, 6}, {18, 0b0100111, 7}, {19, 0b0001100, 7},
    {20, 0b0001000, 7}, {21, 0b0010111, 7}, {22, 0b0000011, 7}, {23, 0b0000100, 7},
    {24, 0b0101000, 7}, {25, 0b0101011, 7}, {26, 0b0010011, 7}, {27, 0b0100100, 7},
    {28, 0b0011000, 7}, {29, 0b00000010, 8}, {30, 0b00000011, 8}, {31, 0b00011010, 8},
    {32, 0b00011011, 8}, {33, 0b00010010, 8}, {34, 0b00010011, 8}, {35, 0b00010100, 8},
    {36, 0b00010101, 8}, {37, 0b00010110, 8}, {38, 0b00010111, 8}, {39, 0b00101000, 8},
    {40, 0b00101001, 8}, {41, 0b00101010, 8}, {42, 0b00101011, 8}, {43, 0b00101100, 8},
    {44, 0b00101101, 8}, {45, 0b00000100, 8}, {46, 0b00000101, 8}, {47, 0b00001010, 8},
    {48, 0b00001011, 8}, {49, 0b01010010, 8}, {50, 0b01010011, 8}, {51, 0b01010100, 8},
    {52, 0b01010101, 8}, {53, 0b00100100, 8}, {54, 0b00100101, 8}, {55, 0b01011000, 8},
    {56, 0b01011001, 8}, {57, 0b01011010, 8}, {58, 0b01011011, 8}, {59, 0b01001010, 8},
    {60, 0b01001011, 8}, {61, 0b00110010, 8}, {62, 0b00110011, 8}, {63, 0b00110100, 8},
    {64, 0b11011, 5}, {128, 0b10010, 5}, {192, 0b010111, 6}, {256, 0b0110111, 7},
    {320, 0b00110110, 8}, {384, 0b00110111, 8}, {448, 0b01100100, 8}, {512, 0b01100101, 8},
    {576, 0b01101000, 8}, {640, 0b01100111, 8}, {704, 0b011001100, 9}, {768, 0b011001101, 9},
    {832, 0b011010010, 9}, {896, 0b011010011, 9}, {960, 0b011010100, 9}, {1024, 0b011010101, 9},
    {1088, 0b011010110, 9}, {1152, 0b011010111, 9}, {1216, 0b011011000, 9}, {1280, 0b011011001, 9},
    {1344, 0b011011010, 9}, {1408, 0b011011011, 9}, {1472, 0b010011000, 9}, {1536, 0b010011001, 9},
    {1600, 0b010011010, 9}, {1664, 0b011000, 6}, {1728, 0b010011011, 9},
};
constexpr FaxRunCode kFaxBlackCodes[91] = {
    {0, 0b0000110111, 10}, {1, 0b010, 3}, {2, 0b11, 2}, {3, 0b10, 2},
    {4, 0b011, 3}, {5, 0b0011, 4}, {6, 0b0010, 4}, {7, 0b00011, 5},
    {8, 0b000101, 6}, {9, 0b000100, 6}, {10, 0b0000100, 7}, {11, 0b0000101, 7},
    {12, 0b0000111, 7}, {13, 0b00000100, 8}, {14, 0b00000111, 8}, {15, 0b000011000, 9},
    {16, 0b0000010111, 10}, {17, 0b0000011000, 10}, {18, 0b0000001000, 10}, {19, 0b00001100111, 11},
    {20, 0b00001101000, 11}, {21, 0b00001101100, 11}, {22, 0b00000110111, 11}, {23, 0b00000101000, 11},
    {24, 0b00000010111, 11}, {25, 0b00000011000, 11}, {26, 0b000011001010, 12}, {27, 0b000011001011, 12},
    {28, 0b000011001100, 12}, {29, 0b000011001101, 12}, {30, 0b000001101000, 12}, {31, 0b000001101001, 12},
    {32, 0b000001101010, 12}, {33, 0b000001101011, 12}, {34, 0b000011010010, 12}, {35, 0b000011010011, 12},
    {36, 0b000011010100, 12}, {37, 0b000011010101, 12}, {38, 0b000011010110, 12}, {39, 0b000011010111, 12},
    {40, 0b000001101100, 12}, {41, 0b000001101101, 12}, {42, 0b000011011010, 12}, {43, 0b000011011011, 12},
    {44, 0b000001010100, 12}, {45, 0b000001010101, 12}, {46, 0b000001010110, 12}, {47, 0b000001010111, 12},
    {48, 0b000001100100, 12}, {49, 0b000001100101, 12}, {50, 0b000001010010, 12}, {51, 0b000001010011, 12},
    {52, 0b000000100100, 12}, {53, 0b000000110111, 12}, {54, 0b000000111000, 12}, {55, 0b000000100111, 12},
    {56, 0b000000101000, 12}, {57, 0b000001011000, 12}, {58, 0b000001011001, 12}, {59, 0b000000101011, 12},
    {60, 0b000000101100, 12}, {61, 0b000001011010, 12}, {62, 0b000001100110, 12}, {63, 0b000001100111, 12},
    {64, 0b0000001111, 10}, {128, 0b000011001000, 12}, {192, 0b000011001001, 12}, {256, 0b000001011011, 12},
    {320, 0b000000110011, 12}, {384, 0b000000110100, 12}, {448, 0b000000110101, 12}, {512, 0b0000001101100, 13},
    {576, 0b0000001101101, 13}, {640, 0b0000001001010, 13}, {704, 0b0000001001011, 13}, {768, 0b0000001001100, 13},
    {832, 0b0000001001101, 13}, {896, 0b0000001110010, 13}, {960, 0b0000001110011, 13}, {1024, 0b0000001110100, 13},
    {1088, 0b0000001110101, 13}, {1152, 0b0000001110110, 13}, {1216, 0b0000001110111, 13}, {1280, 0b0000001010010, 13},
    {1344, 0b0000001010011, 13}, {1408, 0b0000001010100, 13}, {1472, 0b0000001010101, 13}, {1536, 0b0000001011010, 13},
    {1600, 0b0000001011011, 13}, {1664, 0b0000001100100, 13}, {1728, 0b0000001100101, 13},
};
constexpr FaxRunCode kFaxExtendedCodes[13] = {
    {1792, 0b00000001000, 11}, {1856, 0b00000001100, 11}, {1920, 0b00000001101, 11}, {1984, 0b000000010010, 12},
    {2048, 0b000000010011, 12}, {2112, 0b000000010100, 12}, {2176, 0b000000010101, 12}, {2240, 0b000000010110, 12},
    {2304, 0b000000010111, 12}, {2368, 0b000000011100, 12}, {2432, 0b000000011101, 12}, {2496, 0b000000011110, 12},
    {2560, 0b000000011111, 12},
};

namespace {
// True when the code begins with `zeros` zero bits.
constexpr bool begins_with_zeros(const FaxRunCode& c, int zeros) {
    return c.length >= zeros && (c.bits >> (c.length - zeros)) == 0;
}

constexpr uint16_t entry(int run, int length) { return (uint16_t)(length << 12 | run); }

// Fills every index of a `index_bits` table whose top bits are `code` (of `length`
// bits, after `skip` leading bits that the table does not see).
template <size_t N>
constexpr void put(std::array<uint16_t, N>& t, int index_bits, int skip, const FaxRunCode& c) {
    const int own = c.length - skip;
    if (own <= 0 || own > index_bits) return;
    const uint32_t code = c.bits & ((1u << own) - 1);
    if ((c.bits >> own) != 0) return;  // the skipped leading bits must be zeros
    const int spread = index_bits - own;
    for (uint32_t low = 0; low < (1u << spread); ++low)
        t[(code << spread) | low] = entry(c.run, c.length);
}

// First table: every code that fits; indices that hold no code and begin with
// `zeros` zero bits escape to the second table.
template <size_t N>
constexpr std::array<uint16_t, N> first_table(const FaxRunCode (&codes)[91], int bits, int zeros) {
    std::array<uint16_t, N> t{};
    for (auto& e : t) e = entry(FAX_BAD, 0);
    for (const FaxRunCode& c : codes)
        if (c.length <= bits) put(t, bits, 0, c);
    for (uint32_t low = 0; low < (1u << (bits - zeros)); ++low)
        if (fax_entry_run(t[low]) == FAX_BAD) t[low] = entry(FAX_ESCAPE, 0);
    return t;
}

// Second table: codes beginning with `zeros` zero bits, indexed by the next bits.
template <size_t N>
constexpr std::array<uint16_t, N> second_table(const FaxRunCode (&codes)[91], int bits, int zeros) {
    std::array<uint16_t, N> t{};
    for (auto& e : t) e = entry(FAX_BAD, 0);
    for (const FaxRunCode& c : codes)
        if (c.length > zeros && begins_with_zeros(c, zeros)) put(t, bits, zeros, c);
    for (const FaxRunCode& c : kFaxExtendedCodes) put(t, bits, zeros, c);
    put(t, bits, zeros, FaxRunCode{FAX_EOL, 1, 12});
    return t;
}


constexpr std::array<FaxModeEntry, 128> mode_table() {
    struct Code { uint8_t bits, length, mode; };
    constexpr Code codes[] = {
        {0b1, 1, MODE_V0},        {0b011, 3, MODE_VR1},     {0b010, 3, MODE_VL1},
        {0b001, 3, MODE_HORIZONTAL}, {0b0001, 4, MODE_PASS}, {0b000011, 6, MODE_VR2},
        {0b000010, 6, MODE_VL2},  {0b0000011, 7, MODE_VR3}, {0b0000010, 7, MODE_VL3},
        {0b0000001, 7, MODE_EXTENSION},
    };
    std::array<FaxModeEntry, 128> t{};
    t[0] = FaxModeEntry{MODE_ZEROS, 0};
    for (const Code& c : codes) {
        const int spread = 7 - c.length;
        for (uint32_t low = 0; low < (1u << spread); ++low)
            t[((uint32_t)c.bits << spread) | low] = FaxModeEntry{c.mode, c.length};
    }
    return t;
}

constexpr std::array<uint8_t, 256> reverse_table() {
    std::array<uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
        int r = 0;
        for (int i = 0; i < 8; ++i) r |= ((b >> i) & 1) << (7 - i);
        t[b] = (uint8_t)r;
    }
    return t;
}

}  // namespace

constexpr std::array<uint16_t, 512> kFaxWhiteFirst = first_table<512>(kFaxWhiteCodes, 9, 7);
constexpr std::array<uint16_t, 32> kFaxWhiteSecond = second_table<32>(kFaxWhiteCodes, 5, 7);
constexpr std::array<uint16_t, 256> kFaxBlackFirst = first_table<256>(kFaxBlackCodes, 8, 4);
constexpr std::array<uint16_t, 512> kFaxBlackSecond = second_table<512>(kFaxBlackCodes, 9, 4);
constexpr std::array<FaxModeEntry, 128> kFaxModes = mode_table();
constexpr std::array<uint8_t, 256> kBitReverse = reverse_table();

namespace {
template <size_t N>
constexpr bool no_gaps(const std::array<uint16_t, N>& t) {
    for (uint16_t e : t)
        if (fax_entry_run(e) != FAX_BAD && fax_entry_run(e) != FAX_ESCAPE && fax_entry_length(e) == 0) return false;
    return true;
}
static_assert(no_gaps(kFaxWhiteFirst) && no_gaps(kFaxBlackSecond));
static_assert(fax_entry_run(kFaxWhiteFirst[0b011011000]) == 1216 && fax_entry_length(kFaxWhiteFirst[0b011011000]) == 9);
static_assert(fax_entry_run(kFaxBlackFirst[0b11000000]) == 2 && fax_entry_length(kFaxBlackFirst[0b11000000]) == 2);
static_assert(fax_entry_run(kFaxBlackFirst[0b00000111]) == 14);  // an 8-bit code starting with zeros
static_assert(fax_entry_run(kFaxBlackSecond[0b001100101]) == 1728);  // 0000 001100101
}  // namespace
