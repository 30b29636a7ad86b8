// Editing the slide table: new slides start from a zero-filled record with the
// image's voice note as sound, an image is never added twice (exact comparison), the
// table stops at 500 slides, and moves and deletions keep the show order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "slideshow/slide_table.h"

namespace {

std::vector<std::string> images(const SlideTable& t) {
    std::vector<std::string> v;
    for (int i = 0; i < t.count; ++i) v.push_back(t.records[i].image_path);
    return v;
}

void add(SlideTable& t, const std::string& path) {
    ASSERT_NE(prepare_new_slide(t, path.c_str()), nullptr) << path;
    add_prepared_slide(t);
}

}  // namespace

TEST(SlideTable, NewSlidesStartZeroedWithTheirVoiceNote) {
    SlideTable t;
    add(t, "C:\\p\\a.jpg");
    add(t, "C:\\p\\b.jpg");
    EXPECT_TRUE(t.modified);
    // The last slide, edited and deleted, leaves its record dirty past the count.
    t.records[1].transition = 7, t.records[1].delay = 900, t.records[1].reserved[3] = 1;
    ASSERT_TRUE(delete_slide(t, 1));
    SlideRecord* fresh = prepare_new_slide(t, "C:\\p\\c");
    ASSERT_EQ(fresh, &t.records[1]);
    EXPECT_EQ(t.count, 1) << "a prepared slide is not counted before it is added";
    EXPECT_STREQ(fresh->image_path, "C:\\p\\c");
    EXPECT_STREQ(fresh->sound_path, "C:\\p\\c.wav");
    EXPECT_EQ(fresh->transition, 0);
    EXPECT_EQ(fresh->delay, 0);
    EXPECT_EQ(fresh->reserved[3], 0);

    // Paths of 159 bytes fit; 160 would be cut and name another file: refused. A
    // voice note that would not fit is left out.
    const std::string longest = "C:\\" + std::string(152, 'n') + ".jpeg";
    ASSERT_EQ(longest.size(), 160u);
    EXPECT_EQ(prepare_new_slide(t, longest.c_str()), nullptr);
    const std::string fits = "C:\\" + std::string(156, 'n');
    ASSERT_NE(prepare_new_slide(t, fits.c_str()), nullptr);
    EXPECT_STREQ(t.records[1].sound_path, "");
}

TEST(SlideTable, FindingIsExactAndTheTableHoldsFiveHundred) {
    SlideTable t;
    add(t, "C:\\Pics\\a.jpg");
    EXPECT_EQ(find_slide(t, "C:\\Pics\\a.jpg"), 0);
    EXPECT_EQ(find_slide(t, "C:\\PICS\\a.jpg"), -1);
    EXPECT_EQ(find_slide(t, "C:\\Pics\\.\\a.jpg"), -1);
    for (int i = 1; i < SLIDE_TABLE_CAPACITY; ++i) add(t, "C:\\Pics\\" + std::to_string(i));
    EXPECT_EQ(t.count, 500);
    EXPECT_EQ(prepare_new_slide(t, "C:\\one more"), nullptr);
    add_prepared_slide(t);
    EXPECT_EQ(t.count, 500);
    EXPECT_EQ(find_slide(t, "C:\\Pics\\499"), 499);
}

TEST(SlideTable, AddingADirectoryInListOrder) {
    const char* const names[] = {"a.jpg", "b.gif", "a.jpg", "c.bmp"};
    struct Case {
        const char* name;
        std::string directory;
        int already;     // slides present before
        int room;        // free places
        int added;
        std::vector<std::string> last;  // images of the slides after the ones already there
    };
    const Case cases[] = {
        {"joins with a backslash", "C:\\pics", 0, 500, 3, {"C:\\pics\\a.jpg", "C:\\pics\\b.gif", "C:\\pics\\c.bmp"}},
        {"directory ending in one", "C:\\", 0, 500, 3, {"C:\\a.jpg", "C:\\b.gif", "C:\\c.bmp"}},
        {"stops when full", "C:\\pics", 0, 2, 2, {"C:\\pics\\a.jpg", "C:\\pics\\b.gif"}},
        {"slides already there", "C:\\pics", 2, 500, 1, {"C:\\pics\\c.bmp"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SlideTable t;
        for (int i = 0; i < SLIDE_TABLE_CAPACITY - c.room; ++i) add(t, "X:\\" + std::to_string(i));
        for (int i = 0; i < c.already; ++i) add(t, c.directory + "\\" + names[i]);
        t.modified = false;
        const int before = t.count;
        EXPECT_EQ(add_directory_slides(t, c.directory, names, 4, 3000), c.added);
        EXPECT_EQ(t.modified, c.added > 0);
        const std::vector<std::string> all = images(t);
        EXPECT_EQ(std::vector<std::string>(all.begin() + before, all.end()), c.last);
        for (int i = before; i < t.count; ++i) {
            EXPECT_EQ(t.records[i].transition, 4);
            EXPECT_EQ(t.records[i].delay, 3000);
            EXPECT_EQ(std::string(t.records[i].sound_path), voice_note_path(t.records[i].image_path));
        }
    }
    SlideTable t;
    add_directory_slides(t, "C:\\pics", names, 0, 0);
    t.modified = false;
    EXPECT_EQ(add_directory_slides(t, "C:\\pics", names, 0, 0), 0) << "every image is a slide already";
    EXPECT_FALSE(t.modified);
}

TEST(SlideTable, MovingAndDeletingKeepTheOrder) {
    struct Step {
        const char* op;  // "swap", "delete", "all"
        int a, b;
        bool done;
        std::vector<std::string> order;
    };
    const Step steps[] = {
        {"swap", 1, 0, true, {"b", "a", "c", "d"}},
        {"swap", 3, 4, false, {"b", "a", "c", "d"}},  // past the last slide
        {"swap", -1, 0, false, {"b", "a", "c", "d"}},
        {"delete", 1, 0, true, {"b", "c", "d"}},
        {"delete", 2, 0, true, {"b", "c"}},
        {"delete", 2, 0, false, {"b", "c"}},
        {"all", 0, 0, true, {}},
        {"delete", 0, 0, false, {}},
    };
    SlideTable t;
    for (const char* name : {"a", "b", "c", "d"}) add(t, name);
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.op) + " " + std::to_string(s.a));
        t.modified = false;
        bool done = true;
        if (std::string(s.op) == "swap") done = swap_slides(t, s.a, s.b);
        else if (std::string(s.op) == "delete") done = delete_slide(t, s.a);
        else delete_all_slides(t);
        EXPECT_EQ(done, s.done);
        EXPECT_EQ(t.modified, s.done);
        EXPECT_EQ(images(t), s.order);
    }
}

TEST(SlideTable, RotateNinetyTurnsAQuarterAndFourReturnToZero) {
    int32_t r = 0;
    const int32_t expected[] = {90, 180, 270, 0};
    for (int32_t e : expected) EXPECT_EQ(r = next_rotation(r), e);
    EXPECT_EQ(next_rotation(45), 90) << "a damaged rotation counts as none";
    EXPECT_EQ(quarter_turn(-90), 0);
}
