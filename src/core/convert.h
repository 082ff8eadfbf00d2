#pragma once
// Text-to-number conversions with the program's conversion error messages. Router values are
// texts everywhere; a handler converts one only where it computes with it, and a text that is
// not a number raises ConvertError, which the application's error report shows.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace vantrel::core {

class ConvertError : public std::runtime_error {
public:
    explicit ConvertError(const std::string &message) : std::runtime_error(message) {}
};

// Decimal (optional sign) or hexadecimal with a "0x" or "$" prefix; anything else, an empty
// text or a value outside the type's range throws "'%s' is not a valid integer value".
std::int64_t StrToInt64(const std::string &text);
std::int32_t StrToInt(const std::string &text);

// Like StrToInt64/StrToInt, but a text that is not a number gives the default instead.
std::int64_t StrToInt64Def(const std::string &text, std::int64_t def);

// Decimal digits with an optional minus sign and nothing else, within 64 bits; nothing for
// any other text (no blanks, no hexadecimal).
std::optional<std::int64_t> DecimalInteger(const std::string &text);

// A real number in "C" notation, blanks at either end allowed; anything else throws
// "'%s' is not a valid floating point value".
double StrToFloat(const std::string &text);

// Shortest general notation with up to 15 significant digits: 6.5, 6, 12.3, 1073741824.
std::string FloatToStr(double value);

} // namespace vantrel::core
