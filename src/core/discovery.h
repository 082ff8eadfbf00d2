#pragma once
// Which of a router's interfaces is the DSL line, which are its channels, the WAN and the LAN,
// decided from walks of the interface, stack and address tables by interface type and address,
// never by one maker's interface names. Pure: the walks come in as typed rows, the decision goes
// out as ifIndex values, so any router (and any recording of one) can be classified the same way.

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::core {

// The columns discovery walks, each on its own so a walk costs one request per row. An agent
// that lacks one (ifXTable, ifStackTable, ipAddressTable) leaves that part empty.
struct DiscoveryOid {
    static constexpr const char *IfIndex = "1.3.6.1.2.1.2.2.1.1";
    static constexpr const char *IfDescr = "1.3.6.1.2.1.2.2.1.2";
    static constexpr const char *IfType = "1.3.6.1.2.1.2.2.1.3";
    static constexpr const char *IfSpeed = "1.3.6.1.2.1.2.2.1.5";
    static constexpr const char *IfOperStatus = "1.3.6.1.2.1.2.2.1.8";
    static constexpr const char *IfName = "1.3.6.1.2.1.31.1.1.1.1";
    static constexpr const char *IfHighSpeed = "1.3.6.1.2.1.31.1.1.1.15";
    static constexpr const char *IfStackStatus = "1.3.6.1.2.1.31.1.2.1.3";
    static constexpr const char *IpAdEntAddr = "1.3.6.1.2.1.4.20.1.1";
    static constexpr const char *IpAdEntIfIndex = "1.3.6.1.2.1.4.20.1.2";
    // ipAddressIfIndex of the newer address table, indexed by type (1: IPv4), length, address.
    static constexpr const char *IpAddressIfIndexV4 = "1.3.6.1.2.1.4.34.1.3.1.4";
};

// The subtrees to walk, in the order a discovery reads them.
std::vector<std::string> DiscoveryWalkBases();

// ifType values (IANAifType-MIB) that discovery tells apart.
namespace iftype {
constexpr std::int64_t EthernetCsmacd = 6;
constexpr std::int64_t Ppp = 23;
constexpr std::int64_t SoftwareLoopback = 24;
constexpr std::int64_t Atm = 37;
constexpr std::int64_t Aal5 = 49;
constexpr std::int64_t Adsl = 94;
constexpr std::int64_t Vdsl = 97;
constexpr std::int64_t PppMultilinkBundle = 108;
constexpr std::int64_t Interleave = 124;
constexpr std::int64_t Fast = 125;
constexpr std::int64_t L2vlan = 135;
constexpr std::int64_t Shdsl = 169;
constexpr std::int64_t Bridge = 209;
constexpr std::int64_t Adsl2 = 230;
constexpr std::int64_t Adsl2Plus = 238;
constexpr std::int64_t Vdsl2 = 251;
} // namespace iftype

// One row of the interface table, with the ifXTable columns where the agent has them.
struct InterfaceRow {
    std::int64_t index = 0;
    std::string descr; // ifDescr, bytes as received
    std::optional<std::int64_t> type;
    std::optional<std::int64_t> operStatus;
    std::optional<std::uint32_t> speed;     // ifSpeed, bit/s
    std::string name;                       // ifName; empty when the agent has no ifXTable
    std::optional<std::uint32_t> highSpeed; // ifHighSpeed, Mbit/s
};

// One active layer of ifStackTable: higher runs on top of lower.
struct StackEntry {
    std::int64_t higher = 0;
    std::int64_t lower = 0;
};

// One address of the router, dotted, and the interface holding it (0 when the agent gave none).
struct AddressEntry {
    std::string address;
    std::int64_t ifIndex = 0;
};

struct DiscoveryInput {
    std::vector<InterfaceRow> interfaces; // by ifIndex, ascending
    std::vector<StackEntry> stack;
    std::vector<AddressEntry> addresses;

    const InterfaceRow *Find(std::int64_t index) const;
};

// One variable binding of a walk: the OID reached and its value as the client renders it
// (numbers in decimal, addresses dotted, strings as their bytes).
struct WalkBinding {
    std::string oid;
    std::string value;
};

// The rows that the bindings of the walks of DiscoveryWalkBases() describe. Bindings of other
// subtrees and values that are not what their column holds are passed over; an address comes
// from the index of its row, so an agent that leaves out ipAdEntAddr loses nothing.
DiscoveryInput DiscoveryInputFromBindings(const std::vector<WalkBinding> &bindings);

enum class LineKind { None, Adsl, Adsl2, Adsl2Plus, Vdsl, Vdsl2, Shdsl };

// The kind of DSL line an ifType names; None for any other interface.
LineKind LineKindOf(std::optional<std::int64_t> type);
// "ADSL", "ADSL2", "ADSL2+", "VDSL", "VDSL2", "G.SHDSL"; "DSL" for None.
const char *LineKindText(LineKind kind);

// The user's own choice of interfaces (ifIndex; empty: as discovered).
struct InterfaceChoice {
    std::optional<std::int64_t> line;
    std::optional<std::int64_t> wan;
    std::optional<std::int64_t> lan;
};

// What discovery decided. Each role is an ifIndex, or empty when nothing fits. A role the user
// chose holds the chosen index even when the router does not list it (a PPP interface that only
// exists while the link is up).
struct Discovery {
    LineKind lineKind = LineKind::None;
    std::optional<std::int64_t> line;
    std::vector<std::int64_t> channels; // ascending
    std::optional<std::int64_t> wan;
    std::optional<std::int64_t> lan;
    std::string wanAddress; // dotted; empty when the WAN holds no address that is not the LAN's
    std::string lanAddress;
    bool lineChosen = false;
    bool wanChosen = false;
    bool lanChosen = false;

    // The interface whose state is the link's: the line, else the WAN.
    std::optional<std::int64_t> LinkInterface() const;
};

// Classifies the interfaces. routerAddress is the address the program reaches the router at;
// when the router holds it, its interface is the LAN.
Discovery Discover(const DiscoveryInput &input, const InterfaceChoice &choice = {},
                   const std::string &routerAddress = std::string());

// How an interface is named to the user: its ifName, else its ifDescr, else "interface N".
QString InterfaceLabel(const DiscoveryInput &input, std::int64_t index);

// One line for the System page, e.g. "VDSL2 line at interface 4; WAN: pppoe0 (interface 12);
// LAN: br0 (interface 2)".
QString DiscoverySummary(const Discovery &discovery, const DiscoveryInput &input);

// Address classes as discovery uses them.
bool IsPrivateAddress(const std::string &dotted); // 10/8, 172.16/12, 192.168/16
// Reachable from the internet: not private, shared (100.64/10), loopback, link-local,
// "this network", multicast or reserved.
bool IsPublicAddress(const std::string &dotted);

} // namespace vantrel::core
