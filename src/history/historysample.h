#pragma once
// What the line history keeps: samples of the line's figures and the events between them.

#include "core/results.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>
#include <vector>

namespace vantrel::history {

// The figures of a sample, in the order of their stored columns. Values stay in the units the
// router gives: rates in bit/s, margins and attenuation in tenths of a dB, powers in tenths of
// a dBm, the counters as counts.
enum class LineFigure {
    DownRate,
    UpRate,
    DownMargin,
    UpMargin,
    DownAttenuation,
    UpAttenuation,
    DownPower,
    UpPower,
    LossOfFraming,
    LossOfSignal,
    LossOfPower,
    ErroredSeconds,
    ErroredToday,
    ErroredYesterday,
    DownCorrected,
    DownUncorrected,
    UpCorrected,
    UpUncorrected,
};
constexpr int LineFigureCount = 18;

struct LineFigureInfo {
    LineFigure figure;
    core::AdslRow row;   // where the ADSL query reads it
    const char *column;  // its stored column
    const char *csvName; // its column in an exported file
    double divisor;      // stored value / divisor = the value in unit
    const char *unit;    // "dB", "kbit/s", "" for counts
};
const std::array<LineFigureInfo, LineFigureCount> &LineFigures();
const LineFigureInfo &FigureInfo(LineFigure figure);

// One reading of the line. A sample of a link that is down holds its status and no figures.
struct LineSample {
    qint64 time = 0;              // seconds since 1970, UTC
    bool runStart = false;        // no sample right before it: no line is drawn into it
    std::optional<int> link;      // ifOperStatus of the WAN interface
    std::optional<qint64> uptime; // sysUpTime, in hundredths of a second
    std::array<std::optional<double>, LineFigureCount> figures{};

    std::optional<double> &Figure(LineFigure f) { return figures[std::size_t(f)]; }
    const std::optional<double> &Figure(LineFigure f) const { return figures[std::size_t(f)]; }
    // The figure in its unit (dB, kbit/s, count).
    std::optional<double> Value(LineFigure f) const;
    bool HasFigures() const;
};

enum class LineEventKind { Drop = 1, Return = 2, Restart = 3 };
enum class EventSource { Recorder = 0, ConnectionMonitor = 1 };

struct LineEvent {
    qint64 time = 0; // seconds since 1970, UTC
    LineEventKind kind = LineEventKind::Drop;
    EventSource source = EventSource::Recorder;
    QString detail;
};

// A stretch of time the link was down: from a drop to the return after it.
struct Outage {
    qint64 from = 0;
    qint64 to = 0;
    bool open = false; // no return yet: to is the end of what was asked
    qint64 Seconds() const { return to - from; }
};

// One row of an export: a sample as it was stored, or a quarter hour summed up (the figures
// then hold the quarter's averages).
struct HistoryRow {
    qint64 time = 0;
    int samples = 1;       // 1 for a sample; the number of samples a summary stands for
    bool runStart = false; // a run of samples starts here (in a summary: somewhere in it)
    std::optional<int> link;
    std::optional<qint64> uptime;
    std::array<std::optional<double>, LineFigureCount> figures{};
};

// A length of time in words as the history tells it: "1 h 5 min", "45 s", "2 d 3 h".
QString DurationText(qint64 seconds);

} // namespace vantrel::history
