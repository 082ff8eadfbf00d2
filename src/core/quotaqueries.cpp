#include "core/quotaqueries.h"

#include "core/convert.h"
#include "core/oids.h"

namespace vantrel::core {

namespace {

void markCancelled(RouterLink &link, ResultHead &head) {
    if (link.Cancelled())
        head.outcome.cancelled = true;
}

} // namespace

QuotaReading ReadQuotaCounters(RouterLink &link) {
    QuotaReading r;
    const std::string wan = link.Interfaces().WanRow;
    std::string value;
    if (!link.GetAny(oid::IfCell(oid::IfColumn::InOctets, wan), value)) {
        if (link.Cancelled())
            r.head.outcome.cancelled = true;
        else
            r.head.outcome.probeFailed = true;
        return r;
    }
    try {
        r.sample.inOctets = CounterValue(value);
        if (link.GetAny(oid::IfCell(oid::IfColumn::OutOctets, wan), value))
            r.sample.outOctets = CounterValue(value);
    } catch (const core::ConvertError &e) {
        r.head.outcome.conversionError = e.what();
        return r;
    }
    // The uptime only tells a wrap from a restart; a reply that is no number tells nothing.
    if (link.GetAny(oid::SysUpTime, value)) {
        const std::int64_t ticks = StrToInt64Def(value, -1);
        if (ticks >= 0 && ticks <= 0xFFFFFFFFLL)
            r.sample.uptime = static_cast<std::uint32_t>(ticks);
    }
    markCancelled(link, r.head);
    return r;
}

WanStatusReading ReadWanStatus(RouterLink &link) {
    WanStatusReading w;
    std::string value;
    if (link.GetAny(oid::IfCell(oid::IfColumn::OperStatus, link.Interfaces().WanRow), value))
        w.status = LinkStateOf(value);
    else
        markCancelled(link, w.head);
    return w;
}

} // namespace vantrel::core
