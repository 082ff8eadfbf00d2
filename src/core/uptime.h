#pragma once

#include <cstdint>
#include <string>

namespace vantrel::core {

// sysUpTime (hundredths of a second, as decimal text) as "DD days HH hours MM mins SS secs".
// An empty or non-numeric text throws ConvertError.
std::string UptimeText(const std::string &ticks);
// The same of a number of ticks.
std::string UptimeText(std::int64_t ticks);

} // namespace vantrel::core
