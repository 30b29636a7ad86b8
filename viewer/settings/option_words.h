// The two option words of the settings, "Options" and "Options2": one on/off option
// per bit (bit set = on), decoded into named flags after loading and encoded again
// before saving. Bits 0 and 6 of "Options" carry no option here and are kept as read.
#pragma once

#include <cstdint>

struct OptionFlags {
    // "Options"
    bool Load16Bpp, IgnoreErrors, ScaleToGray, FaxCorrect, OptimizeColors, OptimizeJpegSize;
    bool SlideShowName, SlideLoop, SlideRotate, ThumbNames, PlayAudio, PlayLoop, KeepAspect;
    bool AutoRotate, ComboView, ThumbsEnabled, EmailOriginal, SmoothScaling, SlideTimed, PreQualify;
    bool TitleDate, TitleTime, TitleName, TitleOutline, TitleOneLine;
    bool CenterVertical, CenterHorizontal, UnitsInches, FitToPage;
    // "Options2"
    bool BatchScaleMode, ConfirmDelete, SlideSounds, SaveToCurrentDir, BatchOverwrite;
    // Bits of "Options" that no flag owns (0 and 6), written back as they were read.
    uint32_t kept_bits;
};

struct OptionWords {
    uint32_t options;
    uint32_t options2;
};

inline constexpr uint32_t kOptionsKeptMask = 0x41;  // bits 0 and 6

// The default words for a display of `display_bits` bits per pixel: every listed
// default, with "Optimize colors for display" on only below 16 bits per pixel.
OptionWords default_option_words(int display_bits);
OptionFlags decode_options(OptionWords words);
// Bit 14 of "Options" and bits 5 ... 31 of "Options2" are always written as 0.
OptionWords encode_options(const OptionFlags& flags);
