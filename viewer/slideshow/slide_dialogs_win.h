// The slide editing dialogs over the App's slide table: "SLIDEEDIT" ("Add / Edit
// Slide") and "MANAGESLIDES" ("Manage Slides"). They edit the records in place.
#pragma once

#include <windows.h>

struct MainWindow;

// "Add / Edit Slide" on record `index` (a slide, or the new slide being built just
// past the last one). OK stores the dialog's values in the record and returns IDOK;
// Cancel stores nothing. Marking the table modified is the caller's.
INT_PTR edit_slide(MainWindow& w, HWND owner, int index);

// "Manage Slides": reorders, edits and deletes slides; every change is kept when the
// dialog closes, by OK or by Cancel.
void manage_slides(MainWindow& w);
