// JPEG encoding against libjpeg-turbo in the same run, on the same 12-megapixel
// 24-bit picture, with the same quantisation tables: each of our four qualities is
// given to libjpeg-turbo as its own tables (jpeg_add_quant_table at 100 %), baseline,
// standard Huffman tables, chroma 2 x 2 (4:2:0) or full (4:4:4), its default integer
// DCT. After the timings a table gives both streams' sizes and their PSNR against the
// source, both decoded by libjpeg-turbo. Our "High" is libjpeg's quality 75 table
// halved without rounding; "Highest" (a quarter of the base tables) lies between its
// qualities 87 and 88.
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "codecs/jpeg_encode.h"
#include "imaging.h"
#include "peer_ratio_reporter.h"

namespace {

constexpr int kWidth = 4000, kHeight = 3000;
const char* const kQualities[4] = {"Highest", "High", "Medium", "Low"};

// A picture with what photographs have: smooth shading, large shapes with sharp
// edges, textured ground, fine detail and a little sensor noise (blue, green, red).
struct Photo {
    std::vector<unsigned char> bgr;
    int32_t pitch = kWidth * 3;
    Photo() : bgr((size_t)kWidth * kHeight * 3) {
        uint32_t seed = 12345;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                double r = 110 + 70 * std::sin(x / 610.0) * std::cos(y / 430.0) + y * 0.02;
                double g = 130 + 50 * std::cos(x / 820.0 + 1) + (y > 2000 ? 25 : 0);
                double b = 170 - y * 0.035 + 30 * std::sin((x + y) / 900.0);
                const double dx = x - 1400, dy = y - 1300, d = std::sqrt(dx * dx + dy * dy);
                if (d < 650) r += 60, g -= 40, b -= 50;                               // a disc
                if (x > 2600 && x < 3500 && y > 500 && y < 1900) r -= 50, g -= 20, b += 40;  // a box
                if (y > 2000) g += 18 * std::sin(x * 0.9) * std::cos(y * 1.3);         // grass
                if (x > 2700 && y < 450) r += 25 * ((x / 3 + y / 5) & 1);              // fine stripes
                seed = seed * 1664525u + 1013904223u;
                const double n = (int)(seed >> 29) - 3.5;  // noise of +-3.5
                unsigned char* p = bgr.data() + (size_t)y * pitch + 3 * (size_t)x;
                const double c[3] = {b + n, g + n, r + n};
                for (int i = 0; i < 3; ++i) p[i] = (unsigned char)(c[i] < 0 ? 0 : c[i] > 255 ? 255 : c[i]);
            }
    }
    PageBitmap page() const {
        PageBitmap p{};
        p.width = kWidth, p.height = kHeight, p.bits_per_pixel = 24, p.pitch = pitch;
        p.data = const_cast<unsigned char*>(bgr.data());
        p.data_length = (int32_t)bgr.size();
        p.ownership = OWN_BORROWED;
        p.compression = COMP_NONE;
        p.layout = LAYOUT_TOP_DOWN;
        return p;
    }
};

const Photo& photo() {
    static const Photo p;
    return p;
}

std::vector<unsigned char> encode_ours(int flags) {
    const PageBitmap src = photo().page();
    PageBitmap out{};
    out.compression = COMP_JPEG;
    if (convert_page(&src, &out, flags) != IMG_OK) return {};
    std::vector<unsigned char> bytes(out.data, out.data + out.data_length);
    release_page(&out);
    return bytes;
}

// Our table of one quality, natural order, as libjpeg takes it.
void our_table(const uint8_t* base, int quality, unsigned int* out) {
    for (int i = 0; i < 64; ++i) {
        const unsigned q = base[i];
        out[i] = quality == 0 ? q >> 2 : quality == 1 ? q >> 1 : quality == 2 ? q : q << 1;
    }
}

std::vector<unsigned char> encode_turbo(int flags) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &mem, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    unsigned int table[64];
    our_table(kJpegLuminanceQuant, flags & 3, table);
    jpeg_add_quant_table(&cinfo, 0, table, 100, TRUE);
    our_table(kJpegChrominanceQuant, flags & 3, table);
    jpeg_add_quant_table(&cinfo, 1, table, 100, TRUE);
    const int s = (flags & JPEG_SUBSAMPLE) ? 2 : 1;
    cinfo.comp_info[0].h_samp_factor = cinfo.comp_info[0].v_samp_factor = s;
    jpeg_start_compress(&cinfo, TRUE);
    const Photo& p = photo();
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(p.bgr.data()) + (size_t)cinfo.next_scanline * p.pitch;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<unsigned char> bytes(mem, mem + size);
    std::free(mem);
    return bytes;
}

void run(benchmark::State& state, int flags, bool ours) {
    photo();
    for (auto _ : state) {
        const std::vector<unsigned char> bytes = ours ? encode_ours(flags) : encode_turbo(flags);
        if (bytes.empty()) return state.SkipWithError("encoding failed");
        benchmark::DoNotOptimize(bytes.data());
    }
    state.counters["MP/s"] = benchmark::Counter(kWidth * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// PSNR of a stream decoded by libjpeg-turbo against the source, over all three channels.
double psnr(const std::vector<unsigned char>& jpeg) {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), (unsigned long)jpeg.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    std::vector<unsigned char> row((size_t)cinfo.output_width * 3);
    const Photo& p = photo();
    double sum = 0;
    while (cinfo.output_scanline < cinfo.output_height) {
        const size_t y = cinfo.output_scanline;
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&cinfo, &r, 1);
        const unsigned char* src = p.bgr.data() + y * p.pitch;
        for (size_t i = 0; i < row.size(); ++i) sum += (double)(row[i] - src[i]) * (row[i] - src[i]);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return 10 * std::log10(255.0 * 255.0 * 3.0 * kWidth * kHeight / sum);
}

void report_quality() {
    std::printf("\n%-16s %12s %12s %7s %9s %9s %7s\n", "settings", "ours bytes", "turbo bytes", "size", "ours dB",
                "turbo dB", "diff");
    for (int flags : {0, 1, 2, 3, 4, 5, 6, 7}) {
        const std::vector<unsigned char> a = encode_ours(flags), b = encode_turbo(flags);
        const double pa = psnr(a), pb = psnr(b);
        std::printf("%-8s %-7s %12zu %12zu %6.1f%% %9.2f %9.2f %+7.2f\n", kQualities[flags & 3],
                    (flags & JPEG_SUBSAMPLE) ? "4:2:0" : "4:4:4", a.size(), b.size(),
                    100.0 * ((double)a.size() / (double)b.size() - 1), pa, pb, pa - pb);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int flags : {4, 5, 6, 7, 0, 1, 2, 3}) {
        const std::string name = std::string("BM_") + kQualities[flags & 3] + ((flags & JPEG_SUBSAMPLE) ? "420" : "444");
        benchmark::RegisterBenchmark((name + "_Ours").c_str(), run, flags, true)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((name + "_Turbo").c_str(), run, flags, false)->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    PeerRatioReporter reporter("Turbo");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    report_quality();
    return 0;
}
