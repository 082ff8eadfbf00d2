#pragma once
// What each query read from the router, decoded once into typed values before any page turns
// it into text. A query fills one of these on the router model's thread; the page that asked
// renders it on the window's thread, and the models, the monitors, the history and the alerts
// read the same result.

#include "core/grading.h"
#include "core/routeraccess.h"
#include "core/state.h"
#include "core/trigger.h"

#include <QDateTime>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::core {

// How a query ended, beside what it read.
struct Outcome {
    bool probeFailed = false;    // the first request got no answer: nothing else was asked
    bool cancelled = false;      // abandoned part-way (closing, or the target changed)
    std::string conversionError; // a reply that is no number ended the query (its message)
    // Why the first request got no answer, and the same for the user.
    LinkFailure failureKind = LinkFailure::None;
    std::string failure;

    bool Completed() const { return !probeFailed && !cancelled && conversionError.empty(); }
};

// Who asked for a query, so a subscriber can tell a page refresh from a monitor's poll.
enum class Requester { Page, Startup, Monitor, Recorder };

struct ResultHead {
    Requester requester = Requester::Page;
    Trigger trigger = Trigger::PushButton;
    QDateTime readAt; // when the query ended (the model's clock)
    Outcome outcome;
};

// A list of objects read one after another, the first one probing the router: each reply as
// it came, or nothing where a later request got no answer.
struct RowReadings {
    ResultHead head;
    std::vector<std::optional<std::string>> replies; // in the order asked
};

// The ADSL line's figures, in the order they are read. Every line object is read at instance
// 2; the link status at the WAN row.
enum class AdslRow {
    DownRate,          // adslAtucChanCurrTxRate, bits per second
    DownPower,         // adslAtucCurrOutputPwr, tenths of a dBm
    DownMargin,        // adslAturCurrSnrMgn, tenths of a dB
    DownAttenuation,   // adslAturCurrAtn, tenths of a dB
    UpRate,            // adslAturChanCurrTxRate
    UpMargin,          // adslAtucCurrSnrMgn
    UpAttenuation,     // adslAtucCurrAtn
    UpPower,           // adslAturCurrOutputPwr
    LinkStatus,        // ifOperStatus of the WAN row
    Coding,            // adslLineCoding
    Modulation,        // the router maker's modulation object
    LineType,          // adslLineType
    LossOfFraming,     // adslAturPerfLofs
    LossOfSignal,      // adslAturPerfLoss
    LossOfPower,       // adslAturPerfLprs
    ErroredSeconds,    // adslAturPerfESs
    CurrentDayErrored, // adslAturPerfCurr1DayESs
    PreviousDayErrored,
    DownCorrected, // adslAturChanCorrectedBlks
    DownUncorrected,
    UpCorrected, // adslAtucChanCorrectedBlks
    UpUncorrected,
};
constexpr int AdslRowCount = 22;
// The error counters, from LossOfFraming to UpUncorrected.
constexpr int AdslFirstCount = int(AdslRow::LossOfFraming);
constexpr int AdslCountRows = AdslRowCount - AdslFirstCount;

// A link status as the router gave it: its state (by the exact text of the reply) and, for the
// history, its code when the reply is a decimal number.
struct LinkStatus {
    LinkState state = LinkState::Other;
    std::optional<std::int64_t> code;
};

// A count of the line's errors: the reply as it came (the page shows it unchanged), and its
// value when the reply is a number.
struct LineCount {
    std::string text;
    std::optional<std::int64_t> value;
};

// The line's figures; each one nothing where the router gave no value this time.
struct AdslFigures {
    ResultHead head;
    std::optional<std::int32_t> downRate; // bits per second (an empty reply counts as 0)
    std::optional<std::int32_t> upRate;
    std::optional<std::int32_t> downPower; // tenths of a dBm
    std::optional<std::int32_t> upPower;
    std::optional<double> downMargin; // tenths of a dB
    std::optional<double> upMargin;
    std::optional<double> downAttenuation;
    std::optional<double> upAttenuation;
    std::optional<LinkStatus> link; // of the WAN interface
    std::optional<LineCoding> coding;
    std::optional<std::string> modulation; // the maker's object, as it came
    std::optional<ChannelType> channel;
    // The interleave delay in milliseconds as it came, asked only for an interleaved line;
    // nothing when it failed.
    bool delayAsked = false;
    std::optional<std::string> delay;
    std::array<std::optional<LineCount>, AdslCountRows> counts;
    // Read from a discovered line: a figure left empty is one this router does not report.
    bool discoveredLine = false;
    // Rows the router answered with a value the figure cannot have (an attenuation of
    // -214748364.8 dB): not reported, whatever the line.
    std::array<bool, AdslRowCount> outOfRange{};
    bool NotReported(AdslRow row) const {
        return !Has(row) && (discoveredLine || outOfRange[std::size_t(row)]);
    }

    bool Has(AdslRow row) const;
    const std::optional<LineCount> &Count(AdslRow row) const {
        return counts[std::size_t(int(row) - AdslFirstCount)];
    }
    // A figure as a number in the router's unit (rates in bit/s, the rest in tenths, counts as
    // counts), when the row was read and is one.
    std::optional<double> Number(AdslRow row) const;
};

// The System page update: interface discovery, the router's uptime, description and firmware,
// and the three addresses.
struct SystemFigures {
    ResultHead head;
    InterfaceMap interfaces;          // after discovery
    std::vector<std::string> missing; // "Error: Unable to find ... interface", in order
    // Not the designed model: one line on what discovery found ("" for the designed model).
    std::string discoverySummary;
    std::optional<std::int64_t> uptime; // sysUpTime ticks
    std::optional<std::string> description;
    std::array<std::optional<std::string>, 4> firmware; // firmware, its suffix, build, annex
    // The address steps, when the update got that far.
    bool addressesReached = false;
    std::optional<std::string> localAddress; // only when asked for
    bool addressWalkFailed = false;
    std::optional<std::string> routerAddress; // the bridge's address ("" when none)
    std::optional<std::string> wanAddress;
};

// One poll of the WAN link by the connection monitor.
struct LinkPoll {
    ResultHead head;
    bool answered = false;
    // Discovery found no interface whose state is the link's: nothing was asked.
    bool nothingToWatch = false;
    LinkState status = LinkState::Other; // ifOperStatus of the WAN row
    bool uptimeAsked = false;            // a change of state (or a blind period) reads the uptime
    std::optional<std::int64_t> uptime;
    // The uptime's reply was no number: its conversion error (the poll goes no further).
    std::string uptimeError;
};

// sysUpTime on its own (the router status monitor); a reply that is no number ends it with
// its conversion error.
struct UptimeReading {
    ResultHead head;
    std::optional<std::int64_t> ticks;
};

} // namespace vantrel::core
