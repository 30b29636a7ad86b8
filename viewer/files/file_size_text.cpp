// File size and write time texts of the file list. Sizes truncate to tenths of a
// binary kilo- or megabyte; times turn FILETIME ticks (100 ns since 1601-01-01 UTC)
// into a proleptic Gregorian date with the days-from-civil inverse.
#include "files/file_size_text.h"

#include <cstdio>

namespace {

constexpr uint32_t kKilo = 1024, kMega = 1048576;

struct CivilDate {
    int64_t year;
    unsigned month, day;
};

// Gregorian date of a day count from 1970-01-01 (400-year eras of 146,097 days).
CivilDate civil_from_days(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned day_of_era = static_cast<unsigned>(days - era * 146097);
    const unsigned year_of_era =
        (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const unsigned mp = (5 * day_of_year + 2) / 153;
    const unsigned day = day_of_year - (153 * mp + 2) / 5 + 1;
    const unsigned month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int64_t>(year_of_era) + era * 400 + (month <= 2), month, day};
}

}  // namespace

void format_size(uint32_t n, char* out) {
    if (n == 0) {
        std::snprintf(out, 16, "0");
    } else if (n >= kMega) {
        std::snprintf(out, 16, "%u.%01uM", n / kMega, (n % kMega) * 10 / kMega);
    } else if (n >= kKilo) {
        std::snprintf(out, 16, "%u.%01uK", n / kKilo, (n % kKilo) * 10 / kKilo);
    } else {
        std::snprintf(out, 16, "%uB", n);
    }
}

void format_list_time(uint32_t write_low, uint32_t write_high, char* out) {
    constexpr int64_t kDaysFrom1601To1970 = 134774;
    const uint64_t ticks = (uint64_t{write_high} << 32) | write_low;
    const int64_t seconds = static_cast<int64_t>(ticks / 10000000);
    const int64_t days = seconds / 86400, second_of_day = seconds % 86400;
    const CivilDate date = civil_from_days(days - kDaysFrom1601To1970);
    std::snprintf(out, 20, "%04d/%02u/%02u %02d:%02d:%02d", static_cast<int>(date.year), date.month,
                  date.day, static_cast<int>(second_of_day / 3600),
                  static_cast<int>(second_of_day / 60 % 60), static_cast<int>(second_of_day % 60));
}
