// State attached to its window: CreateWindowEx is handed the state, WM_NCCREATE
// attaches it (GWLP_USERDATA) and WM_NCDESTROY detaches it (and deletes it when the
// window owns it), and every message between goes to one handler with the state.
// Messages before the state is attached and after it is detached go to DefWindowProc.
#pragma once

#include <windows.h>

template <class State>
State* attached_state(HWND hwnd) {
    return reinterpret_cast<State*>(GetWindowLongPtr(hwnd, GWLP_USERDATA));
}

// What CreateWindowEx hands to WM_NCCREATE; once attached, the window owns the state.
template <class State>
struct WindowCreation {
    State* state;
    bool attached;
};

// The window procedure of a class whose windows carry a State; `handle` receives
// every message from WM_NCCREATE on (State needs a member `HWND hwnd`). With
// `owned`, the window deletes its state on WM_NCDESTROY; otherwise the creator keeps
// it (the main window's state outlives the window: start-up code and modal loops
// still running when the window goes keep using it).
template <class State, LRESULT (*handle)(State&, HWND, UINT, WPARAM, LPARAM), bool owned = true>
LRESULT CALLBACK attached_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* creation = static_cast<WindowCreation<State>*>(reinterpret_cast<const CREATESTRUCT*>(lp)->lpCreateParams);
        creation->state->hwnd = hwnd;
        creation->attached = true;
        SetWindowLongPtr(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->state));
    }
    State* state = attached_state<State>(hwnd);
    if (!state) return DefWindowProc(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtr(hwnd, GWLP_USERDATA, 0);
        if (owned) delete state;
        return DefWindowProc(hwnd, msg, wp, lp);
    }
    return handle(*state, hwnd, msg, wp, lp);
}

// Creates a window carrying `state`; with `owned` the state is taken over (deleted
// here when the window never got it). Returns the window or null.
template <class State, bool owned = true>
HWND create_attached_window(State* state, DWORD ex_style, const TCHAR* class_name, const TCHAR* title, DWORD style,
                            int x, int y, int width, int height, HWND owner, HINSTANCE instance) {
    WindowCreation<State> creation = {state, false};
    HWND hwnd = CreateWindowEx(ex_style, class_name, title, style, x, y, width, height, owner, nullptr, instance,
                               &creation);
    if (owned && !creation.attached) delete state;
    return hwnd;
}
