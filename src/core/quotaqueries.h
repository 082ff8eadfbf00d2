#pragma once
// The requests of the quota account and of the tray: the WAN interface's counters, and its
// link status.

#include "core/quota.h"
#include "core/results.h"
#include "core/routerlink.h"

#include <optional>
#include <string>

namespace vantrel::core {

// ifInOctets (probing), ifOutOctets and sysUpTime of the WAN row.
struct QuotaReading {
    ResultHead head;
    CounterSample sample;
};

// ifInOctets, then ifOutOctets, then sysUpTime, which tells a counter's wrap from a restart of
// the router. No answer to ifInOctets ends the reading (probeFailed); a counter reply that is no
// integer ends it with that conversion error; no answer to the other two leaves them out.
QuotaReading ReadQuotaCounters(RouterLink &link);

// ifOperStatus of the WAN row for the tray's lights; nothing when it got no answer.
struct WanStatusReading {
    ResultHead head;
    std::optional<LinkState> status;
};
WanStatusReading ReadWanStatus(RouterLink &link);

} // namespace vantrel::core
