#include "routersim/routersimulation.h"

#include "snmp/ber.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace vantrel::tools {

namespace ber = vantrel::snmp::ber;

using std::chrono::milliseconds;

namespace {

const std::string SysUpTime = "1.3.6.1.2.1.1.3.0";
const std::string IfEntry = "1.3.6.1.2.1.2.2.1.";
constexpr int IfDescrColumn = 2;
constexpr int IfOperStatusColumn = 8;
constexpr int IfLastChangeColumn = 9;
constexpr std::uint64_t Wrap32 = 0x100000000ULL;
constexpr double Pi = 3.14159265358979323846;

// Counters of the WAN rows that grow with the traffic. The ATM row counts the same frames, and
// its octets include the 5-byte header of every 53-byte cell.
struct Growth {
    int column;
    std::uint64_t perSecond;
    bool cellOverhead;
};
const Growth WanGrowth[] = {
    {10, RouterSimulation::DownBytesPerSecond, true},         // ifInOctets
    {11, RouterSimulation::DownBytesPerSecond / 1000, false}, // ifInUcastPkts, ~1000-byte frames
    {16, RouterSimulation::UpBytesPerSecond, true},           // ifOutOctets
    {17, RouterSimulation::UpBytesPerSecond / 250, false},    // ifOutUcastPkts, mostly acks
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

// "<column>.<row>" behind the ifEntry prefix; false for anything else.
bool ifTableCell(const std::string &oid, int &column, int &row) {
    if (oid.compare(0, IfEntry.size(), IfEntry) != 0)
        return false;
    std::vector<std::uint32_t> arcs;
    if (!LoopbackAgent::ParseOid(oid.substr(IfEntry.size()), arcs) || arcs.size() != 2 ||
        arcs[0] > 1000 || arcs[1] > 0x7FFFFFFF)
        return false;
    column = static_cast<int>(arcs[0]);
    row = static_cast<int>(arcs[1]);
    return true;
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
    return findWanRows(text);
}

bool RouterSimulation::findWanRows(const std::string &text) {
    wanRows_.clear();
    wanKinds_.clear();
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string oid;
        AgentValue value;
        int column = 0, row = 0;
        if (line.empty() || line[0] == '#' ||
            !LoopbackAgent::ParseSnmprecLine(line, oid, value, nullptr) ||
            !ifTableCell(oid, column, row) || column != IfDescrColumn)
            continue;
        // The agent keeps the last line of an OID given twice; so does this scan.
        const auto known = std::find(wanRows_.begin(), wanRows_.end(), row);
        if (known != wanRows_.end()) {
            wanKinds_.erase(wanKinds_.begin() + (known - wanRows_.begin()));
            wanRows_.erase(known);
        }
        if (value.content == "ATM" || value.content == "RFC-2364") {
            wanRows_.push_back(row);
            wanKinds_.push_back(value.content == "ATM" ? WanKind::Atm : WanKind::Ppp);
        }
    }
    return true;
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

void RouterSimulation::Apply(const std::string &oid, AgentValue &value) const {
    const milliseconds now = Elapsed();
    if (oid == SysUpTime) {
        if (value.tag == ber::TimeTicks)
            value.content =
                ber::UnsignedContent((unsignedOf(value.content) + ticksOf(now)) % Wrap32);
        return;
    }

    int column = 0, row = 0;
    if (ifTableCell(oid, column, row)) {
        const auto wan = std::find(wanRows_.begin(), wanRows_.end(), row);
        if (wan == wanRows_.end())
            return;
        const WanKind kind = wanKinds_[static_cast<std::size_t>(wan - wanRows_.begin())];
        if (column == IfOperStatusColumn) {
            value = {ber::Integer, ber::IntegerContent(LinkUpAt(now) ? 1 : 2)};
            return;
        }
        if (column == IfLastChangeColumn) {
            const milliseconds change = LastChangeAt(now);
            const auto uptime = agent_.Get(SysUpTime);
            if (change.count() >= 0 && uptime && uptime->tag == ber::TimeTicks &&
                value.tag == ber::TimeTicks)
                value.content =
                    ber::UnsignedContent((unsignedOf(uptime->content) + ticksOf(change)) % Wrap32);
            return;
        }
        for (const Growth &g : WanGrowth) {
            if (g.column != column || value.tag != ber::Counter)
                continue;
            const auto up = static_cast<std::uint64_t>(UpTimeAt(now).count());
            std::uint64_t grown = g.perSecond * up / 1000;
            if (g.cellOverhead && kind == WanKind::Atm)
                grown = grown * 53 / 48;
            value.content = ber::UnsignedContent((unsignedOf(value.content) + grown) % Wrap32);
            return;
        }
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
