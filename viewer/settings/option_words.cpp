// Encoding of the option flags into the "Options" and "Options2" registry words,
// driven by one table of (word, bit, flag, default) rows.
#include "settings/option_words.h"

namespace {

struct OptionBit {
    uint8_t word;  // 0 = "Options", 1 = "Options2"
    uint8_t bit;
    bool OptionFlags::*flag;
    bool on_by_default;
};

constexpr OptionBit kBits[] = {
    {0, 1, &OptionFlags::Load16Bpp, false},         {0, 2, &OptionFlags::IgnoreErrors, true},
    {0, 3, &OptionFlags::ScaleToGray, true},        {0, 4, &OptionFlags::FaxCorrect, true},
    {0, 5, &OptionFlags::OptimizeColors, false},    {0, 7, &OptionFlags::OptimizeJpegSize, false},
    {0, 8, &OptionFlags::SlideShowName, true},      {0, 9, &OptionFlags::SlideLoop, true},
    {0, 10, &OptionFlags::SlideRotate, true},       {0, 11, &OptionFlags::ThumbNames, true},
    {0, 12, &OptionFlags::PlayAudio, true},         {0, 13, &OptionFlags::PlayLoop, false},
    {0, 15, &OptionFlags::KeepAspect, true},        {0, 16, &OptionFlags::AutoRotate, false},
    {0, 17, &OptionFlags::ComboView, true},         {0, 18, &OptionFlags::ThumbsEnabled, true},
    {0, 19, &OptionFlags::EmailOriginal, false},    {0, 20, &OptionFlags::SmoothScaling, true},
    {0, 21, &OptionFlags::SlideTimed, true},        {0, 22, &OptionFlags::PreQualify, false},
    {0, 23, &OptionFlags::TitleDate, false},        {0, 24, &OptionFlags::TitleTime, false},
    {0, 25, &OptionFlags::TitleName, false},        {0, 26, &OptionFlags::TitleOutline, false},
    {0, 27, &OptionFlags::TitleOneLine, false},     {0, 28, &OptionFlags::CenterVertical, true},
    {0, 29, &OptionFlags::CenterHorizontal, true},  {0, 30, &OptionFlags::UnitsInches, true},
    {0, 31, &OptionFlags::FitToPage, true},
    {1, 0, &OptionFlags::BatchScaleMode, true},     {1, 1, &OptionFlags::ConfirmDelete, true},
    {1, 2, &OptionFlags::SlideSounds, true},        {1, 3, &OptionFlags::SaveToCurrentDir, false},
    {1, 4, &OptionFlags::BatchOverwrite, false},
};

constexpr int kOptimizeColorsBit = 5;
constexpr uint32_t kDefaultKeptBits = 1u << 6;  // bit 6 starts on, bit 0 off

uint32_t& word_of(OptionWords& words, int word) { return word == 0 ? words.options : words.options2; }

}  // namespace

OptionWords default_option_words(int display_bits) {
    OptionWords words{kDefaultKeptBits, 0};
    for (const OptionBit& b : kBits)
        if (b.on_by_default) word_of(words, b.word) |= 1u << b.bit;
    if (display_bits < 16) words.options |= 1u << kOptimizeColorsBit;
    return words;
}

OptionFlags decode_options(OptionWords words) {
    OptionFlags flags{};
    for (const OptionBit& b : kBits) flags.*b.flag = (word_of(words, b.word) >> b.bit) & 1;
    flags.kept_bits = words.options & kOptionsKeptMask;
    return flags;
}

OptionWords encode_options(const OptionFlags& flags) {
    OptionWords words{flags.kept_bits & kOptionsKeptMask, 0};
    for (const OptionBit& b : kBits)
        if (flags.*b.flag) word_of(words, b.word) |= 1u << b.bit;
    return words;
}
