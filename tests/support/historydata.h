#pragma once
// A made-up line history: samples of a line whose noise margin sinks every evening, with
// drops, a router restart, a stretch when the program did not run, and a storm after which the
// line syncs slower. For the history window's tests, its benchmark and its pictures.

#include "history/historysample.h"

#include <QString>
#include <functional>
#include <vector>

struct GeneratedHistory {
    std::vector<vantrel::history::LineSample> samples; // in time order
    std::vector<vantrel::history::LineEvent> events;
    int drops = 0;
};

// `days` of samples every `stepSecs` seconds up to `end` (seconds since 1970, UTC). Drops come
// every few days when `drops` is set; the same seed gives the same history.
GeneratedHistory GenerateHistory(qint64 end, int days, int stepSecs, bool drops = true,
                                 unsigned seed = 1);

// Writes it into the history file at path, then sums up and removes as the program would at
// `now`; false, with the reason, when the file would not take it.
bool WriteHistory(const QString &path, const GeneratedHistory &history, qint64 now,
                  QString *error = nullptr);

// This process's resident memory in megabytes (0 where /proc does not tell).
double ResidentMegabytes();
// Lets the events run until done() or timeoutMs passed; false on the time-out.
bool WaitFor(const std::function<bool()> &done, int timeoutMs);
