#pragma once
// The requests of the quota account and of the tray: the WAN interface's counters, and its
// link status.

#include "core/octetaccount.h"
#include "core/results.h"
#include "core/routerlink.h"

#include <optional>
#include <string>

namespace vantrel::core {

// The objects a quota reading asks for beyond ifInOctets, ifOutOctets and sysUpTime, each in a
// request of its own after those three: the 64-bit counters, the counters' discontinuity time
// and the interface's speeds. An agent that answers that it lacks one is not asked again (a v1
// agent has no 64-bit counters); the speeds are read once, until another router or interface.
struct QuotaObjects {
    bool wide = true;          // ifHCInOctets, ifHCOutOctets
    bool discontinuity = true; // ifCounterDiscontinuityTime
    bool speed = true;         // ifHighSpeed, ifSpeed
};

// One reading of the WAN row, with the bindings as the agent typed them (the reading's time is
// set when it arrives). lacking: the objects the agent said it does not have.
struct QuotaReading {
    ResultHead head;
    OctetReading reading;
    std::string wanRow;
    QuotaObjects lacking{false, false, false};
};

// ifInOctets, then ifOutOctets, then sysUpTime, which tells a counter's wrap from a restart of
// the router; then the objects of ask. No answer to ifInOctets ends the reading (probeFailed); a
// counter reply that is not even a decimal integer ends it with that conversion error (a number
// of another type than a counter is left out: the account ignores it); no answer to the others
// leaves them out.
QuotaReading ReadQuotaCounters(RouterLink &link, const QuotaObjects &ask = QuotaObjects());

// ifOperStatus of the WAN row for the tray's lights; nothing when it got no answer.
struct WanStatusReading {
    ResultHead head;
    std::optional<LinkState> status;
};
WanStatusReading ReadWanStatus(RouterLink &link);

} // namespace vantrel::core
