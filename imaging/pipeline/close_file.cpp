// close_file_info: gives back what identify_file left in a record: the file, its
// mapping, the movie tables and the movie's decoder state.
#include "codecs/jpeg_state.h"
#include "imaging.h"

int close_file_info(ImageFileInfo* info) {
    if (!info) return IMG_OK;
    if (info->access == ACCESS_MAPPED) {
        file_unmap(info->view, info->file_size, info->mapping);
        file_close(info->file);
    } else if (info->access == ACCESS_STREAMED) {
        file_close(info->file);
    }
    info->view = nullptr;
    info->mapping = nullptr;
    info->file = nullptr;
    if (info->video_decoder) release_video_decoder(info->video_decoder);
    info->video_decoder = nullptr;
    mem_free(info->audio_offsets);
    info->audio_offsets = nullptr;
    mem_free(info->keyframes);
    info->keyframes = nullptr;
    mem_free(info->audio_sizes);
    info->audio_sizes = nullptr;
    mem_free(info->page_offsets);
    info->page_offsets = nullptr;
    mem_free(info->frame_sizes);
    info->frame_sizes = nullptr;
    info->access = ACCESS_CLOSED;
    return IMG_OK;
}
