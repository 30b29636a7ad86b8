// JPEG decoding against libjpeg-turbo in the same run, on the same file: a
// 12-megapixel 4:2:0 baseline picture at full, half and one-eighth size, a
// progressive one, and 24-bit against RGB565 output. Counters give megapixels per
// second of the source picture; compare the pairs for the ratios. One more run of
// ours decodes into the buffer of the previous picture (JPEG_INTO_BUFFER), as the
// peer reuses its rows, to show what fresh pages cost.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes read_file(const std::string& path) {
    Bytes b;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        unsigned char buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) b.insert(b.end(), buf, buf + n);
        std::fclose(f);
    }
    return b;
}

// A 4000 x 3000 picture with smooth areas and fine texture, compressed by cjpeg.
Bytes make_photo(bool progressive) {
    const std::string ppm = "/tmp/glimra_jpeg_bench.ppm";
    const std::string jpg = std::string("/tmp/glimra_jpeg_bench") + (progressive ? "_p" : "") + ".jpg";
    Bytes have = read_file(jpg);
    if (!have.empty()) return have;
    if (FILE* f = std::fopen(ppm.c_str(), "wb")) {
        const int w = 4000, h = 3000;
        std::fprintf(f, "P6\n%d %d\n255\n", w, h);
        std::vector<unsigned char> row(3 * w);
        unsigned seed = 1;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                seed = seed * 1103515245 + 12345;
                const int n = (seed >> 16) & 15;
                row[3 * x] = (unsigned char)((x / 16 + y / 24 + n) & 255);
                row[3 * x + 1] = (unsigned char)((128 + ((x * y) >> 12) + n) & 255);
                row[3 * x + 2] = (unsigned char)((255 - y / 12 + (x & 31)) & 255);
            }
            std::fwrite(row.data(), 1, row.size(), f);
        }
        std::fclose(f);
    }
    const std::string cmd = "cjpeg -quality 90 -sample 2x2 " + std::string(progressive ? "-progressive " : "") +
                            "-outfile " + jpg + " " + ppm;
    if (std::system(cmd.c_str()) != 0) return {};
    return read_file(jpg);
}

const Bytes& photo(bool progressive) {
    static const Bytes baseline = make_photo(false), prog = make_photo(true);
    return progressive ? prog : baseline;
}

// The stored page of the picture, as read_page describes a JPEG file.
PageBitmap stored_page(const Bytes& b) {
    PageBitmap src{};
    src.data = const_cast<unsigned char*>(b.data());
    src.data_length = (int32_t)b.size();
    src.ownership = OWN_BORROWED;
    src.compression = COMP_JPEG;
    src.width = 4000;
    src.height = 3000;
    src.bits_per_pixel = 24;
    return src;
}

void ours(benchmark::State& state, bool progressive, int flags) {
    const Bytes& b = photo(progressive);
    if (b.empty()) return state.SkipWithError("cjpeg could not make the picture");
    const PageBitmap src = stored_page(b);
    for (auto _ : state) {
        PageBitmap out{};
        out.compression = COMP_NONE;
        if (convert_page(&src, &out, flags) != IMG_OK) return state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.data);
        release_page(&out);
    }
    state.counters["MP/s"] = benchmark::Counter(12.0, benchmark::Counter::kIsIterationInvariantRate);
}

void ours_into_buffer(benchmark::State& state) {
    const Bytes& b = photo(false);
    if (b.empty()) return state.SkipWithError("cjpeg could not make the picture");
    const PageBitmap src = stored_page(b);
    PageBitmap out{};
    out.compression = COMP_NONE;
    if (convert_page(&src, &out, 0) != IMG_OK) return state.SkipWithError("decode failed");
    for (auto _ : state) {
        out.compression = COMP_NONE;
        if (convert_page(&src, &out, JPEG_INTO_BUFFER) != IMG_OK) return state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(out.data);
    }
    release_page(&out);
    state.counters["MP/s"] = benchmark::Counter(12.0, benchmark::Counter::kIsIterationInvariantRate);
}

void turbo(benchmark::State& state, bool progressive, int denom, bool rgb565) {
    const Bytes& b = photo(progressive);
    if (b.empty()) return state.SkipWithError("cjpeg could not make the picture");
    std::vector<unsigned char> pixels;
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, b.data(), (unsigned long)b.size());
        jpeg_read_header(&cinfo, TRUE);
        cinfo.scale_num = 1;
        cinfo.scale_denom = (unsigned)denom;
        cinfo.dct_method = JDCT_ISLOW;
        if (rgb565) cinfo.out_color_space = JCS_RGB565, cinfo.dither_mode = JDITHER_NONE;
        jpeg_start_decompress(&cinfo);
        const size_t stride = (size_t)cinfo.output_width * cinfo.output_components;
        pixels.resize(stride * cinfo.output_height);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = pixels.data() + stride * cinfo.output_scanline;
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.counters["MP/s"] = benchmark::Counter(12.0, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK_CAPTURE(ours, baseline_full, false, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(turbo, baseline_full, false, 1, false)->Unit(benchmark::kMillisecond);
BENCHMARK(ours_into_buffer)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, baseline_half, false, JPEG_HALF)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(turbo, baseline_half, false, 2, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, baseline_eighth, false, JPEG_EIGHTH)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(turbo, baseline_eighth, false, 8, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, baseline_rgb565, false, JPEG_RGB565)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(turbo, baseline_rgb565, false, 1, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ours, progressive_full, true, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(turbo, progressive_full, true, 1, false)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
