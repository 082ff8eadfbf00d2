#include "core/octetcount.h"

#include "snmp/ber.h"

namespace vantrel::core {

std::optional<OctetCount> OctetCountOf(const snmp::VarBind &binding) {
    if (const auto n = UnsignedOf(binding, snmp::ber::Counter, 32))
        return OctetCount{*n, CounterWidth::Bits32};
    if (const auto n = UnsignedOf(binding, snmp::ber::Counter64, 64))
        return OctetCount{*n, CounterWidth::Bits64};
    return std::nullopt;
}

std::optional<std::uint64_t> UnsignedOf(const snmp::VarBind &binding, int type, int bits) {
    const std::string &content = binding.value;
    if (binding.type != type || content.empty())
        return std::nullopt;
    std::size_t at = 0;
    while (at + 1 < content.size() && content[at] == '\0')
        ++at;
    if (content.size() - at > std::size_t(bits / 8))
        return std::nullopt;
    std::uint64_t n = 0;
    for (; at < content.size(); ++at)
        n = (n << 8) | static_cast<unsigned char>(content[at]);
    return n;
}

} // namespace vantrel::core
