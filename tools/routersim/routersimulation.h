#pragma once
// The simulated ADSL router: a loopback agent serving a profile (.snmprec) whose live objects are
// computed from the time since the simulation was created. Every live value is a pure function
// of that time, of the moment of the last restart and of the profile's value, so the agent
// thread needs no lock and a test clock gives exact answers:
// - sysUpTime counts on from the profile's value;
// - the link rows go down (ifOperStatus 2) for a drop length every drop period, the first drop
//   after at most a minute; ifLastChange follows. By default they are the WAN rows (ifDescr
//   "ATM" and "RFC-2364") of the designed router (the one with a "Bridge"); in another profile,
//   the DSL line (by ifType) and the interfaces stacked on it (ifStackTable; without one, the
//   PPP, ATM and channel interfaces), never a bridge. SetDropRows names others;
// - the traffic rows (the link rows, unless SetTrafficRows names others) count octets and unicast
//   packets while the link is up, in ifTable (wrapping like Counter32) and ifXTable's 64-bit
//   columns; an ATM interface adds the cell headers;
// - the ADSL noise margins and attenuations at instance 2 drift by a few tenths of a dB;
// - Restart() is a router restart: sysUpTime and every counter start again from zero.

#include "agent/loopbackagent.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::tools {

// When the WAN link drops, counted from the start of the simulation.
struct LinkDropSchedule {
    std::chrono::seconds every{180}; // one drop per period; 0 turns the drops off
    std::chrono::seconds length{20}; // 0 turns the drops off
    std::chrono::seconds first{60};  // start of the first drop, at most one period
};

class RouterSimulation {
public:
    // Milliseconds on a monotonic clock; only differences count.
    using Clock = std::function<std::chrono::milliseconds()>;

    using Schedule = LinkDropSchedule;

    // Transfer rates of the PPP interface while the link is up; the ATM row carries the same
    // traffic plus its cell overhead.
    static constexpr std::uint64_t DownBytesPerSecond = 200000;
    static constexpr std::uint64_t UpBytesPerSecond = 30000;
    static constexpr std::int64_t MarginDrift = 3;      // tenths of a dB either side
    static constexpr std::int64_t AttenuationDrift = 2; // tenths of a dB either side

    static std::chrono::milliseconds SteadyClock();

    explicit RouterSimulation(Schedule schedule = Schedule(), Clock clock = SteadyClock);
    ~RouterSimulation();
    RouterSimulation(const RouterSimulation &) = delete;
    RouterSimulation &operator=(const RouterSimulation &) = delete;

    // Loads the profile into the agent and finds the WAN, line and traffic rows. The error names
    // the line.
    bool LoadProfile(const std::string &path, std::string *error = nullptr);
    bool LoadProfileText(const std::string &text, std::string *error = nullptr);

    // Serves the profile on 127.0.0.1:port (0 picks a free port) with this community.
    bool Start(unsigned short port, const std::string &community);
    void Stop();
    unsigned short Port() const { return agent_.Port(); }
    LoopbackAgent &Agent() { return agent_; }

    // ifTable rows (OID suffixes) whose ifDescr is "ATM" or "RFC-2364".
    const std::vector<int> &WanRows() const { return wanRows_; }
    // The rows whose ifOperStatus follows the drop schedule, and those whose counters grow.
    const std::vector<int> &LinkRows() const { return dropRows_ ? *dropRows_ : defaultRows_; }
    const std::vector<int> &TrafficRows() const {
        return trafficRows_ ? *trafficRows_ : LinkRows();
    }
    // Other rows than the profile's own; before Start(). Empty: back to the profile's.
    void SetDropRows(std::vector<int> rows);
    void SetTrafficRows(std::vector<int> rows);
    // True when the profile has an ifTable row with this OID suffix.
    bool HasRow(int row) const;

    // A restart as a real router makes one: from now on sysUpTime counts from zero and every
    // counter starts again from zero. Any thread may call it.
    void Restart();
    // When the last restart happened since the start; -1 ms for none.
    std::chrono::milliseconds RestartedAt() const;
    const Schedule &DropSchedule() const { return schedule_; }

    std::chrono::milliseconds Elapsed() const;
    bool LinkUpAt(std::chrono::milliseconds elapsed) const;
    bool LinkUp() const { return LinkUpAt(Elapsed()); }
    // How long the link has been up between the start and elapsed.
    std::chrono::milliseconds UpTimeAt(std::chrono::milliseconds elapsed) const;
    // The start of the last link change at or before elapsed; -1 ms when none happened yet.
    std::chrono::milliseconds LastChangeAt(std::chrono::milliseconds elapsed) const;
    // The start of the next link change after elapsed; -1 ms when the link never changes.
    std::chrono::milliseconds NextChangeAt(std::chrono::milliseconds elapsed) const;

    // The agent's hook: turns the profile's value of oid into its value now.
    void Apply(const std::string &oid, AgentValue &value) const;

private:
    bool dropsEnabled() const;
    void findRows(const std::string &text);
    bool growCounter(int column, int row, bool highCapacity, std::chrono::milliseconds now,
                     std::chrono::milliseconds restart, AgentValue &value) const;

    Schedule schedule_;
    Clock clock_;
    std::chrono::milliseconds start_;
    std::atomic<long long> restartMs_{-1};
    std::vector<int> wanRows_;
    std::vector<int> defaultRows_;
    std::vector<int> atmRows_; // count the cell headers
    std::vector<int> profileRows_;
    std::optional<std::vector<int>> dropRows_;
    std::optional<std::vector<int>> trafficRows_;
    LoopbackAgent agent_;
};

} // namespace vantrel::tools
