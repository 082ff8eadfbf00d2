#pragma once
// The queries of the Interfaces page, of the IP page with its three tables, of the UDP page
// with its listener table, and of the Debug page's raw dumps, and what each reads. Like the
// other queries they run on a RouterLink, one request at a time in the order the window has
// always asked; the table texts are made here too, so the window only puts them in their boxes.

#include "core/results.h"
#include "core/routerlink.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::core {

// The ifTable figures of one interface, in the order they are asked.
enum class IfFigure {
    Status,          // ifOperStatus
    Mtu,             // ifMtu (not asked for the WAN interface)
    InOctets,        // ifInOctets
    OutOctets,       // ifOutOctets
    InErrors,        // ifInErrors
    InUnknownProtos, // ifInUnknownProtos
    OutErrors,       // ifOutErrors
    OutQLen,         // ifOutQLen
};
constexpr int IfFigureCount = 8;

// The interfaces, in the order they are asked.
enum class IfGroup { Lan, Usb, Wan };
constexpr int IfGroupCount = 3;

// The figure's ifTable cell at row.
std::string IfFigureOid(IfFigure figure, const std::string &row);
bool IfFigureAsked(IfGroup group, IfFigure figure);

struct InterfaceGroupReading {
    bool asked = false;
    // Nothing where no reply came or the figure was not asked: the status; an octet counter's
    // low 32 bits; every other figure's reply as it came.
    std::optional<LinkState> status;
    // Counter32, or Counter64 where a router found by walking answers ifHCInOctets/ifHCOutOctets.
    std::array<std::optional<std::uint64_t>, IfFigureCount> octets;
    std::array<std::optional<std::string>, IfFigureCount> replies;
    // A counter reply that is no number ended this group (USB and WAN): its message.
    std::string error;

    const std::optional<std::string> &Reply(IfFigure figure) const {
        return replies[std::size_t(figure)];
    }
    const std::optional<std::uint64_t> &Octets(IfFigure figure) const {
        return octets[std::size_t(figure)];
    }
};

struct InterfaceFigures {
    ResultHead head; // the LAN status probes; a LAN counter that is no number ends the query
    InterfaceMap interfaces; // the rows and ifIndex values the query used
    std::array<InterfaceGroupReading, IfGroupCount> groups;
    bool wanStatusFailed = false; // the WAN status got no answer: nothing was asked after it

    const InterfaceGroupReading &Group(IfGroup group) const { return groups[std::size_t(group)]; }
};

// The LAN, USB and WAN figures at the rows of the interface map.
InterfaceFigures ReadInterfaces(RouterLink &link);

// One subtree walked for a table.
struct TableWalk {
    bool asked = false;    // the query got as far as this walk
    bool complete = false; // every step answered
    // The walk's lines (each value in double quotes), without the empty value that a step
    // without answer adds: only what the router gave.
    std::vector<std::string> rows;
    // The walk's bindings instead, for a table read as typed values.
    std::vector<Binding> bindings;
    QString text; // the table as its box shows it

    bool Failed() const { return asked && !complete; }
    bool AnyRead() const { return !rows.empty() || !bindings.empty(); }
};

TableWalk WalkTable(RouterLink &link, const std::string &base);

// The IP page: the statistics (the first probes), then the address, route and net-to-media
// tables; a walk that fails ends the query.
struct IpFigures {
    ResultHead head;
    RowReadings statistics;
    std::array<TableWalk, 3> tables; // in the order of IpTable
};
IpFigures ReadIp(RouterLink &link, const std::vector<std::string> &statisticOids);

// The UDP page: the statistics (the first probes), then the two listener columns, each walked
// whatever became of the other.
struct UdpFigures {
    ResultHead head;
    RowReadings statistics;
    TableWalk addresses;
    TableWalk ports;
    QString text; // the listener table as its box shows it
};
UdpFigures ReadUdp(RouterLink &link, const std::vector<std::string> &statisticOids);

// A raw dump of a subtree for the Debug page.
struct DumpReading {
    ResultHead head;
    TableWalk walk; // its text: the lines as the log shows them
};
DumpReading ReadDump(RouterLink &link, const std::string &base);

} // namespace vantrel::core
