// Texts of the "Image Information" dialog (see info_text.h). File times are turned
// into calendar dates with the days-from-civil inverse over the proleptic Gregorian
// calendar (400-year eras of 146,097 days).
#include "info/info_text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "dialogs/info_dialog_ids.h"

namespace {

constexpr const char* kNotAvailable = "N/A";
constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsPerDay = 86'400;
// Days from 1601-01-01 (the file-time origin) to 0000-03-01, the start of the
// calendar's computational year.
constexpr int64_t kDaysFrom0000March = 584'694;

template <typename... Args>
std::string printf_text(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

}  // namespace

CivilTime civil_time_from_ticks(uint64_t ticks) {
    const int64_t seconds = (int64_t)(ticks / kTicksPerSecond);
    const int64_t day_seconds = seconds % kSecondsPerDay;
    const int64_t z = seconds / kSecondsPerDay + kDaysFrom0000March;
    const int64_t era = z / 146'097;
    const int64_t doe = z - era * 146'097;                                   // day of the era
    const int64_t yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;  // year of the era
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);             // day of the March year
    const int64_t mp = (5 * doy + 2) / 153;                                  // month from March
    CivilTime t{};
    t.day = (int)(doy - (153 * mp + 2) / 5 + 1);
    t.month = (int)(mp < 10 ? mp + 3 : mp - 9);
    t.year = (int)(yoe + era * 400 + (t.month <= 2 ? 1 : 0));
    t.hour = (int)(day_seconds / 3600);
    t.minute = (int)(day_seconds / 60 % 60);
    t.second = (int)(day_seconds % 60);
    return t;
}

std::string format_civil_time(const CivilTime& t) {
    return printf_text("%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

std::string file_name_text(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return name;
}

const char* file_kind_name(int format) {
    return format >= 0 && format < FORMAT_CODE_COUNT ? format_names[format] : "";
}

const char* compression_name(int compression) {
    return compression >= 0 && compression < COMPRESSION_CODE_COUNT ? compression_names[compression] : "";
}

CameraTexts camera_texts(const PageBitmap& page) {
    CameraTexts t{kNotAvailable, kNotAvailable, kNotAvailable, kNotAvailable, kNotAvailable};
    if (page.shutter_speed != -1) t.shutter = printf_text("1/%d Sec", page.shutter_speed);
    if (page.f_number_x100 != -1) {
        const int a = page.f_number_x100;
        t.f_number = printf_text("F %d.%d", a / 100, (a / 10) % 10);
    }
    if (page.iso_speed != -1) t.iso = page.iso_speed == 0 ? std::string("Auto") : printf_text("%u", (unsigned)page.iso_speed);
    if (page.exposure_bias_x10 != -1) {
        const int e = page.exposure_bias_x10;
        const int magnitude = std::abs(e);
        t.bias = printf_text("%c%d.%d", e < 0 ? '-' : '+', magnitude / 10, magnitude % 10);
    }
    if (page.exif_width != -1 && page.exif_height != -1) t.true_size = printf_text("%d x %d", page.exif_width, page.exif_height);
    return t;
}

std::string page_text(const char (&field)[TEXT_FIELD_SIZE]) {
    const void* end = std::memchr(field, 0, TEXT_FIELD_SIZE);
    const size_t n = end ? (size_t)(static_cast<const char*>(end) - field) : (size_t)TEXT_FIELD_SIZE;
    return std::string(field, n);
}

void store_comment(PageBitmap* page, const char* comment) {
    std::memset(page->description, 0, TEXT_FIELD_SIZE);
    std::strncpy(page->description, comment, TEXT_FIELD_SIZE - 1);
}

std::vector<InfoLine> image_info_lines(const ImageInfoInput& in) {
    const PageBitmap& p = *in.page;
    const std::string created = in.has_times ? format_civil_time(in.created) : kNotAvailable;
    const std::string modified = in.has_times ? format_civil_time(in.modified) : kNotAvailable;
    std::vector<InfoLine> lines = {
        {IDC_INFO_NAME, file_name_text(in.path)},
        {IDC_INFO_SIZE, printf_text("%d x %d", p.width, p.height)},
        {IDC_INFO_BITS, printf_text("%d", p.bits_per_pixel)},
        {IDC_INFO_FILE_TYPE, file_kind_name(in.format)},
        {IDC_INFO_COMPRESSION, compression_name(in.stored_compression)},
        {IDC_INFO_RESOLUTION, printf_text("%d x %d", p.x_dpi, p.y_dpi)},
        {IDC_INFO_PAGE, printf_text("%d of %d", in.page_index + 1, in.page_count)},
        {IDC_INFO_FILE_SIZE, printf_text("%d", in.file_size)},
        {IDC_INFO_RAM, printf_text("%d", p.data_length)},
        {IDC_INFO_CREATED, created},
        {IDC_INFO_MODIFIED, modified},
        {IDC_INFO_MAKE, page_text(p.maker)},
        {IDC_INFO_MODEL, page_text(p.model)},
        {IDC_INFO_COMMENT, page_text(p.description)},
    };
    // Camera values belong to pages stored as JPEG; other pages keep "N/A".
    CameraTexts c{kNotAvailable, kNotAvailable, kNotAvailable, kNotAvailable, kNotAvailable};
    if (in.stored_compression == COMP_JPEG) c = camera_texts(p);
    lines.push_back({IDC_INFO_SHUTTER, c.shutter});
    lines.push_back({IDC_INFO_F_NUMBER, c.f_number});
    lines.push_back({IDC_INFO_ISO, c.iso});
    lines.push_back({IDC_INFO_BIAS, c.bias});
    lines.push_back({IDC_INFO_TRUE_SIZE, c.true_size});
    return lines;
}
