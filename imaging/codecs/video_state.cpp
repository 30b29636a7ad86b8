// Release of a movie's decoder state block. The block is one library allocation
// whose owned tables live inside it.
#include "imaging.h"

void release_video_decoder(void* state) { mem_free(state); }
