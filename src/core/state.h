#pragma once
// The state a run shares between its parts. None of it is saved, except through the settings.

#include "core/discovery.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::core {

struct FigurePlan; // core/linemib.h

// Which rows of the router's ifTable carry the bridge, LAN, WAN and USB interfaces ("0" when
// not found; row texts are OID suffixes), and the ifIndex values read for them. Interface
// discovery writes it; the queries of the other pages build their OIDs from it. It lives with
// the router model and is touched only by the queries, one at a time.
struct InterfaceMap {
    std::string BridgeRow = "0";
    std::string LanRow = "0";
    std::string WanRow = "0";
    std::string UsbRow = "0";
    std::string BridgeIfIndex;
    std::string LanIfIndex;
    std::string WanIfIndex;
    std::string UsbIfIndex;
    // A router that is not the designed model: what a walk of its tables found and what
    // discovery made of it (the rows above then hold the discovered ifIndex values).
    std::optional<Discovery> Discovered;
    DiscoveryInput Found;
    // Where its line figures are read: the whole plan until a reading of the line while it was
    // up showed which sources answer, then only those.
    std::shared_ptr<const std::vector<FigurePlan>> LinePlan;
};

// Flags of the run, set at start-up and changed by the monitors and the tray.
struct RunFlags {
    bool ResetDoneToday = false;           // the monthly reset ran on today's reset day
    std::string TrayLightState = "------"; // the tray's light pattern; "------" before any
    bool RestoreOnShow = true;             // the next show puts the window back to normal
};

} // namespace vantrel::core
