// Fuzz target: reads arbitrary bytes as a slideshow file into a table that already
// holds slides. A refused file must leave the table exactly as it was; an accepted
// one must fit the table with every path ended inside its field, and must read back
// the same after being saved.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "sample_file.h"
#include "slideshow/slideshow_file.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

bool same(const SlideTable& a, const SlideTable& b) {
    return a.count == b.count && a.modified == b.modified &&
           std::memcmp(a.records.data(), b.records.data(), sizeof(SlideRecord) * a.records.size()) == 0;
}

SlideTable two_slides() {
    SlideTable t;
    for (const char* path : {"C:\\a.jpg", "C:\\b.jpg"}) {
        prepare_new_slide(t, path);
        add_prepared_slide(t);
    }
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = sample_path("slideshow_file"), copy = path + ".GLS";
    if (!write_sample(path.c_str(), data, size)) return 0;
    SlideTable table = two_slides();
    const int loaded = load_slideshow(table, path.c_str());
    std::remove(path.c_str());
    if (loaded != SLIDESHOW_OK) {
        check(same(table, two_slides()));
        return 0;
    }
    check(table.count >= 0 && table.count <= SLIDE_TABLE_CAPACITY && !table.modified);
    for (const SlideRecord& s : table.records) {
        check(std::memchr(s.image_path, 0, SLIDE_PATH_BYTES) != nullptr);
        check(std::memchr(s.sound_path, 0, SLIDE_PATH_BYTES) != nullptr);
    }
    check(save_slideshow(table, copy.c_str()) == SLIDESHOW_OK);
    SlideTable again;
    check(load_slideshow(again, copy.c_str()) == SLIDESHOW_OK && same(again, table));
    std::remove(copy.c_str());
    return 0;
}
