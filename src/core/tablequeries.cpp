#include "core/tablequeries.h"

#include "core/convert.h"
#include "core/oids.h"
#include "core/queries.h"
#include "core/tabletext.h"

#include <cstdint>

namespace vantrel::core {

namespace {

// ifTable column of each figure, in IfFigure order.
const oid::IfColumn kIfColumns[IfFigureCount] = {
    oid::IfColumn::OperStatus, oid::IfColumn::Mtu,      oid::IfColumn::InOctets,
    oid::IfColumn::OutOctets,  oid::IfColumn::InErrors, oid::IfColumn::InUnknownProtos,
    oid::IfColumn::OutErrors,  oid::IfColumn::OutQLen,
};

// The three IP tables, in IpTable order.
const std::string *const kIpTables[] = {&oid::IpAddrTable, &oid::IpRouteTable,
                                        &oid::IpNetToMediaTable};

bool isCounter(IfFigure figure) {
    return figure == IfFigure::InOctets || figure == IfFigure::OutOctets;
}

// ifHCInOctets or ifHCOutOctets of a row, when the agent answers it as a Counter64 (a v1
// agent never does).
std::optional<std::uint64_t> readCounter64(RouterLink &link, IfFigure figure,
                                           const std::string &row) {
    const std::string column =
        figure == IfFigure::InOctets ? "1.3.6.1.2.1.31.1.1.1.6." : "1.3.6.1.2.1.31.1.1.1.10.";
    Binding binding;
    if (link.GetBinding(column + row, binding) != Answer::Value || binding.type != 0x46)
        return std::nullopt;
    try {
        return std::uint64_t(std::stoull(binding.value));
    } catch (const std::exception &) {
        return std::nullopt;
    }
}

// Marks a query abandoned part-way; true when it was.
bool abandoned(RouterLink &link, ResultHead &head) {
    if (!link.Cancelled())
        return false;
    head.outcome.cancelled = true;
    return true;
}

// The statistics that open a page: their outcome is the query's so far.
bool readStatistics(RouterLink &link, const std::vector<std::string> &oids, RowReadings &readings,
                    ResultHead &head) {
    readings = ReadRows(link, oids);
    head.outcome = readings.head.outcome;
    return head.outcome.Completed();
}

} // namespace

std::string IfFigureOid(IfFigure figure, const std::string &row) {
    return oid::IfCell(kIfColumns[int(figure)], row);
}

bool IfFigureAsked(IfGroup group, IfFigure figure) {
    return !(group == IfGroup::Wan && figure == IfFigure::Mtu);
}

InterfaceFigures ReadInterfaces(RouterLink &link) {
    InterfaceFigures f;
    f.interfaces = link.Interfaces();
    const std::string rows[IfGroupCount] = {f.interfaces.LanRow, f.interfaces.UsbRow,
                                            f.interfaces.WanRow};
    const bool discovered = f.interfaces.Discovered.has_value();
    for (int g = 0; g < IfGroupCount; ++g) {
        const auto group = IfGroup(g);
        InterfaceGroupReading &reading = f.groups[std::size_t(g)];
        // A router found by walking: a role it has no interface for (its USB) is not asked.
        if (discovered && rows[g] == "0")
            continue;
        reading.asked = true;
        for (int i = 0; i < IfFigureCount; ++i) {
            const auto figure = IfFigure(i);
            if (!IfFigureAsked(group, figure))
                continue;
            if (discovered && isCounter(figure)) {
                if (const auto octets = readCounter64(link, figure, rows[g])) {
                    reading.octets[std::size_t(i)] = octets;
                    continue;
                }
            }
            std::string value;
            if (!link.GetAny(IfFigureOid(figure, rows[g]), value)) {
                if (abandoned(link, f.head))
                    return f;
                // The LAN status probes the router; the WAN status ends the refresh too. The
                // USB status, like every other figure, is passed over.
                if (figure == IfFigure::Status && group == IfGroup::Lan) {
                    f.head.outcome.probeFailed = true;
                    return f;
                }
                if (figure == IfFigure::Status && group == IfGroup::Wan) {
                    f.wanStatusFailed = true;
                    return f;
                }
                continue;
            }
            if (figure == IfFigure::Status) {
                reading.status = LinkStateOf(value);
                continue;
            }
            if (isCounter(figure)) {
                // A WAN interface that reports no count has moved nothing.
                if (group == IfGroup::Wan && value.empty())
                    value = "0";
                try {
                    // Counter32: only the low 32 bits count.
                    reading.octets[std::size_t(i)] = std::uint32_t(StrToInt64(value));
                } catch (const ConvertError &e) {
                    // Unguarded in the LAN group: the refresh ends. The USB and WAN groups
                    // report it and go on with the next group.
                    if (group == IfGroup::Lan) {
                        f.head.outcome.conversionError = e.what();
                        return f;
                    }
                    reading.error = e.what();
                    break;
                }
                continue;
            }
            reading.replies[std::size_t(i)] = value;
        }
    }
    return f;
}

TableWalk WalkTable(RouterLink &link, const std::string &base) {
    TableWalk walk;
    walk.asked = true;
    walk.complete = link.Walk(base, walk.rows);
    // A step without answer still adds an empty value to the line of the last object reached
    // (a line of its own when it was the first step); the router never gave it.
    if (!walk.complete && !walk.rows.empty()) {
        std::string &last = walk.rows.back();
        const std::string failed = ",\"\"";
        if (last == "\"\"")
            walk.rows.pop_back();
        else if (last.size() > failed.size() &&
                 last.compare(last.size() - failed.size(), failed.size(), failed) == 0)
            last.resize(last.size() - failed.size());
    }
    return walk;
}

IpFigures ReadIp(RouterLink &link, const std::vector<std::string> &statisticOids) {
    IpFigures f;
    if (!readStatistics(link, statisticOids, f.statistics, f.head))
        return f;
    for (std::size_t t = 0; t < f.tables.size(); ++t) {
        TableWalk &walk = f.tables[t];
        walk.asked = true;
        walk.complete = link.WalkBindings(*kIpTables[t], walk.bindings);
        walk.text = IpTableText(IpTable(t), *kIpTables[t], walk.bindings);
        // A table that could not be read ends the refresh: the ones after it keep their text.
        if (!walk.complete) {
            abandoned(link, f.head);
            return f;
        }
    }
    return f;
}

UdpFigures ReadUdp(RouterLink &link, const std::vector<std::string> &statisticOids) {
    UdpFigures f;
    if (!readStatistics(link, statisticOids, f.statistics, f.head))
        return f;
    f.addresses = WalkTable(link, oid::UdpLocalAddress);
    if (abandoned(link, f.head))
        return f;
    f.ports = WalkTable(link, oid::UdpLocalPort);
    if (abandoned(link, f.head))
        return f;
    f.text = UdpListenerText(f.addresses.rows, f.ports.rows);
    return f;
}

DumpReading ReadDump(RouterLink &link, const std::string &base) {
    DumpReading d;
    d.walk = WalkTable(link, base);
    if (abandoned(link, d.head))
        return d;
    d.walk.text = DumpText(d.walk.rows);
    return d;
}

} // namespace vantrel::core
