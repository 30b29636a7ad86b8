// The start-up splash: a top-most 240 x 320 window centred on the screen that shows
// the "STARTUP" bitmap until the left mouse button is pressed or three seconds pass.
#include <windows.h>

#include "app/main_window_win.h"

namespace {

const TCHAR kSplashClass[] = TEXT("GLSTARTUPCLASS");
constexpr int kWidth = 240, kHeight = 320;
constexpr int kPollMs = 10, kPolls = 300;

// The splash's bitmap is attached to its window.
HBITMAP bitmap_of(HWND hwnd) { return reinterpret_cast<HBITMAP>(GetWindowLongPtr(hwnd, GWLP_USERDATA)); }

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (HBITMAP bitmap = bitmap_of(hwnd)) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, bitmap);
        BitBlt(dc, 0, 0, kWidth, kHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK splash_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        HINSTANCE instance = reinterpret_cast<const CREATESTRUCT*>(lp)->hInstance;
        SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(LoadBitmap(instance, TEXT("STARTUP"))));
        return 0;
    }
    case WM_PAINT: paint(hwnd); return 0;
    case WM_DESTROY:
        if (HBITMAP bitmap = bitmap_of(hwnd)) DeleteObject(bitmap);
        SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
        return 0;
    default: return DefWindowProc(hwnd, msg, wp, lp);
    }
}

void pump_messages() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

}  // namespace

bool register_splash_class(HINSTANCE instance) {
    WNDCLASS wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = splash_proc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = kSplashClass;
    return RegisterClass(&wc) != 0;
}

void show_splash(const App& app) {
    HINSTANCE instance = app.instance;
    const int x = (app.screen_width - kWidth) / 2, y = (app.screen_height - kHeight) / 2;
    HWND splash = CreateWindowEx(WS_EX_TOPMOST, kSplashClass, TEXT("Glimra"), WS_POPUP | WS_VISIBLE, x, y, kWidth,
                                 kHeight, nullptr, nullptr, instance, nullptr);
    if (!splash) return;
    UpdateWindow(splash);
    GetAsyncKeyState(VK_LBUTTON);  // forget a press from before the splash
    for (int i = 0; i < kPolls; ++i) {
        pump_messages();
        if (GetAsyncKeyState(VK_LBUTTON) & 1) break;
        Sleep(kPollMs);
    }
    DestroyWindow(splash);
}
