#pragma once

#include "history/historysample.h"

#include <QByteArray>
#include <vector>

namespace vantrel::history {

// Rows as comma-separated text: a header row, then one line per row (CR LF) with the time in
// ISO 8601, UTC with its offset (2026-12-07T22:31:05+00:00), the number of samples it stands
// for, the link status, the router's uptime in seconds, and one column per figure in its unit
// (kbit/s, dB, dBm, counts). A figure that was not read is an empty field.
QByteArray HistoryCsv(const std::vector<HistoryRow> &rows);

} // namespace vantrel::history
