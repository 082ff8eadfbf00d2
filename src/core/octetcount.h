#pragma once
// A byte counter's value as the agent typed it: a counter answered as INTEGER -1 or as the text
// "99999999999" is no counter.

#include "core/routerlink.h"

#include <cstdint>
#include <optional>

namespace vantrel::core {

// The BER tags of the value types the account reads.
namespace tag {
constexpr int Integer = 0x02;
constexpr int OctetString = 0x04;
constexpr int Counter32 = 0x41;
constexpr int Gauge32 = 0x42;
constexpr int TimeTicks = 0x43;
constexpr int Counter64 = 0x46;
} // namespace tag

enum class CounterWidth { Bits32 = 32, Bits64 = 64 };

// A counter's value and the width it wraps at.
struct OctetCount {
    std::uint64_t value = 0;
    CounterWidth width = CounterWidth::Bits32;
    bool operator==(const OctetCount &o) const { return value == o.value && width == o.width; }
};

// A binding as a byte counter: a Counter32 or a Counter64; nothing for any other type.
std::optional<OctetCount> OctetCountOf(const Binding &binding);

// The number a binding of the given unsigned type (its BER tag) and width holds; nothing when
// the binding has another type or its text is no unsigned decimal number of that width.
std::optional<std::uint64_t> UnsignedOf(const Binding &binding, int type, int bits);

} // namespace vantrel::core
