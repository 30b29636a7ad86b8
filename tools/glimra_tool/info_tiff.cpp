// "info --pages" for TIFF pages: the strip layout, fill order and the three texts
// the directory reader found, appended to the page's line.
#include <cstdio>

#include "imaging.h"

namespace {

// A text as "key="value"" with quotes and backslashes escaped, so the line stays one
// line of key=value fields.
void print_text(const char* key, const char* text) {
    std::printf(" %s=\"", key);
    for (int i = 0; i < TEXT_FIELD_SIZE && text[i]; ++i) {
        const unsigned char c = (unsigned char)text[i];
        if (c == '"' || c == '\\') std::printf("\\%c", c);
        else if (c < 0x20 || c >= 0x7F) std::printf("\\x%02x", c);
        else std::putchar(c);
    }
    std::putchar('"');
}

}  // namespace

void print_tiff_page_fields(const PageBitmap& page) {
    std::printf(" strips=%d rows_per_strip=%d fill_order=%d data_length=%d", page.strip_count > 1 ? page.strip_count : 1,
                page.rows_per_strip, page.fill_order, page.data_length);
    print_text("description", page.description);
    print_text("maker", page.maker);
    print_text("model", page.model);
}
