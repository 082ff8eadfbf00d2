#pragma once

#include <QString>
#include <cstdint>

namespace vantrel::core {

// DD:HH:MM:SS of a number of sysUpTime ticks (hundredths of a second): each field at least two
// digits, the days as many as they need; a negative count reads as zero.
QString ElapsedText(std::int64_t ticks);

} // namespace vantrel::core
