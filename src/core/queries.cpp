#include "core/queries.h"

#include "core/convert.h"
#include "core/oids.h"

#include <algorithm>

namespace vantrel::core {

namespace {

// How a row's reply is decoded.
enum class Kind { Rate, Power, Decibels, LinkStatus, Coding, Text, ChannelType, Count };

struct AdslObject {
    const char *column; // under the ADSL line MIB; nullptr: the WAN row's ifOperStatus
    const std::string *whole = nullptr; // an object of its own (the maker's)
    Kind kind = Kind::Count;
};
// In the order the router is asked, one per AdslRow.
const AdslObject kAdsl[AdslRowCount] = {
    {oid::AdslAtucChanCurrTxRate, nullptr, Kind::Rate},
    {oid::AdslAtucCurrOutputPwr, nullptr, Kind::Power},
    {oid::AdslAturCurrSnrMgn, nullptr, Kind::Decibels},
    {oid::AdslAturCurrAtn, nullptr, Kind::Decibels},
    {oid::AdslAturChanCurrTxRate, nullptr, Kind::Rate},
    {oid::AdslAtucCurrSnrMgn, nullptr, Kind::Decibels},
    {oid::AdslAtucCurrAtn, nullptr, Kind::Decibels},
    {oid::AdslAturCurrOutputPwr, nullptr, Kind::Power},
    {nullptr, nullptr, Kind::LinkStatus},
    {oid::AdslLineCoding, nullptr, Kind::Coding},
    {nullptr, &oid::MakerModulation, Kind::Text},
    {oid::AdslLineType, nullptr, Kind::ChannelType},
    {oid::AdslAturPerfLofs},
    {oid::AdslAturPerfLoss},
    {oid::AdslAturPerfLprs},
    {oid::AdslAturPerfESs},
    {oid::AdslAturPerfCurr1DayESs},
    {oid::AdslAturPerfPrev1DayESs},
    {oid::AdslAturChanCorrectedBlks},
    {oid::AdslAturChanUncorrectBlks},
    {oid::AdslAtucChanCorrectedBlks},
    {oid::AdslAtucChanUncorrectBlks},
};

// The field of figures a rate, power or decibel row fills.
std::optional<std::int32_t> AdslFigures::*integerField(AdslRow row) {
    switch (row) {
    case AdslRow::DownRate:
        return &AdslFigures::downRate;
    case AdslRow::UpRate:
        return &AdslFigures::upRate;
    case AdslRow::DownPower:
        return &AdslFigures::downPower;
    case AdslRow::UpPower:
        return &AdslFigures::upPower;
    default:
        return nullptr;
    }
}
std::optional<double> AdslFigures::*decibelField(AdslRow row) {
    switch (row) {
    case AdslRow::DownMargin:
        return &AdslFigures::downMargin;
    case AdslRow::UpMargin:
        return &AdslFigures::upMargin;
    case AdslRow::DownAttenuation:
        return &AdslFigures::downAttenuation;
    case AdslRow::UpAttenuation:
        return &AdslFigures::upAttenuation;
    default:
        return nullptr;
    }
}

// Decodes one reply into its row; throws ConvertError when a number the page computes with is
// no number.
void decode(AdslFigures &f, AdslRow row, const std::string &reply) {
    switch (kAdsl[int(row)].kind) {
    case Kind::Rate:
        f.*integerField(row) = StrToInt(reply.empty() ? std::string("0") : reply);
        break;
    case Kind::Power:
        f.*integerField(row) = StrToInt(reply);
        break;
    case Kind::Decibels:
        f.*decibelField(row) = StrToFloat(reply);
        break;
    case Kind::LinkStatus:
        f.link = LinkStatus{LinkStateOf(reply), DecimalInteger(reply)};
        break;
    case Kind::Coding:
        f.coding = LineCodingOf(reply);
        break;
    case Kind::Text:
        f.modulation = reply;
        break;
    case Kind::ChannelType:
        f.channel = ChannelTypeOf(reply);
        break;
    case Kind::Count: {
        // Shown as it came; counted only when it is a number.
        LineCount count{reply, std::nullopt};
        try {
            count.value = StrToInt64(reply);
        } catch (const ConvertError &) {
        }
        f.counts[std::size_t(int(row) - AdslFirstCount)] = count;
        break;
    }
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

bool AdslFigures::Has(AdslRow row) const {
    if (const auto integer = integerField(row))
        return bool(this->*integer);
    if (const auto decibel = decibelField(row))
        return bool(this->*decibel);
    switch (row) {
    case AdslRow::LinkStatus:
        return bool(link);
    case AdslRow::Coding:
        return bool(coding);
    case AdslRow::Modulation:
        return bool(modulation);
    case AdslRow::LineType:
        return bool(channel);
    default:
        return bool(Count(row));
    }
}

std::optional<double> AdslFigures::Number(AdslRow row) const {
    if (const auto integer = integerField(row))
        return this->*integer ? std::optional<double>(*(this->*integer)) : std::nullopt;
    if (const auto decibel = decibelField(row))
        return this->*decibel;
    if (int(row) >= AdslFirstCount && Count(row) && Count(row)->value)
        return double(*Count(row)->value);
    return std::nullopt;
}

std::string AdslOid(AdslRow row, const InterfaceMap &map) {
    const AdslObject &object = kAdsl[static_cast<std::size_t>(row)];
    if (object.whole != nullptr)
        return *object.whole;
    if (object.column == nullptr)
        return oid::IfCell(oid::IfColumn::OperStatus, map.WanRow);
    return oid::AdslObject(object.column);
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
            decode(f, row, value);
        } catch (const ConvertError &e) {
            f.head.outcome.conversionError = e.what();
            return f;
        }
        if (row == AdslRow::LineType && f.channel == ChannelType::Interleaved) {
            f.delayAsked = true;
            std::string delay;
            if (link.GetValue(oid::AdslObject(oid::AdslAtucChanInterleaveDelay), delay))
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
    if (!link.GetAny(oid::IfNumber, value)) {
        if (!abandoned(link, f.head))
            f.head.outcome.probeFailed = true;
        f.interfaces = map;
        return f;
    }
    int count = 0;
    try {
        count = StrToInt(value);
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
            if (!link.GetAny(oid::IfCell(oid::IfColumn::Descr, std::to_string(n)), descr) ||
                descr != search.descr)
                continue;
            map.*search.row = std::to_string(n);
            std::string index;
            // The empty text on failure.
            link.GetAny(oid::IfCell(oid::IfColumn::Index, map.*search.row), index);
            map.*search.ifIndex = index;
            break;
        }
        if (search.missing != nullptr && map.*search.row == "0")
            f.missing.push_back(search.missing);
    }
    f.interfaces = map;
    if (abandoned(link, f.head))
        return f;

    if (link.GetAny(oid::SysUpTime, value)) {
        try {
            f.uptime = StrToInt64(value);
        } catch (const ConvertError &e) {
            f.head.outcome.conversionError = e.what();
            return f;
        }
    }
    if (link.GetAny(oid::SysDescr, value))
        f.description = value;
    const std::string *const firmware[] = {&oid::MakerFirmware, &oid::MakerFirmwareSuffix,
                                           &oid::MakerBuild, &oid::MakerAnnex};
    for (std::size_t i = 0; i < 4; ++i)
        if (link.GetAny(*firmware[i], value))
            f.firmware[i] = value;
    if (abandoned(link, f.head))
        return f;

    f.addressesReached = true;
    if (request.wantLocalAddress)
        f.localAddress = link.LocalAddress();
    std::vector<std::string> ifIndexes;
    if (!link.Walk(oid::IpAdEntIfIndex, ifIndexes)) {
        if (!abandoned(link, f.head))
            f.addressWalkFailed = true;
        return f;
    }
    if (ifIndexes.empty())
        return f;
    std::vector<std::string> addresses;
    link.Walk(oid::IpAdEntAddr, addresses);
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
    std::string status;
    if (!link.GetAny(oid::IfCell(oid::IfColumn::OperStatus, link.Interfaces().WanRow), status)) {
        abandoned(link, p.head);
        return p;
    }
    p.answered = true;
    p.status = LinkStateOf(status);
    const bool change = (p.status == LinkState::Down && request.linkUp) ||
                        (p.status == LinkState::Up && !request.linkUp);
    if (change || request.afterBlind) {
        p.uptimeAsked = true;
        std::string ticks;
        if (link.GetAny(oid::SysUpTime, ticks)) {
            try {
                p.uptime = StrToInt64(ticks);
            } catch (const ConvertError &e) {
                p.uptimeError = e.what();
            }
        }
    }
    abandoned(link, p.head);
    return p;
}

UptimeReading ReadUptime(RouterLink &link) {
    UptimeReading u;
    std::string ticks;
    if (!link.GetAny(oid::SysUpTime, ticks)) {
        abandoned(link, u.head);
        return u;
    }
    try {
        u.ticks = StrToInt64(ticks);
    } catch (const ConvertError &e) {
        u.head.outcome.conversionError = e.what();
    }
    return u;
}

} // namespace vantrel::core
