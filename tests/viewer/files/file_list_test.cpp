// File list scans on folders the tests create: filters (the multi-pattern image
// filter, CALS and MODCA/IOCA only under their own), the content check, the three
// sort orders, capacities, entry counts, commit and the rename of a listed file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "files/dir_listing.h"
#include "files/file_filters.h"
#include "files/file_lists.h"
#include "files/file_size_text.h"
#include "test_support.h"

namespace {

std::vector<unsigned char> jpeg_like() {
    std::vector<unsigned char> b(64, 0);
    b[0] = 0xFF, b[1] = 0xD8, b[2] = 0xFF, b[3] = 0xE0;
    return b;
}

void touch(const fs::path& p, size_t size = 0) { write_bytes(p, std::vector<unsigned char>(size, 'x')); }

void set_mtime(const fs::path& p, time_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
}

std::unique_ptr<FileList> scan(const fs::path& dir, const char* pattern, bool check = false,
                               int32_t order = kSortByName) {
    auto list = std::make_unique<FileList>();
    scan_files(*list, dir.c_str(), pattern, check, order, nullptr);
    return list;
}

// Names in sorted order.
template <class List>
std::vector<std::string> names(const List& list) {
    std::vector<std::string> out;
    for (int32_t i = 0; i < list.count; ++i) out.push_back(entry_name(list, list.order[i]));
    return out;
}

using Names = std::vector<std::string>;

// A folder for thousands of entries: in memory (/dev/shm) when there is one, since
// creating that many files on a busy disk takes tens of seconds.
class ManyEntriesDir {
public:
    ManyEntriesDir() {
        std::error_code ec;
        const fs::path shm = "/dev/shm";
        if (fs::is_directory(shm, ec)) {
            path_ = shm / ("glimra-files-" + std::to_string(getpid()));
            if (fs::create_directory(path_, ec)) return;
        }
        path_ = fallback_.path() / "many";
        fs::create_directory(path_);
    }
    ~ManyEntriesDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& path() const { return path_; }

private:
    TempDir fallback_;
    fs::path path_;
};

// Every entry's name lies inside the used pool, the order array is a permutation.
template <class List>
void expect_consistent(const List& list) {
    std::set<int32_t> seen(list.order, list.order + list.count);
    EXPECT_EQ(seen.size(), static_cast<size_t>(list.count));
    if (list.count) {
        EXPECT_EQ(*seen.rbegin(), list.count - 1);
    }
    for (int32_t i = 0; i < list.count; ++i) {
        const uint32_t at = list.entries[i].name_offset;
        ASSERT_LT(at, list.pool_used);
        EXPECT_LE(at + std::strlen(list.names + at) + 1, list.pool_used);
    }
    EXPECT_LE(list.pool_used, sizeof(list.names));
}

}  // namespace

TEST(FileFilters, TableAndWildcards) {
    EXPECT_STREQ(file_filter(0).description, "All Image Files");
    EXPECT_TRUE(is_multi_pattern(file_filter(0).pattern));
    EXPECT_STREQ(file_filter(16).pattern, "*.CA");
    EXPECT_STREQ(file_filter(17).description, "MODCA/IOCA");
    EXPECT_STREQ(file_filter(99).description, "All Image Files");
    EXPECT_EQ(image_file_filters().size(), 14u);
    for (const FileFilter& f : image_file_filters()) {
        EXPECT_STRNE(f.pattern, "*.CA");
        EXPECT_STRNE(f.pattern, "*.ICA");
    }
    EXPECT_TRUE(wildcard_match("*.JPG", "photo.jpg"));
    EXPECT_FALSE(wildcard_match("*.JPG", "photo.jpgx"));
    EXPECT_TRUE(wildcard_match("*.FX?", "fax.fx3"));
    EXPECT_TRUE(wildcard_match("*.FX?", "fax.FX"));
    EXPECT_FALSE(wildcard_match("*.FX?", "fax.fx34"));
    EXPECT_FALSE(wildcard_match("*.CA", "drawing.cal"));
    EXPECT_TRUE(wildcard_match("*.*", "README"));
    EXPECT_TRUE(wildcard_match("*.TIF", "a.b.tif"));
}

TEST(FileScan, AllImageFilesLeavesOutCalsAndIoca) {
    TempDir dir;
    for (const char* n : {"a.JPG", "b.CA", "c.ICA", "d.fx3", "e.FX", "f.txt", "g.tif"}) touch(dir / n);
    fs::create_directory(dir / "folder.jpg");
    EXPECT_EQ(names(*scan(dir.path(), file_filter(0).pattern)), (Names{"a.JPG", "d.fx3", "e.FX", "g.tif"}));
    EXPECT_EQ(names(*scan(dir.path(), file_filter(16).pattern)), (Names{"b.CA"}));
    EXPECT_EQ(names(*scan(dir.path(), file_filter(17).pattern)), (Names{"c.ICA"}));
    EXPECT_EQ(names(*scan(dir.path(), file_filter(1).pattern)),
              (Names{"a.JPG", "b.CA", "c.ICA", "d.fx3", "e.FX", "f.txt", "g.tif"}));
}

TEST(FileScan, ContentCheckDropsFilesThatAreNotImages) {
    TempDir dir;
    write_bytes(dir / "real.jpg", jpeg_like());
    write_bytes(dir / "fake.jpg", std::vector<unsigned char>(100, 'z'));
    touch(dir / "empty.jpg");
    EXPECT_EQ(names(*scan(dir.path(), "*.JPG", true)), (Names{"real.jpg"}));
    EXPECT_EQ(names(*scan(dir.path(), "*.JPG", false)), (Names{"empty.jpg", "fake.jpg", "real.jpg"}));
}

TEST(FileScan, EntriesCarrySizeAndWriteTime) {
    TempDir dir;
    touch(dir / "a.jpg", 1536);
    set_mtime(dir / "a.jpg", 1614834367);  // 2021-03-04 05:06:07 UTC
    auto list = scan(dir.path(), "*.*");
    ASSERT_EQ(list->count, 1);
    const FileEntry& e = file_at(*list, 0);
    EXPECT_EQ(e.size, 1536u);
    char text[20];
    format_list_time(e.write_low, e.write_high, text);
    EXPECT_STREQ(text, "2021/03/04 05:06:07");
    EXPECT_STREQ(list->directory, dir.path().c_str());
}

TEST(FileScan, ThreeSortOrders) {
    TempDir dir;
    touch(dir / "b.jpg", 10);
    touch(dir / "A.JPG", 300);
    touch(dir / "c.jpg", 20);
    set_mtime(dir / "b.jpg", 2000000000);
    set_mtime(dir / "A.JPG", 1500000000);
    set_mtime(dir / "c.jpg", 1000000000);
    // Past 2 GB the low 32 bits are compared unsigned: after every small file.
    touch(dir / "big.jpg");
    fs::resize_file(dir / "big.jpg", 3ull << 30);
    set_mtime(dir / "big.jpg", 1700000000);
    EXPECT_EQ(names(*scan(dir.path(), "*.JPG", false, kSortByName)), (Names{"A.JPG", "b.jpg", "big.jpg", "c.jpg"}));
    EXPECT_EQ(names(*scan(dir.path(), "*.JPG", false, kSortBySize)), (Names{"b.jpg", "c.jpg", "A.JPG", "big.jpg"}));
    auto list = scan(dir.path(), "*.JPG", false, kSortByDate);
    EXPECT_EQ(names(*list), (Names{"c.jpg", "A.JPG", "big.jpg", "b.jpg"}));
    // Re-sorting moves only the order array; entries stay where the scan put them.
    std::vector<FileEntry> before(list->entries, list->entries + list->count);
    sort_files(*list, kSortBySize);
    EXPECT_EQ(names(*list), (Names{"b.jpg", "c.jpg", "A.JPG", "big.jpg"}));
    for (int32_t i = 0; i < list->count; ++i) EXPECT_EQ(list->entries[i].name_offset, before[i].name_offset);
    EXPECT_EQ(find_file_position(*list, "A.jpg"), 2);
}

TEST(FileScan, StopsAtTheEntryCapacity) {
    ManyEntriesDir dir;
    for (int i = 0; i < kMaxFileEntries + 5; ++i) touch(dir / ("f" + std::to_string(i) + ".jpg"));
    auto list = scan(dir.path(), "*.JPG");
    EXPECT_EQ(list->count, kMaxFileEntries);
    EXPECT_TRUE(list->full);
    expect_consistent(*list);
    const Names sorted = names(*list);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
}

TEST(FileScan, StopsWhenTheNamePoolIsFull) {
    TempDir dir;
    for (int i = 0; i < 400; ++i) {
        std::string name = std::to_string(1000 + i) + std::string(242, 'n') + ".jpg";  // 250 characters
        touch(dir / name);
    }
    auto list = scan(dir.path(), "*.JPG");
    EXPECT_EQ(list->count, kFileNamePoolBytes / 251);
    EXPECT_TRUE(list->full);
    expect_consistent(*list);
    for (const std::string& n : names(*list)) EXPECT_TRUE(fs::exists(dir / n)) << n;
}

TEST(FileScan, MissingDirectoryGivesEmptyLists) {
    TempDir dir;
    auto list = scan(dir / "absent", ".");
    EXPECT_EQ(list->count, 0);
    FolderList folders;
    scan_folders(folders, (dir / "absent").c_str(), nullptr);
    EXPECT_EQ(folders.count, 0);
    EXPECT_EQ(count_entries((dir / "absent").c_str()), 0);
}

TEST(FolderScan, SortedFoldersWithoutDotEntries) {
    TempDir dir;
    for (const char* n : {"beta", "Alpha", "gamma", ".a", ".git"}) fs::create_directory(dir / n);
    touch(dir / "file.jpg");
    FolderList folders;
    scan_folders(folders, dir.path().c_str(), nullptr);
    EXPECT_EQ(names(folders), (Names{".git", "Alpha", "beta", "gamma"}));
    EXPECT_EQ(count_entries(dir.path().c_str()), 8);  // five folders, a file, "." and ".."
}

TEST(FolderScan, StopsAtFolderCapacities) {
    TempDir dir;
    for (int i = 0; i < kMaxFolderEntries + 3; ++i) fs::create_directory(dir / ("d" + std::to_string(i)));
    auto folders = std::make_unique<FolderList>();
    scan_folders(*folders, dir.path().c_str(), nullptr);
    EXPECT_EQ(folders->count, kMaxFolderEntries);
    expect_consistent(*folders);

    TempDir long_names;
    for (int i = 0; i < 40; ++i) fs::create_directory(long_names / (std::to_string(100 + i) + std::string(97, 'x')));
    scan_folders(*folders, long_names.path().c_str(), nullptr);
    EXPECT_EQ(folders->count, kFolderNamePoolBytes / 101);
    EXPECT_TRUE(folders->full);
    expect_consistent(*folders);
}

TEST(FolderScan, DrivesFromTheDriveMask) {
    FolderList folders;
    scan_drives(folders, (1u << 0) | (1u << 2) | (1u << 25), [](const char*) { return int32_t{7}; });
    EXPECT_EQ(names(folders), (Names{"A:\\", "C:\\", "Z:\\"}));
    EXPECT_EQ(folders.entries[1].size, 0u);
    EXPECT_EQ(folders.entries[1].icon, 7);
}

TEST(FileLists, CommitCopiesTheScan) {
    TempDir dir;
    touch(dir / "one.jpg");
    auto scanned = std::make_unique<DirLists>();
    auto current = std::make_unique<DirLists>();
    scan_files(scanned->files, dir.path().c_str(), ".", false, kSortByName, nullptr);
    commit_lists(*scanned, *current);
    touch(dir / "two.jpg");
    scan_files(scanned->files, dir.path().c_str(), ".", false, kSortByName, nullptr);
    EXPECT_EQ(names(current->files), (Names{"one.jpg"}));
    EXPECT_EQ(names(scanned->files), (Names{"one.jpg", "two.jpg"}));
}

TEST(FileLists, RenameUpdatesTheListedEntry) {
    TempDir dir;
    touch(dir / "aa.jpg");
    touch(dir / "bb.jpg");
    auto list = scan(dir.path(), "*.*");
    const std::string d = dir.path().string();
    EXPECT_EQ(rename_listed_file(*list, d.c_str(), "bb.jpg", "b.jpg"), list->order[1]);
    EXPECT_EQ(rename_listed_file(*list, (d + "/").c_str(), "aa.jpg", "a-much-longer-name.jpg"), list->order[0]);
    EXPECT_EQ(names(*list), (Names{"a-much-longer-name.jpg", "b.jpg"}));
    expect_consistent(*list);
    EXPECT_EQ(rename_listed_file(*list, "/elsewhere", "b.jpg", "c.jpg"), -1);
    EXPECT_EQ(rename_listed_file(*list, d.c_str(), "missing.jpg", "c.jpg"), -1);
    EXPECT_EQ(rename_listed_file(*list, d.c_str(), "b.jpg", "sub/c.jpg"), -1);
    list->pool_used = kFileNamePoolBytes - 3;  // no room for a longer name
    EXPECT_EQ(rename_listed_file(*list, d.c_str(), "b.jpg", "bbbbbb.jpg"), -1);
    EXPECT_EQ(names(*list), (Names{"a-much-longer-name.jpg", "b.jpg"}));
}

TEST(FileLists, BrowserRescanDecision) {
    EXPECT_FALSE(browser_needs_file_scan("C:\\Pics", "c:\\pics\\", 12, 12));
    EXPECT_TRUE(browser_needs_file_scan("C:\\Pics", "C:\\Other", 12, 12));
    EXPECT_TRUE(browser_needs_file_scan("C:\\Pics", "C:\\Pics", 13, 12));
    EXPECT_EQ(join_path("C:\\", "a.jpg"), "C:\\a.jpg");
    EXPECT_EQ(join_path("/tmp", "a.jpg"), std::string("/tmp") + dir_separator() + "a.jpg");
}
