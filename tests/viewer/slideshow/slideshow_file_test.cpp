// The ".GLS" file: a full table round-trips byte for byte against a layout composed
// here by hand; damaged and foreign files are refused without touching the table;
// a save that cannot finish (file-size limit in a child process) leaves the old file
// whole and no partial file behind.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "slideshow/slideshow_file.h"
#include "test_support.h"

namespace {

using Bytes = std::vector<unsigned char>;

void put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((unsigned char)(v >> (8 * i)));
}

void set_path(char (&field)[SLIDE_PATH_BYTES], const std::string& text) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.data(), text.size());
}

// Slide i of a varied table: path lengths up to the 159-byte limit, negative and
// large numbers, reserved bytes that are not zero.
SlideRecord varied_slide(int i) {
    SlideRecord s{};
    set_path(s.image_path, "C:\\pics\\" + std::string(i % 152, char('a' + i % 26)).substr(0, 151));
    set_path(s.sound_path, i % 3 ? "D:\\s\\" + std::to_string(i) + ".wav" : "");
    s.rotation = (i % 4) * 90;
    s.transition = i % 20;
    s.delay = i * 1000003;
    s.stretch = i & 1;
    s.wait_for_sound = i % 3 == 1;
    for (int k = 0; k < 12; ++k) s.reserved[k] = (uint8_t)(i * 7 + k);
    return s;
}

SlideTable table_of(int count) {
    SlideTable t;
    for (int i = 0; i < count; ++i) t.records[i] = varied_slide(i);
    t.count = count;
    return t;
}

// The file bytes of `table`, composed field by field from the documented layout.
Bytes expected_file(const SlideTable& t) {
    Bytes b = {'G', 'L', 'M', '3'};
    put32(b, (uint32_t)t.count);
    for (int i = 0; i < t.count; ++i) {
        const SlideRecord& s = t.records[i];
        b.insert(b.end(), s.image_path, s.image_path + 160);
        b.insert(b.end(), s.sound_path, s.sound_path + 160);
        for (int32_t v : {s.rotation, s.transition, s.delay, s.stretch, s.wait_for_sound}) put32(b, (uint32_t)v);
        b.insert(b.end(), s.reserved, s.reserved + 12);
    }
    return b;
}

bool same_slides(const SlideTable& a, const SlideTable& b) {
    return a.count == b.count && a.modified == b.modified &&
           std::memcmp(a.records.data(), b.records.data(), sizeof(SlideRecord) * a.records.size()) == 0;
}

std::vector<std::string> names_in(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(SlideshowFile, FullTableRoundTripsByteForByte) {
    TempDir dir;
    const fs::path file = dir / "show.GLS";
    SlideTable table = table_of(SLIDE_TABLE_CAPACITY);
    table.modified = true;
    ASSERT_EQ(save_slideshow(table, file.c_str()), SLIDESHOW_OK);
    EXPECT_TRUE(table.modified) << "saving must leave the mark to the command";
    const Bytes written = read_bytes(file);
    ASSERT_EQ(written.size(), 8u + 500u * 352u);
    EXPECT_EQ(written, expected_file(table));
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"show.GLS"});

    SlideTable loaded;
    loaded.modified = true;
    ASSERT_EQ(load_slideshow(loaded, file.c_str()), SLIDESHOW_OK);
    table.modified = false;
    EXPECT_TRUE(same_slides(loaded, table));
    // Saving what was read gives the same bytes, over the existing file.
    ASSERT_EQ(save_slideshow(loaded, file.c_str()), SLIDESHOW_OK);
    EXPECT_EQ(read_bytes(file), written);
}

TEST(SlideshowFile, ValidFilesOfEveryShape) {
    TempDir dir;
    struct Case {
        const char* name;
        Bytes bytes;
        int count;
        std::string first_image;  // of slide 0, when there is one
    };
    Bytes unended = expected_file(table_of(1));
    std::memset(unended.data() + 8, 'x', 160);  // an image path without its NUL
    Bytes trailing = expected_file(table_of(2));
    trailing.insert(trailing.end(), {1, 2, 3});
    const Case cases[] = {
        {"no slides", expected_file(table_of(0)), 0, ""},
        {"bytes after the last record are not read", trailing, 2, varied_slide(0).image_path},
        {"a path without its NUL ends at byte 159", unended, 1, std::string(159, 'x')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir / "case.gls";
        write_bytes(file, c.bytes);
        SlideTable table = table_of(5);
        table.modified = true;
        ASSERT_EQ(load_slideshow(table, file.c_str()), SLIDESHOW_OK);
        EXPECT_EQ(table.count, c.count);
        EXPECT_FALSE(table.modified);
        if (c.count) EXPECT_EQ(std::string(table.records[0].image_path), c.first_image);
        // Loading replaces the whole list: nothing of the old slides stays behind it.
        EXPECT_EQ(table.records[c.count].image_path[0], 0);
    }
}

TEST(SlideshowFile, DamagedAndForeignFilesLeaveTheTableUnchanged) {
    TempDir dir;
    const Bytes two = expected_file(table_of(2));
    auto header = [](const char* magic, uint32_t count) {
        Bytes b(magic, magic + 4);
        put32(b, count);
        return b;
    };
    auto with_count = [&](uint32_t count) {
        Bytes b = two;
        Bytes h = header("GLM3", count);
        std::copy(h.begin(), h.end(), b.begin());
        return b;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        int expected;
    };
    const Case cases[] = {
        {"empty file", {}, SLIDESHOW_NOT_A_SLIDESHOW},
        {"three bytes of magic", {'G', 'L', 'M'}, SLIDESHOW_NOT_A_SLIDESHOW},
        {"lower case magic", header("glm3", 0), SLIDESHOW_NOT_A_SLIDESHOW},
        {"first byte differs", header("XLM3", 0), SLIDESHOW_NOT_A_SLIDESHOW},
        {"second byte differs", header("GlM3", 0), SLIDESHOW_NOT_A_SLIDESHOW},
        {"third byte differs", header("GLN3", 0), SLIDESHOW_NOT_A_SLIDESHOW},
        {"other version digit", header("GLM2", 0), SLIDESHOW_NOT_A_SLIDESHOW},
        {"header cut in its count", {'G', 'L', 'M', '3', 0, 0}, SLIDESHOW_DAMAGED},
        {"count 501", with_count(501), SLIDESHOW_DAMAGED},
        {"count -1", with_count(0xFFFFFFFFu), SLIDESHOW_DAMAGED},
        {"count of most negative", with_count(0x80000000u), SLIDESHOW_DAMAGED},
        {"huge count", with_count(0x7FFFFFFFu), SLIDESHOW_DAMAGED},
        {"count 3 over two records", with_count(3), SLIDESHOW_DAMAGED},
        {"last record one byte short", Bytes(two.begin(), two.end() - 1), SLIDESHOW_DAMAGED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir / "bad.GLS";
        write_bytes(file, c.bytes);
        SlideTable table = table_of(3), before = table_of(3);
        table.modified = before.modified = true;
        EXPECT_EQ(load_slideshow(table, file.c_str()), c.expected);
        EXPECT_TRUE(same_slides(table, before));
    }
    SlideTable table = table_of(3);
    EXPECT_EQ(load_slideshow(table, (dir / "missing.GLS").c_str()), SLIDESHOW_CANNOT_OPEN);
    EXPECT_TRUE(same_slides(table, table_of(3)));
}

TEST(SlideshowFile, SaveReplacesAnOldFileOnlyWithACompleteOne) {
    TempDir dir;
    const fs::path file = dir / "old.GLS";
    ASSERT_EQ(save_slideshow(table_of(3), file.c_str()), SLIDESHOW_OK);
    const Bytes old = read_bytes(file);

    // A child limited to files of 64 KB cannot write 500 slides (176 KB).
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{65536, 65536};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(save_slideshow(table_of(SLIDE_TABLE_CAPACITY), file.c_str()) == SLIDESHOW_WRITE_FAILED ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed save was not reported";
    EXPECT_EQ(read_bytes(file), old) << "the old slideshow was damaged";
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"old.GLS"}) << "a partial file was left behind";

    // A file of the name the new file would take first is someone else's: left alone.
    write_bytes(dir / "old.GLS~0", {'m', 'i', 'n', 'e'});
    ASSERT_EQ(save_slideshow(table_of(4), file.c_str()), SLIDESHOW_OK);
    EXPECT_EQ(read_bytes(file), expected_file(table_of(4)));
    EXPECT_EQ(read_bytes(dir / "old.GLS~0"), (Bytes{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(names_in(dir.path()), (std::vector<std::string>{"old.GLS", "old.GLS~0"}));

    EXPECT_EQ(save_slideshow(table_of(1), (dir / "no such folder" / "x.GLS").c_str()), SLIDESHOW_CANNOT_OPEN);
}

TEST(SlideshowFile, CompanionSoundAndSaveNames) {
    const struct {
        const char* image;
        const char* sound;
    } sounds[] = {
        {"D:\\pics\\a.jpg", "D:\\pics\\a.wav"},  {"D:\\pics\\a", "D:\\pics\\a.wav"},
        {"D:\\a.b\\pic", "D:\\a.wav"},           {"D:\\pics\\a.tar.gz", "D:\\pics\\a.tar.wav"},
        {".jpg", ".jpg.wav"},                    {"a.", "a.wav"},
        {"", ".wav"},
    };
    for (const auto& c : sounds) EXPECT_EQ(voice_note_path(c.image), c.sound) << c.image;
    EXPECT_EQ(voice_note_path(std::wstring_view(L"D:\\p\\b.gif")), L"D:\\p\\b.wav");

    const struct {
        const char* chosen;
        const char* saved;
    } names[] = {
        {"show", "show.GLS"},
        {"show.old", "show.old"},
        {"D:\\my.dir\\show", "D:\\my.dir\\show"},
        {"C:\\shows\\trip", "C:\\shows\\trip.GLS"},
    };
    for (const auto& c : names) EXPECT_EQ(slideshow_save_name(std::string_view(c.chosen)), c.saved);
}
