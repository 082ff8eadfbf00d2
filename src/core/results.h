#pragma once
// What each query read from the router, before any page turns it into text. A query fills one
// of these on the router model's worker thread; the page that asked renders it on the window's
// thread, and the monitors, the history and the alerts may read the same result.

#include "core/state.h"
#include "core/trigger.h"

#include <QDateTime>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::core {

// How a query ended, beside what it read.
struct Outcome {
    bool probeFailed = false;    // the first request got no answer: nothing else was asked
    bool cancelled = false;      // abandoned part-way (closing, or the target changed)
    std::string conversionError; // a reply that is no number ended the query (its message)

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

struct AdslFigures {
    ResultHead head;
    // Each row's reply; nothing where the router gave no value (the label keeps its text).
    std::array<std::optional<std::string>, AdslRowCount> replies;
    // The interleave delay, asked only for an interleaved line; nothing when it failed.
    bool delayAsked = false;
    std::optional<std::string> delay;

    const std::optional<std::string> &Reply(AdslRow row) const {
        return replies[static_cast<std::size_t>(row)];
    }
    // A numeric row as the page computes with it (rates in bit/s, the rest in tenths), when
    // the row was read; an empty rate counts as 0.
    std::optional<double> Number(AdslRow row) const;
};

// The System page update: interface discovery, the router's uptime, description and firmware,
// and the three addresses.
struct SystemFigures {
    ResultHead head;
    InterfaceMap interfaces;          // after discovery
    std::vector<std::string> missing; // "Error: Unable to find ... interface", in order
    std::optional<std::string> uptime;
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
    std::string status;       // ifOperStatus of the WAN row, as it came
    bool uptimeAsked = false; // a change of state (or a blind period) reads the uptime
    std::optional<std::string> uptime;
};

// sysUpTime on its own (the router status monitor).
struct UptimeReading {
    ResultHead head;
    std::optional<std::string> ticks;
};

} // namespace vantrel::core
