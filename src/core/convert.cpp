#include "core/convert.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sstream>

namespace vantrel::core {

namespace {

[[noreturn]] void throwInteger(const std::string &text) {
    throw ConvertError("'" + text + "' is not a valid integer value");
}

bool parseInt64(const std::string &text, std::int64_t &out) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i < n && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return false;
    // Accumulate as a magnitude; the negative range holds one more value than the positive.
    const std::uint64_t limit = negative
                                    ? std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1
                                    : std::uint64_t(std::numeric_limits<std::int64_t>::max());
    std::uint64_t magnitude = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            return false;
        if (digit >= base)
            return false;
        if (magnitude > (limit - digit) / base)
            return false;
        magnitude = magnitude * base + digit;
    }
    if (negative)
        out = magnitude == limit ? std::numeric_limits<std::int64_t>::min()
                                 : -static_cast<std::int64_t>(magnitude);
    else
        out = static_cast<std::int64_t>(magnitude);
    return true;
}

} // namespace

std::int64_t StrToInt64(const std::string &text) {
    std::int64_t v = 0;
    if (!parseInt64(text, v))
        throwInteger(text);
    return v;
}

std::int32_t StrToInt(const std::string &text) {
    const std::int64_t v = StrToInt64(text);
    if (v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max())
        throwInteger(text);
    return static_cast<std::int32_t>(v);
}

std::int64_t StrToInt64Def(const std::string &text, std::int64_t def) {
    std::int64_t v = 0;
    return parseInt64(text, v) ? v : def;
}

std::optional<std::int64_t> DecimalInteger(const std::string &text) {
    if (text.empty())
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!(c >= '0' && c <= '9') && !(i == 0 && c == '-' && text.size() > 1))
            return std::nullopt;
    }
    std::int64_t value = 0;
    if (!parseInt64(text, value))
        return std::nullopt;
    return value;
}

double StrToFloat(const std::string &text) {
    std::size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t'))
        --e;
    const std::string trimmed = text.substr(b, e - b);
    bool plain = !trimmed.empty();
    for (char c : trimmed)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            plain = false; // no "inf", "nan" or hexadecimal floats
    if (plain) {
        std::istringstream in(trimmed);
        in.imbue(std::locale::classic());
        double v = 0;
        in >> v;
        if (!in.fail() && in.peek() == std::char_traits<char>::eof() && std::isfinite(v))
            return v;
    }
    throw ConvertError("'" + text + "' is not a valid floating point value");
}

std::string FloatToStr(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(15);
    out << value;
    return out.str();
}

} // namespace vantrel::core
