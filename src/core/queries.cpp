#include "core/queries.h"

#include "core/convert.h"
#include "core/linemib.h"
#include "core/oids.h"

#include <algorithm>
#include <array>
#include <memory>

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

// Whether a figure lies within what its object can hold.
bool inRange(const Decode &range, double value) {
    return value >= double(range.min) && value <= double(range.max);
}

// Decodes one reply into its row; throws ConvertError when a number the page computes with is
// no number.
void decodeRow(AdslFigures &f, AdslRow row, const std::string &reply) {
    switch (kAdsl[int(row)].kind) {
    case Kind::Rate:
        f.*integerField(row) = StrToInt(reply.empty() ? std::string("0") : reply);
        break;
    case Kind::Power: {
        const std::int32_t tenths = StrToInt(reply);
        if (inRange(decode::AdslPower, tenths))
            f.*integerField(row) = tenths;
        else
            f.outOfRange[std::size_t(row)] = true;
        break;
    }
    case Kind::Decibels: {
        const double tenths = StrToFloat(reply);
        const bool attenuation = row == AdslRow::DownAttenuation || row == AdslRow::UpAttenuation;
        if (inRange(attenuation ? decode::AdslAttenuation : decode::AdslMargin, tenths))
            f.*decibelField(row) = tenths;
        else
            f.outOfRange[std::size_t(row)] = true;
        break;
    }
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

namespace {

// The line figures of a router found by walking, from wherever its line keeps them: each
// figure the router does not report stays empty. The first request probes: a router that does
// not answer it is asked nothing more.
AdslFigures readDiscoveredLine(RouterLink &link, const Discovery &discovery,
                               std::shared_ptr<const std::vector<FigurePlan>> &narrowed) {
    AdslFigures f;
    f.discoveredLine = true;
    bool asked = false;
    const LineGet get = [&](const std::string &oid) -> std::optional<std::string> {
        if (f.head.outcome.probeFailed || link.Cancelled())
            return std::nullopt;
        std::string value;
        const Answer answer = link.Get(oid, value);
        if (answer == Answer::None && !asked && !link.Cancelled())
            f.head.outcome.probeFailed = true;
        asked = true;
        return answer == Answer::Value ? std::optional<std::string>(value) : std::nullopt;
    };
    const bool planned = narrowed != nullptr;
    const std::vector<FigurePlan> plan = planned ? *narrowed : LinePlan(discovery);
    const LineFigures read = ReadLine(plan, get);
    if (abandoned(link, f.head) || f.head.outcome.probeFailed)
        return f;
    // A line that is up reports all it ever will: later readings ask only where it answered.
    if (!planned && read.Get(LineFigure::LinkStatus) == 1)
        narrowed = std::make_shared<const std::vector<FigurePlan>>(NarrowPlan(plan, read));
    const auto figure = [&read](LineFigure which) { return read.Get(which); };
    const auto integer = [](std::optional<std::int64_t> v) -> std::optional<std::int32_t> {
        if (!v)
            return std::nullopt;
        return std::int32_t(std::clamp<std::int64_t>(*v, INT32_MIN, INT32_MAX));
    };
    const auto tenths = [](std::optional<std::int64_t> v) -> std::optional<double> {
        return v ? std::optional<double>(double(*v)) : std::nullopt;
    };
    f.downRate = integer(figure(LineFigure::DownRate));
    f.upRate = integer(figure(LineFigure::UpRate));
    f.downPower = integer(figure(LineFigure::DownPower));
    f.upPower = integer(figure(LineFigure::UpPower));
    f.downMargin = tenths(figure(LineFigure::DownMargin));
    f.upMargin = tenths(figure(LineFigure::UpMargin));
    f.downAttenuation = tenths(figure(LineFigure::DownAttenuation));
    f.upAttenuation = tenths(figure(LineFigure::UpAttenuation));
    if (const auto status = figure(LineFigure::LinkStatus))
        f.link = LinkStatus{LinkStateOfCode(*status), status};
    if (const auto coding = figure(LineFigure::LineCoding))
        f.coding = LineCodingOf(std::to_string(*coding));
    if (discovery.lineKind != LineKind::None)
        f.modulation = LineKindText(discovery.lineKind);
    if (const auto type = figure(LineFigure::ChannelType))
        f.channel = ChannelTypeOf(std::to_string(*type));
    if (f.channel == ChannelType::Interleaved) {
        f.delayAsked = true;
        if (const auto delay = figure(LineFigure::DownDelay))
            f.delay = std::to_string(*delay);
    }
    const LineFigure counts[AdslCountRows] = {
        LineFigure::LossOfFramingSeconds,     LineFigure::LossOfSignalSeconds,
        LineFigure::LossOfPowerSeconds,       LineFigure::ErroredSeconds,
        LineFigure::CurrentDayErroredSeconds, LineFigure::PreviousDayErroredSeconds,
        LineFigure::DownCorrectedBlocks,      LineFigure::DownUncorrectedBlocks,
        LineFigure::UpCorrectedBlocks,        LineFigure::UpUncorrectedBlocks,
    };
    for (std::size_t i = 0; i < std::size_t(AdslCountRows); ++i)
        if (const auto count = figure(counts[i]))
            f.counts[i] = LineCount{std::to_string(*count), count};
    return f;
}

} // namespace

AdslFigures ReadAdsl(RouterLink &link) {
    InterfaceMap &map = link.Interfaces();
    if (map.Discovered)
        return readDiscoveredLine(link, *map.Discovered, map.LinePlan);
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
            decodeRow(f, row, value);
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

namespace {

bool anyChoice(const InterfaceChoice &choice) {
    return choice.line || choice.wan || choice.lan;
}

// How many rows of ifTable the search for the designed model's names reads: ifNumber, unless
// that is more than a walk of ifDescr finds (an agent reporting 2147483647), and never more
// than MaxScannedRows.
int rowsToScan(RouterLink &link, int ifNumber) {
    int rows = std::clamp(ifNumber, 0, MaxScannedRows);
    if (rows <= PlainScanRows)
        return rows;
    std::vector<Binding> descriptions;
    link.WalkBindings(DiscoveryOid::IfDescr, descriptions);
    return std::min(rows, int(descriptions.size()));
}

// Walks the interface, stack and address tables and classifies what they hold. A table the
// agent lacks, or a walk cut short, leaves its part out.
void discoverByWalking(RouterLink &link, const SystemRequest &request, InterfaceMap &map) {
    std::vector<WalkBinding> all;
    for (const std::string &base : DiscoveryWalkBases()) {
        std::vector<Binding> bindings;
        link.WalkBindings(base, bindings);
        if (link.Cancelled())
            return;
        for (Binding &b : bindings)
            all.push_back(WalkBinding{std::move(b.oid), std::move(b.value)});
    }
    // The rows the search by name may have set belong to no model this router is.
    map = InterfaceMap{};
    map.Found = DiscoveryInputFromBindings(all);
    const Discovery found = Discover(map.Found, request.choice, request.routerAddress);
    if (found.wan)
        map.WanRow = map.WanIfIndex = std::to_string(*found.wan);
    if (found.lan) {
        map.LanRow = map.LanIfIndex = std::to_string(*found.lan);
        map.BridgeRow = map.BridgeIfIndex = map.LanRow;
    }
    map.Discovered = found;
}

} // namespace

SystemFigures ReadSystem(RouterLink &link, const SystemRequest &request) {
    SystemFigures f;
    InterfaceMap &map = link.Interfaces();
    // A router found by walking is searched for by name afresh, as on the first read.
    if (map.Discovered)
        map = InterfaceMap{};
    if (request.resetWanRow)
        map.WanRow = "0";
    std::string value;
    const Answer ifNumber = link.Get(oid::IfNumber, value);
    if (ifNumber == Answer::None) {
        if (!abandoned(link, f.head))
            f.head.outcome.probeFailed = true;
        f.interfaces = map;
        return f;
    }
    // An agent without ifNumber is searched by walking alone.
    int count = 0;
    if (ifNumber == Answer::Value) {
        try {
            count = StrToInt(value);
        } catch (const ConvertError &e) {
            f.head.outcome.conversionError = e.what();
            f.interfaces = map;
            return f;
        }
    }
    count = rowsToScan(link, count);

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
    std::vector<std::string> missing;
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
            missing.push_back(search.missing);
    }
    if (abandoned(link, f.head)) {
        f.interfaces = map;
        return f;
    }
    f.missing = std::move(missing);
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
    std::array<Answer, 4> firmwareAnswers{};
    for (std::size_t i = 0; i < 4; ++i) {
        firmwareAnswers[i] = link.Get(*firmware[i], value);
        if (firmwareAnswers[i] != Answer::None)
            f.firmware[i] = value;
    }
    if (abandoned(link, f.head))
        return f;
    // The designed model: its bridge and WAN found by name, or its maker's own rows answering.
    const bool designed =
        (map.BridgeRow != "0" && map.WanRow != "0") || firmwareAnswers[0] == Answer::Value;
    if (!designed || anyChoice(request.choice)) {
        f.missing.clear();
        // Another maker's agent lacks the firmware rows: no empty "Firmware:" line for it.
        for (std::size_t i = 0; i < 4; ++i)
            if (firmwareAnswers[i] != Answer::Value)
                f.firmware[i].reset();
        discoverByWalking(link, request, map);
        f.interfaces = map;
        if (map.Discovered)
            f.discoverySummary = DiscoverySummary(*map.Discovered, map.Found).toStdString();
        if (abandoned(link, f.head))
            return f;
    }

    f.addressesReached = true;
    if (request.wantLocalAddress)
        f.localAddress = link.LocalAddress();
    if (map.Discovered) {
        // The address table was walked with the interfaces: the LAN's address is the router's,
        // the WAN's (never a private LAN address) the WAN address.
        f.routerAddress = map.Discovered->lanAddress;
        f.wanAddress = map.Discovered->wanAddress;
        return f;
    }
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
    // link that is down) shows none rather than another interface's. Without its ifIndex the
    // last address of the table stands in.
    if (!map.WanIfIndex.empty())
        f.wanAddress = addressOn(map.WanIfIndex).value_or(std::string());
    else
        f.wanAddress = addresses.empty() ? std::string() : addresses.back();
    abandoned(link, f.head);
    return f;
}

std::optional<std::string> LinkStatusRow(const InterfaceMap &map) {
    // A router found by walking: the line's state, else the WAN's; never a row 0 that no
    // router has.
    if (const std::optional<Discovery> &discovered = map.Discovered) {
        const std::optional<std::int64_t> watched = discovered->LinkInterface();
        if (!watched)
            return std::nullopt;
        return std::to_string(*watched);
    }
    return map.WanRow;
}

LinkPoll PollLink(RouterLink &link, const LinkPollRequest &request) {
    LinkPoll p;
    const std::optional<std::string> watched = LinkStatusRow(link.Interfaces());
    if (!watched) {
        p.nothingToWatch = true;
        return p;
    }
    const std::string &row = *watched;
    std::string status;
    if (!link.GetAny(oid::IfCell(oid::IfColumn::OperStatus, row), status)) {
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
