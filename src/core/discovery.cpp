#include "core/discovery.h"

#include "core/bytetext.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

namespace vantrel::core {

namespace {

using Index = std::int64_t;

// Decimal digits with an optional minus sign, within 64 bits; nothing for anything else.
std::optional<std::int64_t> integerOf(const std::string &text) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative)
        i = 1;
    if (i >= text.size() || text.size() - i > 18)
        return std::nullopt;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        v = v * 10 + (text[i] - '0');
    }
    return negative ? -v : v;
}

std::optional<std::uint32_t> unsigned32Of(const std::string &text) {
    const auto v = integerOf(text);
    if (!v || *v < 0 || *v > 0xFFFFFFFFLL)
        return std::nullopt;
    return static_cast<std::uint32_t>(*v);
}

// The arcs behind base + "." in oid; false when oid is not under base or an arc is no number.
bool arcsUnder(const std::string &oid, const char *base, std::vector<std::int64_t> &arcs) {
    const std::string prefix = std::string(base) + ".";
    if (oid.compare(0, prefix.size(), prefix) != 0)
        return false;
    arcs.clear();
    std::size_t start = prefix.size();
    while (start <= oid.size()) {
        const std::size_t dot = std::min(oid.find('.', start), oid.size());
        const auto arc = integerOf(oid.substr(start, dot - start));
        if (!arc || *arc < 0 || *arc > 0xFFFFFFFFLL)
            return false;
        arcs.push_back(*arc);
        start = dot + 1;
    }
    return !arcs.empty();
}

// An ifIndex as an index arc: 1 to 2^31-1.
bool validIndex(std::int64_t v) {
    return v >= 1 && v <= 0x7FFFFFFF;
}

std::optional<std::array<int, 4>> octetsOf(const std::string &dotted) {
    std::array<int, 4> octets{};
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t dot = i < 3 ? dotted.find('.', start) : dotted.size();
        if (dot == std::string::npos || dot == start || dot - start > 3)
            return std::nullopt;
        const auto v = integerOf(dotted.substr(start, dot - start));
        if (!v || *v < 0 || *v > 255)
            return std::nullopt;
        octets[std::size_t(i)] = int(*v);
        start = dot + 1;
    }
    return octets;
}

std::string dottedOf(const std::vector<std::int64_t> &arcs, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < from + 4; ++i)
        text += (text.empty() ? "" : ".") + std::to_string(arcs[i]);
    return text;
}

bool isAddressArcs(const std::vector<std::int64_t> &arcs, std::size_t from) {
    if (arcs.size() != from + 4)
        return false;
    return std::all_of(arcs.begin() + std::ptrdiff_t(from), arcs.end(),
                       [](std::int64_t a) { return a <= 255; });
}

bool isLine(const InterfaceRow &row) {
    return LineKindOf(row.type) != LineKind::None;
}

bool hasType(const InterfaceRow *row, std::initializer_list<std::int64_t> types) {
    return row != nullptr && row->type &&
           std::find(types.begin(), types.end(), *row->type) != types.end();
}

bool isUp(const InterfaceRow *row) {
    return row != nullptr && row->operStatus == 1;
}

// How likely an interface of this type is the WAN: lower is likelier.
int wanRank(const InterfaceRow *row) {
    if (hasType(row, {iftype::Ppp, iftype::PppMultilinkBundle}))
        return 0;
    if (hasType(row, {iftype::Atm, iftype::Aal5}))
        return 1;
    if (hasType(row, {iftype::EthernetCsmacd, iftype::L2vlan}))
        return 2;
    if (hasType(row, {iftype::Interleave, iftype::Fast}))
        return 4;
    return 3;
}

// How likely an interface of this type is the LAN: bridges first, then Ethernet ports.
int lanRank(const InterfaceRow *row) {
    if (hasType(row, {iftype::Bridge}))
        return 0;
    if (hasType(row, {iftype::EthernetCsmacd, iftype::L2vlan}))
        return 1;
    return 2;
}

// The best of candidates by rank, then up before down, then the lowest index.
template <class Rank>
std::optional<Index> best(const DiscoveryInput &input, const std::vector<Index> &candidates,
                          Rank rank) {
    std::optional<Index> chosen;
    auto key = [&](Index i) {
        const InterfaceRow *row = input.Find(i);
        return std::make_tuple(rank(i, row), isUp(row) ? 0 : 1, i);
    };
    for (Index i : candidates)
        if (!chosen || key(i) < key(*chosen))
            chosen = i;
    return chosen;
}

// Every interface above from in the stack, with its distance from it (1: directly on it).
std::map<Index, int> stackedAbove(const DiscoveryInput &input, Index from) {
    std::map<Index, int> depth;
    std::vector<Index> level{from};
    for (int d = 1; !level.empty() && d <= 16; ++d) {
        std::vector<Index> next;
        for (const StackEntry &e : input.stack)
            if (std::find(level.begin(), level.end(), e.lower) != level.end() && e.higher != from &&
                depth.emplace(e.higher, d).second)
                next.push_back(e.higher);
        level = std::move(next);
    }
    return depth;
}

std::vector<std::string> addressesOn(const DiscoveryInput &input, Index index) {
    std::vector<std::string> found;
    for (const AddressEntry &a : input.addresses)
        if (a.ifIndex == index)
            found.push_back(a.address);
    return found;
}

bool holds(const DiscoveryInput &input, Index index, bool (*test)(const std::string &)) {
    return std::any_of(input.addresses.begin(), input.addresses.end(), [&](const AddressEntry &a) {
        return a.ifIndex == index && test(a.address);
    });
}

std::optional<Index> findLine(const DiscoveryInput &input) {
    std::vector<Index> lines;
    for (const InterfaceRow &row : input.interfaces)
        if (isLine(row))
            lines.push_back(row.index);
    return best(input, lines, [](Index, const InterfaceRow *) { return 0; });
}

std::vector<Index> findChannels(const DiscoveryInput &input, Index line) {
    std::vector<Index> channels, onLine;
    const bool stacked = std::any_of(input.stack.begin(), input.stack.end(),
                                     [&](const StackEntry &e) { return e.lower == line; });
    for (const StackEntry &e : input.stack)
        if (e.lower == line)
            onLine.push_back(e.higher);
    for (const InterfaceRow &row : input.interfaces) {
        const bool channelType = hasType(&row, {iftype::Interleave, iftype::Fast});
        const bool onThisLine = std::find(onLine.begin(), onLine.end(), row.index) != onLine.end();
        // Without a stack table every channel belongs to the line; with one, only its own.
        if (channelType && (!stacked || onThisLine))
            channels.push_back(row.index);
    }
    if (channels.empty())
        channels = onLine;
    std::sort(channels.begin(), channels.end());
    channels.erase(std::unique(channels.begin(), channels.end()), channels.end());
    return channels;
}

std::optional<Index> findLan(const DiscoveryInput &input, const std::optional<Index> &line,
                             const std::string &routerAddress) {
    if (!routerAddress.empty() && IsPrivateAddress(routerAddress))
        for (const AddressEntry &a : input.addresses)
            if (a.address == routerAddress && validIndex(a.ifIndex))
                return a.ifIndex;
    // The interfaces carrying the line's traffic may hold an ISP's private address; they are
    // not the LAN.
    std::map<Index, int> wanSide;
    if (line)
        wanSide = stackedAbove(input, *line);
    std::vector<Index> candidates;
    for (const AddressEntry &a : input.addresses) {
        const InterfaceRow *row = input.Find(a.ifIndex);
        const bool carriesLine = wanSide.count(a.ifIndex) != 0 && !hasType(row, {iftype::Bridge});
        if (validIndex(a.ifIndex) && IsPrivateAddress(a.address) && !carriesLine &&
            !hasType(row, {iftype::Ppp, iftype::PppMultilinkBundle, iftype::SoftwareLoopback}))
            candidates.push_back(a.ifIndex);
    }
    return best(input, candidates, [](Index, const InterfaceRow *row) { return lanRank(row); });
}

std::optional<Index> findWan(const DiscoveryInput &input, const Discovery &d) {
    auto excluded = [&](Index i) {
        const InterfaceRow *row = input.Find(i);
        return (d.lan && i == *d.lan) || (d.line && i == *d.line) ||
               (row != nullptr && (isLine(*row) || hasType(row, {iftype::SoftwareLoopback})));
    };
    const std::map<Index, int> chain =
        d.line ? stackedAbove(input, *d.line) : std::map<Index, int>();

    // A public address on the line's own stack, the topmost first.
    std::vector<Index> candidates;
    for (const auto &[i, depth] : chain)
        if (!excluded(i) && holds(input, i, IsPublicAddress))
            candidates.push_back(i);
    auto higher = [&](Index i, const InterfaceRow *) { return -chain.at(i); };
    if (auto wan = best(input, candidates, higher))
        return wan;

    // A public address anywhere, on the likeliest kind of interface.
    candidates.clear();
    for (const AddressEntry &a : input.addresses)
        if (validIndex(a.ifIndex) && !excluded(a.ifIndex) && IsPublicAddress(a.address))
            candidates.push_back(a.ifIndex);
    auto byType = [](Index, const InterfaceRow *row) { return wanRank(row); };
    if (auto wan = best(input, candidates, byType))
        return wan;

    // No public address (the link is down, or the ISP hands out a shared one): the top of the
    // line's stack, channels only when nothing else runs on the line.
    candidates.clear();
    for (const auto &[i, depth] : chain)
        if (!excluded(i))
            candidates.push_back(i);
    auto topFirst = [&](Index i, const InterfaceRow *row) {
        return (wanRank(row) == 4 ? 1000 : 0) - chain.at(i);
    };
    if (auto wan = best(input, candidates, topFirst))
        return wan;

    // No stack table: a PPP or ATM interface.
    candidates.clear();
    for (const InterfaceRow &row : input.interfaces)
        if (!excluded(row.index) && wanRank(&row) <= 1)
            candidates.push_back(row.index);
    if (auto wan = best(input, candidates, byType))
        return wan;
    return d.channels.empty() ? std::nullopt : std::optional<Index>(d.channels.front());
}

// The WAN's address: a public one first; never an address the LAN interface holds.
std::string wanAddressOf(const DiscoveryInput &input, const Discovery &d) {
    if (!d.wan || (d.lan && *d.wan == *d.lan))
        return std::string();
    const std::vector<std::string> onWan = addressesOn(input, *d.wan);
    const std::vector<std::string> onLan =
        d.lan ? addressesOn(input, *d.lan) : std::vector<std::string>();
    std::string chosen;
    for (const std::string &a : onWan) {
        if (std::find(onLan.begin(), onLan.end(), a) != onLan.end())
            continue;
        if (IsPublicAddress(a))
            return a;
        if (chosen.empty())
            chosen = a;
    }
    return chosen;
}

std::string lanAddressOf(const DiscoveryInput &input, const Discovery &d,
                         const std::string &routerAddress) {
    if (!d.lan)
        return std::string();
    const std::vector<std::string> onLan = addressesOn(input, *d.lan);
    if (std::find(onLan.begin(), onLan.end(), routerAddress) != onLan.end())
        return routerAddress;
    for (const std::string &a : onLan)
        if (IsPrivateAddress(a))
            return a;
    return onLan.empty() ? std::string() : onLan.front();
}

} // namespace

std::vector<std::string> DiscoveryWalkBases() {
    return {DiscoveryOid::IfDescr,
            DiscoveryOid::IfType,
            DiscoveryOid::IfSpeed,
            DiscoveryOid::IfOperStatus,
            DiscoveryOid::IfName,
            DiscoveryOid::IfHighSpeed,
            DiscoveryOid::IfStackStatus,
            DiscoveryOid::IpAdEntIfIndex,
            DiscoveryOid::IpAddressIfIndexV4};
}

const InterfaceRow *DiscoveryInput::Find(std::int64_t index) const {
    const auto it =
        std::lower_bound(interfaces.begin(), interfaces.end(), index,
                         [](const InterfaceRow &row, std::int64_t i) { return row.index < i; });
    return it != interfaces.end() && it->index == index ? &*it : nullptr;
}

DiscoveryInput DiscoveryInputFromBindings(const std::vector<WalkBinding> &bindings) {
    std::map<Index, InterfaceRow> rows;
    std::set<std::pair<Index, Index>> stack;
    std::map<std::string, Index> addresses; // address -> ifIndex (0: not given)
    std::vector<std::string> addressOrder;
    auto row = [&rows](Index i) -> InterfaceRow & {
        InterfaceRow &r = rows[i];
        r.index = i;
        return r;
    };
    auto address = [&](const std::string &dotted, Index ifIndex) {
        auto [it, added] = addresses.emplace(dotted, ifIndex);
        if (added)
            addressOrder.push_back(dotted);
        else if (ifIndex != 0)
            it->second = ifIndex;
    };

    struct Column {
        const char *oid;
        void (*set)(InterfaceRow &, const std::string &);
    };
    static const Column columns[] = {
        {DiscoveryOid::IfIndex, [](InterfaceRow &, const std::string &) {}},
        {DiscoveryOid::IfDescr, [](InterfaceRow &r, const std::string &v) { r.descr = v; }},
        {DiscoveryOid::IfType,
         [](InterfaceRow &r, const std::string &v) { r.type = integerOf(v); }},
        {DiscoveryOid::IfSpeed,
         [](InterfaceRow &r, const std::string &v) { r.speed = unsigned32Of(v); }},
        {DiscoveryOid::IfOperStatus,
         [](InterfaceRow &r, const std::string &v) { r.operStatus = integerOf(v); }},
        {DiscoveryOid::IfName, [](InterfaceRow &r, const std::string &v) { r.name = v; }},
        {DiscoveryOid::IfHighSpeed,
         [](InterfaceRow &r, const std::string &v) { r.highSpeed = unsigned32Of(v); }},
    };

    std::vector<std::int64_t> arcs;
    for (const WalkBinding &b : bindings) {
        const auto number = integerOf(b.value);
        if (arcsUnder(b.oid, DiscoveryOid::IfStackStatus, arcs)) {
            // Rows with a 0 mark the top and bottom of the stack, not a layer.
            if (arcs.size() == 2 && validIndex(arcs[0]) && validIndex(arcs[1]))
                stack.emplace(arcs[0], arcs[1]);
        } else if (arcsUnder(b.oid, DiscoveryOid::IpAdEntIfIndex, arcs)) {
            if (isAddressArcs(arcs, 0) && number && validIndex(*number))
                address(dottedOf(arcs, 0), *number);
        } else if (arcsUnder(b.oid, DiscoveryOid::IpAdEntAddr, arcs)) {
            if (isAddressArcs(arcs, 0))
                address(dottedOf(arcs, 0), 0);
        } else if (arcsUnder(b.oid, DiscoveryOid::IpAddressIfIndexV4, arcs)) {
            if (isAddressArcs(arcs, 0) && number && validIndex(*number))
                address(dottedOf(arcs, 0), *number);
        } else {
            for (const Column &c : columns)
                if (arcsUnder(b.oid, c.oid, arcs) && arcs.size() == 1 && validIndex(arcs[0]))
                    c.set(row(arcs[0]), b.value);
        }
    }

    DiscoveryInput input;
    for (auto &[i, r] : rows)
        input.interfaces.push_back(std::move(r));
    for (const auto &[higher, lower] : stack)
        input.stack.push_back({higher, lower});
    for (const std::string &a : addressOrder)
        input.addresses.push_back({a, addresses[a]});
    return input;
}

LineKind LineKindOf(std::optional<std::int64_t> type) {
    switch (type.value_or(0)) {
    case iftype::Adsl:
        return LineKind::Adsl;
    case iftype::Adsl2:
        return LineKind::Adsl2;
    case iftype::Adsl2Plus:
        return LineKind::Adsl2Plus;
    case iftype::Vdsl:
        return LineKind::Vdsl;
    case iftype::Vdsl2:
        return LineKind::Vdsl2;
    case iftype::Shdsl:
        return LineKind::Shdsl;
    default:
        return LineKind::None;
    }
}

const char *LineKindText(LineKind kind) {
    switch (kind) {
    case LineKind::Adsl:
        return "ADSL";
    case LineKind::Adsl2:
        return "ADSL2";
    case LineKind::Adsl2Plus:
        return "ADSL2+";
    case LineKind::Vdsl:
        return "VDSL";
    case LineKind::Vdsl2:
        return "VDSL2";
    case LineKind::Shdsl:
        return "G.SHDSL";
    case LineKind::None:
        break;
    }
    return "DSL";
}

std::optional<std::int64_t> Discovery::LinkInterface() const {
    return line ? line : wan;
}

Discovery Discover(const DiscoveryInput &input, const InterfaceChoice &choice,
                   const std::string &routerAddress) {
    Discovery d;
    d.lineChosen = choice.line.has_value();
    d.line = d.lineChosen ? choice.line : findLine(input);
    if (d.line) {
        const InterfaceRow *row = input.Find(*d.line);
        d.lineKind = row != nullptr ? LineKindOf(row->type) : LineKind::None;
        d.channels = findChannels(input, *d.line);
    }
    d.lanChosen = choice.lan.has_value();
    d.lan = d.lanChosen ? choice.lan : findLan(input, d.line, routerAddress);
    d.wanChosen = choice.wan.has_value();
    d.wan = d.wanChosen ? choice.wan : findWan(input, d);
    d.wanAddress = wanAddressOf(input, d);
    d.lanAddress = lanAddressOf(input, d, routerAddress);
    return d;
}

QString InterfaceLabel(const DiscoveryInput &input, std::int64_t index) {
    const InterfaceRow *row = input.Find(index);
    if (row != nullptr && !row->name.empty())
        return RouterText(row->name);
    if (row != nullptr && !row->descr.empty())
        return RouterText(row->descr);
    return QStringLiteral("interface %1").arg(index);
}

QString DiscoverySummary(const Discovery &d, const DiscoveryInput &input) {
    auto role = [&input](const char *caption, const std::optional<Index> &index) {
        QString text = QLatin1String(caption) + QLatin1String(": ");
        if (!index)
            return text + QLatin1String("none found");
        if (input.Find(*index) == nullptr)
            return text + QStringLiteral("interface %1 (not listed by the router)").arg(*index);
        return text +
               QStringLiteral("%1 (interface %2)").arg(InterfaceLabel(input, *index)).arg(*index);
    };
    QString line;
    if (!d.line)
        line = QStringLiteral("No DSL line found");
    else if (d.lineKind == LineKind::None)
        line = QStringLiteral("Line at interface %1").arg(*d.line);
    else
        line = QStringLiteral("%1 line at interface %2")
                   .arg(QLatin1String(LineKindText(d.lineKind)))
                   .arg(*d.line);
    return line + QLatin1String("; ") + role("WAN", d.wan) + QLatin1String("; ") +
           role("LAN", d.lan);
}

bool IsPrivateAddress(const std::string &dotted) {
    const auto o = octetsOf(dotted);
    if (!o)
        return false;
    return (*o)[0] == 10 || ((*o)[0] == 172 && ((*o)[1] & 0xF0) == 16) ||
           ((*o)[0] == 192 && (*o)[1] == 168);
}

bool IsPublicAddress(const std::string &dotted) {
    const auto o = octetsOf(dotted);
    if (!o || IsPrivateAddress(dotted))
        return false;
    const int a = (*o)[0], b = (*o)[1];
    return a != 0 && a != 127 && a < 224 && !(a == 100 && (b & 0xC0) == 64) &&
           !(a == 169 && b == 254);
}

} // namespace vantrel::core
