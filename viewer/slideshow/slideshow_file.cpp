// Reading and writing slideshow files through the library's file layer. Loading
// checks the header against the table's capacity and reads every record before the
// table is touched; saving writes a complete new file and only then moves it over
// the old one.
#include "slideshow/slideshow_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint8_t kMagic[4] = {'G', 'L', 'M', '3'};
// Byte offsets of a record's fields.
constexpr int kImagePath = 0, kSoundPath = 160, kRotation = 320, kTransition = 324, kDelay = 328, kStretch = 332,
              kWaitForSound = 336, kReserved = 340;
static_assert(kSoundPath == SLIDE_PATH_BYTES && kRotation == 2 * SLIDE_PATH_BYTES);
static_assert(kReserved + (int)sizeof(SlideRecord::reserved) == SLIDE_RECORD_BYTES);
// Names tried for the new file beside the target before giving up.
constexpr int kTemporaryNames = 16;

void put32(uint8_t* p, int32_t value) {
    const uint32_t v = (uint32_t)value;
    p[0] = (uint8_t)v, p[1] = (uint8_t)(v >> 8), p[2] = (uint8_t)(v >> 16), p[3] = (uint8_t)(v >> 24);
}

int32_t get32(const uint8_t* p) {
    return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24);
}

// A path field; one without its NUL in the field is ended at its last byte.
void get_path(const uint8_t* p, char (&field)[SLIDE_PATH_BYTES]) {
    std::memcpy(field, p, SLIDE_PATH_BYTES);
    if (!std::memchr(field, 0, SLIDE_PATH_BYTES)) field[SLIDE_PATH_BYTES - 1] = 0;
}

// Closes the file when the scope ends.
struct OpenFile {
    FileHandle handle;
    explicit OpenFile(FileHandle h) : handle(h) {}
    ~OpenFile() { close(); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    bool valid() const { return handle != FILE_HANDLE_INVALID && handle != nullptr; }
    void close() {
        if (valid()) file_close(handle);
        handle = FILE_HANDLE_INVALID;
    }
};

bool read_exactly(FileHandle h, void* buffer, int32_t count) { return file_read(h, buffer, count) == count; }
bool write_exactly(FileHandle h, const void* buffer, int32_t count) {
    return count == 0 || file_write(h, buffer, count) == count;
}

using PathString = std::basic_string<PathChar>;

// A new, empty file beside `target` ("<target>~0", "~1", ...); the name goes to `name`.
FileHandle create_beside(const PathChar* target, PathString* name) {
    for (int n = 0; n < kTemporaryNames; ++n) {
        *name = target;
        *name += PathChar('~');
        if (n >= 10) *name += PathChar('1');
        *name += PathChar('0' + n % 10);
        const FileHandle h = file_create_new(name->c_str());
        if (h != FILE_HANDLE_INVALID && h != nullptr) return h;
    }
    return FILE_HANDLE_INVALID;
}

// The header and every slide of the table, as the file holds them.
std::vector<uint8_t> file_bytes(const SlideTable& table) {
    const int32_t count = table.count < 0 ? 0 : std::min(table.count, (int32_t)SLIDE_TABLE_CAPACITY);
    std::vector<uint8_t> bytes(SLIDESHOW_HEADER_BYTES + (size_t)count * SLIDE_RECORD_BYTES);
    std::memcpy(bytes.data(), kMagic, sizeof kMagic);
    put32(bytes.data() + 4, count);
    for (int32_t i = 0; i < count; ++i)
        encode_slide(table.records[i], bytes.data() + SLIDESHOW_HEADER_BYTES + (size_t)i * SLIDE_RECORD_BYTES);
    return bytes;
}

}  // namespace

void encode_slide(const SlideRecord& slide, uint8_t* bytes) {
    std::memcpy(bytes + kImagePath, slide.image_path, SLIDE_PATH_BYTES);
    std::memcpy(bytes + kSoundPath, slide.sound_path, SLIDE_PATH_BYTES);
    put32(bytes + kRotation, slide.rotation);
    put32(bytes + kTransition, slide.transition);
    put32(bytes + kDelay, slide.delay);
    put32(bytes + kStretch, slide.stretch);
    put32(bytes + kWaitForSound, slide.wait_for_sound);
    std::memcpy(bytes + kReserved, slide.reserved, sizeof slide.reserved);
}

void decode_slide(const uint8_t* bytes, SlideRecord* slide) {
    get_path(bytes + kImagePath, slide->image_path);
    get_path(bytes + kSoundPath, slide->sound_path);
    slide->rotation = get32(bytes + kRotation);
    slide->transition = get32(bytes + kTransition);
    slide->delay = get32(bytes + kDelay);
    slide->stretch = get32(bytes + kStretch);
    slide->wait_for_sound = get32(bytes + kWaitForSound);
    std::memcpy(slide->reserved, bytes + kReserved, sizeof slide->reserved);
}

int load_slideshow(SlideTable& table, const PathChar* path) {
    OpenFile file(file_open_read(path));
    if (!file.valid()) return SLIDESHOW_CANNOT_OPEN;
    uint8_t header[SLIDESHOW_HEADER_BYTES] = {};
    const int32_t got = file_read(file.handle, header, sizeof header);
    if (got < 4 || std::memcmp(header, kMagic, sizeof kMagic) != 0) return SLIDESHOW_NOT_A_SLIDESHOW;
    if (got < SLIDESHOW_HEADER_BYTES) return SLIDESHOW_DAMAGED;
    const int32_t count = get32(header + 4);
    if (count < 0 || count > SLIDE_TABLE_CAPACITY) return SLIDESHOW_DAMAGED;
    std::vector<uint8_t> bytes((size_t)count * SLIDE_RECORD_BYTES);
    if (!read_exactly(file.handle, bytes.data(), (int32_t)bytes.size())) return SLIDESHOW_DAMAGED;

    std::vector<SlideRecord> records(SLIDE_TABLE_CAPACITY + 1);
    for (int32_t i = 0; i < count; ++i) decode_slide(bytes.data() + (size_t)i * SLIDE_RECORD_BYTES, &records[i]);
    table.records = std::move(records);
    table.count = count;
    table.modified = false;
    return SLIDESHOW_OK;
}

int save_slideshow(const SlideTable& table, const PathChar* path) {
    const std::vector<uint8_t> bytes = file_bytes(table);
    PathString temporary;
    OpenFile file(create_beside(path, &temporary));
    if (!file.valid()) return SLIDESHOW_CANNOT_OPEN;
    // The header, then the records as one block.
    const bool written = write_exactly(file.handle, bytes.data(), SLIDESHOW_HEADER_BYTES) &&
                         write_exactly(file.handle, bytes.data() + SLIDESHOW_HEADER_BYTES,
                                       (int32_t)(bytes.size() - SLIDESHOW_HEADER_BYTES)) &&
                         file_flush(file.handle);
    file.close();
    if (!written || !file_replace(temporary.c_str(), path)) {
        file_delete(temporary.c_str());
        return SLIDESHOW_WRITE_FAILED;
    }
    return SLIDESHOW_OK;
}
