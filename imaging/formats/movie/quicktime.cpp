// QuickTime parser: walks the atoms of a QuickTime movie (Apple QuickTime File
// Format: moov/trak/mdia/minf/stbl, with a zlib-compressed "cmov" movie header
// inflated in memory) and builds the video frame table from the sample tables
// (stsz, stco, stsc, stss, stts) and the audio chunk table of the sound track.
// The signature test looks for a known atom type at offset 4.
#include <zlib.h>

#include <iterator>

#include "codecs/jpeg_state.h"
#include "formats/file_scanning.h"

namespace {

constexpr uint32_t fourcc(const char (&s)[5]) {
    return (uint32_t)(uint8_t)s[0] << 24 | (uint32_t)(uint8_t)s[1] << 16 | (uint32_t)(uint8_t)s[2] << 8 |
           (uint32_t)(uint8_t)s[3];
}

constexpr int kMaxDepth = 12;
constexpr uint32_t kMaxMovieHeader = 64u << 20;  // inflated "cmov" headers beyond this are refused
constexpr uint32_t kInflateStep = 65536;

enum TrackKind { TRACK_UNKNOWN, TRACK_VIDEO, TRACK_SOUND };

// What one "trak" atom says; committed to the record when the atom ends.
struct Track {
    TrackKind kind = TRACK_UNKNOWN;
    uint32_t timescale = 0, format = 0, first_delta = 0;
    uint16_t channels = 0, bits = 0;
    bool co64 = false, has_stss = false;
    ByteReader stsz{nullptr, 0}, stco{nullptr, 0}, stsc{nullptr, 0}, stss{nullptr, 0};
};

struct QtWalk {
    const FileSpan& file;
    ImageFileInfo* info;
    Track track;
    bool have_video = false, have_sound = false, video_without_frames = false;
    int error = IMG_OK;
};

struct CodecName {
    uint32_t code;
    uint8_t value;
};

constexpr CodecName kVideoCodecs[] = {
    {fourcc("jpeg"), COMP_MOTION_JPEG},
    {fourcc("mjpg"), COMP_MOTION_JPEG},
    {fourcc("cvid"), COMP_CINEPAK},
    {fourcc("h263"), COMP_H263},
};
constexpr CodecName kSoundFormats[] = {
    {fourcc("raw "), AUDIO_PCM},
    {fourcc("ulaw"), AUDIO_MULAW},
    {fourcc("ima4"), AUDIO_IMA_ADPCM},
};

int lookup(const CodecName* table, size_t n, uint32_t code) {
    for (size_t i = 0; i < n; ++i)
        if (table[i].code == code) return table[i].value;
    return -1;
}

// ---- Sample tables ---------------------------------------------------------------

// Entries a table atom really holds: the count stated just before the entries,
// cut to the atom's size.
size_t table_entries(ByteReader& atom, size_t header, size_t entry_size) {
    const size_t stated = atom.u32_at(header - 4);
    const size_t held = atom.size() > header ? (atom.size() - header) / entry_size : 0;
    return stated < held ? stated : held;
}

uint64_t chunk_offset(Track& t, size_t chunk) {
    if (t.co64) return (uint64_t)t.stco.u32_at(8 + 8 * chunk) << 32 | t.stco.u32_at(12 + 8 * chunk);
    return t.stco.u32_at(8 + 4 * chunk);
}

// Samples per chunk from the stsc runs: each entry applies from its first chunk
// (1-based) up to the next entry's. `entry` carries the run between calls.
uint32_t samples_in_chunk(Track& t, size_t chunk, size_t runs, size_t* entry) {
    if (runs == 0) return 1;
    while (*entry + 1 < runs && t.stsc.u32_at(8 + 12 * (*entry + 1)) <= chunk + 1) ++*entry;
    return t.stsc.u32_at(8 + 12 * *entry + 4);
}

// Frame n lies in its chunk after the chunk's earlier samples. Frames whose data
// would lie outside the file end the table.
size_t locate_frames(QtWalk& w, Track& t, size_t frames) {
    const uint32_t fixed_size = t.stsz.u32_at(4);
    const size_t chunks = table_entries(t.stco, 8, t.co64 ? 8 : 4), runs = table_entries(t.stsc, 8, 12);
    ImageFileInfo* info = w.info;
    size_t sample = 0, entry = 0;
    for (size_t chunk = 0; chunk < chunks && sample < frames; ++chunk) {
        uint64_t offset = chunk_offset(t, chunk);
        const uint32_t count = samples_in_chunk(t, chunk, runs, &entry);
        for (uint32_t s = 0; s < count && sample < frames; ++s, ++sample) {
            const uint32_t size = fixed_size ? fixed_size : t.stsz.u32_at(12 + 4 * sample);
            if (!inside_file(w.file, offset, size)) return sample;
            info->page_offsets[sample] = (int32_t)offset;
            info->frame_sizes[sample] = (int32_t)size;
            offset += size;
        }
    }
    return sample;
}

// Key frames: every frame without an stss table, else only the listed (1-based) ones.
void mark_keyframes(Track& t, uint8_t* keyframes, size_t frames) {
    if (!t.has_stss) {
        std::memset(keyframes, 1, frames);
        return;
    }
    const size_t listed = table_entries(t.stss, 8, 4);
    for (size_t i = 0; i < listed; ++i) {
        const uint32_t n = t.stss.u32_at(8 + 4 * i);
        if (n >= 1 && n <= frames) keyframes[n - 1] = 1;
    }
}

// 1,000 / (time scale / duration), computed the other way round for frames longer
// than a second.
int32_t frame_milliseconds(uint32_t timescale, uint32_t duration) {
    if (!timescale || !duration) return 0;
    const uint32_t per_second = timescale / duration;
    return per_second ? (int32_t)(1000 / per_second) : (int32_t)((1000ull * duration) / timescale);
}

// Motion-JPEG: the movie's decoder state takes the DHT segments that follow one
// another from the first one within the first 4,096 bytes of the first frame.
int prepare_quicktime_jpeg(const FileSpan& file, ImageFileInfo* info) {
    ByteReader r = file.window((size_t)info->page_offsets[0], 4096);
    const uint8_t* p = r.data() + r.pos();
    const size_t n = r.remaining();
    for (size_t i = 0; i + 1 < n; ++i)
        if (p[i] == 0xFF && p[i + 1] == 0xC4) {
            const ByteReader rest = file.window((size_t)info->page_offsets[0] + i, 65536);
            const int rc = prepare_movie_jpeg_state(info, rest.data() + rest.pos(), rest.remaining(), true);
            if (rc != ERR_BAD_HEADER) return rc;  // damaged tables: each frame brings its own
            break;
        }
    return prepare_movie_jpeg_state(info, nullptr, 0, false);
}

int commit_video(QtWalk& w, Track& t) {
    const int codec = lookup(kVideoCodecs, std::size(kVideoCodecs), t.format);
    if (codec < 0 || w.have_video) return IMG_OK;
    // Samples of one fixed size are as many as the file can hold at most.
    const uint32_t fixed_size = t.stsz.u32_at(4);
    size_t frames = fixed_size ? t.stsz.u32_at(8) : table_entries(t.stsz, 12, 4);
    if (fixed_size && frames > w.file.size / fixed_size) frames = w.file.size / fixed_size;
    if (frames > kMaxMovieFrames) frames = kMaxMovieFrames;
    ImageFileInfo* info = w.info;
    if (alloc_frame_tables(info, frames) < 0) return ERR_MEMORY;
    frames = locate_frames(w, t, frames);
    if (frames == 0) {  // a later video track may still do
        for (void* table : {(void*)info->page_offsets, (void*)info->frame_sizes, (void*)info->keyframes}) mem_free(table);
        info->page_offsets = nullptr, info->frame_sizes = nullptr, info->keyframes = nullptr;
        w.video_without_frames = true;
        return IMG_OK;
    }
    mark_keyframes(t, info->keyframes, frames);
    info->page_count = (int32_t)frames;
    info->video_compression = (uint8_t)codec;
    info->frame_ms = frame_milliseconds(t.timescale, t.first_delta);
    info->movie_bpp = 24;
    w.have_video = true;
    return codec == COMP_MOTION_JPEG ? prepare_quicktime_jpeg(w.file, info) : IMG_OK;
}

// Bytes of a sound chunk of `samples` table samples. Classic movies count single
// sample frames (table sample size 1): IMA ADPCM packs 64 of them into 34 bytes per
// channel, 16-bit PCM takes two bytes each, 8-bit PCM and mu-law one. Packetised
// sound (a table sample size above 1) counts packets of that many bytes.
uint64_t sound_bytes(Track& t, int format, uint64_t samples) {
    const uint32_t packet = t.stsz.u32_at(4);
    if (packet > 1) return samples * packet;
    const uint64_t channels = t.channels ? t.channels : 1;
    if (format == AUDIO_IMA_ADPCM) return (samples + 63) / 64 * 34 * channels;
    return samples * channels * (format == AUDIO_PCM && t.bits == 16 ? 2 : 1);
}

// Samples per second: the time scale over one sample's duration, except that a
// packet of packetised sound lasts several sample frames of the time scale.
uint32_t sound_rate(Track& t) {
    if (t.stsz.u32_at(4) > 1 || t.first_delta == 0) return t.timescale;
    return t.timescale / t.first_delta;
}

int commit_sound(QtWalk& w, Track& t) {
    const int format = lookup(kSoundFormats, std::size(kSoundFormats), t.format);
    if (format < 0 || w.have_sound) return IMG_OK;
    ImageFileInfo* info = w.info;
    size_t chunks = table_entries(t.stco, 8, t.co64 ? 8 : 4);
    if (chunks > kMaxAudioChunks) chunks = kMaxAudioChunks;
    if (alloc_audio_tables(info, chunks) < 0) return ERR_MEMORY;
    const size_t runs = table_entries(t.stsc, 8, 12);
    size_t entry = 0, located = 0;
    uint64_t total = 0;
    for (; located < chunks; ++located) {
        const uint64_t offset = chunk_offset(t, located);
        const uint64_t bytes = sound_bytes(t, format, samples_in_chunk(t, located, runs, &entry));
        if (!inside_file(w.file, offset, bytes)) break;
        info->audio_offsets[located] = (int32_t)offset;
        info->audio_sizes[located] = (int32_t)bytes;
        total += bytes;
    }
    info->audio_format = (uint8_t)format;
    info->audio_bits = (int8_t)t.bits;
    if (format == AUDIO_IMA_ADPCM) info->audio_block_align = 34;
    const uint32_t rate = sound_rate(t);
    info->audio_rate = snap_audio_rate((int32_t)(rate < INT32_MAX ? rate : INT32_MAX));
    info->audio_chunk_count = (int32_t)located;
    info->audio_total = (int32_t)(total < INT32_MAX ? total : INT32_MAX);
    w.have_sound = true;
    return IMG_OK;
}

// ---- Atoms -------------------------------------------------------------------------

void walk_atoms(QtWalk& w, ByteReader span, int depth);

void on_container(QtWalk& w, ByteReader& body, int depth) { walk_atoms(w, body, depth + 1); }

void on_trak(QtWalk& w, ByteReader& body, int depth) {
    w.track = Track{};
    walk_atoms(w, body, depth + 1);
    Track t = w.track;
    w.track = Track{};
    const int rc = t.kind == TRACK_VIDEO ? commit_video(w, t) : t.kind == TRACK_SOUND ? commit_sound(w, t) : IMG_OK;
    if (rc < 0 && w.error == IMG_OK) w.error = rc;
}

// "cmvd": the uncompressed size, then the zlib stream of a movie header.
void on_cmvd(QtWalk& w, ByteReader& body, int depth) {
    const uint32_t size = body.u32_at(0);
    if (size > kMaxMovieHeader) {
        w.error = ERR_BAD_HEADER;
        return;
    }
    uint8_t* out = static_cast<uint8_t*>(mem_alloc((size_t)size + 4096));
    if (!out) {
        w.error = ERR_MEMORY;
        return;
    }
    z_stream z{};
    size_t produced = 0;
    if (body.size() > 4 && inflateInit(&z) == Z_OK) {
        z.next_in = const_cast<Bytef*>(body.data() + 4);
        z.avail_in = (uInt)(body.size() - 4);
        while (produced < size && z.avail_in > 0) {
            const uint32_t step = size - produced < kInflateStep ? (uint32_t)(size - produced) : kInflateStep;
            z.next_out = out + produced;
            z.avail_out = step;
            const int rc = inflate(&z, Z_NO_FLUSH);
            produced += step - z.avail_out;
            if (rc != Z_OK) break;
        }
        inflateEnd(&z);
    }
    walk_atoms(w, ByteReader(out, produced, true), depth + 1);
    mem_free(out);
}

void on_tkhd(QtWalk& w, ByteReader& body, int) {
    const size_t at = body.u8_at(0) == 1 ? 88 : 76;
    if (!w.info->movie_width) w.info->movie_width = (int32_t)(body.u32_at(at) >> 16);
    if (!w.info->movie_height) w.info->movie_height = (int32_t)(body.u32_at(at + 4) >> 16);
}
void on_mdhd(QtWalk& w, ByteReader& body, int) { w.track.timescale = body.u32_at(body.u8_at(0) == 1 ? 20 : 12); }
void on_vmhd(QtWalk& w, ByteReader&, int) { w.track.kind = TRACK_VIDEO; }
void on_smhd(QtWalk& w, ByteReader&, int) { w.track.kind = TRACK_SOUND; }
// The first sample description: its format, and for sound its channels and bits.
void on_stsd(QtWalk& w, ByteReader& body, int) {
    w.track.format = body.u32_at(12);
    w.track.channels = body.u16_at(32);
    w.track.bits = body.u16_at(34);
}
void on_stts(QtWalk& w, ByteReader& body, int) { w.track.first_delta = body.u32_at(12); }
void on_stsz(QtWalk& w, ByteReader& body, int) { w.track.stsz = body; }
void on_stco(QtWalk& w, ByteReader& body, int) {
    w.track.stco = body;
    w.track.co64 = false;
}
void on_co64(QtWalk& w, ByteReader& body, int) {
    w.track.stco = body;
    w.track.co64 = true;
}
void on_stsc(QtWalk& w, ByteReader& body, int) { w.track.stsc = body; }
void on_stss(QtWalk& w, ByteReader& body, int) {
    w.track.stss = body;
    w.track.has_stss = true;
}

struct AtomHandler {
    uint32_t type;
    void (*handle)(QtWalk& w, ByteReader& body, int depth);
};

constexpr AtomHandler kAtomHandlers[] = {
    {fourcc("moov"), on_container}, {fourcc("trak"), on_trak}, {fourcc("mdia"), on_container},
    {fourcc("minf"), on_container}, {fourcc("stbl"), on_container}, {fourcc("cmov"), on_container},
    {fourcc("cmvd"), on_cmvd},      {fourcc("tkhd"), on_tkhd},     {fourcc("mdhd"), on_mdhd},
    {fourcc("vmhd"), on_vmhd},      {fourcc("smhd"), on_smhd},     {fourcc("stsd"), on_stsd},
    {fourcc("stts"), on_stts},      {fourcc("stsz"), on_stsz},     {fourcc("stco"), on_stco},
    {fourcc("co64"), on_co64},      {fourcc("stsc"), on_stsc},     {fourcc("stss"), on_stss},
};

// Walks the atoms of `span` (32-bit size, type; size 1: a 64-bit size follows, size
// 0: to the end). An atom larger than what holds it is cut to what is there.
void walk_atoms(QtWalk& w, ByteReader span, int depth) {
    if (depth > kMaxDepth) return;
    size_t pos = 0;
    while (w.error == IMG_OK && span.size() - pos >= 8) {
        uint64_t size = span.u32_at(pos);
        const uint32_t type = span.u32_at(pos + 4);
        size_t header = 8;
        if (size == 1) {
            size = (uint64_t)span.u32_at(pos + 8) << 32 | span.u32_at(pos + 12);
            header = 16;
        } else if (size == 0) {
            size = span.size() - pos;
        }
        if (size < header) return;
        if (size > span.size() - pos) size = span.size() - pos;
        for (const AtomHandler& h : kAtomHandlers) {
            if (h.type != type) continue;
            ByteReader body(span.data() + pos + header, (size_t)size - header, true);
            h.handle(w, body, depth);
            break;
        }
        pos += (size_t)size;
    }
}

}  // namespace

int parse_quicktime_movie(const FileSpan& file, const IdentifyHeader&, ImageFileInfo* info) {
    info->video_compression = COMP_NO_STREAM;
    info->audio_format = AUDIO_NONE;
    QtWalk w{file, info};
    walk_atoms(w, ByteReader(file.data, file.size, true), 0);
    if (w.error < 0) return w.error;
    if (!w.have_video) return w.video_without_frames ? ERR_BAD_HEADER : ERR_UNSUPPORTED;
    return IMG_OK;
}

// ---- Detection (identify) -----------------------------------------------------

bool is_quicktime(const IdentifyHeader& h) {
    static const char* const kAtoms[] = {"mdat", "moov", "pnot", "skip", "wide"};
    for (const char* atom : kAtoms)
        if (h.has(4, atom)) return true;
    return false;
}
