// glimra-tool "info --exif": camera fields and texts of a TIFF page with an Exif
// directory, of a camera JPEG, and -1 for files that record none.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "tiff_test_builder.h"

namespace {

std::string info_exif(const fs::path& file, int* status) {
    std::string out;
    *status = run_command(tool_path().string() + " info " + file.string() + " --exif", &out);
    return out;
}

// A one-pixel TIFF page whose IFD0 points to an Exif directory.
std::vector<uint8_t> tiff_with_exif(bool big) {
    TiffBuilder b(big);
    const uint32_t pixel = b.blob({0x80});
    const uint32_t exposure = b.blob_longs({1, 125});
    const uint32_t aperture = b.blob_longs({56, 10});
    std::vector<uint8_t> dir;
    b.put16(dir, 3);
    for (auto [tag, type, value] : {std::tuple{33434, TIFF_TYPE_RATIONAL, exposure},
                                   std::tuple{33437, TIFF_TYPE_RATIONAL, aperture},
                                   std::tuple{34855, TIFF_TYPE_LONG, 400u}}) {
        b.put16(dir, (uint16_t)tag);
        b.put16(dir, (uint16_t)type);
        b.put32(dir, 1);
        b.put32(dir, value);
    }
    b.put32(dir, 0);
    const uint32_t exif = b.blob(dir);
    b.longs(256, {1});
    b.longs(257, {1});
    b.shorts(258, {8});
    b.shorts(262, {1});
    b.longs(273, {pixel});
    b.longs(279, {1});
    b.ascii(271, "Acme Cameras");
    b.ascii(272, "Model T");
    b.longs(34665, {exif});
    return b.build();
}

TEST(ExifTool, TiffPageInBothByteOrders) {
    TempDir dir;
    for (bool big : {false, true}) {
        const fs::path file = dir / (big ? "mm.tif" : "ii.tif");
        write_bytes(file, tiff_with_exif(big));
        int status = 0;
        const std::string out = info_exif(file, &status);
        EXPECT_EQ(status, 0) << out;
        EXPECT_NE(out.find("shutter_speed: 125\nf_number_x100: 560\nexposure_bias_x10: -1\n"
                           "iso_speed: 400\nexif_width: -1\nexif_height: -1\n"
                           "description: \nmaker: Acme Cameras\nmodel: Model T\n"),
                  std::string::npos) << out;
    }
}

TEST(ExifTool, CameraJpegAndFilesWithoutExif) {
    SKIP_WITHOUT_CORPUS_FILE(camera, "jpeg/canon_s40_exif.jpg");
    int status = 0;
    std::string out = info_exif(camera, &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("shutter_speed: 500\nf_number_x100: 490\nexposure_bias_x10: 0\niso_speed: 100\n"
                       "exif_width: 2272\nexif_height: 1704\n"),
              std::string::npos) << out;
    EXPECT_NE(out.find("maker: Canon\nmodel: Canon PowerShot S40\n"), std::string::npos) << out;

    SKIP_WITHOUT_CORPUS_FILE(plain, "jpeg/grey.jpg");
    out = info_exif(plain, &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("shutter_speed: -1\nf_number_x100: -1\nexposure_bias_x10: -1\niso_speed: -1\n"
                       "exif_width: -1\nexif_height: -1\n"),
              std::string::npos) << out;
}

}  // namespace
