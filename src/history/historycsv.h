#pragma once

#include "history/historysample.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace vantrel::history {

// What an export of the history says about itself, so that whoever reads it (an ISP) knows
// which line it shows and when: the router, the range, and the time zone of its times.
struct ExportSource {
    QString description; // the router's own description ("" when it was never read)
    QString address;     // the router's address as the user gave it
    qint64 from = 0;     // the range [from, to), seconds since 1970 (UTC)
    qint64 to = 0;
};

// The lines that head a picture or a report: "Router: <description>, address <address>" and
// "From <from> to <to>, <zone> time (UTC+01:00)" in this computer's local time and regional
// format. Control characters in the router's texts are shown as blanks.
QStringList ExportHeading(const ExportSource &source);

// The time zone of local times between from and to: "Europe/London time (UTC+00:00)", with
// both offsets when a change of summer time falls between them.
QString ZoneText(qint64 from, qint64 to);

// An ifOperStatus as a word: "up", "down", "testing" (the line trains), ...; an unknown code
// as its number.
QByteArray LinkStateWord(int status);

// Rows as comma-separated text: a heading of lines starting with "#" (ExportHeading, and the
// range in UTC), a header row, then one line per row (CR LF) with the time in ISO 8601, UTC
// with its offset (2026-12-07T22:31:05+00:00), the number of samples it stands for, the link
// state (LinkStateWord), the router's uptime in seconds, and one column per figure in its
// unit (kbit/s, dB, dBm, counts). A figure that was not read is an empty field.
QByteArray HistoryCsv(const std::vector<HistoryRow> &rows, const ExportSource &source);

} // namespace vantrel::history
