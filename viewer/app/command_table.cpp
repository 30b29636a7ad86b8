// The portable columns of the command table (command_table.h) and the menu rules.
#include "app/command_table.h"

namespace {

// The job column names a function of the Win32 side; here only whether it is one.
constexpr bool names_a_job(const char* job) {
    const char* none = "no_job";
    for (; *job && *job == *none; ++job, ++none) {
    }
    return *job != *none;
}

#define GLIMRA_RULE_ROW(id, need, menu, handler, job) {id, id, need, menu, names_a_job(#job)},
#define GLIMRA_RULE_RANGE(first, last, need, menu, handler, job) {first, last, need, menu, names_a_job(#job)},
constexpr CommandRule kRules[] = {GLIMRA_COMMAND_TABLE(GLIMRA_RULE_ROW, GLIMRA_RULE_RANGE)};
#undef GLIMRA_RULE_ROW
#undef GLIMRA_RULE_RANGE
constexpr int kRuleCount = sizeof kRules / sizeof kRules[0];

}  // namespace

const CommandRule* command_rule(int command) {
    for (const CommandRule& rule : kRules)
        if (command >= rule.first && command <= rule.last) return &rule;
    return nullptr;
}

const CommandRule* command_rules(int* count) {
    *count = kRuleCount;
    return kRules;
}

bool menu_enabled(MenuRule rule, const MenuInputs& in) {
    const bool image = in.image_loaded;
    switch (rule) {
    case MENU_IMAGE: return image;
    case MENU_PAGES: return image && in.page_count >= 2;
    case MENU_SINGLE_JFIF: return image && in.page_count < 2 && in.is_jfif;
    case MENU_SELECTION: return image && in.has_selection;
    case MENU_DEEP_SELECTION: return image && in.has_selection && in.bits_per_pixel > 15;
    case MENU_CLIPBOARD: return in.clipboard_has_bitmap;
    case MENU_FIXED: break;
    }
    return true;
}

std::vector<MenuItemState> menu_item_states(const MenuInputs& in) {
    std::vector<MenuItemState> states;
    for (const CommandRule& rule : kRules)
        if (rule.menu != MENU_FIXED)
            for (int id = rule.first; id <= rule.last; ++id) states.push_back({id, menu_enabled(rule.menu, in)});
    return states;
}
