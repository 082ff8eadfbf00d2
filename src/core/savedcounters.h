#pragma once
// What the quota account keeps of the router's octet counters from one run of the program to
// the next, and its texts in the settings file.

#include "core/octetcount.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace vantrel::core {

struct SavedCounters {
    std::optional<OctetCount> in, out; // the last values read
    std::int64_t readingMs = 0;        // when they were read (ms since 1970, UTC)
    // The router's boot as the computer's clock puts it: readingMs less sysUpTime then (after
    // 497 days of uptime, less what sysUpTime shows past its last wrap).
    std::optional<std::int64_t> bootMs;
    std::optional<std::uint32_t> discontinuity; // ifCounterDiscontinuityTime then, in ticks

    bool operator==(const SavedCounters &o) const {
        return in == o.in && out == o.out && readingMs == o.readingMs && bootMs == o.bootMs &&
               discontinuity == o.discontinuity;
    }

    // The keys of the [Quota] section that hold them, and their texts there: "Counter32 1234"
    // or "Counter64 1234" for a counter, "2026-07-12T20:31:05.120Z" for a time, the ticks for
    // the discontinuity; an empty text for what is not known.
    static constexpr char kInKey[] = "Last in octets";
    static constexpr char kOutKey[] = "Last out octets";
    static constexpr char kReadingTimeKey[] = "Last reading time";
    static constexpr char kBootTimeKey[] = "Router boot time";
    static constexpr char kDiscontinuityKey[] = "Counter discontinuity time";
    struct Texts {
        QString in, out, readingTime, bootTime, discontinuity;
    };
    Texts ToTexts() const;
    // Nothing saved when the keys are empty, hold no counter, or hold anything but the texts
    // above (a boot after the reading, an uptime past 32 bits, a local time...).
    static std::optional<SavedCounters> FromTexts(const Texts &texts);
};

} // namespace vantrel::core
