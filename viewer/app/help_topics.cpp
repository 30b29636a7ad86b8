// The help topic table: topic number to page and anchor inside the help file.
#include "app/help_topics.h"

namespace {

struct Topic {
    int number;
    const char* page;
};

constexpr Topic kTopics[] = {
    {1, "prefs.htm#iconprefs"},  {2, "prefs.htm#captureprefs"}, {3, "prefs.htm"},
    {4, "prefs.htm#jpegprefs"},  {5, "prefs.htm#slideprefs"},   {6, "prefs.htm#buttonedit"},
    {7, "prefs.htm#videoprefs"}, {8, "prefs.htm#guiprefs"},     {9, "prefs.htm#gammaprefs"},
    {10, "prefs.htm#batchprefs"}, {11, "email.htm"},            {12, "associations.htm"},
    {13, "crop.htm"},            {14, "multipage.htm"},         {15, "view.htm"},
    {16, "Thumbnails.htm"},      {17, "print.htm"},             {20, "save.htm#Save"},
    {21, "addslide.htm"},        {22, "manageslides.htm"},      {23, "save.htm#Colors"},
    {24, "save.htm"},
};

}  // namespace

const char* help_topic_page(int topic) {
    for (const Topic& t : kTopics)
        if (t.number == topic) return t.page;
    return nullptr;
}
