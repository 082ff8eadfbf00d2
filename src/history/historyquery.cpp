#include "history/historyquery.h"

#include "core/convert.h"
#include "core/queries.h"

namespace vantrel::history {

namespace {

const char kSysUpTime[] = "1.3.6.1.2.1.1.3.0";

// An exact decimal integer, or nothing.
std::optional<qint64> integer(const std::optional<std::string> &text) {
    if (!text || text->empty())
        return std::nullopt;
    for (std::size_t i = 0; i < text->size(); ++i) {
        const char c = (*text)[i];
        if (!(c >= '0' && c <= '9') && !(i == 0 && c == '-' && text->size() > 1))
            return std::nullopt;
    }
    try {
        return core::StrToInt64(*text);
    } catch (const core::ConvertError &) {
        return std::nullopt;
    }
}

} // namespace

LineReading ReadLine(core::RouterLink &link) {
    LineReading r;
    r.adsl = core::ReadAdsl(link);
    r.head.outcome = r.adsl.head.outcome;
    if (r.adsl.head.outcome.probeFailed || r.adsl.head.outcome.cancelled)
        return r;
    std::string ticks;
    if (link.GetValue(kSysUpTime, ticks))
        r.uptime = ticks;
    else if (link.Cancelled())
        r.head.outcome.cancelled = true;
    return r;
}

LineSample SampleOf(const LineReading &reading, qint64 time) {
    LineSample s;
    s.time = time;
    if (const auto link = integer(reading.adsl.Reply(core::AdslRow::LinkStatus)))
        s.link = int(*link);
    if (const auto ticks = integer(reading.uptime))
        s.uptime = *ticks;
    // Figures of a line that is not up (down, training, testing) are not the line's.
    if (s.link && *s.link != 1)
        return s;
    for (const LineFigureInfo &info : LineFigures())
        s.Figure(info.figure) = reading.adsl.Number(info.row);
    return s;
}

} // namespace vantrel::history
