#include "core/queries.h"

#include "core/convert.h"

#include <algorithm>

namespace vantrel::core {

using core::ConvertError;

namespace {

const char kIfNumber[] = "1.3.6.1.2.1.2.1.0";
const char kIfIndex[] = "1.3.6.1.2.1.2.2.1.1.";
const char kIfDescr[] = "1.3.6.1.2.1.2.2.1.2.";
const char kIfOperStatus[] = "1.3.6.1.2.1.2.2.1.8.";
const char kSysUpTime[] = "1.3.6.1.2.1.1.3.0";
const char kSysDescr[] = "1.3.6.1.2.1.1.1.0";
const char kAdEntIfIndex[] = "1.3.6.1.2.1.4.20.1.2";
const char kAdEntAddr[] = "1.3.6.1.2.1.4.20.1.1";
const char kInterleaveDelay[] = "1.3.6.1.2.1.10.94.1.1.4.1.1.2";

// The router maker's firmware objects.
const char *const kFirmware[] = {"1.3.6.1.4.1.763.3.1.2.0", "1.3.6.1.4.1.763.3.1.3.0",
                                 "1.3.6.1.4.1.763.3.1.4.0", "1.3.6.1.4.1.763.3.1.5.0"};

// How an ADSL row's reply is checked before the page shows it.
enum class Check { Rate, Integer, Real, None };

struct AdslObject {
    const char *oid; // the link status appends the WAN row
    Check check;
};
// In the order the router is asked, one per AdslRow.
const AdslObject kAdsl[AdslRowCount] = {
    {"1.3.6.1.2.1.10.94.1.1.4.1.2.2", Check::Rate},
    {"1.3.6.1.2.1.10.94.1.1.2.1.7.2", Check::Integer},
    {"1.3.6.1.2.1.10.94.1.1.3.1.4.2", Check::Real},
    {"1.3.6.1.2.1.10.94.1.1.3.1.5.2", Check::Real},
    {"1.3.6.1.2.1.10.94.1.1.5.1.2.2", Check::Rate},
    {"1.3.6.1.2.1.10.94.1.1.2.1.4.2", Check::Real},
    {"1.3.6.1.2.1.10.94.1.1.2.1.5.2", Check::Real},
    {"1.3.6.1.2.1.10.94.1.1.3.1.7.2", Check::Integer},
    {kIfOperStatus, Check::None},
    {"1.3.6.1.2.1.10.94.1.1.1.1.1.2", Check::None},
    {"1.3.6.1.4.1.763.3.2.2.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.1.1.2.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.7.1.1.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.7.1.2.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.7.1.3.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.7.1.4.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.7.1.16.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.7.1.21.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.11.1.3.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.11.1.4.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.10.1.3.2", Check::None},
    {"1.3.6.1.2.1.10.94.1.1.10.1.4.2", Check::None},
};

// Throws ConvertError when the reply is not what the page will compute with.
void check(Check kind, const std::string &reply) {
    switch (kind) {
    case Check::Rate:
        core::StrToInt(reply.empty() ? std::string("0") : reply);
        break;
    case Check::Integer:
        core::StrToInt(reply);
        break;
    case Check::Real:
        core::StrToFloat(reply);
        break;
    case Check::None:
        break;
    }
}

std::string unquoted(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '"'), s.end());
    return s;
}

// Marks a query abandoned part-way; true when it was.
bool abandoned(RouterLink &link, ResultHead &head) {
    if (!link.Cancelled())
        return false;
    head.outcome.cancelled = true;
    return true;
}

} // namespace

std::optional<double> AdslFigures::Number(AdslRow row) const {
    const std::optional<std::string> &reply = Reply(row);
    if (!reply)
        return std::nullopt;
    const std::size_t i = static_cast<std::size_t>(row);
    try {
        switch (kAdsl[i].check) {
        case Check::Rate:
            return double(core::StrToInt(reply->empty() ? std::string("0") : *reply));
        case Check::Integer:
            return double(core::StrToInt(*reply));
        case Check::Real:
            return core::StrToFloat(*reply);
        case Check::None:
            return double(core::StrToInt64(*reply));
        }
    } catch (const ConvertError &) {
    }
    return std::nullopt;
}

std::string AdslOid(AdslRow row, const InterfaceMap &map) {
    const AdslObject &object = kAdsl[static_cast<std::size_t>(row)];
    return row == AdslRow::LinkStatus ? object.oid + map.WanRow : std::string(object.oid);
}

RowReadings ReadRows(RouterLink &link, const std::vector<std::string> &oids) {
    RowReadings r;
    r.replies.resize(oids.size());
    for (std::size_t i = 0; i < oids.size(); ++i) {
        std::string value;
        if (link.GetAny(oids[i], value))
            r.replies[i] = value;
        else if (abandoned(link, r.head))
            return r;
        else if (i == 0) {
            r.head.outcome.probeFailed = true;
            return r;
        }
    }
    return r;
}

AdslFigures ReadAdsl(RouterLink &link) {
    AdslFigures f;
    for (int i = 0; i < AdslRowCount; ++i) {
        const auto row = static_cast<AdslRow>(i);
        std::string value;
        const Answer answer = link.Get(AdslOid(row, link.Interfaces()), value);
        if (answer == Answer::None && abandoned(link, f.head))
            return f;
        // The first object probes: a router that does not answer at all is reported, not
        // passed over row by row.
        if (answer == Answer::None && i == 0) {
            f.head.outcome.probeFailed = true;
            return f;
        }
        // An object this router lacks is passed over like one that did not answer.
        if (answer != Answer::Value)
            continue;
        try {
            check(kAdsl[i].check, value);
        } catch (const ConvertError &e) {
            f.head.outcome.conversionError = e.what();
            return f;
        }
        f.replies[static_cast<std::size_t>(i)] = value;
        if (row == AdslRow::LineType && value == "3") {
            f.delayAsked = true;
            std::string delay;
            if (link.GetValue(kInterleaveDelay, delay))
                f.delay = delay;
        }
    }
    return f;
}

SystemFigures ReadSystem(RouterLink &link, const SystemRequest &request) {
    SystemFigures f;
    InterfaceMap &map = link.Interfaces();
    if (request.resetWanRow)
        map.WanRow = "0";
    std::string value;
    if (!link.GetAny(kIfNumber, value)) {
        if (!abandoned(link, f.head))
            f.head.outcome.probeFailed = true;
        f.interfaces = map;
        return f;
    }
    int count = 0;
    try {
        count = core::StrToInt(value);
    } catch (const ConvertError &e) {
        f.head.outcome.conversionError = e.what();
        f.interfaces = map;
        return f;
    }

    // Discovery: five searches, each scanning the rows from the first. A row found once keeps
    // its value when a later update no longer finds it.
    struct Search {
        const char *descr;
        std::string InterfaceMap::*row;
        std::string InterfaceMap::*ifIndex;
        const char *missing; // message when the row is still "0"; nullptr for none
    };
    const Search searches[] = {
        {"Bridge", &InterfaceMap::BridgeRow, &InterfaceMap::BridgeIfIndex,
         "Error: Unable to find Bridge interface"},
        {"Ethernet", &InterfaceMap::LanRow, &InterfaceMap::LanIfIndex,
         "Error: Unable to find LAN interface"},
        {"ATM", &InterfaceMap::WanRow, &InterfaceMap::WanIfIndex,
         "Error: Unable to find ATM interface"},
        // A PPP-over-ATM interface, when the router has one, carries the WAN traffic.
        {"RFC-2364", &InterfaceMap::WanRow, &InterfaceMap::WanIfIndex, nullptr},
        {"Ethernet over USB", &InterfaceMap::UsbRow, &InterfaceMap::UsbIfIndex,
         "Error: Unable to find USB interface"},
    };
    for (const Search &search : searches) {
        for (int n = 1; n <= count && !link.Cancelled(); ++n) {
            std::string descr;
            if (!link.GetAny(kIfDescr + std::to_string(n), descr) || descr != search.descr)
                continue;
            map.*search.row = std::to_string(n);
            std::string index;
            link.GetAny(kIfIndex + map.*search.row, index); // the empty text on failure
            map.*search.ifIndex = index;
            break;
        }
        if (search.missing != nullptr && map.*search.row == "0")
            f.missing.push_back(search.missing);
    }
    f.interfaces = map;
    if (abandoned(link, f.head))
        return f;

    if (link.GetAny(kSysUpTime, value)) {
        try {
            core::StrToInt64(value);
        } catch (const ConvertError &e) {
            f.head.outcome.conversionError = e.what();
            return f;
        }
        f.uptime = value;
    }
    if (link.GetAny(kSysDescr, value))
        f.description = value;
    for (std::size_t i = 0; i < 4; ++i)
        if (link.GetAny(kFirmware[i], value))
            f.firmware[i] = value;
    if (abandoned(link, f.head))
        return f;

    f.addressesReached = true;
    if (request.wantLocalAddress)
        f.localAddress = link.LocalAddress();
    std::vector<std::string> ifIndexes;
    if (!link.Walk(kAdEntIfIndex, ifIndexes)) {
        if (!abandoned(link, f.head))
            f.addressWalkFailed = true;
        return f;
    }
    if (ifIndexes.empty())
        return f;
    std::vector<std::string> addresses;
    link.Walk(kAdEntAddr, addresses);
    for (auto &line : ifIndexes)
        line = unquoted(line);
    for (auto &line : addresses)
        line = unquoted(line);
    // Both walks key their lines by the same table index, so line i of one belongs to line i
    // of the other.
    auto addressOn = [&](const std::string &ifIndex) -> std::optional<std::string> {
        for (std::size_t i = 0; i < ifIndexes.size() && i < addresses.size(); ++i)
            if (ifIndexes[i] == ifIndex)
                return addresses[i];
        return std::nullopt;
    };
    // No address on the bridge (no bridge row found): the box is left empty.
    f.routerAddress = addressOn(map.BridgeIfIndex).value_or(std::string());
    // The WAN address is the one on the WAN interface; a WAN link without an address (a PPP
    // link that is down) shows none rather than another interface's. Without a WAN row the
    // last address of the table stands in.
    if (!map.WanIfIndex.empty() && map.WanRow != "0")
        f.wanAddress = addressOn(map.WanIfIndex).value_or(std::string());
    else
        f.wanAddress = addresses.empty() ? std::string() : addresses.back();
    abandoned(link, f.head);
    return f;
}

LinkPoll PollLink(RouterLink &link, const LinkPollRequest &request) {
    LinkPoll p;
    if (!link.GetAny(kIfOperStatus + link.Interfaces().WanRow, p.status)) {
        abandoned(link, p.head);
        return p;
    }
    p.answered = true;
    const bool change = (p.status == "2" && request.linkUp) || (p.status == "1" && !request.linkUp);
    if (change || request.afterBlind) {
        p.uptimeAsked = true;
        std::string ticks;
        if (link.GetAny(kSysUpTime, ticks))
            p.uptime = ticks;
    }
    abandoned(link, p.head);
    return p;
}

UptimeReading ReadUptime(RouterLink &link) {
    UptimeReading u;
    std::string ticks;
    if (link.GetAny(kSysUpTime, ticks))
        u.ticks = ticks;
    else
        abandoned(link, u.head);
    return u;
}

} // namespace vantrel::core
