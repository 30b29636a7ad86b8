// The zoom window: an overview of the whole page with a frame around the part the
// main view shows; dragging in it moves the main view.
#pragma once

#include <windows.h>

struct MainWindow;

bool register_zoom_window_class(HINSTANCE instance);
// "Zoom Window": opens the window at (0, 0), or closes it when it is open.
void toggle_zoom_window(MainWindow& w);
// After the main view rendered: rebuild the overview when `recompute`, then repaint.
void zoom_window_refresh(MainWindow& w, bool recompute);
