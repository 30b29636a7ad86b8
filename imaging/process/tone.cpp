// The tone table applied by scale_page: brightness scales each 8-bit channel value
// (128 = unchanged) and gamma raises it to the power (255 - gamma) / 128, in double
// precision; the RGB565 part maps each field through the same byte table.
#include <cmath>
#include <cstring>

#include "process/process.h"

namespace {
uint8_t tone_byte(int i, int gamma, int brightness) {
    int v = i * brightness / 128;
    if (v > 255) v = 255;
    const double exponent = (255.0 - gamma) / 128.0;
    const double out = std::pow(v / 255.0, exponent) * 255.0;
    return out >= 255.0 ? 255 : (uint8_t)out;
}
}  // namespace

void build_tone_table(int gamma, int brightness, uint8_t* table) {
    for (int i = 0; i < TONE_BYTE_ENTRIES; ++i) table[i] = tone_byte(i, gamma, brightness);
    uint8_t* words = table + TONE_BYTE_ENTRIES;
    for (unsigned d = 0; d < TONE_WORD_ENTRIES; ++d) {
        const unsigned red = table[(d >> 8) & 0xF8] & 0xF8u;
        const unsigned green = table[(d >> 3) & 0xFC] & 0xFCu;
        const unsigned blue = (unsigned)table[(d << 3) & 0xFF] >> 3;
        const uint16_t entry = (uint16_t)((red << 8) | (green << 3) | blue);
        std::memcpy(words + 2 * (size_t)d, &entry, sizeof entry);
    }
}
