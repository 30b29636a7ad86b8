// Pieces shared by the AVI and QuickTime parsers: the snapping of nearly standard
// audio rates and the allocation of the frame and audio tables of a movie record.
#include "formats/file_scanning.h"

namespace {

struct RateSnap {
    int32_t above, below, rate;
};

// Rates strictly inside (above, below) become `rate`.
constexpr RateSnap kRateSnaps[] = {
    {7800, 8200, 8000},
    {10600, 11400, 11025},
    {21900, 22250, 22050},
    {43000, 45000, 44100},
};

}  // namespace

int32_t snap_audio_rate(int32_t rate) {
    for (const RateSnap& s : kRateSnaps)
        if (rate > s.above && rate < s.below) return s.rate;
    return rate;
}

int alloc_frame_tables(ImageFileInfo* info, size_t frames) {
    info->page_offsets = alloc_offset_table(frames);
    info->frame_sizes = alloc_offset_table(frames);
    info->keyframes = static_cast<uint8_t*>(mem_alloc(frames ? frames : 1));
    return info->page_offsets && info->frame_sizes && info->keyframes ? IMG_OK : ERR_MEMORY;
}

int alloc_audio_tables(ImageFileInfo* info, size_t chunks) {
    info->audio_offsets = alloc_offset_table(chunks);
    info->audio_sizes = alloc_offset_table(chunks);
    return info->audio_offsets && info->audio_sizes ? IMG_OK : ERR_MEMORY;
}
