#include "core/octetcount.h"

#include <limits>

namespace vantrel::core {

std::optional<OctetCount> OctetCountOf(const Binding &binding) {
    if (const auto n = UnsignedOf(binding, tag::Counter32, 32))
        return OctetCount{*n, CounterWidth::Bits32};
    if (const auto n = UnsignedOf(binding, tag::Counter64, 64))
        return OctetCount{*n, CounterWidth::Bits64};
    return std::nullopt;
}

std::optional<std::uint64_t> UnsignedOf(const Binding &binding, int type, int bits) {
    const std::string &text = binding.value;
    if (binding.type != type || text.empty() || text.size() > 20)
        return std::nullopt;
    const std::uint64_t top =
        bits >= 64 ? std::numeric_limits<std::uint64_t>::max() : (std::uint64_t(1) << bits) - 1;
    std::uint64_t n = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const unsigned digit = unsigned(c - '0');
        if (n > (top - digit) / 10)
            return std::nullopt;
        n = n * 10 + digit;
    }
    return n;
}

} // namespace vantrel::core
