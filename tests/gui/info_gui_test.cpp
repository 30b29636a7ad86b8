// "Image Info...", "Resize...", "Crop..." and "Modify Colors..." under Wine: the
// information dialog read back from its controls for a camera JPEG, a fax TIFF and a
// GIF of the sample corpus, and one program start that resizes, crops and reduces the
// colours of a picture through the three dialogs, checking the new page sizes in the
// information dialog and the colours on screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "dialogs/info_dialog_ids.h"
#include "gui_harness.h"

#include <commctrl.h>

namespace {

constexpr DWORD kStart = 20000, kBox = 10000;
constexpr WORD kImageInfo = 40009, kResize = 40013, kCrop = 40014, kModifyColors = 40038, kExit = 40003;

std::string corpus_path(const char* relative) {
    const std::string this_file = __FILE__;
    const std::string source = this_file.substr(0, this_file.rfind("/tests/gui/"));
    std::string path = to_windows_path(source + "/../shared/corpus/" + relative);
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string control_text(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The file's times as the dialog writes them, from the system's own conversion.
std::string file_time_text(const std::string& path, bool created) {
    HANDLE f = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    FILETIME c{}, a{}, w{};
    GetFileTime(f, &c, &a, &w);
    CloseHandle(f);
    SYSTEMTIME t{};
    FileTimeToSystemTime(created ? &c : &w, &t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

// Colours of a window's client rectangle `r` as shown on screen.
std::set<COLORREF> colours_in(HWND window, RECT r) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    std::set<COLORREF> out;
    HDC screen = GetDC(nullptr);
    for (int y = r.top; y < r.bottom; y += 2)
        for (int x = r.left; x < r.right; x += 2) out.insert(GetPixel(screen, x, y));
    ReleaseDC(nullptr, screen);
    return out;
}

// The viewer on one file (Glimra mode), shown at 100 % on the grey background.
class Viewer {
public:
    explicit Viewer(const std::string& file) {
        delete_settings_key();
        write_setting_dword("DefView", 40024);
        write_setting_dword("BkColor", 1);
        if (app_.start(file)) main_ = app_.wait_for_window("TAVLO2", kStart);
        settle();
    }
    ~Viewer() {
        if (main_) {
            app_.post_command(main_, kExit);
            DWORD code = 0;
            app_.wait_for_exit(10000, &code);
        }
        app_.kill();
        delete_settings_key();
    }
    HWND main() const { return main_; }
    void settle() {
        DWORD_PTR result = 0;
        if (main_) SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        Sleep(300);
    }
    // Posts `command` and waits for the dialog titled `title` to show.
    HWND open(WORD command, const char* title) {
        app_.post_command(main_, command);
        HWND dialog = app_.wait_for_dialog(title, kBox);
        DWORD_PTR result = 0;
        if (dialog) SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        Sleep(300);
        return dialog;
    }
    // Presses OK and waits for the message box titled `caption`; its text, and the box closed.
    std::string refusal(HWND dialog, const char* caption) {
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        HWND box = app_.wait_for_dialog(caption, kBox);
        if (!box) return "";
        const std::string text = message_text(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        wait_gone(box, 5000);
        return text;
    }
    // The information dialog's text of `control`, read and closed again.
    std::map<int, std::string> info(std::initializer_list<int> controls) {
        std::map<int, std::string> out;
        HWND dialog = open(kImageInfo, "Image Information");
        if (!dialog) return out;
        for (int id : controls) out[id] = control_text(dialog, id);
        close(dialog, IDCANCEL);
        return out;
    }
    void close(HWND dialog, int button) {
        PostMessageA(dialog, WM_COMMAND, button, 0);
        wait_gone(dialog, 5000);
        settle();
    }
    GlimraProcess& app() { return app_; }

private:
    GlimraProcess app_;
    HWND main_ = nullptr;
};

void set_fields(HWND dialog, std::initializer_list<std::pair<int, const char*>> fields) {
    for (const auto& f : fields) SetDlgItemTextA(dialog, f.first, f.second);
}

}  // namespace

// The files are opened from the command line, which the viewer takes in capitals.
TEST(InfoGui, InformationOfACameraJpegAFaxTiffAndAGif) {
    struct Expected {
        const char* file;
        std::map<int, std::string> lines;
        bool histogram;  // a true-colour page: white bars on black; else a black box
    } cases[] = {
        {"jpeg/canon_s40_exif.jpg",
         {{IDC_INFO_NAME, "CANON_S40_EXIF.JPG"}, {IDC_INFO_SIZE, "480 x 360"}, {IDC_INFO_BITS, "24"},
          {IDC_INFO_FILE_TYPE, "JFIF"}, {IDC_INFO_COMPRESSION, "JPEG"}, {IDC_INFO_PAGE, "1 of 1"},
          {IDC_INFO_FILE_SIZE, "32764"}, {IDC_INFO_MAKE, "Canon"},
          {IDC_INFO_MODEL, "Canon PowerShot S40"}, {IDC_INFO_SHUTTER, "1/500 Sec"}, {IDC_INFO_F_NUMBER, "F 4.9"},
          {IDC_INFO_ISO, "100"}, {IDC_INFO_BIAS, "+0.0"}, {IDC_INFO_TRUE_SIZE, "2272 x 1704"}},
         true},
        // Rows twice as far apart as columns: shown with every row doubled (fax correction).
        {"tiff/mh_1pagefax.tif",
         {{IDC_INFO_NAME, "MH_1PAGEFAX.TIF"}, {IDC_INFO_SIZE, "1728 x 2292"}, {IDC_INFO_BITS, "1"},
          {IDC_INFO_FILE_TYPE, "TIFF"}, {IDC_INFO_COMPRESSION, "Huffman"}, {IDC_INFO_RESOLUTION, "204 x 196"},
          {IDC_INFO_PAGE, "1 of 1"}, {IDC_INFO_FILE_SIZE, "3738"}, {IDC_INFO_SHUTTER, "N/A"},
          {IDC_INFO_F_NUMBER, "N/A"}, {IDC_INFO_ISO, "N/A"}, {IDC_INFO_BIAS, "N/A"}, {IDC_INFO_TRUE_SIZE, "N/A"}},
         false},
        {"gif/single.gif",
         {{IDC_INFO_NAME, "SINGLE.GIF"}, {IDC_INFO_SIZE, "128 x 128"}, {IDC_INFO_BITS, "8"},
          {IDC_INFO_FILE_TYPE, "GIF"}, {IDC_INFO_COMPRESSION, "LZW"}, {IDC_INFO_PAGE, "1 of 1"},
          {IDC_INFO_FILE_SIZE, "15305"}, {IDC_INFO_ISO, "N/A"}},
         false},
    };
    for (const Expected& c : cases)
        if (!exists(corpus_path(c.file))) GTEST_SKIP() << "sample corpus file not present: " << c.file;
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = corpus_path(c.file);
        Viewer v(path);
        ASSERT_NE(v.main(), nullptr);
        HWND dialog = v.open(kImageInfo, "Image Information");
        ASSERT_NE(dialog, nullptr);
        for (const auto& line : c.lines) EXPECT_EQ(control_text(dialog, line.first), line.second) << "control " << line.first;
        EXPECT_EQ(control_text(dialog, IDC_INFO_CREATED), file_time_text(path, true));
        EXPECT_EQ(control_text(dialog, IDC_INFO_MODIFIED), file_time_text(path, false));
        RECT box;
        GetClientRect(GetDlgItem(dialog, IDC_INFO_HISTOGRAM), &box);
        const std::set<COLORREF> colours = colours_in(GetDlgItem(dialog, IDC_INFO_HISTOGRAM), box);
        if (c.histogram) {
            EXPECT_EQ(colours, (std::set<COLORREF>{RGB(0, 0, 0), RGB(255, 255, 255)}));
        } else {
            EXPECT_EQ(colours, std::set<COLORREF>{RGB(0, 0, 0)});
        }
        v.close(dialog, IDCANCEL);
    }
}

TEST(InfoGui, ResizeCropAndColoursThroughTheirDialogs) {
    // A 120 x 80 true-colour picture: red, green / blue, yellow quadrants.
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string file = std::string(dir) + "glimra_info_quadrants.bmp";
    {
        const int w = 120, h = 80, stride = w * 3;
        BITMAPFILEHEADER fh{0x4D42, (DWORD)(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * h), 0, 0,
                            sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
        BITMAPINFOHEADER ih{sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB};
        std::string rows;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const COLORREF c = y < 40 ? (x < 60 ? RGB(255, 0, 0) : RGB(0, 255, 0))
                                          : (x < 60 ? RGB(0, 0, 255) : RGB(255, 255, 0));
                rows += std::string{char(GetBValue(c)), char(GetGValue(c)), char(GetRValue(c))};
            }
        FILE* f = std::fopen(file.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&ih, sizeof ih, 1, f);
        std::fwrite(rows.data(), 1, rows.size(), f);
        std::fclose(f);
    }
    Viewer v(file);
    ASSERT_NE(v.main(), nullptr);
    EXPECT_EQ(v.info({IDC_INFO_SIZE})[IDC_INFO_SIZE], "120 x 80");

    // Resize: the page size to start from; 40000 is refused with the dialog kept; 60 x 40 taken.
    HWND resize = v.open(kResize, "Resize Image");
    ASSERT_NE(resize, nullptr);
    EXPECT_EQ(control_text(resize, IDC_RESIZE_WIDTH), "120");
    EXPECT_EQ(control_text(resize, IDC_RESIZE_HEIGHT), "80");
    // With the aspect kept (the default), moving the width's arrows sets the height.
    HWND width_spin = GetDlgItem(resize, IDC_RESIZE_WIDTH_SPIN);
    SendMessageA(width_spin, UDM_SETPOS32, 0, 240);
    SendMessageA(resize, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 240), (LPARAM)width_spin);
    EXPECT_EQ(control_text(resize, IDC_RESIZE_WIDTH), "240");
    EXPECT_EQ(control_text(resize, IDC_RESIZE_HEIGHT), "160");
    set_fields(resize, {{IDC_RESIZE_WIDTH, "40000"}});
    EXPECT_EQ(v.refusal(resize, "Resize..."), "The new size is beyond the maximum size of 32767x32767");
    ASSERT_TRUE(IsWindow(resize)) << "the dialog closed on a refused size";
    set_fields(resize, {{IDC_RESIZE_WIDTH, "60"}, {IDC_RESIZE_HEIGHT, "40"}});
    v.close(resize, IDOK);
    EXPECT_EQ(v.info({IDC_INFO_SIZE})[IDC_INFO_SIZE], "60 x 40");

    // Crop: the whole page offered; a right edge at the page width refused; a 30 x 20 piece kept.
    HWND crop = v.open(kCrop, "Crop Image");
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(control_text(crop, IDC_CROP_PAGE_SIZE), "60 x 40");
    EXPECT_EQ(control_text(crop, IDC_CROP_LEFT), "0");
    EXPECT_EQ(control_text(crop, IDC_CROP_RIGHT), "59");
    EXPECT_EQ(control_text(crop, IDC_CROP_TOP), "0");
    EXPECT_EQ(control_text(crop, IDC_CROP_BOTTOM), "39");
    EXPECT_EQ(control_text(crop, IDC_CROP_RATIO), "1 : 0.667");
    set_fields(crop, {{IDC_CROP_RIGHT, "60"}});
    EXPECT_EQ(v.refusal(crop, "Crop..."), "The crop parameters are outside the bounds of the original image.");
    ASSERT_TRUE(IsWindow(crop));
    set_fields(crop, {{IDC_CROP_LEFT, "15"}, {IDC_CROP_RIGHT, "44"}, {IDC_CROP_TOP, "10"}, {IDC_CROP_BOTTOM, "29"}});
    EXPECT_EQ(control_text(crop, IDC_CROP_WIDTH), "30");
    EXPECT_EQ(control_text(crop, IDC_CROP_HEIGHT), "20");
    v.close(crop, IDOK);
    EXPECT_EQ(v.info({IDC_INFO_SIZE})[IDC_INFO_SIZE], "30 x 20");

    // The piece holds all four colours; reduced to 1 bit with error diffusion only
    // black and white remain on the grey background.
    RECT client;
    GetClientRect(v.main(), &client);
    client.bottom -= 24;  // the toolbar strip
    const std::set<COLORREF> before = colours_in(v.main(), client);
    for (COLORREF c : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)})
        EXPECT_EQ(before.count(c), 1u) << std::hex << c;
    HWND colours = v.open(kModifyColors, "Modify Colors");
    ASSERT_NE(colours, nullptr);
    EXPECT_EQ(control_text(colours, IDC_COLOR_CURRENT), "24");
    EXPECT_EQ(SendDlgItemMessageA(colours, IDC_COLOR_DEPTHS, CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(IsDlgButtonChecked(colours, IDC_COLOR_DIFFUSION), BST_CHECKED);
    SendDlgItemMessageA(colours, IDC_COLOR_DEPTHS, CB_SETCURSEL, 0, 0);
    v.close(colours, IDOK);
    const std::set<COLORREF> after = colours_in(v.main(), client);
    EXPECT_EQ(after, (std::set<COLORREF>{RGB(0, 0, 0), RGB(255, 255, 255), RGB(128, 128, 128)}));
    EXPECT_EQ(v.info({IDC_INFO_BITS})[IDC_INFO_BITS], "1");
    DeleteFileA(file.c_str());
}

// "Image Info..." on an AVI file opens the movie's dialog with what ffprobe reports of
// the same file: Motion-JPEG at 30 frames a second with AC-3 sound, which the player
// does not decode.
TEST(InfoGui, VideoInformationOfAnAviFile) {
    const std::string path = corpus_path("movie/mjpeg_ac3.avi");
    if (!exists(path)) GTEST_SKIP() << "sample corpus file not present: mjpeg_ac3.avi";
    Viewer v(path);
    ASSERT_NE(v.main(), nullptr);
    HWND dialog = v.open(kImageInfo, "Video Information");
    ASSERT_NE(dialog, nullptr);
    const std::map<int, std::string> expected = {
        {IDC_VIDEO_NAME, "MJPEG_AC3.AVI"},  {IDC_VIDEO_SIZE, "468 x 312"},   {IDC_VIDEO_FRAME_RATE, "30 fps"},
        {IDC_VIDEO_AUDIO_RATE, "44100 Hz"}, {IDC_VIDEO_FILE_SIZE, "725126"}, {IDC_VIDEO_FILE_TYPE, "AVI"},
        {IDC_VIDEO_CODEC, "Motion-JPEG"},   {IDC_VIDEO_AUDIO_CODEC, "Unsupported"},
    };
    for (const auto& line : expected) EXPECT_EQ(control_text(dialog, line.first), line.second) << "control " << line.first;
    EXPECT_EQ(control_text(dialog, IDC_VIDEO_MODIFIED), file_time_text(path, false));
    v.close(dialog, IDOK);
}
