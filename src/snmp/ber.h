#pragma once
// BER (ITU-T X.690) pieces of SNMP v1: definite-length encoding of the few types a request
// and a simulated agent's reply need, and the item reader that decodes replies without ever
// reading past the received bytes.

#include <cstdint>
#include <string>

namespace vantrel::snmp::ber {

enum Tag : int {
    Boolean = 0x01,
    Integer = 0x02,
    OctetString = 0x04,
    Null = 0x05,
    ObjectId = 0x06,
    Enumerated = 0x0A,
    Sequence = 0x30,
    IpAddress = 0x40,
    Counter = 0x41,
    Gauge = 0x42,
    TimeTicks = 0x43,
    Opaque = 0x44,
    Counter64 = 0x46,
    GetRequest = 0xA0,
    GetNextRequest = 0xA1,
    GetResponse = 0xA2,
};

std::string EncodeLength(std::size_t length);
std::string EncodeItem(int tag, const std::string &content);
// Minimal big-endian two's complement.
std::string IntegerContent(std::int64_t value);
// Unsigned as the agents send counters: a leading zero byte when the top bit is set.
std::string UnsignedContent(std::uint64_t value);
// Dotted text to OID content; an arc that is not a number counts as 0.
std::string OidContent(const std::string &oidText);

// The text a received value becomes, by its tag.
std::string RenderValue(int tag, const std::string &content);

// Reads the items of one message one after another. A constructed item yields its content and
// leaves the position at the start of that content; a primitive item yields its rendered value
// and leaves the position behind it.
class Reader {
public:
    Reader(const std::string &buffer, std::size_t start, std::size_t end)
        : buf_(buffer), pos_(start), end_(end < buffer.size() ? end : buffer.size()) {}

    // One item: its rendered value (or content when constructed) and its tag. An item whose
    // content runs past the end reads as the empty text with its tag kept, and reading goes on
    // behind its header; with fewer than two bytes left the read gives "" with type NULL.
    std::string Next(int &tag);
    std::string Next() {
        int tag;
        return Next(tag);
    }
    bool AtEnd() const { return pos_ >= end_; }
    std::size_t Position() const { return pos_; }

private:
    const std::string &buf_;
    std::size_t pos_;
    std::size_t end_;
};

// Reads a tag byte and a length at pos; false when the header itself runs past end.
bool ReadHeader(const std::string &buf, std::size_t &pos, std::size_t end, int &tag,
                std::size_t &length);

} // namespace vantrel::snmp::ber
