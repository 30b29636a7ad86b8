// The tag commands: each changes the current file's tag byte (app/startup_rules.h has
// the rules), and the checks "Start batch process" makes before the batch runs.
#include "batch/tag_commands_win.h"

#include <windows.h>

#include "app/main_window_win.h"
#include "app/startup_rules.h"
#include "resource_ids.h"

namespace {

constexpr uint8_t kDeleteTag = 0x08;

bool file_tag_valid(const Document& doc) { return doc.file_index >= 0 && doc.file_index < (int)sizeof doc.tags; }

}  // namespace

void cmd_tag(MainWindow& w, int id) {
    Document& doc = w.doc;
    if (!file_tag_valid(doc)) return;
    uint8_t& tag = doc.tags[doc.file_index];
    if (id == CMD_TAG_ALL_IMAGES_AS_THIS_ONE) {
        const uint8_t value = tag;
        for (uint8_t& t : doc.tags) t = value;
    } else {
        const int next = new_tag_byte(id, tag);
        if (next >= 0) tag = (uint8_t)next;
    }
    InvalidateRect(w.hwnd, nullptr, FALSE);
}

void cmd_untag_all(MainWindow& w, int) {
    for (uint8_t& t : w.doc.tags) t = 0;
    InvalidateRect(w.hwnd, nullptr, FALSE);
}

void cmd_batch(MainWindow& w, int) {
    int all = 0;
    for (int i = 0; i < w.doc.file_count && i < (int)sizeof w.doc.tags; ++i) all |= w.doc.tags[i];
    if (all == 0) {
        message_box(w.hwnd, IDS_NOTHING_TAGGED, IDS_BATCH_PROCESS, MB_OK | MB_ICONERROR);
        return;
    }
    if ((all & kDeleteTag) &&
        message_box(w.hwnd, IDS_ASK_DELETE_TAGGED, IDS_BATCH_PROCESS, MB_YESNO | MB_ICONSTOP) != IDYES)
        return;
    MessageBeep(0);  // batch preparation and its progress dialog land with batch processing
}
