#include "routersim/routersimulation.h"

#include "snmp/ber.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

namespace vantrel::tools {

namespace ber = vantrel::snmp::ber;

using std::chrono::milliseconds;

namespace {

const std::string SysUpTime = "1.3.6.1.2.1.1.3.0";
const std::string IfEntry = "1.3.6.1.2.1.2.2.1.";
const std::string IfXEntry = "1.3.6.1.2.1.31.1.1.1.";
const std::string IfStackStatus = "1.3.6.1.2.1.31.1.2.1.3.";
constexpr int IfDescrColumn = 2;
constexpr int IfTypeColumn = 3;
// ifType values: ATM, a bridge, the DSL lines (ADSL, VDSL, G.SHDSL, ADSL2, ADSL2+, VDSL2) and,
// for a profile without a stack table, what carries a line's traffic (PPP, ATM, channels).
constexpr std::int64_t AtmType = 37;
constexpr std::int64_t BridgeType = 209;
constexpr std::int64_t LineTypes[] = {94, 97, 169, 230, 238, 251};
constexpr std::int64_t CarrierTypes[] = {23, 37, 124, 125};
constexpr int IfOperStatusColumn = 8;
constexpr int IfLastChangeColumn = 9;
constexpr std::uint64_t Wrap32 = 0x100000000ULL;
constexpr double Pi = 3.14159265358979323846;

// Counters of the traffic rows that grow, in ifTable and in ifXTable's 64-bit columns. An ATM
// row counts the same frames, and its octets include the 5-byte header of every 53-byte cell.
struct Growth {
    int column;
    int highCapacityColumn;
    std::uint64_t perSecond;
    bool cellOverhead;
};
const Growth WanGrowth[] = {
    {10, 6, RouterSimulation::DownBytesPerSecond, true},         // ifInOctets
    {11, 7, RouterSimulation::DownBytesPerSecond / 1000, false}, // ifInUcastPkts, 1000-byte frames
    {16, 10, RouterSimulation::UpBytesPerSecond, true},          // ifOutOctets
    {17, 11, RouterSimulation::UpBytesPerSecond / 250, false},   // ifOutUcastPkts, mostly acks
};

// ADSL line objects at instance 2 that wander a little, as a real line's figures do.
struct Drift {
    const char *oid;
    std::int64_t bound;
};
const Drift LineDrift[] = {
    {"1.3.6.1.2.1.10.94.1.1.2.1.4.2", RouterSimulation::MarginDrift},      // ATU-C noise margin
    {"1.3.6.1.2.1.10.94.1.1.2.1.5.2", RouterSimulation::AttenuationDrift}, // ATU-C attenuation
    {"1.3.6.1.2.1.10.94.1.1.3.1.4.2", RouterSimulation::MarginDrift},      // ATU-R noise margin
    {"1.3.6.1.2.1.10.94.1.1.3.1.5.2", RouterSimulation::AttenuationDrift}, // ATU-R attenuation
};

std::uint64_t unsignedOf(const std::string &content) {
    std::uint64_t v = 0;
    for (unsigned char c : content)
        v = (v << 8) | c;
    return v;
}

std::int64_t signedOf(const std::string &content) {
    if (content.empty())
        return 0;
    std::int64_t v = static_cast<signed char>(content[0]);
    for (std::size_t i = 1; i < content.size(); ++i)
        v = v * 256 + static_cast<unsigned char>(content[i]);
    return v;
}

bool isUnsigned32(int tag) {
    return tag == ber::Counter || tag == ber::Gauge || tag == ber::TimeTicks;
}

// "<a>.<b>" behind prefix, each within an int; false for anything else.
bool twoArcs(const std::string &oid, const std::string &prefix, int &a, int &b) {
    if (oid.compare(0, prefix.size(), prefix) != 0)
        return false;
    std::vector<std::uint32_t> arcs;
    if (!LoopbackAgent::ParseOid(oid.substr(prefix.size()), arcs) || arcs.size() != 2 ||
        arcs[0] > 0x7FFFFFFF || arcs[1] > 0x7FFFFFFF)
        return false;
    a = static_cast<int>(arcs[0]);
    b = static_cast<int>(arcs[1]);
    return true;
}

bool ifTableCell(const std::string &oid, int &column, int &row) {
    return twoArcs(oid, IfEntry, column, row);
}

bool ifXTableCell(const std::string &oid, int &column, int &row) {
    return twoArcs(oid, IfXEntry, column, row);
}

bool stackCell(const std::string &oid, int &higher, int &lower) {
    return twoArcs(oid, IfStackStatus, higher, lower);
}

std::uint64_t ticksOf(milliseconds ms) {
    return static_cast<std::uint64_t>(ms.count()) / 10;
}

} // namespace

milliseconds RouterSimulation::SteadyClock() {
    return std::chrono::duration_cast<milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
}

RouterSimulation::RouterSimulation(Schedule schedule, Clock clock)
    : schedule_(schedule), clock_(std::move(clock)), start_(clock_()), agent_("public") {
    if (schedule_.first > schedule_.every)
        schedule_.first = schedule_.every;
    agent_.SetHook([this](const std::string &oid, AgentValue &value) { Apply(oid, value); });
}

RouterSimulation::~RouterSimulation() {
    Stop();
}

bool RouterSimulation::LoadProfile(const std::string &path, std::string *error) {
    std::string text;
    return LoopbackAgent::ReadFile(path, text, error) && LoadProfileText(text, error);
}

bool RouterSimulation::LoadProfileText(const std::string &text, std::string *error) {
    if (!agent_.LoadSnmprec(text, error))
        return false;
    findRows(text);
    return true;
}

void RouterSimulation::findRows(const std::string &text) {
    // The agent keeps the last line of an OID given twice; so does this scan.
    std::map<int, std::string> descr;
    std::map<int, std::int64_t> type;
    std::set<std::pair<int, int>> stack; // higher, lower
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (LoopbackAgent::NextSnmprecLine(in, line, number)) {
        std::string oid;
        AgentValue value;
        int column = 0, row = 0, higher = 0, lower = 0;
        if (!LoopbackAgent::ParseSnmprecLine(line, oid, value, nullptr))
            continue;
        if (ifTableCell(oid, column, row)) {
            if (column == IfDescrColumn)
                descr[row] = value.content;
            else if (column == IfTypeColumn && value.tag == ber::Integer)
                type[row] = signedOf(value.content);
            else
                descr.emplace(row, std::string());
        } else if (stackCell(oid, higher, lower) && higher > 0 && lower > 0) {
            stack.emplace(higher, lower);
        }
    }

    wanRows_.clear();
    atmRows_.clear();
    profileRows_.clear();
    std::vector<int> lines;
    bool designed = false; // the designed router: its "Bridge" and its WAN rows by name
    for (const auto &[row, name] : descr) {
        designed = designed || name == "Bridge";
        profileRows_.push_back(row);
        const auto t = type.find(row);
        const std::int64_t ifType = t == type.end() ? 0 : t->second;
        if (name == "ATM" || name == "RFC-2364")
            wanRows_.push_back(row);
        if (name == "ATM" || ifType == AtmType)
            atmRows_.push_back(row);
        if (std::find(std::begin(LineTypes), std::end(LineTypes), ifType) != std::end(LineTypes))
            lines.push_back(row);
    }

    // The designed router's WAN rows; else the line and what runs on it, up to a bridge, which
    // belongs to the LAN; without a stack table, the line and its PPP, ATM and channel rows.
    if (designed && !wanRows_.empty()) {
        defaultRows_ = wanRows_;
        return;
    }
    std::set<int> rows;
    if (!lines.empty()) {
        rows.insert(lines.begin(), lines.end());
        if (!stack.empty()) {
            for (bool grew = true; grew;) {
                grew = false;
                for (const auto &[higher, lower] : stack) {
                    const auto t = type.find(higher);
                    if (rows.count(lower) && !rows.count(higher) &&
                        (t == type.end() || t->second != BridgeType))
                        grew = rows.insert(higher).second || grew;
                }
            }
        } else {
            for (const auto &[row, ifType] : type)
                if (std::find(std::begin(CarrierTypes), std::end(CarrierTypes), ifType) !=
                    std::end(CarrierTypes))
                    rows.insert(row);
        }
    }
    defaultRows_.assign(rows.begin(), rows.end());
}

void RouterSimulation::SetDropRows(std::vector<int> rows) {
    if (rows.empty())
        dropRows_.reset();
    else
        dropRows_ = std::move(rows);
}

void RouterSimulation::SetTrafficRows(std::vector<int> rows) {
    if (rows.empty())
        trafficRows_.reset();
    else
        trafficRows_ = std::move(rows);
}

bool RouterSimulation::HasRow(int row) const {
    return std::find(profileRows_.begin(), profileRows_.end(), row) != profileRows_.end();
}

void RouterSimulation::Restart() {
    restartMs_ = static_cast<long long>(Elapsed().count());
}

milliseconds RouterSimulation::RestartedAt() const {
    return milliseconds(restartMs_.load());
}

bool RouterSimulation::Start(unsigned short port, const std::string &community) {
    agent_.SetCommunity(community);
    return agent_.Start(port);
}

void RouterSimulation::Stop() {
    agent_.Stop();
}

milliseconds RouterSimulation::Elapsed() const {
    return std::max(milliseconds(0), clock_() - start_);
}

bool RouterSimulation::dropsEnabled() const {
    return schedule_.every.count() > 0 && schedule_.length.count() > 0;
}

bool RouterSimulation::LinkUpAt(milliseconds elapsed) const {
    if (!dropsEnabled() || elapsed < schedule_.first)
        return true;
    const milliseconds every = schedule_.every;
    return (elapsed - schedule_.first) % every >= schedule_.length;
}

milliseconds RouterSimulation::UpTimeAt(milliseconds elapsed) const {
    if (!dropsEnabled() || elapsed < schedule_.first)
        return elapsed;
    const milliseconds every = schedule_.every;
    const milliseconds length = schedule_.length;
    const milliseconds since = elapsed - schedule_.first;
    const milliseconds down = (since / every) * length + std::min(since % every, length);
    return elapsed - down;
}

milliseconds RouterSimulation::LastChangeAt(milliseconds elapsed) const {
    if (!dropsEnabled() || elapsed < schedule_.first)
        return milliseconds(-1);
    const milliseconds every = schedule_.every;
    const milliseconds since = elapsed - schedule_.first;
    const milliseconds dropStart = schedule_.first + (since / every) * every;
    return since % every >= schedule_.length ? dropStart + schedule_.length : dropStart;
}

milliseconds RouterSimulation::NextChangeAt(milliseconds elapsed) const {
    if (!dropsEnabled())
        return milliseconds(-1);
    if (elapsed < schedule_.first)
        return schedule_.first;
    const milliseconds every = schedule_.every;
    const milliseconds since = elapsed - schedule_.first;
    const milliseconds dropStart = schedule_.first + (since / every) * every;
    return since % every < schedule_.length ? dropStart + schedule_.length : dropStart + every;
}

bool RouterSimulation::growCounter(int column, int row, bool highCapacity, milliseconds now,
                                   milliseconds restart, AgentValue &value) const {
    const auto &traffic = TrafficRows();
    if (std::find(traffic.begin(), traffic.end(), row) == traffic.end())
        return false;
    for (const Growth &g : WanGrowth) {
        if ((highCapacity ? g.highCapacityColumn : g.column) != column ||
            value.tag != (highCapacity ? ber::Counter64 : ber::Counter))
            continue;
        std::uint64_t up = static_cast<std::uint64_t>(UpTimeAt(now).count());
        if (restart.count() >= 0)
            up -= static_cast<std::uint64_t>(UpTimeAt(restart).count());
        std::uint64_t grown = g.perSecond * up / 1000;
        if (g.cellOverhead && std::find(atmRows_.begin(), atmRows_.end(), row) != atmRows_.end())
            grown = grown * 53 / 48;
        const std::uint64_t base = restart.count() >= 0 ? 0 : unsignedOf(value.content);
        value.content = ber::UnsignedContent(highCapacity ? base + grown : (base + grown) % Wrap32);
        return true;
    }
    return false;
}

void RouterSimulation::Apply(const std::string &oid, AgentValue &value) const {
    const milliseconds now = Elapsed();
    const milliseconds restart = RestartedAt();
    const bool restarted = restart.count() >= 0;
    // The router's uptime at a moment since the start: after a restart, from that restart.
    auto uptimeAt = [&](milliseconds at, const std::string &profileUptime) {
        if (restarted)
            return ticksOf(std::max(milliseconds(0), at - restart)) % Wrap32;
        return (unsignedOf(profileUptime) + ticksOf(at)) % Wrap32;
    };
    if (oid == SysUpTime) {
        if (value.tag == ber::TimeTicks)
            value.content = ber::UnsignedContent(uptimeAt(now, value.content));
        return;
    }

    int column = 0, row = 0;
    if (ifTableCell(oid, column, row)) {
        const auto &link = LinkRows();
        const bool linkRow = std::find(link.begin(), link.end(), row) != link.end();
        if (linkRow && column == IfOperStatusColumn) {
            value = {ber::Integer, ber::IntegerContent(LinkUpAt(now) ? 1 : 2)};
            return;
        }
        if (linkRow && column == IfLastChangeColumn) {
            const milliseconds change = LastChangeAt(now);
            const auto uptime = agent_.Get(SysUpTime);
            if ((change.count() >= 0 || restarted) && uptime && uptime->tag == ber::TimeTicks &&
                value.tag == ber::TimeTicks)
                value.content = ber::UnsignedContent(uptimeAt(change, uptime->content));
            return;
        }
        if (!growCounter(column, row, false, now, restart, value) && restarted &&
            value.tag == ber::Counter)
            value.content = ber::UnsignedContent(0);
        return;
    }
    if (ifXTableCell(oid, column, row)) {
        if (!growCounter(column, row, true, now, restart, value) && restarted &&
            (value.tag == ber::Counter || value.tag == ber::Counter64))
            value.content = ber::UnsignedContent(0);
        return;
    }
    if (restarted && (value.tag == ber::Counter || value.tag == ber::Counter64)) {
        value.content = ber::UnsignedContent(0);
        return;
    }

    double phase = 0;
    for (const Drift &drift : LineDrift) {
        phase += 1.7; // each object wanders on its own
        if (oid != drift.oid)
            continue;
        // Two slow waves of different periods, changing once a second, never past the bound.
        const double t = static_cast<double>(now.count() / 1000);
        const double wave = 0.65 * std::sin(2 * Pi * t / 53 + phase) +
                            0.35 * std::sin(2 * Pi * t / 17 + 2.3 * phase);
        const auto offset =
            static_cast<std::int64_t>(std::lround(static_cast<double>(drift.bound) * wave));
        if (value.tag == ber::Integer) {
            value.content = ber::IntegerContent(signedOf(value.content) + offset);
        } else if (isUnsigned32(value.tag)) {
            const auto base = static_cast<std::int64_t>(unsignedOf(value.content));
            value.content = ber::UnsignedContent(
                static_cast<std::uint64_t>(std::max<std::int64_t>(0, base + offset)));
        }
        return;
    }
}

} // namespace vantrel::tools
