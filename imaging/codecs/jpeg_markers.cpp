// JPEG marker scanner and header parsers: frame (SOFn), scan (SOS), Huffman (DHT)
// and quantisation (DQT) tables, restart interval, Exif APP1 and comment segments
// (ITU-T T.81 Annex B). Every read is checked against the buffer.
#include <algorithm>
#include <cstring>

#include "codecs/jpeg_state.h"

namespace {

enum {
    M_SOF0 = 0xC0, M_SOF3 = 0xC3, M_DHT = 0xC4, M_SOI = 0xD8, M_EOI = 0xD9, M_SOS = 0xDA,
    M_DQT = 0xDB, M_DRI = 0xDD, M_APP0 = 0xE0, M_APP1 = 0xE1, M_APP14 = 0xEE, M_COM = 0xFE,
    SCAN_LIMIT = 65536,
};

inline uint32_t be16(const uint8_t* p) { return (uint32_t)(p[0] << 8 | p[1]); }

bool stops_scanner(int m) { return (m >= M_SOF0 && m <= M_SOF3) || m == M_SOI || m == M_EOI || m == M_SOS; }

void take_exif(JpegDecoderState* s, const uint8_t* seg, size_t avail, size_t payload, uint32_t L) {
    if (L <= 8 || avail < 2 + 4 || std::memcmp(seg + 2, "Exif", 4) != 0) return;
    s->exif_position = (int32_t)(payload + 6);
    s->exif_length = (int32_t)(L - 8);
}

// APP0 "JFIF\0" and APP14 "Adobe" (version, two flag words, then the transform byte).
void take_colour_marker(JpegDecoderState* s, int m, const uint8_t* seg, size_t avail, uint32_t L) {
    const size_t payload = std::min<size_t>(L >= 2 ? L - 2 : 0, avail >= 2 ? avail - 2 : 0);
    if (m == M_APP0 && payload >= 5 && std::memcmp(seg + 2, "JFIF", 5) == 0) s->saw_jfif = true;
    if (m == M_APP14 && payload >= 12 && std::memcmp(seg + 2, "Adobe", 5) == 0) {
        s->saw_adobe = true;
        s->adobe_transform = seg[2 + 11];
    }
}

void take_comment(JpegDecoderState* s, const uint8_t* seg, size_t avail, uint32_t L) {
    std::memset(s->comment, 0, sizeof s->comment);
    size_t n = L >= 2 ? L - 2 : 0;
    if (n > 127) n = 127;
    if (n > avail - 2) n = avail - 2;
    std::memcpy(s->comment, seg + 2, n);
}

}  // namespace

int jpeg_parse_dht(JpegDecoderState* s, const uint8_t* seg, size_t avail) {
    if (avail < 2) return ERR_BAD_HEADER;
    size_t end = be16(seg);
    if (end > avail) end = avail;
    size_t p = 2;
    while (p < end) {
        const int tc = seg[p];
        const int slot = (tc >> 4) == 0 ? (tc & 15) : (tc >> 4) == 1 ? 4 + (tc & 15) : 99;
        if (slot > 7 || (tc & 15) > 3 || p + 17 > end) return ERR_BAD_HEADER;
        int total = 0;
        for (int i = 0; i < 16; ++i) total += seg[p + 1 + i];
        if (total > 256 || p + 17 + (size_t)total > end) return ERR_BAD_HEADER;
        // A table repeated unchanged (movie frames carry theirs) keeps the look-ups.
        bool same = s->huff_present[slot] != 0;
        for (int i = 0; i < 16 + total; ++i) {
            const int32_t v = seg[p + 1 + i];
            same = same && s->huff_raw[slot][i] == v;
            s->huff_raw[slot][i] = v;
        }
        s->huff_present[slot] = 1;
        if (!same) s->lookups_built = false;
        p += 17 + (size_t)total;
    }
    return IMG_OK;
}

int jpeg_parse_dqt(JpegDecoderState* s, const uint8_t* seg, size_t avail) {
    if (avail < 2) return ERR_BAD_HEADER;
    size_t end = be16(seg);
    if (end > avail) end = avail;
    size_t p = 2;
    while (p < end) {
        const int pq = seg[p] >> 4, tq = seg[p] & 15;
        const size_t bytes = pq ? 128 : 64;
        if (tq > 3 || p + 1 + bytes > end) return ERR_BAD_HEADER;
        for (int i = 0; i < 64; ++i)
            s->quant[tq][i] = pq ? (int32_t)be16(seg + p + 1 + 2 * i) : seg[p + 1 + i];
        s->quant_present[tq] = 1;
        p += 1 + bytes;
    }
    return IMG_OK;
}

int jpeg_scan_markers(JpegDecoderState* s, const uint8_t* buf, size_t len, size_t* pos) {
    size_t i = *pos;
    int last = 0;
    while (i < SCAN_LIMIT && i < len) {
        if (buf[i] != 0xFF) {
            i += 2;
            continue;
        }
        if (i + 1 >= len) break;
        const int m = buf[i + 1];
        if (m == 0xFF) {
            i += 1;
            continue;
        }
        last = m;
        if (stops_scanner(m)) {
            *pos = i + 2;
            return m;
        }
        if (i + 4 > len) break;
        const uint8_t* seg = buf + i + 2;
        const size_t avail = len - (i + 2);
        const uint32_t L = be16(seg);
        int rc = IMG_OK;
        if (m == M_DHT) rc = jpeg_parse_dht(s, seg, avail);
        else if (m == M_DQT) rc = jpeg_parse_dqt(s, seg, avail);
        else if (m == M_DRI && L == 4 && avail >= 4) s->restart_interval = s->restart_countdown = (int32_t)be16(seg + 2);
        else if (m == M_APP1) take_exif(s, seg, avail, i + 4, L);
        else if (m == M_COM) take_comment(s, seg, avail, L);
        else if (m == M_APP0 || m == M_APP14) take_colour_marker(s, m, seg, avail, L);
        if (rc < 0) return rc;
        i += 2 + L;
    }
    *pos = i;
    return last;
}

int jpeg_parse_frame(JpegDecoderState* s, const uint8_t* buf, size_t len, size_t pos) {
    if (pos + 8 > len) return ERR_BAD_HEADER;
    const uint8_t* p = buf + pos;
    const uint32_t L = be16(p);
    if (p[2] != 8) return ERR_BAD_HEADER;
    const int nf = p[7];
    if (L != 8 + 3 * (uint32_t)nf || pos + L > len) return ERR_BAD_HEADER;
    s->height = (uint16_t)be16(p + 3);
    s->width = (uint16_t)be16(p + 5);
    s->component_count = (uint8_t)nf;
    if (nf != 1 && nf != 3) return ERR_UNSUPPORTED;
    for (int c = 0; c < nf; ++c) {
        JpegComponent& k = s->comp[c];
        k.id = p[8 + 3 * c];
        k.index = (uint8_t)c;
        k.h = p[9 + 3 * c] >> 4;
        k.v = p[9 + 3 * c] & 15;
        k.quant = p[10 + 3 * c];
        if (k.quant > 3) return ERR_BAD_HEADER;  // the state holds tables 0 to 3
    }
    s->sampling = p[9];
    return IMG_OK;
}

int jpeg_parse_scan(JpegDecoderState* s, const uint8_t* buf, size_t len, size_t pos, size_t* after) {
    for (JpegComponent& k : s->comp) k.in_scan = 0;
    if (pos + 2 > len) return ERR_BAD_HEADER;
    const uint8_t* p = buf + pos;
    const uint32_t L = be16(p);
    const int ns = pos + 3 <= len ? p[2] : 0;
    if (ns < 1 || ns > 4 || L != 2 * (uint32_t)ns + 6 || pos + L > len) return ERR_BAD_HEADER;
    for (int i = 0; i < ns; ++i) {
        const int id = p[3 + 2 * i], sel = p[4 + 2 * i];
        JpegComponent* k = nullptr;
        for (int c = 0; c < s->component_count; ++c)
            if (s->comp[c].id == id) k = &s->comp[c];
        // An unknown component or a table number the state has no room for.
        if (!k || (sel >> 4) > 3 || (sel & 15) > 3) return ERR_BAD_HEADER;
        k->dc_table = (uint8_t)(sel >> 4);
        k->ac_table = (uint8_t)(sel & 15);
        k->in_scan = 1;
    }
    const uint8_t* t = p + 3 + 2 * ns;
    s->ss = t[0];
    s->se = t[1];
    s->ah = t[2] >> 4;
    s->al = t[2] & 15;
    s->scan_components = (uint8_t)ns;
    *after = pos + L;
    return IMG_OK;
}

int jpeg_prepare_quant(JpegDecoderState* s, bool dc_only) {
    const int32_t* aan = jpeg_aan_scales();
    bool done[4] = {};
    for (int c = 0; c < s->component_count && c < 4; ++c) {
        const int t = s->comp[c].quant;
        if (t > 3 || !s->quant_present[t]) return ERR_BAD_HEADER;
        if (done[t]) continue;
        done[t] = true;
        for (int z = 0; z < 64; ++z) {
            const int n = kJpegZigzag[z];
            const int64_t q = s->quant[t][z];
            s->dequant[t][n] = dc_only && n != 0 ? (int32_t)q : (int32_t)((q * aan[n]) >> 12);
        }
        jpeg_prepare_idct_table(s, t);
    }
    return IMG_OK;
}

void jpeg_reset_colour(JpegDecoderState* s) {
    s->saw_jfif = s->saw_adobe = s->rgb_components = false;
    s->adobe_transform = 0;
}

void jpeg_decide_colour(JpegDecoderState* s) {
    const JpegComponent* k = s->comp;
    if (s->component_count != 3 || s->saw_jfif) s->rgb_components = false;
    else if (s->saw_adobe) s->rgb_components = s->adobe_transform == 0;
    else s->rgb_components = k[0].id == 'R' && k[1].id == 'G' && k[2].id == 'B';
}
