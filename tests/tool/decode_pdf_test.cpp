// glimra-tool decode of images inside PDF files whose colour space and stream length
// are written as common converters write them: indirect references to objects that
// hold /DeviceRGB, /DeviceGray, an indexed space (its table a string or a stream) or
// an ICC-based space. Compared with poppler's pdfimages on the same files.
#include <gtest/gtest.h>
#include <zlib.h>

#include "test_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string q(const fs::path& p) { return "'" + p.string() + "'"; }

constexpr int kWidth = 12, kHeight = 8;

std::string deflated(const Bytes& raw) {
    uLongf size = compressBound(raw.size());
    Bytes out(size);
    compress(out.data(), &size, raw.data(), raw.size());
    return std::string(out.begin(), out.begin() + (long)size);
}

// A one-page PDF drawing the image object 4; `extra` objects are numbered from 6.
// Each object is given as its text between "N 0 obj" and "endobj".
std::string pdf_file(const std::string& image, const std::vector<std::string>& extra) {
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 12 8] /Resources << /XObject << /Im0 4 0 R >> >> "
        "/Contents 5 0 R >>",
        image,
        "<< /Length 30 >>\nstream\nq 12 0 0 8 0 0 cm /Im0 Do Q   \nendstream"};
    objects.insert(objects.end(), extra.begin(), extra.end());
    std::string f = "%PDF-1.4\n";
    std::vector<size_t> at;
    for (size_t i = 0; i < objects.size(); ++i) {
        at.push_back(f.size());
        f += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = f.size();
    f += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t o : at) {
        char line[24];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", o);
        f += line;
    }
    f += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
    return f;
}

// An image object with a Flate stream whose length is the indirect object 6.
std::string image_object(const std::string& colour_space, int bits, const std::string& data) {
    return "<< /Type /XObject /Subtype /Image /Width 12 /Height 8 /ColorSpace " + colour_space +
           " /BitsPerComponent " + std::to_string(bits) + " /Filter /FlateDecode /Length 6 0 R >>\nstream\n" + data +
           "\nendstream";
}

Bytes rgb_samples() {
    Bytes b;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) b.insert(b.end(), {(unsigned char)(20 * x), (unsigned char)(30 * y), 200});
    return b;
}

Bytes index_samples() {
    Bytes b;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) b.push_back((unsigned char)((x / 3 + y) % 4));
    return b;
}

// Red, green, blue, white as an indexed space's table.
const std::string kTable = std::string("\xFF\x00\x00\x00\xC0\x00\x00\x00\xFF\xFF\xFF\xFF", 12);

struct Picture {
    int width = 0, height = 0;
    Bytes rgb;
};

// A binary PPM, or a PGM widened to RGB.
Picture read_pnm(const fs::path& p) {
    const Bytes b = read_bytes(p);
    Picture pic;
    size_t i = 0;
    std::string fields[4];
    for (std::string& field : fields) {
        while (i < b.size() && std::isspace(b[i])) ++i;
        while (i < b.size() && !std::isspace(b[i])) field += (char)b[i++];
    }
    ++i;
    pic.width = std::atoi(fields[1].c_str());
    pic.height = std::atoi(fields[2].c_str());
    const int channels = fields[0] == "P6" ? 3 : fields[0] == "P5" ? 1 : 0;
    if (!channels || b.size() < i + (size_t)pic.width * pic.height * channels) return Picture{};
    for (size_t k = 0; k < (size_t)pic.width * pic.height; ++k)
        for (int c = 0; c < 3; ++c) pic.rgb.push_back(b[i + k * channels + (channels == 3 ? c : 0)]);
    return pic;
}

}  // namespace

TEST(DecodePdf, IndirectColourSpacesAndLengthsMatchPdfimages) {
    SKIP_WITHOUT_PROGRAM("pdfimages");
    const std::string rgb = deflated(rgb_samples()), index = deflated(index_samples());
    Bytes grey_raw;
    for (int i = 0; i < kWidth * kHeight; ++i) grey_raw.push_back((unsigned char)(i * 2));
    const std::string grey = deflated(grey_raw);
    const std::string table_stream = deflated(Bytes(kTable.begin(), kTable.end()));
    const auto length = [](const std::string& s) { return std::to_string(s.size()); };
    struct Case {
        const char* name;
        std::string pdf;
    };
    const Case cases[] = {
        {"rgb", pdf_file(image_object("7 0 R", 8, rgb), {length(rgb), "/DeviceRGB"})},
        {"grey", pdf_file(image_object("7 0 R", 8, grey), {length(grey), "/DeviceGray"})},
        {"indexed_stream",
         pdf_file(image_object("7 0 R", 8, index),
                  {length(index), "[ /Indexed 9 0 R 3 8 0 R ]",
                   "<< /Filter /FlateDecode /Length " + length(table_stream) + " >>\nstream\n" + table_stream +
                       "\nendstream",
                   "/DeviceRGB"})},
        {"indexed_hex_inline",
         pdf_file(image_object("[/Indexed /DeviceRGB 3 <FF0000 00C000 0000FF FFFFFF>]", 8, index), {length(index)})},
        {"indexed_literal",
         pdf_file(image_object("[/Indexed /DeviceRGB 3 (\\377\\000\\000\\000\\300\\000\\000\\000\\377\\377\\377\\377)]", 8,
                               index),
                  {length(index)})},
        {"icc_rgb", pdf_file(image_object("[/ICCBased 7 0 R]", 8, rgb),
                             {length(rgb), "<< /N 3 /Alternate /DeviceRGB /Length 4 >>\nstream\nnone\nendstream"})},
    };
    TempDir tmp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path pdf = tmp / "image.pdf", ours = tmp / "ours.ppm";
        write_bytes(pdf, Bytes(c.pdf.begin(), c.pdf.end()));
        fs::remove(ours);
        std::string err;
        ASSERT_EQ(run_command(q(tool_path()) + " decode " + q(pdf) + " -o " + q(ours), nullptr, &err), 0) << err;
        for (const auto& e : fs::directory_iterator(tmp.path()))
            if (e.path().filename().string().rfind("ref-", 0) == 0) fs::remove(e.path());
        ASSERT_EQ(run_command("pdfimages " + q(pdf) + " " + q(tmp / "ref")), 0);
        fs::path ref;
        for (const auto& e : fs::directory_iterator(tmp.path()))
            if (e.path().filename().string().rfind("ref-", 0) == 0) ref = e.path();
        const Picture a = read_pnm(ours), b = read_pnm(ref);
        ASSERT_EQ(a.width, kWidth);
        ASSERT_EQ(a.height, kHeight);
        EXPECT_EQ(b.width, kWidth);
        EXPECT_EQ(a.rgb, b.rgb);
    }
}
