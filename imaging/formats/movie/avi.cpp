// AVI parser: walks the RIFF chunks of an AVI file (the Microsoft AVI RIFF layout:
// hdrl/avih, strl/strh/strf, movi, idx1) for the movie parameters, then builds the
// video frame table and the audio chunk table from the idx1 index, or from the movi
// list itself when a cut file has lost its index. The "RIFF"/"AVI " signature test.
#include <initializer_list>

#include "codecs/jpeg_state.h"
#include "formats/file_scanning.h"

namespace {

constexpr uint32_t fourcc(const char (&s)[5]) {
    return (uint32_t)(uint8_t)s[0] | (uint32_t)(uint8_t)s[1] << 8 | (uint32_t)(uint8_t)s[2] << 16 |
           (uint32_t)(uint8_t)s[3] << 24;
}

struct AviHeaders {
    uint32_t codec = 0;
    uint32_t stream_type = 0;  // of the stream whose strh was read last
    int64_t movi_base = -1;    // position of the movi list's type field
    uint64_t movi_end = 0;
    int64_t index_pos = -1;
    uint32_t index_size = 0;
};

struct CodecName {
    uint32_t code;
    uint8_t compression;
};

constexpr CodecName kVideoCodecs[] = {
    {fourcc("MJPG"), COMP_MOTION_JPEG}, {fourcc("mjpg"), COMP_MOTION_JPEG}, {fourcc("CVID"), COMP_CINEPAK},
    {fourcc("cvid"), COMP_CINEPAK},     {fourcc("I263"), COMP_H263},
};

struct AudioTag {
    uint16_t tag;
    uint8_t format;
};

constexpr AudioTag kAudioTags[] = {{1, AUDIO_PCM}, {7, AUDIO_MULAW}, {17, AUDIO_IMA_ADPCM}};

void read_avih(ByteReader& d, ImageFileInfo* info) {
    info->frame_ms = (int32_t)(d.u32_at(0) / 1000);
    info->page_count = (int32_t)d.u32_at(16);
    if (!info->movie_width) info->movie_width = (int32_t)d.u32_at(32);
    if (!info->movie_height) info->movie_height = (int32_t)d.u32_at(36);
    info->movie_bpp = 24;
}

void read_strh(ByteReader& d, AviHeaders* h, ImageFileInfo* info) {
    h->stream_type = d.u32_at(0);
    if (h->stream_type == fourcc("vids") && d.u32_at(4) != 0) h->codec = d.u32_at(4);
    if (h->stream_type == fourcc("auds")) info->audio_rate = (int32_t)d.u32_at(24);
}

// The stream format follows its strh: a WAVEFORMAT for sound, a BITMAPINFOHEADER
// for video (possibly followed by a palette).
void read_strf(ByteReader& d, uint32_t size, AviHeaders* h, ImageFileInfo* info) {
    if (h->stream_type == fourcc("auds") && size >= 16) {
        const uint16_t tag = d.u16_at(0);
        for (const AudioTag& t : kAudioTags)
            if (t.tag == tag) info->audio_format = t.format;
        info->audio_rate = (int32_t)d.u32_at(4);
        info->audio_block_align = d.u16_at(12);
        info->audio_bits = (int8_t)d.u16_at(14);
    } else if (h->stream_type == fourcc("vids") && size >= 40) {
        if (!h->codec) h->codec = d.u32_at(16);
        const int32_t width = (int32_t)d.u32_at(4), height = (int32_t)d.u32_at(8);
        info->movie_width = width < 0 ? -width : width;
        info->movie_height = height < 0 ? -height : height;  // negative: stored top-down
        info->movie_bpp = (int8_t)d.u16_at(14);
    }
}

// Walks the chunks from offset 12. hdrl and strl lists are entered; the movi list
// is noted and stepped over. A size with its top bit set, or one reaching beyond the
// file, is cut to its low 24 bits.
void walk_chunks(const FileSpan& file, AviHeaders* h, ImageFileInfo* info) {
    uint64_t pos = 12;
    while (pos + 8 <= file.size) {
        ByteReader chunk = file.window((size_t)pos, 64);
        const uint32_t id = chunk.u32_at(0);
        uint32_t size = chunk.u32_at(4);
        if ((size & 0x80000000u) || pos + 8 + size > file.size) size &= 0xFFFFFF;
        ByteReader data = file.window((size_t)pos + 8, 56);
        if (id == fourcc("LIST")) {
            const uint32_t type = data.u32_at(0);
            if (type == fourcc("hdrl") || type == fourcc("strl")) {
                pos += 12;
                continue;
            }
            if (type == fourcc("movi") && h->movi_base < 0) {
                h->movi_base = (int64_t)pos + 8;
                h->movi_end = pos + 8 + size;
            }
        } else if (id == fourcc("avih")) {
            read_avih(data, info);
        } else if (id == fourcc("strh")) {
            read_strh(data, h, info);
        } else if (id == fourcc("strf")) {
            read_strf(data, size, h, info);
        } else if (id == fourcc("idx1")) {
            h->index_pos = (int64_t)pos + 8;
            h->index_size = size;
        }
        pos = (pos + 8 + size + 1) & ~(uint64_t)1;
    }
}

// Video chunks end in "db", "dc", "id" or "iv"; sound chunks in "wb".
bool is_video_chunk(uint32_t id) {
    const uint32_t kind = id >> 16;
    return kind == (fourcc("00db") >> 16) || kind == (fourcc("00dc") >> 16) || kind == (fourcc("00id") >> 16) ||
           kind == (fourcc("00iv") >> 16);
}
bool is_audio_chunk(uint32_t id) { return id >> 16 == fourcc("00wb") >> 16; }

// One chunk of the movie: `offset` is the position of its 8-byte chunk header.
struct MovieChunk {
    uint32_t id, flags;
    uint64_t offset;
    uint32_t size;
};

// Collects frames and sound chunks in two passes: the first counts, the second
// (with tables) fills. A chunk whose data lies outside the file ends its list.
struct ChunkTables {
    const FileSpan& file;
    ImageFileInfo* info;
    bool filling;
    size_t frames = 0, audio = 0;
    uint64_t audio_bytes = 0;
    bool frames_ended = false, audio_ended = false;

    void add(const MovieChunk& c) {
        const bool fits = inside_file(file, c.offset + 8, c.size);
        if (is_video_chunk(c.id) && !frames_ended) {
            if (!fits || frames >= kMaxMovieFrames) {
                frames_ended = true;
                return;
            }
            if (filling) {
                info->page_offsets[frames] = (int32_t)c.offset;
                info->frame_sizes[frames] = (int32_t)c.size;
                info->keyframes[frames] = (c.flags & 0x10) != 0;
            }
            ++frames;
        } else if (is_audio_chunk(c.id) && !audio_ended) {
            if (!fits || audio >= kMaxAudioChunks) {
                audio_ended = true;
                return;
            }
            if (filling) {
                info->audio_offsets[audio] = (int32_t)(c.offset + 8);
                info->audio_sizes[audio] = (int32_t)c.size;
                audio_bytes += c.size;
            }
            ++audio;
        }
    }
};

// idx1 offsets count from the movi list's type field, unless the first video
// entry's offset already points at a chunk header (absolute offsets).
uint64_t index_base(const FileSpan& file, const AviHeaders& h) {
    ByteReader index = file.window((size_t)h.index_pos, h.index_size);
    for (size_t e = 0; e + 16 <= index.size(); e += 16) {
        if (!is_video_chunk(index.u32_at(e))) continue;
        const uint32_t at = file.window(index.u32_at(e + 8), 4).u32_at(0);
        const bool absolute = at == fourcc("00db") || at == fourcc("00dc") || at == fourcc("movi") ||
                              at == fourcc("00iv");
        return absolute || h.movi_base < 0 ? 0 : (uint64_t)h.movi_base;
    }
    return h.movi_base < 0 ? 0 : (uint64_t)h.movi_base;
}

void read_index(const FileSpan& file, const AviHeaders& h, ChunkTables* tables) {
    const uint64_t base = index_base(file, h);
    ByteReader index = file.window((size_t)h.index_pos, h.index_size);
    for (size_t e = 0; e + 16 <= index.size(); e += 16)
        tables->add({index.u32_at(e), index.u32_at(e + 4), base + index.u32_at(e + 8), index.u32_at(e + 12)});
}

// Without an index the movi list is walked chunk by chunk ("rec " lists entered).
// Key frames are then unknown, and every frame counts as one.
void walk_movi(const FileSpan& file, const AviHeaders& h, ChunkTables* tables) {
    const uint64_t end = h.movi_end < file.size ? h.movi_end : file.size;
    uint64_t pos = (uint64_t)h.movi_base + 4;
    while (pos + 8 <= end) {
        ByteReader chunk = file.window((size_t)pos, 12);
        const uint32_t id = chunk.u32_at(0), size = chunk.u32_at(4);
        if (id == fourcc("LIST")) {
            pos += 12;
            continue;
        }
        tables->add({id, 0x10, pos, size});
        pos = (pos + 8 + size + 1) & ~(uint64_t)1;
    }
}

int build_tables(const FileSpan& file, const AviHeaders& h, ImageFileInfo* info) {
    if (h.index_pos < 0 && h.movi_base < 0) return ERR_BAD_HEADER;
    for (bool filling : {false, true}) {
        ChunkTables tables{file, info, filling};
        if (h.index_pos >= 0)
            read_index(file, h, &tables);
        else
            walk_movi(file, h, &tables);
        if (!filling) {
            if (tables.frames == 0) return ERR_BAD_HEADER;
            if (alloc_frame_tables(info, tables.frames) < 0 || alloc_audio_tables(info, tables.audio) < 0)
                return ERR_MEMORY;
        } else {
            info->page_count = (int32_t)tables.frames;
            info->audio_chunk_count = (int32_t)tables.audio;
            info->audio_total = (int32_t)(tables.audio_bytes < INT32_MAX ? tables.audio_bytes : INT32_MAX);
        }
    }
    return IMG_OK;
}

}  // namespace

int parse_avi_movie(const FileSpan& file, const IdentifyHeader&, ImageFileInfo* info) {
    info->video_compression = COMP_NO_STREAM;
    info->audio_format = AUDIO_NONE;
    AviHeaders h;
    walk_chunks(file, &h, info);
    for (const CodecName& c : kVideoCodecs)
        if (c.code == h.codec) info->video_compression = c.compression;
    if (info->video_compression == COMP_NO_STREAM) return ERR_UNSUPPORTED;
    info->audio_rate = snap_audio_rate(info->audio_rate);
    if (int rc = build_tables(file, h, info)) return rc;
    // Motion-JPEG frames of AVI files leave out their Huffman tables: the movie's
    // decoder state holds the standard ones.
    if (info->video_compression == COMP_MOTION_JPEG)
        return prepare_movie_jpeg_state(info, kJpegStandardDht, sizeof kJpegStandardDht, true);
    return IMG_OK;
}

// ---- Detection (identify) -----------------------------------------------------

bool is_avi(const IdentifyHeader& h) { return h.has(0, "RIFF") && h.has(8, "AVI "); }
