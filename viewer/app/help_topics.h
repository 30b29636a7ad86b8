// Help topics of the help file "glimra.chm": topic numbers that dialogs pass, mapped to
// the page and anchor they open. Topic 0 opens the index instead of a page.
#pragma once

inline constexpr int kHelpIndexTopic = 0;

// Page of a topic ("prefs.htm#jpegprefs"), or nullptr for 0 and numbers without a page.
const char* help_topic_page(int topic);
