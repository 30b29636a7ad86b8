// Modal dialogs that carry their caller's state: DialogBoxParam hands the state to
// WM_INITDIALOG, which keeps it with the dialog (DWLP_USER); every later message goes
// to one handler with it.
#pragma once

#include <windows.h>

#include <vector>

#include "common/win_text_win.h"
#include "info/info_text.h"

template <class State, INT_PTR (*handle)(State&, HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK stateful_dialog_proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) SetWindowLongPtr(dialog, DWLP_USER, lp);
    State* state = reinterpret_cast<State*>(GetWindowLongPtr(dialog, DWLP_USER));
    return state ? handle(*state, dialog, msg, wp, lp) : FALSE;
}

// Runs the dialog resource `name` over `owner` with `state`; the button that ended it.
template <class State, INT_PTR (*handle)(State&, HWND, UINT, WPARAM, LPARAM)>
INT_PTR run_stateful_dialog(HINSTANCE instance, const TCHAR* name, HWND owner, State& state) {
    return DialogBoxParam(instance, name, owner, stateful_dialog_proc<State, handle>, reinterpret_cast<LPARAM>(&state));
}

// Gives a control the focus with its text selected, as the dialog manager does.
inline void reselect_field(HWND dialog, int id) { SendMessage(dialog, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dialog, id), TRUE); }

// Puts each line's text into its control.
inline void show_lines(HWND dialog, const std::vector<InfoLine>& lines) {
    for (const InfoLine& line : lines) {
        TCHAR text[512];
        to_tchar(line.text.c_str(), text);
        SetDlgItemText(dialog, line.control, text);
    }
}
