#include "app/menugroups.h"

namespace vantrel::app {

const std::vector<MonitorMenu> &MonitorMenus() {
    static const std::vector<MonitorMenu> menus = {
        {core::Monitor::Connection,
         "Recordlog",
         {"N1secondinterval1", "N3secondinterval1", "N5secondinterval1", "N10secondinterval1",
          "N15secondinterval1", "N20secondinterval1", "N30secondinterval1"}},
        {core::Monitor::RouterStatus,
         "Realtimeupdating",
         {"N1secondupdate1", "N5secondupdate1", "N10secondupdate1", "N30secondupdate1",
          "N60secondupdate1"}},
        {core::Monitor::Quota,
         "MonitorQuota",
         {"N1minuteupdate1", "N5minuteupdate1", "N10minuteupdate1", "N15minuteupdate1",
          "N30minuteupdate1", "N60minuteupdate1"}},
        {core::Monitor::Interfaces,
         "DisplayInRealTime",
         {"N5SecondUpdate", "N10SecondUpdate", "N15SecondUpdate", "N20SecondUpdate",
          "N30SecondUpdate", "N60SecondUpdate"}},
    };
    return menus;
}

const MonitorMenu &MonitorMenuOf(core::Monitor monitor) {
    for (const MonitorMenu &menu : MonitorMenus())
        if (menu.monitor == monitor)
            return menu;
    return MonitorMenus().front();
}

} // namespace vantrel::app
