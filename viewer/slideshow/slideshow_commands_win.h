// Handlers of the slideshow commands that exist before the player (rows of the
// command table): their refusals of an empty list or an empty slide table.
#pragma once

struct MainWindow;

// "Slide Show": refuses an empty file list.
void cmd_slide_show(MainWindow& w, int command);
// "Start Custom Slideshow", "Save Slideshow", "Edit Custom Slideshow": refuse an
// empty slide table.
void cmd_needs_slides(MainWindow& w, int command);
