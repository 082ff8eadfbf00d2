#pragma once
// A value as the agent typed it, for the figures that are numbers only when their type says so:
// a byte counter answered as INTEGER -1 or as the text "99999999999" is no counter.

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::core {

// The ASN.1 types of SNMP values, by the tag byte they travel with.
namespace asn1 {
constexpr int kInteger = 0x02;
constexpr int kOctetString = 0x04;
constexpr int kNull = 0x05;
constexpr int kCounter32 = 0x41;
constexpr int kGauge32 = 0x42;
constexpr int kTimeTicks = 0x43;
constexpr int kCounter64 = 0x46;
} // namespace asn1

// A variable binding's value: its tag and its content bytes as they came.
struct TypedValue {
    int type = asn1::kNull;
    std::string content;

    // The value an agent sends for a number of an unsigned type (Counter32, Gauge32,
    // TimeTicks, Counter64): big-endian, with a leading zero byte when the top bit is set.
    static TypedValue Unsigned(int type, std::uint64_t value);
    static TypedValue Integer(std::int64_t value);
    static TypedValue Text(std::string text);
};

// The number a value of the given unsigned type and width holds; nothing when the value has
// another type or its content is no number of that width. Some agents leave out the leading
// zero byte of a value whose top bit is set; that is still the same number.
std::optional<std::uint64_t> UnsignedOf(const TypedValue &value, int type, int bits);

} // namespace vantrel::core
