// JPEG decoding of whole files through identify_file, read_page and convert_page:
// streamed JFIF files larger than the 64 KB window, the Exif thumbnail mode, PDF DCT
// images, camera-raw previews and Motion-JPEG movie frames.
#include <gtest/gtest.h>

#include "jpeg_test_util.h"

namespace {

// Decodes page `index` of `path` with `flags`; the record is closed at the end.
int decode_file(const fs::path& path, int flags, PageBitmap* out, int index = 0) {
    ImageFileInfo info{};
    int rc = identify_file(path.string().c_str(), &info, 0);
    if (rc != IMG_OK) return rc;
    PageBitmap page{};
    rc = read_page(&info, &page, index);
    *out = PageBitmap{};
    out->compression = COMP_NONE;
    if (rc == IMG_OK) rc = convert_page(&page, out, flags);
    release_page(&page);
    close_file_info(&info);
    return rc;
}

// A streamed file of several hundred kilobytes moves the window many times and gives
// the same picture as the whole stream held in memory.
TEST(JpegFiles, StreamedFileMatchesTheStreamInMemory) {
    SKIP_WITHOUT_PROGRAM("cjpeg");
    TempDir dir;
    write_test_ppm(dir / "big.ppm", 1280, 960);
    for (const char* args : {"-quality 100 -sample 1x1", "-quality 100 -progressive -sample 2x2"}) {
        ASSERT_EQ(0, run_command(std::string("cjpeg ") + args + " -outfile '" + (dir / "big.jpg").string() + "' '" +
                                 (dir / "big.ppm").string() + "'"));
        const JpegBytes bytes = read_bytes(dir / "big.jpg");
        ASSERT_GT(bytes.size(), 3u * STREAM_WINDOW_SIZE) << args;
        PageBitmap streamed{}, held{};
        ASSERT_EQ(IMG_OK, decode_file(dir / "big.jpg", 0, &streamed)) << args;
        ASSERT_EQ(IMG_OK, decode_bytes(bytes, 0, &held));
        ASSERT_EQ(held.pitch * held.height, streamed.pitch * streamed.height);
        EXPECT_EQ(0, std::memcmp(held.data, streamed.data, (size_t)held.pitch * held.height)) << args;
        release_page(&streamed);
        release_page(&held);
    }
}

// A streamed source can be decoded twice (the window of the page stays as read).
TEST(JpegFiles, StreamedPageDecodesAgain) {
    SKIP_WITHOUT_CORPUS_FILE(path, "jpeg/nikon_e950_exif.jpg");
    ImageFileInfo info{};
    ASSERT_EQ(IMG_OK, identify_file(path.string().c_str(), &info, 0));
    PageBitmap page{};
    ASSERT_EQ(IMG_OK, read_page(&info, &page, 0));
    PageBitmap a{}, b{};
    ASSERT_EQ(IMG_OK, convert_page(&page, &a, 0));
    ASSERT_EQ(IMG_OK, convert_page(&page, &b, 0));
    EXPECT_EQ(0, std::memcmp(a.data, b.data, (size_t)a.pitch * a.height));
    release_page(&a);
    release_page(&b);
    release_page(&page);
    close_file_info(&info);
}

// The Exif thumbnail (160 x 120 in these camera files) replaces the picture in
// thumbnail mode, as RGB565, and the camera fields arrive in the target.
TEST(JpegFiles, ThumbnailModePrefersTheExifThumbnail) {
    SKIP_WITHOUT_CORPUS_FILE(path, "jpeg/canon_ixus_exif.jpg");
    PageBitmap thumb{}, eighth{};
    ASSERT_EQ(IMG_OK, decode_file(path, JPEG_THUMBNAIL, &thumb));
    EXPECT_EQ(160, thumb.width);
    EXPECT_EQ(120, thumb.height);
    EXPECT_EQ(16, thumb.bits_per_pixel);
    EXPECT_STREQ("Canon", thumb.maker);
    EXPECT_NE(-1, thumb.f_number_x100);
    ASSERT_EQ(IMG_OK, decode_file(path, JPEG_EIGHTH, &eighth));
    EXPECT_EQ(80, eighth.width);
    EXPECT_EQ(60, eighth.height);
    EXPECT_STREQ("Canon", eighth.maker);
    release_page(&thumb);
    release_page(&eighth);
}

// The stored JPEG stream of each page, written out and decoded by djpeg, matches
// our picture of the page.
TEST(JpegFiles, PdfDctImagesAndCameraPreviewsMatchDjpeg) {
    SKIP_WITHOUT_PROGRAM("djpeg");
    int tried = 0;
    for (const char* file : {"pdf/dct_pdflatex.pdf", "pdf/dct_scan_c02-22.pdf", "raw/fuji_s5pro.raf"}) {
        const fs::path p = corpus_file(file);
        if (p.empty()) continue;
        ++tried;
        TempDir dir;
        ImageFileInfo info{};
        ASSERT_EQ(IMG_OK, identify_file(p.string().c_str(), &info, 0)) << file;
        PageBitmap page{};
        ASSERT_EQ(IMG_OK, read_page(&info, &page, 0)) << file;
        const unsigned char* stored = page.data + page.data_offset;
        write_bytes(dir / "stored.jpg", JpegBytes(stored, stored + page.data_length));
        PageBitmap out{};
        out.compression = COMP_NONE;
        ASSERT_EQ(IMG_OK, convert_page(&page, &out, 0)) << file;
        const double db = psnr(to_picture(out), djpeg(dir / "stored.jpg", dir / "ref.pnm"));
        std::printf("[psnr] %-34s 1/1  %6.2f dB\n", file, db);
        EXPECT_GE(db, 30.0) << file;
        release_page(&out);
        release_page(&page);
        close_file_info(&info);
    }
    if (!tried) GTEST_SKIP() << "no corpus files";
}

// AVI Motion-JPEG frames leave out their Huffman tables; the movie's state has them.
TEST(JpegFiles, MotionJpegFramesDecodeWithTheMovieState) {
    SKIP_WITHOUT_CORPUS_FILE(path, "movie/mjpeg_ac3.avi");
    ImageFileInfo info{};
    ASSERT_EQ(IMG_OK, identify_file(path.string().c_str(), &info, 0));
    ASSERT_NE(nullptr, info.video_decoder);
    PageBitmap frame{}, out{};
    for (int n : {0}) {
        ASSERT_EQ(IMG_OK, read_page(&info, &frame, n));
        out = PageBitmap{};
        out.compression = COMP_NONE;
        ASSERT_EQ(IMG_OK, convert_page(&frame, &out, JPEG_RGB565)) << n;
        EXPECT_EQ(info.movie_width, out.width);
        EXPECT_EQ(16, out.bits_per_pixel);
        release_page(&out);
        release_page(&frame);
    }
    close_file_info(&info);
    EXPECT_EQ(nullptr, info.video_decoder);
}

// ffmpeg writes every frame of a Motion-JPEG movie, and every still, with one
// quantisation table that all three components select. Both decode like ffmpeg's
// own decoding of them (which, like ours, repeats chroma samples without smoothing).
TEST(JpegFiles, FilesWithOneQuantisationTableMatchFfmpeg) {
    SKIP_WITHOUT_PROGRAM("ffmpeg");
    TempDir dir;
    const std::string source = "ffmpeg -loglevel error -y -f lavfi -i testsrc2=size=96x64:rate=10 ";
    const fs::path avi = dir / "movie.avi", still = dir / "still.jpg";
    ASSERT_EQ(0, run_command(source + "-frames:v 3 -c:v mjpeg -q:v 4 '" + avi.string() + "'"));
    ASSERT_EQ(0, run_command(source + "-frames:v 1 '" + still.string() + "'"));
    const struct {
        const fs::path& file;
        int frame;
    } cases[] = {{avi, 0}, {avi, 1}, {avi, 2}, {still, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.filename().string() + " frame " + std::to_string(c.frame));
        PageBitmap out{};
        ASSERT_EQ(IMG_OK, decode_file(c.file, 0, &out, c.frame));
        const fs::path ref = dir / "ref.ppm";
        ASSERT_EQ(0, run_command("ffmpeg -loglevel error -y -i '" + c.file.string() + "' -vf 'select=eq(n\\," +
                                 std::to_string(c.frame) + ")' -vframes 1 -f image2 -vcodec ppm '" + ref.string() + "'"));
        const double db = psnr(to_picture(out), read_pnm(ref));
        std::printf("[psnr] %-10s frame %d  %6.2f dB\n", c.file.filename().string().c_str(), c.frame, db);
        EXPECT_GE(db, 30.0);
        release_page(&out);
    }
}

}  // namespace

namespace {

// glimra-tool decode selects the JPEG modes with --options: half, one-eighth,
// thumbnail (the Exif thumbnail of this file is 160 x 120) and RGB565.
TEST(JpegFiles, ToolDecodeOptionsSelectTheModes) {
    SKIP_WITHOUT_CORPUS_FILE(path, "jpeg/canon_ixus_exif.jpg");
    TempDir dir;
    const struct {
        const char* options;
        int width, height;
    } cases[] = {{"0", 640, 480}, {"20", 320, 240}, {"40", 80, 60}, {"80", 160, 120}, {"01", 640, 480}};
    for (const auto& c : cases) {
        const fs::path out = dir / (std::string("o") + c.options + ".ppm");
        ASSERT_EQ(0, run_command("'" + tool_path().string() + "' decode '" + path.string() + "' --options " + c.options +
                                 " -o '" + out.string() + "'"))
            << c.options;
        const Picture pic = read_pnm(out);
        EXPECT_EQ(c.width, pic.width) << c.options;
        EXPECT_EQ(c.height, pic.height) << c.options;
    }
}

}  // namespace
