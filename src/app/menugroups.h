#pragma once
// The four monitor menus of Options: a "Display in real time" style check item that switches a
// timer, and a radio group of intervals, one item for each interval the monitor offers.

#include "core/settings.h"

#include <vector>

namespace vantrel::app {

struct MonitorMenu {
    core::Monitor monitor;
    const char *toggle;              // check item
    std::vector<const char *> items; // interval items, in the order of MonitorIntervals
};

// In the order the settings file reads them.
const std::vector<MonitorMenu> &MonitorMenus();
const MonitorMenu &MonitorMenuOf(core::Monitor monitor);

} // namespace vantrel::app
