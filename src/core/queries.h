#pragma once
// The request sequences of the pages and monitors. Each runs on a RouterLink, one request at a
// time in the order the window has always asked, and returns what it read; nothing here
// touches the window.

#include "core/results.h"
#include "core/routerlink.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel::core {

// The objects in order, the first one probing: when it gets no answer nothing else is asked.
// A later object without answer is passed over.
RowReadings ReadRows(RouterLink &link, const std::vector<std::string> &oids);

// The ADSL line page: the first object probes; a row that gets no value (no answer, or an
// agent that lacks the object) is passed over; a numeric row whose reply is no number ends
// the query with that conversion error.
AdslFigures ReadAdsl(RouterLink &link);
// The OID of a row as it is sent (the link status at the WAN row of map).
std::string AdslOid(AdslRow row, const InterfaceMap &map);

struct SystemRequest {
    bool resetWanRow = false;      // the page dispatch finds the WAN row afresh each time
    bool wantLocalAddress = false; // the computer's address is looked up while its box is empty
    // For a router that is not the designed model: the user's choice of interfaces, and the
    // address the router is reached at (its interface is the LAN).
    InterfaceChoice choice;
    std::string routerAddress;
};
// The most rows of ifTable the search for the designed model's interfaces reads, whatever
// ifNumber says.
constexpr int MaxScannedRows = 10000;
// Up to this many rows the search reads 1..ifNumber at once; a larger ifNumber is first
// checked against a walk of ifDescr.
constexpr int PlainScanRows = 64;
// The System page update: ifNumber probes, then interface discovery, uptime, description and
// firmware, and the address walks. When the search by the designed model's interface names
// does not find its bridge and WAN (or the user chose interfaces), the interface, stack and
// address tables are walked and classified instead: no missing-interface messages then, one
// summary line, and the addresses come from that walk.
SystemFigures ReadSystem(RouterLink &link, const SystemRequest &request);

struct LinkPollRequest {
    bool linkUp = true;      // the state the monitor is in
    bool afterBlind = false; // the polls before this one got no answer
};
// The connection monitor's poll: the WAN link's status, then the uptime when the state
// changes (or when answers come back after a blind period, to see a restart).
LinkPoll PollLink(RouterLink &link, const LinkPollRequest &request);
// The row whose ifOperStatus is the link's: the WAN row of the designed router; for a router
// found by walking, its line, else its WAN; nothing when discovery found neither.
std::optional<std::string> LinkStatusRow(const InterfaceMap &map);

UptimeReading ReadUptime(RouterLink &link);

} // namespace vantrel::core
