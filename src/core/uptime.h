#pragma once

#include <string>

namespace vantrel::core {

// sysUpTime (hundredths of a second, as decimal text) as "DD days HH hours MM mins SS secs".
// An empty or non-numeric text throws ConvertError.
std::string UptimeText(const std::string &ticks);

} // namespace vantrel::core
