#pragma once
// The four monitor menus of Options: a "Display in real time" style check item that switches a
// timer, and a radio group of intervals. The settings file stores both under these keys.

#include <vector>

struct IntervalItem {
    const char *action; // menu item name
    int value;          // the number in its caption, as stored in the settings
};

struct MonitorMenu {
    const char *toggle;      // check item
    const char *timer;       // the timer it switches
    const char *enabledKey;  // boolean key in [Options]
    const char *intervalKey; // interval key in [Options]
    int unitMs;              // milliseconds per unit of the stored value
    std::vector<IntervalItem> items;
};

// In the order the settings file reads them.
const std::vector<MonitorMenu> &MonitorMenus();
