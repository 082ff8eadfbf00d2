#pragma once
// A walk through the life of a router's WAN counters, step by step as a source of bytes
// chooses (a fuzzer's input, or a seeded generator): traffic over seconds to days, 32-bit
// wraps, sysUpTime wraps, router and agent restarts, counter resets, 64-bit counters coming
// and going, speed changes, lost answers, lying agents and the program closing and starting
// again. After every reading it checks the octet account:
// - what it counts never goes down, and is spread over spans of time that never overlap;
// - what it counts over a span is never more than the fastest speed the agent gave in it could
//   carry, with a stated slack: 3 % and 41 s more (the account's own allowance for the two
//   clocks and for reading the counters and the uptime in separate requests);
// - while the router is honest and nothing happened between two clean readings (all values
//   answered, at most one 32-bit wrap apart), it counts exactly the octets that crossed.

#include "core/octetaccount.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace vantrel::testing {

template <typename Source> class CountingWalk {
public:
    explicit CountingWalk(Source &source) : src_(source) {
        t_ = 1'700'000'000'000 + std::int64_t(src_.Byte()) * 86'400'000;
        // The router may have been up for so long that its uptime is about to wrap.
        const unsigned age = src_.Byte();
        const std::int64_t upMs = age < 64    ? 0
                                  : age < 128 ? std::int64_t(kUptimeWrapMs) - (age - 64) * 60'000
                                              : std::int64_t(age) * 3'600'000 * 24;
        agentBoot_ = t_ - upMs;
        hasDiscontinuity_ = src_.Byte() & 1;
        setSpeed();
    }

    // Plays one step. Empty when every property held, else what broke.
    std::string Step() {
        const unsigned op = src_.Byte();
        switch (op % 16) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            traffic();
            return read(true);
        case 5: // the router restarts: down for a while, then everything from zero
            advance(10 + src_.Byte() * 2);
            agentBoot_ = t_;
            inTrue_ = outTrue_ = 0;
            discontinuity_ = 0;
            return disrupt();
        case 6: // only the agent restarts: the counters run on
            agentBoot_ = t_;
            discontinuity_ = 0;
            return disrupt();
        case 7: // the agent resets the counters and says when
            inTrue_ = outTrue_ = 0;
            discontinuity_ = uptime();
            return disrupt();
        case 8: // 64-bit counters come or go (the SNMP version changed)
            wide_ = !wide_;
            return disrupt();
        case 9: // the line trains at another speed: the traffic before it ran at the old one
            setSpeed();
            return disrupt();
        case 10:
            return closeAndStart();
        case 11:
            traffic();
            return read(false);
        case 12: // an agent that lies about its uptime or its counters
            if (op & 0x10)
                agentBoot_ -= std::int64_t(src_.Byte()) * 1'000'000 - 100'000'000;
            else
                inTrue_ = std::uint64_t(src_.Byte()) << (src_.Byte() % 64);
            lied_ = true;
            return disrupt();
        case 13: // the program looks at another interface or router: nothing to count on
            account_.StartAfresh();
            return disrupt();
        default:
            return read(true);
        }
    }

    std::uint64_t Counted() const { return counted_; }

private:
    static constexpr std::uint64_t kUptimeWrapMs = 42'949'672'960; // 2^32 ticks

    using VarBind = core::Binding;
    static VarBind bind(int type, std::uint64_t v) {
        return {std::string(), type, std::to_string(v)};
    }
    struct Side {
        std::int64_t spanEnd = 0; // where the last counted span ended
        bool established = false; // the account counts on from the last clean reading
        std::uint64_t trueAt = 0; // the octets that had crossed at that reading
    };

    std::uint32_t uptime() const { return std::uint32_t(((t_ - agentBoot_) / 10) & 0xFFFFFFFF); }

    void advance(std::int64_t seconds) { t_ += seconds * 1000 + src_.Byte() * 4; }

    // Some time passes with the line loaded to a share of its speed, in each direction.
    void traffic() {
        static const std::int64_t scales[] = {10, 600, 7200, 259200};
        const unsigned pick = src_.Byte();
        const std::int64_t seconds = std::int64_t(pick / 4) * scales[pick % 4] / 64;
        advance(seconds);
        const double most = bitsPerSecond_ / 8 * double(seconds);
        inTrue_ += std::uint64_t(most * src_.Byte() / 255);
        outTrue_ += std::uint64_t(most * src_.Byte() / 255);
    }

    // How the agent gives its speed, and the speed that follows from that: the larger of
    // ifHighSpeed (up to half a Mbit/s more) and ifSpeed where given as non-zero gauges,
    // 1 Gbit/s without either.
    void setSpeed() {
        static const double speeds[] = {64e3, 1e6, 8.128e6, 24e6, 110.162e6, 1e9, 4294967295, 1e10};
        const unsigned pick = src_.Byte();
        const double bps = speeds[pick % 8];
        const auto gauge = [](double v) { return bind(core::tag::Gauge32, std::uint64_t(v)); };
        const double mbit = double(std::uint64_t(bps / 1e6 + 0.5));
        highSpeed_.reset();
        speed_.reset();
        double best = 0;
        switch (pick / 8 % 5) {
        case 0:
            speed_ = gauge(std::min(bps, 4294967295.0));
            best = std::min(bps, 4294967295.0);
            break;
        case 1:
            highSpeed_ = gauge(mbit);
            best = mbit > 0 ? mbit * 1e6 + 499999 : 0;
            break;
        case 2:
            speed_ = gauge(std::min(bps, 4294967295.0));
            highSpeed_ = gauge(mbit);
            best = std::max(std::min(bps, 4294967295.0), mbit > 0 ? mbit * 1e6 + 499999 : 0);
            break;
        case 3: // the wrong type says nothing
            speed_ = VarBind{std::string(), core::tag::Integer, std::to_string(std::int64_t(bps))};
            break;
        default:
            break;
        }
        bitsPerSecond_ = best > 0 ? best : 1e9;
    }

    std::string disrupt() {
        inSide_.established = outSide_.established = false;
        return {};
    }

    core::OctetReading reading(bool clean) {
        core::OctetReading r;
        r.wallMs = t_;
        const auto counters = [this](std::uint64_t v, std::optional<VarBind> &hc,
                                     std::optional<VarBind> &plain) {
            if (wide_)
                hc = bind(core::tag::Counter64, v);
            plain = bind(core::tag::Counter32, v & 0xFFFFFFFF);
        };
        counters(inTrue_, r.hcIn, r.in);
        counters(outTrue_, r.hcOut, r.out);
        r.uptime = bind(core::tag::TimeTicks, uptime());
        if (hasDiscontinuity_)
            r.discontinuity = bind(core::tag::TimeTicks, discontinuity_);
        r.highSpeed = highSpeed_;
        r.speed = speed_;
        if (clean)
            return r;
        // Lost answers, or values of the wrong type, here and there.
        unsigned how = src_.Byte();
        const auto spoil = [&how](std::optional<VarBind> &v) {
            const unsigned bits = how & 3;
            how >>= 2;
            if (bits == 1)
                v.reset();
            else if (bits == 2)
                v = VarBind{std::string(), core::tag::Integer, "-1"};
            else if (bits == 3)
                v = VarBind{std::string(), core::tag::OctetString, "99999999999"};
        };
        spoil(r.hcIn);
        spoil(r.in);
        spoil(r.out);
        spoil(r.uptime);
        return r;
    }

    std::string read(bool clean) {
        clean = clean && !lied_;
        const core::OctetReading r = reading(clean);
        const core::OctetSteps steps = account_.Take(r);
        double &speed = speeds_[t_]; // two readings at one time: the faster speed counts
        speed = std::max(speed, bitsPerSecond_);
        std::string broken = check(steps.in, inSide_, inTrue_, clean, "in");
        if (broken.empty())
            broken = check(steps.out, outSide_, outTrue_, clean, "out");
        if (account_.InOctets() < inTotal_ || account_.OutOctets() < outTotal_)
            broken = "the account's total went down";
        inTotal_ = account_.InOctets();
        outTotal_ = account_.OutOctets();
        // A clean reading that left a value to count on lets the next one be checked exactly.
        const auto settle = [&](Side &side, const core::CounterStep &step, std::uint64_t truth) {
            using V = core::CounterVerdict;
            side.established = clean && step.verdict != V::Missing && step.verdict != V::Rejected &&
                               step.verdict != V::Discarded;
            side.trueAt = truth;
        };
        settle(inSide_, steps.in, inTrue_);
        settle(outSide_, steps.out, outTrue_);
        lied_ = false;
        return broken;
    }

    std::string check(const core::CounterStep &step, Side &side, std::uint64_t truth, bool clean,
                      const char *name) {
        const std::string what = std::string(name) + " at " + std::to_string(t_) + ": ";
        counted_ += step.octets;
        if (clean && side.established) {
            const std::uint64_t crossed = truth - side.trueAt;
            const bool oneWrapAtMost = wide_ || crossed < 0xFFFFFFFFu;
            if (oneWrapAtMost && step.octets != crossed)
                return what + "counted " + std::to_string(step.octets) + " of " +
                       std::to_string(crossed) + " octets that crossed (verdict " +
                       std::to_string(int(step.verdict)) + ")";
        }
        if (step.octets == 0)
            return {};
        if (step.fromMs < side.spanEnd || step.fromMs > t_)
            return what + "counted over a span already counted";
        side.spanEnd = t_;
        double fastest = 0;
        for (auto it = speeds_.lower_bound(step.fromMs); it != speeds_.end(); ++it)
            fastest = std::max(fastest, it->second);
        const double span = double(t_ - step.fromMs) / 1000;
        if (double(step.octets) > fastest / 8 * (1.03 * span + 41))
            return what + std::to_string(step.octets) + " octets in " + std::to_string(span) +
                   " s at " + std::to_string(fastest) + " bit/s";
        return {};
    }

    // The settings are written, the program ends, time passes (maybe with a router restart)
    // and the next start reads them back and reads the router at once.
    std::string closeAndStart() {
        const std::optional<core::SavedCounters> saved = account_.Save();
        std::optional<core::SavedCounters> loaded;
        if (saved) {
            loaded = core::SavedCounters::FromTexts(saved->ToTexts());
            if (!loaded || !(*loaded == *saved))
                return "the saved counters do not read back as they were written";
        }
        account_ = core::OctetAccount();
        inTotal_ = outTotal_ = 0;
        if (loaded)
            account_.Restore(*loaded);
        traffic();
        if (src_.Byte() & 1) {
            agentBoot_ = t_ - std::int64_t(src_.Byte()) * 1000;
            inTrue_ = outTrue_ = 0;
            discontinuity_ = 0;
            disrupt();
        }
        return read(true);
    }

    Source &src_;
    core::OctetAccount account_;
    std::int64_t t_ = 0, agentBoot_ = 0;
    std::uint64_t inTrue_ = 0, outTrue_ = 0;
    std::uint32_t discontinuity_ = 0;
    bool hasDiscontinuity_ = false, wide_ = false, lied_ = false;
    std::optional<VarBind> highSpeed_, speed_;
    double bitsPerSecond_ = 1e9;
    std::map<std::int64_t, double> speeds_; // each reading's time and the speed given then
    Side inSide_, outSide_;
    std::uint64_t inTotal_ = 0, outTotal_ = 0, counted_ = 0;
};

} // namespace vantrel::testing
