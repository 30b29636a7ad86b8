// Identification of AVI and QuickTime movies built byte by byte: movie parameters,
// frame and audio tables, key frames, rate snapping, compressed movie headers and
// tables that point outside the file.
#include <gtest/gtest.h>
#include <zlib.h>

#include "identify_test_files.h"
#include "formats/file_scanning.h"

namespace {

// ---- AVI -------------------------------------------------------------------------------

Bytes riff_chunk(const std::string& id, const Bytes& data) {
    Bytes c;
    c.text(id).le32((uint32_t)data.size()).append(data);
    if (data.size() & 1) c.u8(0);
    return c;
}

Bytes riff_list(const std::string& type, const std::vector<Bytes>& children) {
    Bytes body;
    body.text(type);
    for (const Bytes& child : children) body.append(child);
    return riff_chunk("LIST", body);
}

struct AviLayout {
    std::string handler = "MJPG";      // strh handler of the video stream
    std::string compression = "MJPG";  // strf compression of the video stream
    uint32_t audio_rate = 22100;
    enum { RELATIVE, ABSOLUTE, NONE } index = RELATIVE;
    uint32_t third_frame_offset_bump = 0;  // moves the third index entry (outside the file)
};

struct AviFile {
    Bytes bytes;
    std::vector<int32_t> video_chunks, audio_chunks;  // chunk header positions
};

AviFile avi_file(const AviLayout& layout) {
    Bytes avih, vstrh, vstrf, astrh, astrf;
    avih.le32(40000).le32(0).le32(0).le32(0x10).le32(3).le32(0).le32(2).le32(0).le32(64).le32(48).zeros(16);
    vstrh.text("vids").text(layout.handler).zeros(12).le32(1).le32(25).pad_to(56);
    vstrf.le32(40).le32(64).le32(48).le16(1).le16(24).text(layout.compression).pad_to(40);
    astrh.text("auds").le32(0).zeros(12).le32(1).le32(layout.audio_rate).pad_to(56);
    astrf.le16(1).le16(1).le32(layout.audio_rate).le32(layout.audio_rate).le16(1).le16(8).le16(0);
    const Bytes hdrl = riff_list("hdrl", {riff_chunk("avih", avih),
                                          riff_list("strl", {riff_chunk("strh", vstrh), riff_chunk("strf", vstrf)}),
                                          riff_list("strl", {riff_chunk("strh", astrh), riff_chunk("strf", astrf)})});
    AviFile f;
    const int32_t movi_start = 12 + (int32_t)hdrl.size(), movi_type = movi_start + 8;
    struct Piece {
        std::string id;
        size_t size;
        bool key;
    };
    const Piece pieces[] = {{"00dc", 10, true}, {"01wb", 8, false}, {"00dc", 12, false}, {"01wb", 6, false},
                            {"00dc", 7, true}};
    std::vector<Bytes> movi;
    Bytes index;
    int32_t pos = movi_type + 4;
    int video = 0;
    for (const Piece& p : pieces) {
        Bytes data;
        data.fill(p.size, 0xAB);
        movi.push_back(riff_chunk(p.id, data));
        (p.id[2] == 'd' ? f.video_chunks : f.audio_chunks).push_back(pos);
        uint32_t offset = (uint32_t)(layout.index == AviLayout::ABSOLUTE ? pos : pos - movi_type);
        if (p.id[2] == 'd' && ++video == 3) offset += layout.third_frame_offset_bump;
        index.text(p.id).le32(p.key ? 0x10 : 0).le32(offset).le32((uint32_t)p.size);
        pos += (int32_t)movi.back().size();
    }
    Bytes body;
    body.text("AVI ").append(hdrl).append(riff_list("movi", movi));
    if (layout.index != AviLayout::NONE) body.append(riff_chunk("idx1", index));
    f.bytes.text("RIFF").le32((uint32_t)body.size()).append(body);
    return f;
}

TEST(IdentifyAvi, HeadersAndIndexedTables) {
    for (auto kind : {AviLayout::RELATIVE, AviLayout::ABSOLUTE}) {
        AviLayout layout;
        layout.index = kind;
        const AviFile f = avi_file(layout);
        const Identified r = identify_bytes(f.bytes, "movie.avi");
        ASSERT_EQ(r.rc, 0);
        EXPECT_EQ(r.info.format, FMT_AVI);
        EXPECT_EQ(r.access, ACCESS_STREAMED);
        EXPECT_FALSE(r.view_mapped);
        EXPECT_EQ(r.info.page_count, 3);
        EXPECT_EQ(r.info.frame_ms, 40);
        EXPECT_EQ(r.info.movie_width, 64);
        EXPECT_EQ(r.info.movie_height, 48);
        EXPECT_EQ(r.info.movie_bpp, 24);
        EXPECT_EQ(r.info.video_compression, COMP_MOTION_JPEG);
        EXPECT_EQ(r.pages, f.video_chunks);
        EXPECT_EQ(r.frame_sizes, (std::vector<int32_t>{10, 12, 7}));
        EXPECT_EQ(r.keyframes, (std::vector<int>{1, 0, 1}));
        EXPECT_EQ(r.info.audio_format, AUDIO_PCM);
        EXPECT_EQ(r.info.audio_bits, 8);
        EXPECT_EQ(r.info.audio_rate, 22050);
        EXPECT_EQ(r.info.audio_chunk_count, 2);
        EXPECT_EQ(r.audio_offsets, (std::vector<int32_t>{f.audio_chunks[0] + 8, f.audio_chunks[1] + 8}));
        EXPECT_EQ(r.audio_sizes, (std::vector<int32_t>{8, 6}));
        EXPECT_EQ(r.info.audio_total, 14);
    }
}

TEST(IdentifyAvi, CutFileWithoutIndexIsWalkedThroughItsMoviList) {
    AviLayout layout;
    layout.index = AviLayout::NONE;
    const AviFile f = avi_file(layout);
    const Identified r = identify_bytes(f.bytes, "cut.avi");
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.pages, f.video_chunks);
    EXPECT_EQ(r.keyframes, (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(r.info.audio_chunk_count, 2);
    EXPECT_EQ(r.info.audio_total, 14);
}

TEST(IdentifyAvi, AudioRatesSnapOnlyNearStandardRates) {
    for (auto [stored, expected] : {std::pair{22100u, 22050}, {12000u, 12000}, {8100u, 8000}, {11111u, 11025}}) {
        AviLayout layout;
        layout.audio_rate = stored;
        EXPECT_EQ(identify_bytes(avi_file(layout).bytes).info.audio_rate, expected) << stored;
    }
    EXPECT_EQ(snap_audio_rate(7800), 7800);
    EXPECT_EQ(snap_audio_rate(7801), 8000);
    EXPECT_EQ(snap_audio_rate(8199), 8000);
    EXPECT_EQ(snap_audio_rate(22250), 22250);
    EXPECT_EQ(snap_audio_rate(43001), 44100);
    EXPECT_EQ(snap_audio_rate(45000), 45000);
}

TEST(IdentifyAvi, CodecFromHandlerOrFormat) {
    struct {
        const char* handler;
        const char* compression;
        int expected;
    } cases[] = {
        {"cvid", "cvid", COMP_CINEPAK},
        {"I263", "I263", COMP_H263},
        {"mjpg", "XXXX", COMP_MOTION_JPEG},
        {"\0\0\0\0", "CVID", COMP_CINEPAK},  // no handler: the format's compression decides
        {"XVID", "XVID", ERR_UNSUPPORTED},
    };
    for (const auto& c : cases) {
        AviLayout layout;
        layout.handler = std::string(c.handler, 4);
        layout.compression = c.compression;
        const Identified r = identify_bytes(avi_file(layout).bytes);
        if (c.expected < 0)
            EXPECT_EQ(r.rc, c.expected) << c.compression;
        else
            EXPECT_EQ(r.info.video_compression, c.expected) << c.compression;
    }
}

TEST(IdentifyAvi, IndexEntryOutsideTheFileEndsTheFrameList) {
    AviLayout layout;
    layout.third_frame_offset_bump = 1u << 30;
    const Identified r = identify_bytes(avi_file(layout).bytes);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.info.page_count, 2);
    EXPECT_EQ(r.info.audio_chunk_count, 2);
}

TEST(IdentifyAvi, DamagedHeadersNeverReadOutsideTheFile) {
    // A JUNK chunk whose size has its top bit set is cut to the low 24 bits.
    AviFile f = avi_file(AviLayout{});
    Bytes junk;
    junk.text("JUNK").le32(0x80000010).fill(16, 0);
    Bytes patched;
    patched.b.assign(f.bytes.b.begin(), f.bytes.b.begin() + 12);
    patched.append(junk).b.insert(patched.b.end(), f.bytes.b.begin() + 12, f.bytes.b.end());
    const Identified r = identify_bytes(patched);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.info.page_count, 3);
    EXPECT_EQ(r.pages[0], f.video_chunks[0] + 24);

    // Without any movi list or index there is no frame to describe.
    Bytes bare;
    bare.text("RIFF").le32(100).text("AVI ");
    bare.append(riff_list("hdrl", {riff_chunk("strh", Bytes().text("vidsMJPG").pad_to(56))}));
    EXPECT_EQ(identify_bytes(bare.pad_to(120)).rc, ERR_BAD_HEADER);

    Bytes tiny;  // the smallest file identification reads
    tiny.text("RIFF").le32(0xFFFFFFFF).text("AVI ").text("LIST").le32(0xFFFFFFF0).text("movi").pad_to(50);
    EXPECT_EQ(identify_bytes(tiny).rc, ERR_UNSUPPORTED);
}

// ---- QuickTime -----------------------------------------------------------------------

Bytes atom(const std::string& type, const Bytes& payload) {
    Bytes a;
    a.be32((uint32_t)(8 + payload.size())).text(type).append(payload);
    return a;
}

Bytes atoms(const std::string& type, const std::vector<Bytes>& children) {
    Bytes body;
    for (const Bytes& c : children) body.append(c);
    return atom(type, body);
}

// A full atom's payload: version and flags, then the 32-bit values given.
Bytes table(const std::vector<uint32_t>& values) {
    Bytes t;
    t.be32(0);
    for (uint32_t v : values) t.be32(v);
    return t;
}

struct QtTrack {
    bool video;
    std::string format;
    uint16_t bits = 8;
    uint32_t timescale, delta;
    std::vector<uint32_t> stsc, stsz, stco;  // stsc as triples; stsz with size and count first
    std::vector<uint32_t> stss;
    bool with_stss = false;
};

Bytes qt_track(const QtTrack& t) {
    Bytes tkhd;
    tkhd.be32(0).zeros(72).be32(t.video ? 320u << 16 : 0).be32(t.video ? 240u << 16 : 0);
    Bytes stsd = table({1});
    Bytes entry;
    entry.text(t.format).zeros(6).be16(1).be16(0).be16(0).zeros(4).be16(1).be16(t.bits).zeros(4).be32(t.timescale << 16);
    stsd.be32((uint32_t)(4 + entry.size())).append(entry);
    std::vector<Bytes> stbl = {atom("stsd", stsd), atom("stts", table({1, 1000, t.delta})),
                               atom("stsz", table(t.stsz)), atom("stco", table(t.stco))};
    std::vector<uint32_t> stsc = {(uint32_t)t.stsc.size() / 3};
    stsc.insert(stsc.end(), t.stsc.begin(), t.stsc.end());
    stbl.push_back(atom("stsc", table(stsc)));
    if (t.with_stss) {
        std::vector<uint32_t> stss = {(uint32_t)t.stss.size()};
        stss.insert(stss.end(), t.stss.begin(), t.stss.end());
        stbl.push_back(atom("stss", table(stss)));
    }
    const Bytes media_header = t.video ? atom("vmhd", table({0, 0})) : atom("smhd", table({0}));
    return atoms("trak", {atom("tkhd", tkhd),
                          atoms("mdia", {atom("mdhd", table({0, 0, t.timescale, 1000, 0})),
                                         atoms("minf", {media_header, atoms("stbl", stbl)})})});
}

constexpr uint32_t kMdatData = 16;  // "wide" atom, then the mdat header

struct QtSpec {
    std::string video_format = "jpeg";
    std::string sound_format = "raw ";
    uint16_t sound_bits = 8;
    bool with_stss = true;
    bool compressed = false;
    uint32_t chunk_bump = 0;  // added to the last video chunk offset
};

Bytes qt_file(const QtSpec& layout) {
    const uint32_t d = kMdatData;
    QtTrack video{true, layout.video_format, 24, 600, 40};
    video.stsc = {1, 2, 1, 2, 1, 1};
    video.stsz = {0, 4, 100, 200, 300, 50};
    video.stco = {3, d, d + 400, d + 800 + layout.chunk_bump};
    video.stss = {1, 3};
    video.with_stss = layout.with_stss;
    QtTrack sound{false, layout.sound_format, layout.sound_bits, 22100, 1};
    sound.stsc = {1, 640, 1};
    sound.stsz = {1, 1280};
    sound.stco = {2, d + 1000, d + 2400};
    Bytes moov = atoms("moov", {atom("mvhd", table({0, 0, 600, 0})), qt_track(sound), qt_track(video)});
    if (layout.compressed) {
        std::vector<unsigned char> packed(compressBound(moov.size()));
        uLongf packed_size = packed.size();
        compress(packed.data(), &packed_size, moov.b.data(), moov.size());
        packed.resize(packed_size);
        Bytes cmvd;
        cmvd.be32((uint32_t)moov.size()).b.insert(cmvd.b.end(), packed.begin(), packed.end());
        moov = atoms("moov", {atoms("cmov", {atom("dcom", Bytes().text("zlib")), atom("cmvd", cmvd)})});
    }
    Bytes file = atom("wide", Bytes());
    file.append(atom("mdat", Bytes().fill(3700, 0x11))).append(moov);
    return file;
}

TEST(IdentifyQuickTime, SampleTablesGiveFramesKeyFramesAndSound) {
    for (bool compressed : {false, true}) {
        QtSpec layout;
        layout.compressed = compressed;
        const Identified r = identify_bytes(qt_file(layout), "movie.mov");
        ASSERT_EQ(r.rc, 0) << compressed;
        EXPECT_EQ(r.info.format, FMT_QUICKTIME);
        EXPECT_EQ(r.access, ACCESS_STREAMED);
        EXPECT_EQ(r.info.video_compression, COMP_MOTION_JPEG);
        EXPECT_EQ(r.info.page_count, 4);
        const int32_t d = (int32_t)kMdatData;
        EXPECT_EQ(r.pages, (std::vector<int32_t>{d, d + 100, d + 400, d + 800}));
        EXPECT_EQ(r.frame_sizes, (std::vector<int32_t>{100, 200, 300, 50}));
        EXPECT_EQ(r.keyframes, (std::vector<int>{1, 0, 1, 0}));
        EXPECT_EQ(r.info.frame_ms, 66);  // 1,000 / (600 / 40)
        EXPECT_EQ(r.info.movie_width, 320);
        EXPECT_EQ(r.info.movie_height, 240);
        EXPECT_EQ(r.info.movie_bpp, 24);
        EXPECT_EQ(r.info.audio_format, AUDIO_PCM);
        EXPECT_EQ(r.info.audio_bits, 8);
        EXPECT_EQ(r.info.audio_rate, 22050);
        EXPECT_EQ(r.audio_offsets, (std::vector<int32_t>{d + 1000, d + 2400}));
        EXPECT_EQ(r.audio_sizes, (std::vector<int32_t>{640, 640}));
        EXPECT_EQ(r.info.audio_total, 1280);
    }
}

TEST(IdentifyQuickTime, SoundChunkBytesFollowTheSampleFormat) {
    QtSpec ima;
    ima.sound_format = "ima4";
    ima.sound_bits = 16;
    const Identified a = identify_bytes(qt_file(ima));
    ASSERT_EQ(a.rc, 0);
    EXPECT_EQ(a.info.audio_format, AUDIO_IMA_ADPCM);
    EXPECT_EQ(a.info.audio_block_align, 34);
    EXPECT_EQ(a.audio_sizes, (std::vector<int32_t>{340, 340}));  // 640 samples: 10 blocks of 34 bytes

    QtSpec pcm16;
    pcm16.sound_bits = 16;
    EXPECT_EQ(identify_bytes(qt_file(pcm16)).audio_sizes, (std::vector<int32_t>{1280, 1280}));

    QtSpec other;
    other.sound_format = "twos";
    const Identified o = identify_bytes(qt_file(other));
    ASSERT_EQ(o.rc, 0);
    EXPECT_EQ(o.info.audio_rate, 0);
    EXPECT_EQ(o.info.audio_format, AUDIO_NONE);
}

TEST(IdentifyQuickTime, WithoutSyncTableEveryFrameIsKey) {
    QtSpec layout;
    layout.with_stss = false;
    EXPECT_EQ(identify_bytes(qt_file(layout)).keyframes, (std::vector<int>{1, 1, 1, 1}));
}

TEST(IdentifyQuickTime, CodecsAndMissingVideo) {
    for (auto [format, expected] : {std::pair{"cvid", (int)COMP_CINEPAK}, {"h263", (int)COMP_H263},
                                    {"mjpg", (int)COMP_MOTION_JPEG}, {"avc1", (int)ERR_UNSUPPORTED}}) {
        QtSpec layout;
        layout.video_format = format;
        const Identified r = identify_bytes(qt_file(layout));
        if (expected < 0)
            EXPECT_EQ(r.rc, expected) << format;
        else
            EXPECT_EQ(r.info.video_compression, expected) << format;
    }
    Bytes sound_only = atom("wide", Bytes());
    sound_only.append(atoms("moov", {atom("mvhd", table({0}))})).pad_to(64);
    EXPECT_EQ(identify_bytes(sound_only).rc, ERR_UNSUPPORTED);
}

TEST(IdentifyQuickTime, ChunksOutsideTheFileEndTheFrameList) {
    QtSpec layout;
    layout.chunk_bump = 1u << 30;
    const Identified r = identify_bytes(qt_file(layout));
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.info.page_count, 3);

    QtTrack lost{true, "jpeg", 24, 600, 40};
    lost.stsc = {1, 1, 1};
    lost.stsz = {0, 1, 100};
    lost.stco = {1, 1u << 30};
    Bytes file = atom("wide", Bytes());
    file.append(atoms("moov", {qt_track(lost)}));
    EXPECT_EQ(identify_bytes(file).rc, ERR_BAD_HEADER);
}

TEST(IdentifyQuickTime, AbsurdCountsAndSizesAreBounded) {
    QtTrack huge{true, "jpeg", 24, 600, 40};
    huge.stsc = {1, 0xFFFFFFFF, 1};
    huge.stsz = {8, 0xFFFFFFFF};  // fixed-size samples, four thousand million of them
    huge.stco = {0x7FFFFFFF, 0};
    const size_t moov_size = atoms("moov", {qt_track(huge)}).size();
    huge.stco[1] = (uint32_t)(8 + moov_size + 8);  // the mdat after the movie header
    Bytes file = atom("wide", Bytes());
    file.append(atoms("moov", {qt_track(huge)})).append(atom("mdat", Bytes().fill(80, 0)));
    const Identified r = identify_bytes(file);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.info.page_count, 10);  // 80 bytes of mdat hold ten 8-byte samples

    Bytes bomb;  // a compressed header that claims 1 GB
    bomb.be32(1u << 30).zeros(8);
    Bytes cmov = atom("wide", Bytes());
    cmov.append(atoms("moov", {atoms("cmov", {atom("cmvd", bomb)})})).pad_to(64);
    EXPECT_EQ(identify_bytes(cmov).rc, ERR_BAD_HEADER);

    Bytes short_atom = atom("wide", Bytes());  // an atom size below its own header
    short_atom.be32(4).text("moov").pad_to(64);
    EXPECT_EQ(identify_bytes(short_atom).rc, ERR_UNSUPPORTED);
}

}  // namespace
