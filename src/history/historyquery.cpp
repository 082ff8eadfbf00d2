#include "history/historyquery.h"

#include "core/convert.h"
#include "core/oids.h"
#include "core/queries.h"

namespace vantrel::history {

LineReading ReadLine(core::RouterLink &link) {
    LineReading r;
    r.adsl = core::ReadAdsl(link);
    r.head.outcome = r.adsl.head.outcome;
    if (r.adsl.head.outcome.probeFailed || r.adsl.head.outcome.cancelled)
        return r;
    std::string ticks;
    if (link.GetValue(core::oid::SysUpTime, ticks))
        r.uptime = core::DecimalInteger(ticks);
    else if (link.Cancelled())
        r.head.outcome.cancelled = true;
    return r;
}

LineSample SampleOf(const LineReading &reading, qint64 time) {
    LineSample s;
    s.time = time;
    if (reading.adsl.link && reading.adsl.link->code)
        s.link = int(*reading.adsl.link->code);
    s.uptime = reading.uptime;
    // Figures of a line that is not up (down, training, testing) are not the line's.
    if (s.link && core::LinkStateOfCode(*s.link) != core::LinkState::Up)
        return s;
    for (const LineFigureInfo &info : LineFigures())
        s.Figure(info.figure) = reading.adsl.Number(info.row);
    return s;
}

} // namespace vantrel::history
