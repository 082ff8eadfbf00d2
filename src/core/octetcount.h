#pragma once
// A byte counter's value as the agent typed it: a counter answered as INTEGER -1 or as the text
// "99999999999" is no counter.

#include "snmp/varbind.h"

#include <cstdint>
#include <optional>

namespace vantrel::core {

enum class CounterWidth { Bits32 = 32, Bits64 = 64 };

// A counter's value and the width it wraps at.
struct OctetCount {
    std::uint64_t value = 0;
    CounterWidth width = CounterWidth::Bits32;
    bool operator==(const OctetCount &o) const { return value == o.value && width == o.width; }
};

// A binding as a byte counter: a Counter32 or a Counter64; nothing for any other type.
std::optional<OctetCount> OctetCountOf(const snmp::VarBind &binding);

// The number a binding of the given unsigned type (its BER tag) and width holds; nothing when
// the binding has another type or its content is no number of that width. Some agents leave
// out the leading zero byte of a value whose top bit is set; that is still the same number.
std::optional<std::uint64_t> UnsignedOf(const snmp::VarBind &binding, int type, int bits);

} // namespace vantrel::core
