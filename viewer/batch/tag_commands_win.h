// Handlers of the tag commands and "Start batch process" (rows of the command table).
#pragma once

struct MainWindow;

// The per-file tag commands and "Tag all images as this one".
void cmd_tag(MainWindow& w, int command);
// "Remove tags from all images".
void cmd_untag_all(MainWindow& w, int command);
// "Start batch process": refuses an untagged list, asks before deleting.
void cmd_batch(MainWindow& w, int command);
