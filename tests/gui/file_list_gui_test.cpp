// The file list under Wine: the folder-and-file browser of "Open..." lists a folder
// the test writes (sorted, with sizes and UTC dates), opens the chosen file and
// previews it; the start-up scan feeds "Next File" and "Previous File", which stop
// with a beep at the ends; sorting, renaming, deleting and copying act on the disk
// and on the list. Unreadable files make the open visible: their error box carries
// the file name as caption.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "dialogs/file_dialog_ids.h"
#include "gui_harness.h"
#include "resource_ids.h"

namespace {

constexpr DWORD kStartTimeout = 20000, kBoxTimeout = 8000;
// How long a command that must not open anything is watched for an error box.
constexpr DWORD kQuietWait = 1500;
constexpr WORD kOpen = 40004, kPreviousFile = 40053, kNextFile = 40054, kDeleteFile = 40061,
               kCopyFile = 40063, kSortBySize = 40080, kRenameFile = 40112;

// ---- Files ------------------------------------------------------------------------------

bool write_file(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void put16(std::string& s, unsigned v) { s += char(v & 255), s += char(v >> 8 & 255); }
void put32(std::string& s, unsigned v) { put16(s, v & 0xFFFF), put16(s, v >> 16); }

// A 24-bit Windows bitmap: the left half red, the right half blue.
std::string two_colour_bmp(int width, int height) {
    const int pitch = (width * 3 + 3) & ~3;
    std::string b = "BM";
    put32(b, 54 + pitch * height), put32(b, 0), put32(b, 54);
    put32(b, 40), put32(b, width), put32(b, height), put16(b, 1), put16(b, 24);
    put32(b, 0), put32(b, pitch * height), put32(b, 2835), put32(b, 2835), put32(b, 0), put32(b, 0);
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) row += x < width / 2 ? std::string("\x00\x00\xff", 3) : std::string("\xff\x00\x00", 3);
        row.resize(pitch, '\0');
        b += row;
    }
    return b;
}

// Bytes no reader accepts: opening such a file shows "Unknown file format".
std::string junk(size_t size) { return std::string(size, 'j'); }

// A folder of the test's own under the temporary directory, removed at the end with
// the files and the one level of folders it holds.
class Folder {
public:
    Folder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int serial = 0;
        path_ = std::string(temp) + "glimra-files-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++serial);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~Folder() { remove_tree(path_); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    bool write(const std::string& name, const std::string& bytes) const { return write_file(*this / name, bytes); }
    bool make_folder(const std::string& name) const { return CreateDirectoryA((*this / name).c_str(), nullptr) != 0; }
    // Sets the last write time (UTC).
    bool set_time(const std::string& name, WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) const {
        SYSTEMTIME t = {year, month, 0, day, hour, minute, second, 0};
        FILETIME ft;
        SystemTimeToFileTime(&t, &ft);
        HANDLE h = CreateFileA((*this / name).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        const bool ok = SetFileTime(h, nullptr, nullptr, &ft) != 0;
        CloseHandle(h);
        return ok;
    }

private:
    static void remove_tree(const std::string& dir) {
        WIN32_FIND_DATAA d;
        HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &d);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = d.cFileName;
                if (name == "." || name == "..") continue;
                if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(dir + "\\" + name);
                else DeleteFileA((dir + "\\" + name).c_str());
            } while (FindNextFileA(h, &d));
            FindClose(h);
        }
        RemoveDirectoryA(dir.c_str());
    }
    std::string path_;
};

// ---- The program's list view, read and driven from this process -----------------------------

// List-view messages carry pointers, so their records live in the program's memory.
class RemoteList {
public:
    RemoteList(DWORD pid, HWND list) : list_(list) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) memory_ = VirtualAllocEx(process_, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteList() {
        if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool ok() const { return memory_ != nullptr; }
    int count() const { return (int)SendMessageA(list_, LVM_GETITEMCOUNT, 0, 0); }

    std::string text(int row, int column) const {
        char* remote_text = static_cast<char*>(memory_) + 512;
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = remote_text;
        item.cchTextMax = 256;
        put(item);
        SendMessageA(list_, LVM_GETITEMTEXTA, row, (LPARAM)memory_);
        char out[256] = {};
        ReadProcessMemory(process_, remote_text, out, sizeof out - 1, nullptr);
        return out;
    }
    // Row of the item named `name`, or -1.
    int find(const std::string& name) const {
        for (int row = 0; row < count(); ++row)
            if (text(row, 0) == name) return row;
        return -1;
    }
    void select(int row) const {
        LVITEMA item = {};
        item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
        put(item);
        SendMessageA(list_, LVM_SETITEMSTATE, row, (LPARAM)memory_);
    }
    // A double-click on the row's label, as a user makes it on a selected row (the
    // button-down of a real click would start the list's drag detection).
    void double_click(int row) const {
        select(row);
        RECT r = {LVIR_LABEL, 0, 0, 0};
        WriteProcessMemory(process_, memory_, &r, sizeof r, nullptr);
        SendMessageA(list_, LVM_GETITEMRECT, row, (LPARAM)memory_);
        ReadProcessMemory(process_, memory_, &r, sizeof r, nullptr);
        const LPARAM at = MAKELPARAM(r.left + 8, (r.top + r.bottom) / 2);
        SendMessageA(list_, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(list_, WM_LBUTTONUP, 0, at);
    }

private:
    void put(const LVITEMA& item) const { WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr); }
    HWND list_;
    HANDLE process_ = nullptr;
    void* memory_ = nullptr;
};

// ---- The program -------------------------------------------------------------------------

// Each test starts from no settings but the current directory, and leaves none.
class FileListGui : public testing::Test {
protected:
    void SetUp() override { delete_settings_key(); }
    void TearDown() override {
        if (app_.running() && main_) {
            app_.post_command(main_, IDM_EXIT);
            DWORD code = 0;
            EXPECT_TRUE(app_.wait_for_exit(10000, &code)) << "still running 10 s after Exit";
        }
        app_.kill();
        delete_settings_key();
    }

    // Starts the program with `folder` as the current directory.
    void start_in(const Folder& folder) {
        write_setting_string("CurDir", folder.path());
        ASSERT_TRUE(app_.start());
        main_ = app_.wait_for_window("TAVLO2", kStartTimeout);
        ASSERT_NE(main_, nullptr) << "no main window";
    }

    // Sends a command and expects the error box of the file it opens: its caption is
    // the file name. The box is closed; returns its text.
    std::string command_opens(WORD id, const std::string& name) {
        app_.post_command(main_, id);
        return expect_box(name, IDOK);
    }

    std::string expect_box(const std::string& caption, int button) {
        HWND box = app_.wait_for_dialog(caption.c_str(), kBoxTimeout);
        if (!box) {
            ADD_FAILURE() << "no box captioned \"" << caption << "\"";
            return "";
        }
        const std::string text = message_text(box);
        PostMessageA(box, WM_COMMAND, button, 0);
        EXPECT_TRUE(wait_gone(box, 5000));
        return text;
    }

    // A command that opens nothing (a beep at the end of the list): no box appears
    // for any of `names`.
    void command_opens_nothing(WORD id, const std::vector<std::string>& names) {
        app_.post_command(main_, id);
        Sleep(kQuietWait);
        for (const std::string& name : names) EXPECT_EQ(app_.wait_for_dialog(name.c_str(), 1), nullptr) << name;
    }

    // Sends a command that opens the readable file `name`: no box appears.
    void command_opens_silently(WORD id, const std::string& name) { command_opens_nothing(id, {name}); }

    HWND open_browser() {
        app_.post_command(main_, kOpen);
        return app_.wait_for_dialog("Open", kBoxTimeout);
    }

    // Opens the browser, selects the file `name` and presses OK.
    void choose_in_browser(const std::string& name) {
        HWND browser = open_browser();
        ASSERT_NE(browser, nullptr) << "no \"Open\" browser";
        RemoteList list(app_.pid(), GetDlgItem(browser, IDC_BROWSE_LIST));
        ASSERT_TRUE(list.ok());
        const int row = list.find(name);
        ASSERT_GE(row, 0) << name << " is not listed";
        list.select(row);
        PostMessageA(browser, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(wait_gone(browser, 5000));
    }

    // The colours the screen shows in the browser's preview box (every other pixel).
    static std::set<COLORREF> preview_colours(HWND browser) {
        HWND box = GetDlgItem(browser, IDC_BROWSE_PREVIEW);
        RECT r;
        GetClientRect(box, &r);
        POINT corner = {0, 0};
        ClientToScreen(box, &corner);
        HDC screen = GetDC(nullptr);
        std::set<COLORREF> colours;
        for (int y = 0; y < r.bottom; y += 2)
            for (int x = 0; x < r.right; x += 2) colours.insert(GetPixel(screen, corner.x + x, corner.y + y));
        ReleaseDC(nullptr, screen);
        return colours;
    }

    void shoot(HWND window, const char* name) {
        const char* dir = std::getenv("GLIMRA_DIALOG_SHOTS");
        if (!dir) return;
        Sleep(500);  // let the window finish painting
        save_window_bitmap(window, std::string(dir) + "\\" + name);
    }

    GlimraProcess app_;
    HWND main_ = nullptr;
};

}  // namespace

TEST_F(FileListGui, OpenListsFoldersThenFilesSortedWithSizesAndDates) {
    Folder folder;
    ASSERT_TRUE(folder.write("c.bmp", two_colour_bmp(2, 2)));     // 70 bytes
    ASSERT_TRUE(folder.write("A.bmp", two_colour_bmp(32, 32)));   // 3126 bytes
    ASSERT_TRUE(folder.write("b.BMP", junk(1536)));
    ASSERT_TRUE(folder.write("notes.txt", "not an image"));
    ASSERT_TRUE(folder.write("scan.ca", junk(10)));  // CALS: only under its own filter
    ASSERT_TRUE(folder.make_folder("sub"));
    ASSERT_TRUE(folder.set_time("A.bmp", 2021, 3, 4, 5, 6, 7));
    ASSERT_TRUE(folder.set_time("b.BMP", 2019, 12, 31, 23, 59, 58));
    ASSERT_TRUE(folder.set_time("c.bmp", 2020, 1, 2, 3, 4, 5));
    start_in(folder);
    HWND browser = open_browser();
    ASSERT_NE(browser, nullptr) << "no \"Open\" browser";
    RemoteList list(app_.pid(), GetDlgItem(browser, IDC_BROWSE_LIST));
    ASSERT_TRUE(list.ok());
    shoot(browser, "open.bmp");

    ASSERT_EQ(list.count(), 4) << "the folder, then the three image files";
    EXPECT_EQ(list.text(0, 0), "sub");
    EXPECT_EQ(list.text(0, 1), "");
    EXPECT_EQ(list.text(1, 0), "A.bmp");
    EXPECT_EQ(list.text(1, 1), "3.0K");
    EXPECT_EQ(list.text(1, 2), "2021/03/04 05:06:07") << "the stored UTC time";
    EXPECT_EQ(list.text(2, 0), "b.BMP");
    EXPECT_EQ(list.text(2, 1), "1.5K");
    EXPECT_EQ(list.text(2, 2), "2019/12/31 23:59:58");
    EXPECT_EQ(list.text(3, 0), "c.bmp");
    EXPECT_EQ(list.text(3, 1), "70B");
    char filter[64] = {};
    GetDlgItemTextA(browser, IDC_BROWSE_FILTER, filter, sizeof filter);
    EXPECT_STREQ(filter, "All Image Files");

    // The sort button's menu cannot be driven from here; the "CALS" filter can.
    SendDlgItemMessageA(browser, IDC_BROWSE_FILTER, CB_SETCURSEL, 16, 0);
    SendMessageA(browser, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_FILTER, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(browser, IDC_BROWSE_FILTER));
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.text(1, 0), "scan.ca");
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_gone(browser, 5000));
}

TEST_F(FileListGui, FoldersAreEnteredAndLeftInTheBrowser) {
    Folder folder;
    ASSERT_TRUE(folder.make_folder("inner"));
    ASSERT_TRUE(folder.write("inner\\deep.bmp", two_colour_bmp(4, 4)));
    ASSERT_TRUE(folder.write("top.bmp", two_colour_bmp(4, 4)));
    start_in(folder);
    HWND browser = open_browser();
    ASSERT_NE(browser, nullptr);
    RemoteList list(app_.pid(), GetDlgItem(browser, IDC_BROWSE_LIST));
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list.find("inner"), 0);
    list.double_click(0);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.text(0, 0), "deep.bmp");

    SendMessageA(browser, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_UP, BN_CLICKED), (LPARAM)GetDlgItem(browser, IDC_BROWSE_UP));
    EXPECT_EQ(list.find("inner"), 0);
    EXPECT_EQ(list.find("top.bmp"), 1);

    // OK on a folder beeps and keeps the browser open.
    list.select(0);
    PostMessageA(browser, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(wait_gone(browser, 800)) << "OK on a folder closed the browser";
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_gone(browser, 5000));
}

TEST_F(FileListGui, ChoosingAFileOpensIt) {
    Folder folder;
    ASSERT_TRUE(folder.write("good.bmp", two_colour_bmp(8, 8)));
    ASSERT_TRUE(folder.write("zz_broken.bmp", junk(100)));
    start_in(folder);
    choose_in_browser("zz_broken.bmp");
    EXPECT_EQ(expect_box("zz_broken.bmp", IDOK), "Unknown file format") << "the chosen file was not opened";

    choose_in_browser("good.bmp");
    Sleep(kQuietWait);
    EXPECT_EQ(app_.wait_for_dialog("good.bmp", 1), nullptr) << "a good BMP failed to open";
    // The chosen file is the list's first: "Next File" goes on to the broken one.
    EXPECT_EQ(command_opens(kNextFile, "zz_broken.bmp"), "Unknown file format");
}

TEST_F(FileListGui, NextAndPreviousWalkTheStartUpListAndStopAtTheEnds) {
    Folder folder;
    for (const char* name : {"b.bmp", "a.bmp", "c.bmp"}) ASSERT_TRUE(folder.write(name, junk(64)));
    start_in(folder);
    // No current file: "Next File" opens the first file.
    command_opens(kNextFile, "a.bmp");
    command_opens(kNextFile, "b.bmp");
    command_opens(kNextFile, "c.bmp");
    command_opens_nothing(kNextFile, {"a.bmp", "b.bmp", "c.bmp"});
    command_opens(kPreviousFile, "b.bmp");
    command_opens(kPreviousFile, "a.bmp");
    command_opens_nothing(kPreviousFile, {"a.bmp", "b.bmp", "c.bmp"});
    command_opens(kNextFile, "b.bmp");
}

TEST_F(FileListGui, PreviousWithoutACurrentFileOpensTheLast) {
    Folder folder;
    for (const char* name : {"a.bmp", "b.bmp"}) ASSERT_TRUE(folder.write(name, junk(64)));
    start_in(folder);
    command_opens(kPreviousFile, "b.bmp");
}

TEST_F(FileListGui, SortBySizeReordersTheCurrentList) {
    Folder folder;
    ASSERT_TRUE(folder.write("a.bmp", junk(300)));
    ASSERT_TRUE(folder.write("b.bmp", junk(100)));
    ASSERT_TRUE(folder.write("c.bmp", junk(200)));
    start_in(folder);
    command_opens(kNextFile, "a.bmp");
    // The file index follows the current file to its new place (last by size).
    app_.post_command(main_, kSortBySize);
    command_opens_nothing(kNextFile, {"a.bmp", "b.bmp", "c.bmp"});
    command_opens(kPreviousFile, "c.bmp");
    command_opens(kPreviousFile, "b.bmp");
    app_.post_command(main_, IDM_EXIT);
    DWORD code = 0;
    ASSERT_TRUE(app_.wait_for_exit(10000, &code));
    DWORD order = 99;
    EXPECT_TRUE(read_setting_dword("SortOrder", &order));
    EXPECT_EQ(order, 1u);
}

TEST_F(FileListGui, RenameActsOnTheDiskAndTheList) {
    Folder folder;
    ASSERT_TRUE(folder.write("a.bmp", two_colour_bmp(8, 8)));
    ASSERT_TRUE(folder.write("b.bmp", junk(64)));
    start_in(folder);
    command_opens_silently(kNextFile, "a.bmp");
    app_.post_command(main_, kRenameFile);
    HWND dialog = app_.wait_for_dialog("Rename File", kBoxTimeout);
    ASSERT_NE(dialog, nullptr) << "no \"Rename File\" dialog";
    shoot(dialog, "rename.bmp");
    char text[MAX_PATH] = {};
    GetDlgItemTextA(dialog, IDC_RENAME_NEW, text, sizeof text);
    EXPECT_STREQ(text, "a.bmp");
    SetDlgItemTextA(dialog, IDC_RENAME_NEW, "renamed.bmp");
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_gone(dialog, 5000));
    Sleep(300);
    EXPECT_FALSE(exists(folder / "a.bmp"));
    EXPECT_TRUE(exists(folder / "renamed.bmp"));

    // The list holds the new name in the old place: back from b.bmp the renamed file
    // opens (an old name would fail with "File not found").
    command_opens(kNextFile, "b.bmp");
    command_opens_nothing(kPreviousFile, {"a.bmp", "renamed.bmp"});

    // A name that is taken: the move fails with a general I/O error.
    app_.post_command(main_, kRenameFile);
    dialog = app_.wait_for_dialog("Rename File", kBoxTimeout);
    ASSERT_NE(dialog, nullptr);
    SetDlgItemTextA(dialog, IDC_RENAME_NEW, "b.bmp");
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_gone(dialog, 5000));  // the box has the dialog's caption
    EXPECT_EQ(expect_box("Rename File", IDOK), "General I/O error");
    EXPECT_TRUE(exists(folder / "renamed.bmp"));
}

TEST_F(FileListGui, DeleteAsksThenRemovesTheFileWhileTheListKeepsItsEntry) {
    Folder folder;
    ASSERT_TRUE(folder.write("a.bmp", two_colour_bmp(8, 8)));
    ASSERT_TRUE(folder.write("b.bmp", junk(64)));
    start_in(folder);
    command_opens_silently(kNextFile, "a.bmp");
    app_.post_command(main_, kDeleteFile);
    EXPECT_EQ(expect_box("a.bmp", IDNO), "Are you sure you want to delete this file?");
    Sleep(300);
    EXPECT_TRUE(exists(folder / "a.bmp")) << "deleted although the answer was No";
    app_.post_command(main_, kDeleteFile);
    expect_box("a.bmp", IDYES);
    Sleep(300);
    EXPECT_FALSE(exists(folder / "a.bmp"));
    // The entry stays until the next scan: the list still walks over it.
    command_opens(kNextFile, "b.bmp");
    EXPECT_EQ(command_opens(kPreviousFile, "a.bmp"), "File not found");
}

TEST_F(FileListGui, DeleteWithoutConfirmationWhenSwitchedOff) {
    Folder folder;
    ASSERT_TRUE(folder.write("a.bmp", two_colour_bmp(8, 8)));
    write_setting_dword("Options2", 0x05);  // the defaults without "Confirm Before Delete"
    start_in(folder);
    command_opens_silently(kNextFile, "a.bmp");
    app_.post_command(main_, kDeleteFile);
    Sleep(kQuietWait);
    EXPECT_EQ(app_.wait_for_dialog("a.bmp", 1), nullptr) << "asked although confirmation is off";
    EXPECT_FALSE(exists(folder / "a.bmp"));
}

TEST_F(FileListGui, CopyFileCopiesIntoTheChosenFolder) {
    Folder folder;
    ASSERT_TRUE(folder.write("a.bmp", two_colour_bmp(8, 8)));
    ASSERT_TRUE(folder.make_folder("dest"));
    start_in(folder);
    command_opens_silently(kNextFile, "a.bmp");
    app_.post_command(main_, kCopyFile);
    HWND dialog = app_.wait_for_dialog("Copy File", kBoxTimeout);
    ASSERT_NE(dialog, nullptr) << "no \"Copy File\" folder browser";
    shoot(dialog, "copy.bmp");
    {
        RemoteList list(app_.pid(), GetDlgItem(dialog, IDC_BROWSE_LIST));
        ASSERT_TRUE(list.ok());
        EXPECT_EQ(list.count(), 1) << "folders only";
        ASSERT_EQ(list.find("dest"), 0);
        list.double_click(0);
        EXPECT_EQ(list.count(), 0);
    }
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(wait_gone(dialog, 5000));
    Sleep(500);
    EXPECT_TRUE(exists(folder / "dest\\a.bmp"));
    EXPECT_TRUE(exists(folder / "a.bmp"));
}

TEST_F(FileListGui, PreviewShowsThePictureWithItsDateSizeAndDimensions) {
    Folder folder;
    ASSERT_TRUE(folder.write("picture.bmp", two_colour_bmp(64, 48)));
    ASSERT_TRUE(folder.write("broken.bmp", junk(64)));
    start_in(folder);
    HWND browser = open_browser();
    ASSERT_NE(browser, nullptr);
    RemoteList list(app_.pid(), GetDlgItem(browser, IDC_BROWSE_LIST));
    ASSERT_TRUE(list.ok());
    Sleep(300);
    EXPECT_EQ(preview_colours(browser), std::set<COLORREF>{RGB(255, 255, 255)}) << "nothing chosen: a white box";
    list.select(list.find("picture.bmp"));
    Sleep(500);
    shoot(browser, "preview.bmp");
    char text[64] = {};
    GetDlgItemTextA(browser, IDC_BROWSE_DIMENSIONS, text, sizeof text);
    EXPECT_STREQ(text, "64 x 48");
    GetDlgItemTextA(browser, IDC_BROWSE_SIZE, text, sizeof text);
    EXPECT_STREQ(text, "9.0K");
    GetDlgItemTextA(browser, IDC_BROWSE_DATE, text, sizeof text);
    EXPECT_EQ(std::string(text).size(), 10u) << text;

    // The preview box, as the screen shows it, holds the red and the blue half.
    const std::set<COLORREF> colours = preview_colours(browser);
    EXPECT_TRUE(colours.count(RGB(255, 0, 0))) << "no red in the preview";
    EXPECT_TRUE(colours.count(RGB(0, 0, 255))) << "no blue in the preview";
    EXPECT_TRUE(colours.count(RGB(255, 255, 255))) << "no white margin around a 4:3 picture";

    // An unreadable file leaves the box white with the broken-image picture.
    list.select(list.find("broken.bmp"));
    Sleep(500);
    GetDlgItemTextA(browser, IDC_BROWSE_DIMENSIONS, text, sizeof text);
    EXPECT_STREQ(text, "");
    const std::set<COLORREF> broken = preview_colours(browser);
    EXPECT_TRUE(broken.count(RGB(255, 255, 255)));
    EXPECT_FALSE(broken.count(RGB(0, 0, 255))) << "the previous picture is still shown";
    EXPECT_GE(broken.size(), 2u) << "no broken-image picture";
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_gone(browser, 5000));
}

// Real pictures of the sample corpus, previewed from their own (read-only) folder:
// a camera JPEG decoded at a reduced size and a G3 fax page drawn in grey.
TEST_F(FileListGui, PreviewOfCorpusJpegAndFaxPages) {
    // The source folder: where this file was compiled.
    const std::string this_file = __FILE__;
    const std::string source = this_file.substr(0, this_file.rfind("/tests/gui/"));
    const std::string corpus = to_windows_path(source + "/../shared/corpus");
    const struct {
        const char* folder;
        const char* name;
        const char* size;
        size_t colours;  // at least: a colour photograph, or white and a few greys
    } pictures[] = {{"jpeg", "nikon_e950_exif.jpg", "800 x 600", 40}, {"tiff", "G31DS.tif", "2464 x 3248", 3}};
    for (const auto& p : pictures)
        if (!exists(corpus + "\\" + p.folder + "\\" + p.name)) GTEST_SKIP() << "sample corpus file not present: " << p.name;
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.name);
        write_setting_string("CurDir", corpus + "\\" + p.folder);
        GlimraProcess app;
        ASSERT_TRUE(app.start());
        HWND main = app.wait_for_window("TAVLO2", kStartTimeout);
        ASSERT_NE(main, nullptr);
        app.post_command(main, kOpen);
        HWND browser = app.wait_for_dialog("Open", kBoxTimeout);
        ASSERT_NE(browser, nullptr);
        RemoteList list(app.pid(), GetDlgItem(browser, IDC_BROWSE_LIST));
        ASSERT_TRUE(list.ok());
        const int row = list.find(p.name);
        ASSERT_GE(row, 0);
        list.select(row);
        Sleep(1500);
        char text[64] = {};
        GetDlgItemTextA(browser, IDC_BROWSE_DIMENSIONS, text, sizeof text);
        EXPECT_STREQ(text, p.size);
        shoot(browser, (std::string(p.folder) + "-preview.bmp").c_str());
        const std::set<COLORREF> colours = preview_colours(browser);
        EXPECT_GE(colours.size(), p.colours) << "the preview shows no picture";
        PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(wait_gone(browser, 5000));
        app.post_command(main, IDM_EXIT);
        DWORD code = 0;
        EXPECT_TRUE(app.wait_for_exit(10000, &code));
    }
}

TEST_F(FileListGui, ComputerLevelListsTheDrives) {
    ASSERT_TRUE(app_.start());  // no current directory yet: the computer level
    main_ = app_.wait_for_window("TAVLO2", kStartTimeout);
    ASSERT_NE(main_, nullptr);
    HWND browser = open_browser();
    ASSERT_NE(browser, nullptr);
    RemoteList list(app_.pid(), GetDlgItem(browser, IDC_BROWSE_LIST));
    ASSERT_TRUE(list.ok());
    const int drive = list.find("C:\\");
    ASSERT_GE(drive, 0) << "no drive C:";
    // OK with nothing to open beeps and keeps the browser.
    PostMessageA(browser, WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(wait_gone(browser, 800));
    list.double_click(drive);
    EXPECT_GE(list.find("windows"), 0) << "drive C: was not entered";
    SendMessageA(browser, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_UP, BN_CLICKED), (LPARAM)GetDlgItem(browser, IDC_BROWSE_UP));
    EXPECT_GE(list.find("C:\\"), 0) << "up from a drive root shows the drives";
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_gone(browser, 5000));
}

namespace {

// The pop-up menu a browser button dropped (class "#32768") of process `pid`.
HWND wait_for_menu(DWORD pid, DWORD timeout_ms) {
    for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
        for (HWND w = FindWindowA("#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && IsWindowVisible(w)) return w;
        }
        Sleep(50);
    }
    return nullptr;
}

}  // namespace

TEST_F(FileListGui, SortAndPathMenusOfTheBrowser) {
    Folder folder;
    ASSERT_TRUE(folder.make_folder("inner"));
    ASSERT_TRUE(folder.write("inner\\big.bmp", junk(300)));
    ASSERT_TRUE(folder.write("inner\\small.bmp", junk(100)));
    write_setting_string("CurDir", folder / "inner");
    ASSERT_TRUE(app_.start());
    main_ = app_.wait_for_window("TAVLO2", kStartTimeout);
    ASSERT_NE(main_, nullptr);
    HWND browser = open_browser();
    ASSERT_NE(browser, nullptr);
    RemoteList list(app_.pid(), GetDlgItem(browser, IDC_BROWSE_LIST));
    ASSERT_TRUE(list.ok());
    ASSERT_EQ(list.find("big.bmp"), 0);

    // Sort menu: "Name", "Size", "Date"; the second entry sorts by size.
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_SORT, BN_CLICKED), (LPARAM)GetDlgItem(browser, IDC_BROWSE_SORT));
    HWND menu = wait_for_menu(app_.pid(), 5000);
    ASSERT_NE(menu, nullptr) << "no sort menu";
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
    ASSERT_TRUE(wait_gone(menu, 5000) || !IsWindowVisible(menu));
    Sleep(300);
    EXPECT_EQ(list.find("small.bmp"), 0) << "not sorted by size";

    // Path menu: "* inner", then the folder above it.
    PostMessageA(browser, WM_COMMAND, MAKEWPARAM(IDC_BROWSE_PATH, BN_CLICKED), (LPARAM)GetDlgItem(browser, IDC_BROWSE_PATH));
    menu = wait_for_menu(app_.pid(), 5000);
    ASSERT_NE(menu, nullptr) << "no path menu";
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
    ASSERT_TRUE(wait_gone(menu, 5000) || !IsWindowVisible(menu));
    Sleep(300);
    EXPECT_EQ(list.count(), 1);
    EXPECT_EQ(list.find("inner"), 0) << "not one level up";
    PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(wait_gone(browser, 5000));
    app_.post_command(main_, IDM_EXIT);
    DWORD code = 0;
    ASSERT_TRUE(app_.wait_for_exit(10000, &code));
    DWORD order = 99;
    EXPECT_TRUE(read_setting_dword("SortOrder", &order));
    EXPECT_EQ(order, 1u) << "the browser's sort order is the setting";
}
