// The texts of the image information dialog: camera values of real camera files
// against exiftool's reading of the same files, the value rules on hand-picked fields,
// the lines of a page not stored as JPEG, and file times against the C library's
// gmtime over a spread of dates.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <sstream>
#include <string>

#include "dialogs/info_dialog_ids.h"
#include "imaging/imaging.h"
#include "info/info_text.h"
#include "test_support.h"

namespace {

std::map<int, std::string> by_control(const std::vector<InfoLine>& lines) {
    std::map<int, std::string> out;
    for (const InfoLine& l : lines) out[l.control] = l.text;
    return out;
}

PageBitmap camera_page(int shutter, int f, int bias, int iso, int w, int h) {
    PageBitmap p{};
    p.shutter_speed = shutter;
    p.f_number_x100 = f;
    p.exposure_bias_x10 = bias;
    p.iso_speed = iso;
    p.exif_width = w;
    p.exif_height = h;
    return p;
}

// exiftool's values for `tags` of `file`, "-" where a tag is missing.
std::vector<std::string> exiftool_values(const fs::path& file, const std::vector<std::string>& tags) {
    std::string command = "exiftool -n -s3 -f";
    for (const std::string& t : tags) command += " -" + t;
    std::string out;
    run_command(command + " '" + file.string() + "'", &out);
    std::istringstream lines(out);
    std::vector<std::string> values;
    for (std::string line; std::getline(lines, line);) values.push_back(line);
    values.resize(tags.size(), "-");
    return values;
}

// A value cut to tenths as "<sign><units>.<tenth>".
std::string signed_tenths(double v) {
    const long tenths = std::lround(std::trunc(v * 10 + (v < 0 ? -1e-6 : 1e-6)));
    char text[32];
    std::snprintf(text, sizeof text, "%c%ld.%ld", tenths < 0 ? '-' : '+', std::labs(tenths) / 10, std::labs(tenths) % 10);
    return text;
}

}  // namespace

TEST(InfoText, CameraValuesShowAsTheDialogWritesThem) {
    struct Case {
        PageBitmap page;
        CameraTexts expected;
    } cases[] = {
        {camera_page(250, 280, -7, 0, 640, 480), {"1/250 Sec", "F 2.8", "Auto", "-0.7", "640 x 480"}},
        {camera_page(0, 1000, 13, 3200, 2272, 1704), {"1/0 Sec", "F 10.0", "3200", "+1.3", "2272 x 1704"}},
        {camera_page(8000, 95, 0, 80, 1, 1), {"1/8000 Sec", "F 0.9", "80", "+0.0", "1 x 1"}},
        {camera_page(-1, -1, -1, -1, -1, -1), {"N/A", "N/A", "N/A", "N/A", "N/A"}},
        {camera_page(60, -1, -20, -1, 100, -1), {"1/60 Sec", "N/A", "N/A", "-2.0", "N/A"}},
    };
    for (const Case& c : cases) {
        const CameraTexts t = camera_texts(c.page);
        EXPECT_EQ(t.shutter, c.expected.shutter);
        EXPECT_EQ(t.f_number, c.expected.f_number);
        EXPECT_EQ(t.iso, c.expected.iso);
        EXPECT_EQ(t.bias, c.expected.bias);
        EXPECT_EQ(t.true_size, c.expected.true_size);
    }
}

// Camera files read through the viewer's page call give the dialog texts that
// exiftool's values predict: shutter 1/floor(1/time), the aperture and bias cut to
// tenths, ISO from the Exif directory or else the Canon camera settings, true size,
// and the model text.
TEST(InfoText, CameraJpegTextsAgreeWithExiftool) {
    SKIP_WITHOUT_PROGRAM("exiftool");
    const char* files[] = {"jpeg/canon_ixus_exif.jpg", "jpeg/canon_s40_exif.jpg", "jpeg/nikon_e950_exif.jpg",
                           "jpeg/progressive_444_exif.jpg", "jpeg/restart_444.jpg"};
    int compared = 0;
    for (const char* name : files) {
        const fs::path file = corpus_file(name);
        if (file.empty()) continue;
        SCOPED_TRACE(name);
        ImageFileInfo info{};
        ASSERT_EQ(identify_file(file.c_str(), &info, 0), 0);
        PageBitmap page{};
        ASSERT_EQ(read_decoded_page(&info, 0, 0, &page, nullptr), 0);
        ImageInfoInput in{file.c_str(), info.format, COMP_JPEG, 0, info.page_count, info.file_size, &page, false, {}, {}};
        auto lines = by_control(image_info_lines(in));
        release_page(&page);
        close_file_info(&info);

        const auto v = exiftool_values(file, {"ExifIFD:ExposureTime", "ExifIFD:FNumber", "ExifIFD:ISO",
                                              "Canon:CameraISO", "ExifIFD:ExposureCompensation",
                                              "ExifIFD:ExifImageWidth", "ExifIFD:ExifImageHeight", "IFD0:Model"});
        char text[64];
        std::string shutter = "N/A", f_number = "N/A", iso = "N/A", bias = "N/A", size = "N/A";
        if (v[0] != "-") {
            std::snprintf(text, sizeof text, "1/%ld Sec", (long)std::floor(1.0 / std::stod(v[0]) + 1e-6));
            shutter = text;
        }
        if (v[1] != "-") f_number = "F " + signed_tenths(std::stod(v[1])).substr(1);
        if (v[2] != "-") iso = v[2] == "0" ? "Auto" : v[2];
        else if (v[3] != "-" && v[3] != "n/a") iso = v[3];
        if (v[4] != "-") bias = signed_tenths(std::stod(v[4]));
        if (v[5] != "-" && v[6] != "-") size = v[5] + " x " + v[6];
        EXPECT_EQ(lines[IDC_INFO_SHUTTER], shutter);
        EXPECT_EQ(lines[IDC_INFO_F_NUMBER], f_number);
        EXPECT_EQ(lines[IDC_INFO_ISO], iso);
        EXPECT_EQ(lines[IDC_INFO_BIAS], bias);
        EXPECT_EQ(lines[IDC_INFO_TRUE_SIZE], size);
        if (v[7] != "-") {
            EXPECT_EQ(lines[IDC_INFO_MODEL], v[7]);
        }
        EXPECT_EQ(lines[IDC_INFO_FILE_TYPE], "JFIF");
        EXPECT_EQ(lines[IDC_INFO_COMPRESSION], "JPEG");
        ++compared;
    }
    if (compared == 0) GTEST_SKIP() << "no camera file of the sample corpus present";
}

// A page not stored as JPEG keeps "N/A" in the camera fields, whatever they hold; the
// other lines describe file and page, texts cut at their field's end.
TEST(InfoText, LinesOfAFaxPageAndOutOfTableCodes) {
    PageBitmap page = camera_page(250, 280, 0, 100, 10, 10);
    page.width = 1728;
    page.height = 2200;
    page.bits_per_pixel = 1;
    page.x_dpi = 204;
    page.y_dpi = 196;
    page.data_length = 51234;
    std::memset(page.model, 'M', TEXT_FIELD_SIZE);  // no terminator: the whole field shows
    std::strcpy(page.maker, "Scanner");
    const CivilTime created{2003, 7, 4, 9, 5, 1}, modified{2024, 12, 31, 23, 59, 59};
    ImageInfoInput in{"C:\\faxes\\in coming\\page.tif", FMT_TIFF, COMP_G4, 1, 3, 987654, &page, true, created, modified};
    auto lines = by_control(image_info_lines(in));
    EXPECT_EQ(lines[IDC_INFO_NAME], "page.tif");
    EXPECT_EQ(lines[IDC_INFO_SIZE], "1728 x 2200");
    EXPECT_EQ(lines[IDC_INFO_BITS], "1");
    EXPECT_EQ(lines[IDC_INFO_FILE_TYPE], "TIFF");
    EXPECT_EQ(lines[IDC_INFO_COMPRESSION], "G4");
    EXPECT_EQ(lines[IDC_INFO_RESOLUTION], "204 x 196");
    EXPECT_EQ(lines[IDC_INFO_PAGE], "2 of 3");
    EXPECT_EQ(lines[IDC_INFO_FILE_SIZE], "987654");
    EXPECT_EQ(lines[IDC_INFO_RAM], "51234");
    EXPECT_EQ(lines[IDC_INFO_CREATED], "2003/07/04 09:05:01");
    EXPECT_EQ(lines[IDC_INFO_MODIFIED], "2024/12/31 23:59:59");
    EXPECT_EQ(lines[IDC_INFO_MAKE], "Scanner");
    EXPECT_EQ(lines[IDC_INFO_MODEL], std::string(TEXT_FIELD_SIZE, 'M'));
    EXPECT_EQ(lines[IDC_INFO_COMMENT], "");
    for (int id : {IDC_INFO_SHUTTER, IDC_INFO_F_NUMBER, IDC_INFO_ISO, IDC_INFO_BIAS, IDC_INFO_TRUE_SIZE})
        EXPECT_EQ(lines[id], "N/A") << id;

    in.format = 99;
    in.stored_compression = COMP_NO_STREAM;
    in.has_times = false;
    lines = by_control(image_info_lines(in));
    EXPECT_EQ(lines[IDC_INFO_FILE_TYPE], "");
    EXPECT_EQ(lines[IDC_INFO_COMPRESSION], "");
    EXPECT_EQ(lines[IDC_INFO_CREATED], "N/A");
}

// An edited comment longer than description text 1 keeps its first 127 characters.
TEST(InfoText, StoredCommentStaysInsideItsField) {
    PageBitmap page{};
    std::memset(page.maker, 'k', TEXT_FIELD_SIZE);
    const std::string long_comment(300, 'c');
    store_comment(&page, long_comment.c_str());
    EXPECT_EQ(page_text(page.description), std::string(TEXT_FIELD_SIZE - 1, 'c'));
    EXPECT_EQ(page.maker[0], 'k') << "the next field was overwritten";
    store_comment(&page, "short");
    EXPECT_EQ(page_text(page.description), "short");
}

// File times from 1601 to 2400 against gmtime (ticks of 100 ns since 1601).
TEST(InfoText, FileTimesAgreeWithGmtime) {
    constexpr int64_t kUnixEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
    uint64_t state = 88172645463325252ull;
    for (int i = 0; i < 20000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const int64_t seconds = (int64_t)(state % (uint64_t)(25'244'000'000));  // to about the year 2400
        const uint64_t ticks = (uint64_t)seconds * 10'000'000 + state % 10'000'000;
        const time_t unix_time = (time_t)(seconds - kUnixEpochSeconds);
        std::tm tm{};
        ASSERT_NE(gmtime_r(&unix_time, &tm), nullptr);
        const CivilTime t = civil_time_from_ticks(ticks);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%04d/%02d/%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                      tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
        ASSERT_EQ(format_civil_time(t), expected) << "ticks " << ticks;
    }
    EXPECT_EQ(format_civil_time(civil_time_from_ticks(0)), "1601/01/01 00:00:00");
    // 2000-02-29 12:00:00 UTC.
    EXPECT_EQ(format_civil_time(civil_time_from_ticks((uint64_t)(951825600 + kUnixEpochSeconds) * 10'000'000)),
              "2000/02/29 12:00:00");
}
