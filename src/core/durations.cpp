#include "core/durations.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::core {

QString ElapsedText(std::int64_t ticks) {
    const std::int64_t d = std::max<std::int64_t>(ticks, 0);
    const std::int64_t days = d / 100 / 60 / 60 / 24;
    const std::int64_t hours = d / 100 / 60 / 60 - 24 * days;
    const std::int64_t minutes = d / 100 / 60 - (1440 * days + 60 * hours);
    const std::int64_t seconds = d / 100 - (86400 * days + 3600 * hours + 60 * minutes);
    char text[96];
    std::snprintf(text, sizeof text, "%02llu:%02llu:%02llu:%02llu",
                  static_cast<unsigned long long>(days), static_cast<unsigned long long>(hours),
                  static_cast<unsigned long long>(minutes),
                  static_cast<unsigned long long>(seconds));
    return QString::fromLatin1(text);
}

} // namespace vantrel::core
