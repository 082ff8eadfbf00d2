#include "snmp/varbind.h"

#include "snmp/ber.h"

#include <cstdint>

namespace vantrel::snmp {

bool IsException(int type) {
    return type == ber::NoSuchObject || type == ber::NoSuchInstance || type == ber::EndOfMibView;
}

std::string ValueText(const VarBind &binding) {
    if (IsException(binding.type))
        return std::string();
    if (binding.type == ber::Counter64) {
        // Like the 32-bit types: the content read big-endian, only the low 64 bits kept.
        std::uint64_t v = 0;
        for (unsigned char b : binding.value)
            v = (v << 8) | b;
        return std::to_string(v);
    }
    return ber::RenderValue(binding.type, binding.value);
}

} // namespace vantrel::snmp
