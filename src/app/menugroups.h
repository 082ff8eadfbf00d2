#pragma once
// The four monitor menus of Options: a "Display in real time" style check item that switches a
// timer, and a radio group of intervals. The settings file stores both.

#include <vector>

namespace vantrel::app {

enum class Monitor;

struct IntervalItem {
    const char *action; // menu item name
    int value;          // the number in its caption, as stored in the settings
};

struct MonitorMenu {
    Monitor monitor;
    const char *toggle; // check item
    int unitMs;         // milliseconds per unit of the stored value
    std::vector<IntervalItem> items;
};

// In the order the settings file reads them.
const std::vector<MonitorMenu> &MonitorMenus();
const MonitorMenu &MonitorMenuOf(Monitor monitor);

} // namespace vantrel::app
