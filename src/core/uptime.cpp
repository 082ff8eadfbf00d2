#include "core/uptime.h"

#include "core/convert.h"

#include <cstdio>

namespace vantrel::core {

namespace {
std::string twoDigits(long long v) {
    // "%0.2u": at least two digits; the value is taken as unsigned, as the format says.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u", static_cast<unsigned>(v));
    return buf;
}
} // namespace

std::string UptimeText(const std::string &ticks) {
    return UptimeText(StrToInt64(ticks));
}

std::string UptimeText(std::int64_t ticks) {
    const long long t = ticks;
    const long long s = t / 100;
    const long long days = s / 86400;
    const long long hours = s / 3600 - 24 * days;
    const long long mins = s / 60 - 1440 * days - 60 * hours;
    const long long secs = s - 86400 * days - 3600 * hours - 60 * mins;
    return twoDigits(days) + " days " + twoDigits(hours) + " hours " + twoDigits(mins) + " mins " +
           twoDigits(secs) + " secs";
}

} // namespace vantrel::core
