#pragma once
// The line history's reading of the router: the ADSL page's figures, then the router's uptime.

#include "core/results.h"
#include "core/routerlink.h"
#include "history/historysample.h"

#include <optional>
#include <string>

namespace vantrel::history {

struct LineReading {
    core::ResultHead head; // the ADSL query's outcome
    core::AdslFigures adsl;
    // sysUpTime, asked when the router answered; nothing when the reply was no decimal number.
    std::optional<qint64> uptime;
};

// The ADSL query as the page runs it, then sysUpTime; nothing more when the router gave no
// answer to the first request.
LineReading ReadLine(core::RouterLink &link);

// The sample a completed reading gives, stamped with time (seconds since 1970, UTC). A link
// that is not up keeps its status and uptime and no figures.
LineSample SampleOf(const LineReading &reading, qint64 time);

} // namespace vantrel::history
