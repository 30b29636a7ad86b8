// Handlers of the slideshow commands (rows of the command table): the slideshow file
// ("Open Slideshow", "Save Slideshow", a ".GLS" on the command line), slide editing
// ("Add Image to Slideshow", "Add All Images to Slideshow", "Edit Custom
// Slideshow"), and the refusals of the two shows until the player lands.
#pragma once

#include <windows.h>

struct App;
struct MainWindow;

// "Slide Show": refuses an empty file list.
void cmd_slide_show(MainWindow& w, int command);
// "Start Custom Slideshow": refuses an empty slide table.
void cmd_needs_slides(MainWindow& w, int command);

void cmd_open_slideshow(MainWindow& w, int command);
void cmd_save_slideshow(MainWindow& w, int command);
void cmd_add_image_to_slideshow(MainWindow& w, int command);
void cmd_add_all_images_to_slideshow(MainWindow& w, int command);
void cmd_edit_custom_slideshow(MainWindow& w, int command);

// Start-up with a slideshow file: loads it into the App's table before any window.
void load_command_line_slideshow(App& app, const TCHAR* path);
// Once the windows exist: the custom show when the file gave slides; otherwise a
// timed show of the images in the program's own directory (transition "Fade", 5 s,
// sounds on, no file names) for this run.
void start_command_line_show(MainWindow& w);
