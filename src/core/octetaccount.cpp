#include "core/octetaccount.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vantrel::core {

namespace {

constexpr double kTicksPerSecond = 100;
constexpr double kDefaultBitsPerSecond = 1e9;

// The computer's clock and sysUpTime agree on the time between two readings within this much:
// the reading's time is taken once, after requests that may each wait up to 5 s, and the
// router's clock may run a little fast or slow (1 % is far beyond any crystal's drift, small
// against a restart, which moves the boot by at least the uptime the router had).
constexpr double kClockToleranceSeconds = 30;
constexpr double kClockToleranceShare = 0.01;

// What an interface can carry: its speed over the time that passed, 1 % more for the two
// clocks, and 10 s more for the counters and sysUpTime being read in separate requests.
constexpr double kRateSlack = 1.01;
constexpr double kTimingSlackSeconds = 10;

double capacity(double bitsPerSecond, double seconds) {
    return bitsPerSecond / 8 * (kRateSlack * std::max(seconds, 0.0) + kTimingSlackSeconds);
}

// The time between two readings, and whether the agent ran on through it.
struct Passage {
    enum Kind { RanOn, Restarted, Unknown } kind;
    double seconds;
};

std::uint64_t saturated(std::uint64_t total, std::uint64_t more) {
    return more > std::numeric_limits<std::uint64_t>::max() - total
               ? std::numeric_limits<std::uint64_t>::max()
               : total + more;
}

std::optional<std::uint32_t> ticksOf(const std::optional<Binding> &value) {
    if (!value)
        return std::nullopt;
    if (const auto n = UnsignedOf(*value, tag::TimeTicks, 32))
        return std::uint32_t(*n);
    return std::nullopt;
}

} // namespace

double InterfaceBitsPerSecond(const OctetReading &r) {
    double best = 0;
    if (r.highSpeed)
        if (const auto n = UnsignedOf(*r.highSpeed, tag::Gauge32, 32); n && *n)
            best = double(*n) * 1e6 + 499999; // ifHighSpeed n stands for up to n + 0.5 Mbit/s
    if (r.speed)
        if (const auto n = UnsignedOf(*r.speed, tag::Gauge32, 32); n && *n)
            best = std::max(best, double(*n));
    return best > 0 ? best : kDefaultBitsPerSecond;
}

namespace {

// sysUpTime is the agent's clock; the program's clock tells whether it ran on. It ran on when
// it rose about as much as the program's clock did (or more: the computer's clock may have been
// put back), or when it fell by a wrap past 2^32 ticks that matches the time that passed. It
// restarted when it fell otherwise, or rose by clearly less than the time that passed (the
// boot moved later). The time counted is never more than the program's clock saw pass.
template <typename Moment> Passage passage(const Moment &a, const Moment &b) {
    const double wall = (double(b.wallMs) - double(a.wallMs)) / 1000;
    const double passed = std::max(wall, 0.0);
    if (!a.uptime || !b.uptime)
        return {Passage::Unknown, passed};
    const double tolerance = kClockToleranceSeconds + kClockToleranceShare * passed;
    const double agent = std::uint32_t(*b.uptime - *a.uptime) / kTicksPerSecond;
    const bool ranOn =
        *b.uptime < *a.uptime ? std::fabs(agent - wall) <= tolerance : agent >= wall - tolerance;
    if (!ranOn)
        return {Passage::Restarted, passed};
    return {Passage::RanOn, std::min(agent, passed + tolerance)};
}

} // namespace

CounterStep OctetAccount::takeOne(std::optional<Mark> &mark, const std::optional<Binding> &hc,
                                  const std::optional<Binding> &plain, const Moment &now) const {
    CounterStep step;
    step.fromMs = now.wallMs;
    // The 64-bit counter where the agent gives one: it does not wrap between two readings. Some
    // agents answer it with 0 for interfaces they count only in 32 bits.
    std::optional<OctetCount> count = hc ? OctetCountOf(*hc) : std::nullopt;
    const std::optional<OctetCount> narrow = plain ? OctetCountOf(*plain) : std::nullopt;
    if (!count || (count->value == 0 && narrow && narrow->value != 0))
        count = narrow;
    if (!count) {
        step.verdict = hc || plain ? CounterVerdict::Rejected : CounterVerdict::Missing;
        return step;
    }
    const std::optional<Mark> then = mark;
    mark = Mark{*count, now};
    if (!then) {
        step.verdict = CounterVerdict::Baseline;
        return step;
    }
    if (then->count.width != count->width) {
        step.verdict = CounterVerdict::WidthChanged;
        return step;
    }

    const std::uint64_t was = then->count.value;
    const std::uint64_t is = count->value;
    const Passage p = passage(then->at, now);
    double seconds = p.seconds;
    std::uint64_t growth = 0;
    step.fromMs = then->at.wallMs;
    switch (p.kind) {
    case Passage::RanOn:
        if (then->at.discontinuity && now.discontinuity &&
            *then->at.discontinuity != *now.discontinuity) {
            // The agent says the counter was reset. What it shows counts only when the reset
            // came after the last value (so nothing is counted twice) and the counter could have
            // grown from zero to it since.
            step.verdict = CounterVerdict::Discontinuity;
            const std::uint32_t sinceReset = *now.uptime - *now.discontinuity;
            const std::uint32_t sinceThen = *now.uptime - *then->at.uptime;
            if (sinceReset >= sinceThen)
                return step;
            seconds = std::min(seconds, sinceReset / kTicksPerSecond);
            growth = is;
        } else {
            // Modulo the counter's width: a value below the last one has wrapped.
            const std::uint64_t mask = count->width == CounterWidth::Bits64
                                           ? std::numeric_limits<std::uint64_t>::max()
                                           : std::uint64_t(0xFFFFFFFFu);
            growth = (is - was) & mask;
            step.verdict = is < was ? CounterVerdict::Wrapped : CounterVerdict::Rose;
        }
        break;
    case Passage::Restarted:
        if (is >= was) {
            // The agent restarted and the counter ran on through it.
            step.verdict = CounterVerdict::AgentRestart;
            growth = is - was;
        } else {
            // The router restarted: its counter started again from zero at its boot (or at a
            // discontinuity since).
            step.verdict = CounterVerdict::RouterRestart;
            std::uint32_t ticks = *now.uptime;
            if (now.discontinuity && *now.discontinuity <= ticks)
                ticks -= *now.discontinuity;
            seconds = std::min(seconds, ticks / kTicksPerSecond);
            growth = is;
        }
        break;
    case Passage::Unknown:
        // Without the uptime a fall cannot be told from a restart: nothing certain to count.
        step.verdict = is >= was ? CounterVerdict::Rose : CounterVerdict::Discarded;
        growth = is >= was ? is - was : 0;
        break;
    }
    // What counts from a reset or a boot crossed since then, at the speed the line has now
    // (it trained again); otherwise since the last value, at the faster of the two speeds.
    const bool sinceReset = step.verdict == CounterVerdict::Discontinuity ||
                            step.verdict == CounterVerdict::RouterRestart;
    const double bitsPerSecond =
        sinceReset ? now.bitsPerSecond : std::max(then->at.bitsPerSecond, now.bitsPerSecond);
    if (step.verdict == CounterVerdict::Discarded ||
        double(growth) > capacity(bitsPerSecond, seconds)) {
        // More than could have crossed the interface: this value is no good to count from.
        if (step.verdict != CounterVerdict::Discontinuity) {
            step.verdict = CounterVerdict::Discarded;
            mark.reset();
        }
        return step;
    }
    step.octets = growth;
    if (sinceReset)
        step.fromMs =
            std::max(step.fromMs, now.wallMs - std::int64_t(std::llround(seconds * 1000)));
    return step;
}

OctetSteps OctetAccount::Take(const OctetReading &r) {
    Moment now;
    now.wallMs = r.wallMs;
    now.uptime = ticksOf(r.uptime);
    now.discontinuity = ticksOf(r.discontinuity);
    now.bitsPerSecond = InterfaceBitsPerSecond(r);
    OctetSteps steps{takeOne(in_, r.hcIn, r.in, now), takeOne(out_, r.hcOut, r.out, now)};
    inTotal_ = saturated(inTotal_, steps.in.octets);
    outTotal_ = saturated(outTotal_, steps.out.octets);
    return steps;
}

std::optional<SavedCounters> OctetAccount::Save() const {
    // The newest values, and the other counter where it was read at the same reading.
    const Mark *newest = nullptr;
    for (const auto *m : {&in_, &out_})
        if (*m && (!newest || (*m)->at.wallMs > newest->at.wallMs))
            newest = &**m;
    if (!newest)
        return std::nullopt;
    const Moment at = newest->at;
    const auto readThen = [&at](const std::optional<Mark> &m) {
        return m && m->at.wallMs == at.wallMs && m->at.uptime == at.uptime;
    };
    SavedCounters s;
    s.readingMs = at.wallMs;
    if (readThen(in_))
        s.in = in_->count;
    if (readThen(out_))
        s.out = out_->count;
    if (at.uptime)
        s.bootMs = at.wallMs - std::int64_t(*at.uptime) * 10;
    s.discontinuity = at.discontinuity;
    return s;
}

void OctetAccount::Restore(const SavedCounters &saved) {
    Moment at;
    at.wallMs = saved.readingMs;
    if (saved.bootMs) {
        const std::int64_t ms = saved.readingMs - *saved.bootMs;
        if (ms >= 0 && ms / 10 <= std::numeric_limits<std::uint32_t>::max())
            at.uptime = std::uint32_t(ms / 10);
    }
    at.discontinuity = saved.discontinuity;
    in_.reset();
    out_.reset();
    if (saved.in)
        in_ = Mark{*saved.in, at};
    if (saved.out)
        out_ = Mark{*saved.out, at};
}

void OctetAccount::StartAfresh() {
    in_.reset();
    out_.reset();
}

} // namespace vantrel::core
