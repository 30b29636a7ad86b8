// Identification of real sample files: format codes, and page and frame counts
// compared with independent tools (tiffinfo, ImageMagick, ffprobe). Movies in the
// QuickTime layout the parser reads are made with ffmpeg.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "identify_test_files.h"

namespace {

struct CorpusCase {
    const char* file;
    int expected;  // format code, or error code when negative
};

// Files of the shared corpus. Bare IOCA image segments carry no structured fields,
// uncompressed PCX is not among the PCX files identified, and both QuickTime
// samples hold sound only: those are refused.
constexpr CorpusCase kCorpus[] = {
    {"bmp/pal1.bmp", FMT_WINDOWS_BMP},         {"bmp/pal4rle.bmp", FMT_WINDOWS_BMP},
    {"bmp/pal8os2_core.bmp", FMT_OS2_BMP},     {"bmp/pal8v5.bmp", FMT_OS2_BMP},
    {"bmp/rgb32.bmp", FMT_WINDOWS_BMP},        {"fax/ioca_g4mmr.ica", ERR_UNKNOWN_FORMAT},
    {"fax/ioca_jpeg.ica", ERR_UNKNOWN_FORMAT}, {"gif/anim_31frames_transp.gif", FMT_GIF},
    {"gif/single.gif", FMT_GIF},               {"jpeg/progressive_444_exif.jpg", FMT_JFIF},
    {"jpeg/cmyk.jpg", FMT_JFIF},               {"movie/2422.flc", FMT_FLI},
    {"movie/a.fli", FMT_FLI},                  {"movie/cinepak_pcm.avi", FMT_AVI},
    {"movie/mjpeg_ac3.avi", FMT_AVI},          {"movie/qt_ima4.mov", ERR_UNSUPPORTED},
    {"movie/qt_pcm8_raw.mov", ERR_UNSUPPORTED}, {"pcx/hopper.dcx", FMT_DCX},
    {"pcx/pal8.pcx", FMT_PCX},                 {"pcx/pal8_uncompressed.pcx", ERR_UNKNOWN_FORMAT},
    {"pcx/rgb24_3planes.pcx", FMT_PCX},        {"pdf/ccitt_g4_small.pdf", FMT_PDF},
    {"pdf/flate_grey.pdf", FMT_PDF},           {"raw/canon_s40.crw", FMT_CANON_RAW},
    {"raw/fuji_s5pro.raf", FMT_FUJI_RAW},      {"raw/minolta.mrw", FMT_MINOLTA_RAW},
    {"tga/ccm8.tga", FMT_TARGA},               {"tga/utc32.tga", FMT_TARGA},
    {"tiff/G31DS.tif", FMT_TIFF},              {"tiff/palette-8b.tiff", FMT_TIFF},
};

TEST(IdentifyCorpus, FormatCodes) {
    if (corpus_dir().empty() || !fs::exists(corpus_dir())) GTEST_SKIP() << "sample corpus not present";
    for (const CorpusCase& c : kCorpus) {
        const fs::path path = corpus_file(c.file);
        if (path.empty()) continue;
        const Identified r = identify_path(path);
        if (c.expected < 0) {
            EXPECT_EQ(r.rc, c.expected) << c.file;
        } else {
            ASSERT_EQ(r.rc, 0) << c.file;
            EXPECT_EQ(r.info.format, c.expected) << c.file;
            EXPECT_EQ(r.info.file_size, (int32_t)fs::file_size(path)) << c.file;
        }
    }
}

std::vector<fs::path> corpus_files(const std::string& folder, const std::string& extension = "") {
    std::vector<fs::path> files;
    const fs::path dir = corpus_dir() / folder;
    if (corpus_dir().empty() || !fs::is_directory(dir)) return files;
    for (const auto& entry : fs::directory_iterator(dir))
        if (extension.empty() || entry.path().extension() == extension) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

int count_lines_with(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(IdentifyCorpus, TiffPagesMatchTiffinfoDirectories) {
    SKIP_WITHOUT_PROGRAM("tiffinfo");
    const auto files = corpus_files("tiff");
    if (files.empty()) GTEST_SKIP() << "no TIFF samples";
    for (const fs::path& f : files) {
        std::string out;
        run_command("tiffinfo '" + f.string() + "' 2>/dev/null", &out);
        const Identified r = identify_path(f);
        ASSERT_EQ(r.rc, 0) << f;
        EXPECT_EQ(r.info.page_count, count_lines_with(out, "TIFF Directory at offset")) << f;
    }
}

TEST(IdentifyCorpus, GifPagesMatchImageMagickFrames) {
    SKIP_WITHOUT_PROGRAM("identify");
    const auto files = corpus_files("gif");
    if (files.empty()) GTEST_SKIP() << "no GIF samples";
    for (const fs::path& f : files) {
        std::string out, err;
        const int status = run_command("identify '" + f.string() + "'", &out, &err);
        ASSERT_EQ(status, 0) << f << ": identify failed: " << err;
        const Identified r = identify_path(f, 1);
        ASSERT_EQ(r.rc, 0) << f;
        EXPECT_EQ(r.info.page_count, count_lines_with(out, "\n")) << f << "\n" << out << err;
        EXPECT_EQ(r.pages.front(), 0);
        EXPECT_EQ(r.pages.back(), r.info.file_size);
    }
}

// Each PDF sample holds one image object (the corpus notes list the filters of its
// image XObjects); the newer ones index their objects with cross-reference streams.
TEST(IdentifyCorpus, PdfSamplesHoldOneImagePageEach) {
    const auto files = corpus_files("pdf", ".pdf");
    if (files.empty()) GTEST_SKIP() << "no PDF samples";
    for (const fs::path& f : files) {
        const Identified r = identify_path(f);
        ASSERT_EQ(r.rc, 0) << f;
        EXPECT_EQ(r.info.page_count, 1) << f;
    }
}

struct Packet {
    int64_t pos, size;
};

// ffprobe's packets of one stream: data position and size.
std::vector<Packet> probe_packets(const fs::path& f, const char* stream) {
    std::string out;
    run_command(std::string("ffprobe -v error -select_streams ") + stream +
                    " -show_entries packet=pos,size -of csv=p=0 '" + f.string() + "'",
                &out);
    std::vector<Packet> packets;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        Packet p{};
        if (std::sscanf(line.c_str(), "%ld,%ld", &p.size, &p.pos) == 2) packets.push_back(p);
    }
    return packets;
}

int probe_sample_rate(const fs::path& f) {
    std::string out;
    run_command("ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate -of csv=p=0 '" + f.string() + "'",
                &out);
    return std::atoi(out.c_str());
}

// Frames that hold data are ffprobe's video packets, at the same places; ffprobe
// may also hand out the last frame of a cut file, which the frame table leaves out.
void expect_frames_match_ffprobe(const fs::path& f, const Identified& r, int64_t data_bias) {
    const std::vector<Packet> packets = probe_packets(f, "v:0");
    std::vector<Packet> frames;
    for (size_t i = 0; i < r.pages.size(); ++i)
        if (r.frame_sizes[i] > 0) frames.push_back({r.pages[i] + data_bias, r.frame_sizes[i]});
    ASSERT_FALSE(frames.empty()) << f;
    ASSERT_GE(packets.size(), frames.size()) << f;
    EXPECT_LE(packets.size(), frames.size() + 1) << f;
    if (packets.size() > frames.size()) EXPECT_EQ(packets.back().pos + packets.back().size, r.info.file_size) << f;
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].pos, packets[i].pos) << f << " frame " << i;
        EXPECT_EQ(frames[i].size, packets[i].size) << f << " frame " << i;
    }
}

TEST(IdentifyCorpus, AviFramesAndRateMatchFfprobe) {
    SKIP_WITHOUT_PROGRAM("ffprobe");
    const auto files = corpus_files("movie", ".avi");
    if (files.empty()) GTEST_SKIP() << "no AVI samples";
    for (const fs::path& f : files) {
        const Identified r = identify_path(f);
        ASSERT_EQ(r.rc, 0) << f;
        expect_frames_match_ffprobe(f, r, 8);
        EXPECT_EQ(r.info.audio_rate, probe_sample_rate(f)) << f;
    }
}

// A QuickTime movie from ffmpeg, its leading "ftyp" atom turned into "skip" (the
// parser recognises movies by their classic first atoms).
fs::path make_quicktime(const TempDir& dir, const std::string& video, const std::string& audio) {
    const fs::path made = dir / "made.mov", classic = dir / ("classic_" + video + "_" + audio + ".mov");
    const std::string cmd = "ffmpeg -v error -y -f lavfi -i testsrc=size=64x48:rate=10 -f lavfi -i "
                            "sine=frequency=440:sample_rate=22050 -t 1 -c:v " +
                            video + " -c:a " + audio + " -f mov '" + made.string() + "'";
    if (run_command(cmd) != 0) return {};
    std::vector<unsigned char> bytes = read_bytes(made);
    if (bytes.size() > 8 && std::memcmp(bytes.data() + 4, "ftyp", 4) == 0) std::memcpy(bytes.data() + 4, "skip", 4);
    write_bytes(classic, bytes);
    return classic;
}

TEST(IdentifyCorpus, QuickTimeFramesAndRateMatchFfprobe) {
    SKIP_WITHOUT_PROGRAM("ffmpeg");
    SKIP_WITHOUT_PROGRAM("ffprobe");
    TempDir dir;
    const struct {
        const char* video;
        const char* audio;
        int compression, audio_format;
    } kinds[] = {{"mjpeg", "pcm_u8", COMP_MOTION_JPEG, AUDIO_PCM},
                 {"cinepak", "adpcm_ima_qt", COMP_CINEPAK, AUDIO_IMA_ADPCM},
                 {"mjpeg", "pcm_mulaw", COMP_MOTION_JPEG, AUDIO_MULAW}};
    for (const auto& k : kinds) {
        const fs::path f = make_quicktime(dir, k.video, k.audio);
        ASSERT_FALSE(f.empty()) << k.video << " " << k.audio;
        const Identified r = identify_path(f);
        ASSERT_EQ(r.rc, 0) << f;
        EXPECT_EQ(r.info.video_compression, k.compression) << f;
        EXPECT_EQ(r.info.audio_format, k.audio_format) << f;
        EXPECT_EQ(r.info.movie_width, 64);
        EXPECT_EQ(r.info.movie_height, 48);
        EXPECT_EQ(r.info.frame_ms, 100);
        expect_frames_match_ffprobe(f, r, 0);
        EXPECT_EQ(r.info.audio_rate, probe_sample_rate(f)) << f;
        // The sound chunks cover ffprobe's sound packets byte for byte.
        int64_t sound_bytes = 0;
        for (const Packet& p : probe_packets(f, "a:0")) sound_bytes += p.size;
        EXPECT_EQ(r.info.audio_total, sound_bytes) << f;
    }
}

TEST(IdentifyCorpus, QuickTestAgreesWithIdentification) {
    if (corpus_dir().empty() || !fs::exists(corpus_dir())) GTEST_SKIP() << "sample corpus not present";
    int checked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(corpus_dir())) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        const Identified r = identify_path(entry.path());
        // The quick test leaves out these formats on purpose.
        if (r.rc == 0 && (r.info.format == FMT_FUJI_RAW || r.info.format == FMT_MINOLTA_RAW ||
                          r.info.format == FMT_OLYMPUS_RAW || r.info.format == FMT_IOCA || r.info.format == FMT_FLI))
            continue;
        EXPECT_EQ(is_image_file(entry.path().string().c_str()), r.rc != ERR_UNKNOWN_FORMAT ? 1 : 0) << entry.path();
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

}  // namespace
