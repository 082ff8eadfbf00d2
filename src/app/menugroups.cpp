#include "app/menugroups.h"

#include "app/mainform.h"

namespace vantrel::app {

const std::vector<MonitorMenu> &MonitorMenus() {
    static const std::vector<MonitorMenu> menus = {
        {Monitor::Connection,
         "Recordlog",
         1000,
         {{"N1secondinterval1", 1},
          {"N3secondinterval1", 3},
          {"N5secondinterval1", 5},
          {"N10secondinterval1", 10},
          {"N15secondinterval1", 15},
          {"N20secondinterval1", 20},
          {"N30secondinterval1", 30}}},
        {Monitor::RouterStatus,
         "Realtimeupdating",
         1000,
         {{"N1secondupdate1", 1},
          {"N5secondupdate1", 5},
          {"N10secondupdate1", 10},
          {"N30secondupdate1", 30},
          {"N60secondupdate1", 60}}},
        {Monitor::Quota,
         "MonitorQuota",
         60000,
         {{"N1minuteupdate1", 1},
          {"N5minuteupdate1", 5},
          {"N10minuteupdate1", 10},
          {"N15minuteupdate1", 15},
          {"N30minuteupdate1", 30},
          {"N60minuteupdate1", 60}}},
        {Monitor::Interfaces,
         "DisplayInRealTime",
         1000,
         {{"N5SecondUpdate", 5},
          {"N10SecondUpdate", 10},
          {"N15SecondUpdate", 15},
          {"N20SecondUpdate", 20},
          {"N30SecondUpdate", 30},
          {"N60SecondUpdate", 60}}},
    };
    return menus;
}

const MonitorMenu &MonitorMenuOf(Monitor monitor) {
    for (const MonitorMenu &menu : MonitorMenus())
        if (menu.monitor == monitor)
            return menu;
    return MonitorMenus().front();
}

} // namespace vantrel::app
