#include "core/savedcounters.h"

#include <QDateTime>
#include <QStringList>
#include <limits>

namespace vantrel::core {

namespace {

const QString kCounter32 = QStringLiteral("Counter32");
const QString kCounter64 = QStringLiteral("Counter64");

QString countText(const std::optional<OctetCount> &count) {
    if (!count)
        return QString();
    return (count->width == CounterWidth::Bits64 ? kCounter64 : kCounter32) + QLatin1Char(' ') +
           QString::number(count->value);
}

QString timeText(std::int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC).toString(Qt::ISODateWithMs);
}

// Plain decimal digits only: no sign, no spaces, no leading "+".
std::optional<std::uint64_t> digits(const QString &text, std::uint64_t max) {
    if (text.isEmpty() || text.size() > 20)
        return std::nullopt;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    bool ok = false;
    const qulonglong n = text.toULongLong(&ok);
    if (!ok || n > max)
        return std::nullopt;
    return n;
}

// Empty: known to be absent. Otherwise the value, or junk (false).
bool countOf(const QString &text, std::optional<OctetCount> &count) {
    if (text.isEmpty())
        return true;
    const QStringList parts = text.split(QLatin1Char(' '));
    if (parts.size() != 2 || (parts[0] != kCounter32 && parts[0] != kCounter64))
        return false;
    const bool wide = parts[0] == kCounter64;
    const auto value = digits(parts[1], wide ? std::numeric_limits<std::uint64_t>::max()
                                             : std::numeric_limits<std::uint32_t>::max());
    if (!value)
        return false;
    count = OctetCount{*value, wide ? CounterWidth::Bits64 : CounterWidth::Bits32};
    return true;
}

// Only the form the program writes: UTC with milliseconds, so that no local time or daylight
// saving shift can move it.
std::optional<std::int64_t> timeOf(const QString &text) {
    const QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!t.isValid() || t.toString(Qt::ISODateWithMs) != text || !text.endsWith(QLatin1Char('Z')))
        return std::nullopt;
    return t.toMSecsSinceEpoch();
}

} // namespace

SavedCounters::Texts SavedCounters::ToTexts() const {
    Texts t;
    t.in = countText(in);
    t.out = countText(out);
    t.readingTime = timeText(readingMs);
    if (bootMs)
        t.bootTime = timeText(*bootMs);
    if (discontinuity)
        t.discontinuity = QString::number(*discontinuity);
    return t;
}

std::optional<SavedCounters> SavedCounters::FromTexts(const Texts &t) {
    SavedCounters s;
    if (!countOf(t.in, s.in) || !countOf(t.out, s.out) || (!s.in && !s.out))
        return std::nullopt;
    const auto reading = timeOf(t.readingTime);
    if (!reading)
        return std::nullopt;
    s.readingMs = *reading;
    if (!t.bootTime.isEmpty()) {
        s.bootMs = timeOf(t.bootTime);
        // The uptime it stands for must be one sysUpTime can show.
        const std::int64_t maxUptimeMs =
            std::int64_t(std::numeric_limits<std::uint32_t>::max()) * 10;
        if (!s.bootMs || *s.bootMs > s.readingMs || s.readingMs - *s.bootMs > maxUptimeMs)
            return std::nullopt;
    }
    if (!t.discontinuity.isEmpty()) {
        const auto ticks = digits(t.discontinuity, std::numeric_limits<std::uint32_t>::max());
        if (!ticks)
            return std::nullopt;
        s.discontinuity = std::uint32_t(*ticks);
    }
    return s;
}

} // namespace vantrel::core
