#pragma once
// The octets that crossed the WAN interface, counted from its octet counters one reading at a
// time, so that a wrap, a restart of the router or of its agent, a glitch or a change of
// counter never adds what did not cross the line, and what did cross it is not lost.

#include "core/octetcount.h"
#include "core/savedcounters.h"

#include <cstdint>
#include <optional>

namespace vantrel::core {

// One reading of the WAN interface: the bindings as the client gave them. Absent: no answer.
struct OctetReading {
    std::int64_t wallMs = 0; // the program's clock when the reading was made (ms since 1970, UTC)
    // ifHCInOctets/ifHCOutOctets (Counter64, v2c and v3 only) and ifInOctets/ifOutOctets.
    std::optional<Binding> hcIn, hcOut, in, out;
    // sysUpTime, and ifCounterDiscontinuityTime where the agent has it.
    std::optional<Binding> uptime, discontinuity;
    // ifHighSpeed (Mbit/s) and ifSpeed (bit/s).
    std::optional<Binding> highSpeed, speed;
};

// What a reading did to one counter's account.
enum class CounterVerdict {
    Missing,       // no value: the account waits for the next reading
    Rejected,      // not a Counter32 or Counter64: ignored, the account waits for the next one
    Baseline,      // the first value, or the first after a discarded one: counting starts here
    Rose,          // the counter grew while the agent ran on
    Wrapped,       // the counter passed its top and started again from zero
    AgentRestart,  // the agent restarted, the counter ran on: only its growth counts
    RouterRestart, // the router restarted: what the counter shows since its boot counts
    Discontinuity, // the agent says the counter was reset: counting starts again here
    WidthChanged,  // 32-bit to 64-bit counter or back: counting starts again here
    Discarded,     // growth that could not have crossed the interface: counting starts again
                   // at the next value
};

// What one counter counted at one reading: octets that crossed the interface between fromMs
// and the reading's time.
struct CounterStep {
    CounterVerdict verdict = CounterVerdict::Missing;
    std::uint64_t octets = 0;
    std::int64_t fromMs = 0;
};

struct OctetSteps {
    CounterStep in, out;
};

class OctetAccount {
public:
    // Adds what the reading shows crossed the interface since the counter's last usable value.
    OctetSteps Take(const OctetReading &reading);

    // What counting carries on from at the next start: the newest values read and what tells
    // whether the router restarted meanwhile. Nothing before the first usable value.
    std::optional<SavedCounters> Save() const;
    // At start, before the first reading: the first reading counts what crossed the interface
    // while the program was closed.
    void Restore(const SavedCounters &saved);
    // Another interface or router: the next values start counting afresh.
    void StartAfresh();

    // Octets counted since this account was made (never going down).
    std::uint64_t InOctets() const { return inTotal_; }
    std::uint64_t OutOctets() const { return outTotal_; }

private:
    // Where a reading stands in the agent's life.
    struct Moment {
        std::int64_t wallMs = 0;
        std::optional<std::uint32_t> uptime;        // ticks
        std::optional<std::uint32_t> discontinuity; // ticks
        double bitsPerSecond = 0;                   // 0: not known
    };
    // A counter's last usable value and when it was read.
    struct Mark {
        OctetCount count;
        Moment at;
    };

    CounterStep takeOne(std::optional<Mark> &mark, const std::optional<Binding> &hc,
                        const std::optional<Binding> &plain, const Moment &now) const;

    std::optional<Mark> in_, out_;
    std::uint64_t inTotal_ = 0, outTotal_ = 0;
};

// How fast the interface can carry octets, in bit/s: the larger of ifHighSpeed (which stands for
// anything up to half a Mbit/s more) and ifSpeed, where the agent gives them as Gauge32 and not
// zero; 1 Gbit/s where it gives neither.
double InterfaceBitsPerSecond(const OctetReading &reading);

} // namespace vantrel::core
