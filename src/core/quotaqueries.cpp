#include "core/quotaqueries.h"

#include "core/convert.h"
#include "core/oids.h"
#include "core/queries.h"

namespace vantrel::core {

namespace {

// ifXTable (RFC 2863), indexed like ifTable.
const std::string kIfXEntry = "1.3.6.1.2.1.31.1.1.1";
enum class IfXColumn { HCInOctets = 6, HCOutOctets = 10, HighSpeed = 15, Discontinuity = 19 };

std::string ifXCell(IfXColumn column, const std::string &row) {
    return kIfXEntry + "." + std::to_string(int(column)) + "." + row;
}

void markCancelled(RouterLink &link, ResultHead &head) {
    if (link.Cancelled())
        head.outcome.cancelled = true;
}

// One typed GET: the binding when a value came; lacks is set when the agent said it has none.
std::optional<Binding> get(RouterLink &link, const std::string &oid, bool *lacks = nullptr) {
    Binding b;
    switch (link.GetBinding(oid, b)) {
    case Answer::Value:
        return b;
    case Answer::Error:
        if (lacks)
            *lacks = true;
        break;
    case Answer::None:
        break;
    }
    return std::nullopt;
}

// A counter reply that is no counter: a number of another type, or an empty value, is left out
// quietly; a text that is not even an integer is the conversion error the page reports.
void checkCounter(std::optional<Binding> &b) {
    if (!b || OctetCountOf(*b))
        return;
    if (b->type != tag::Integer && !b->value.empty())
        StrToInt64(b->value); // throws ConvertError for a text that is no integer
    b.reset();
}

} // namespace

QuotaReading ReadQuotaCounters(RouterLink &link, const QuotaObjects &ask) {
    QuotaReading r;
    const std::string wan = link.Interfaces().WanRow;
    r.wanRow = wan;
    OctetReading &o = r.reading;
    Binding in;
    const Answer answer = link.GetBinding(oid::IfCell(oid::IfColumn::InOctets, wan), in);
    if (answer == Answer::None) {
        if (link.Cancelled())
            r.head.outcome.cancelled = true;
        else
            r.head.outcome.probeFailed = true;
        return r;
    }
    try {
        if (answer == Answer::Value) {
            o.in = in;
            checkCounter(o.in);
        }
        o.out = get(link, oid::IfCell(oid::IfColumn::OutOctets, wan));
        checkCounter(o.out);
    } catch (const core::ConvertError &e) {
        r.head.outcome.conversionError = e.what();
        return r;
    }
    o.uptime = get(link, oid::SysUpTime);
    if (ask.wide) {
        // An agent without ifHCInOctets (any v1 agent) has no 64-bit counters.
        o.hcIn = get(link, ifXCell(IfXColumn::HCInOctets, wan), &r.lacking.wide);
        if (!r.lacking.wide)
            o.hcOut = get(link, ifXCell(IfXColumn::HCOutOctets, wan));
    }
    if (ask.discontinuity)
        o.discontinuity =
            get(link, ifXCell(IfXColumn::Discontinuity, wan), &r.lacking.discontinuity);
    if (ask.speed) {
        bool noHigh = false, noSpeed = false;
        o.highSpeed = get(link, ifXCell(IfXColumn::HighSpeed, wan), &noHigh);
        o.speed = get(link, oid::IfCell(oid::IfColumn(5), wan), &noSpeed);
        r.lacking.speed = noHigh && noSpeed;
    }
    markCancelled(link, r.head);
    return r;
}

WanStatusReading ReadWanStatus(RouterLink &link) {
    WanStatusReading w;
    // The lights show the state the connection monitor watches; with nothing to watch they
    // stay as they are.
    const std::optional<std::string> row = LinkStatusRow(link.Interfaces());
    if (!row) {
        w.status = LinkState::Other;
        return w;
    }
    std::string value;
    if (link.GetAny(oid::IfCell(oid::IfColumn::OperStatus, *row), value))
        w.status = LinkStateOf(value);
    else
        markCancelled(link, w.head);
    return w;
}

} // namespace vantrel::core
