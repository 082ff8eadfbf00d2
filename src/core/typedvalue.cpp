#include "core/typedvalue.h"

namespace vantrel::core {

TypedValue TypedValue::Unsigned(int type, std::uint64_t value) {
    std::string bytes;
    do {
        bytes.insert(bytes.begin(), char(value & 0xFF));
        value >>= 8;
    } while (value != 0);
    if (static_cast<unsigned char>(bytes[0]) & 0x80)
        bytes.insert(bytes.begin(), '\0');
    return {type, bytes};
}

TypedValue TypedValue::Integer(std::int64_t value) {
    std::string bytes;
    auto u = static_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i, u >>= 8)
        bytes.insert(bytes.begin(), char(u & 0xFF));
    // Minimal two's complement: drop a leading byte that only repeats the next one's sign.
    while (bytes.size() > 1) {
        const auto first = static_cast<unsigned char>(bytes[0]);
        const bool nextNegative = static_cast<unsigned char>(bytes[1]) & 0x80;
        if ((first == 0x00 && !nextNegative) || (first == 0xFF && nextNegative))
            bytes.erase(0, 1);
        else
            break;
    }
    return {asn1::kInteger, bytes};
}

TypedValue TypedValue::Text(std::string text) {
    return {asn1::kOctetString, std::move(text)};
}

std::optional<std::uint64_t> UnsignedOf(const TypedValue &value, int type, int bits) {
    if (value.type != type || value.content.empty())
        return std::nullopt;
    std::size_t at = 0;
    while (at + 1 < value.content.size() && value.content[at] == '\0')
        ++at;
    if (value.content.size() - at > std::size_t(bits / 8))
        return std::nullopt;
    std::uint64_t n = 0;
    for (; at < value.content.size(); ++at)
        n = (n << 8) | static_cast<unsigned char>(value.content[at]);
    return n;
}

} // namespace vantrel::core
