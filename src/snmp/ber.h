#pragma once
// BER (ITU-T X.690) pieces of SNMP: definite-length encoding of the few types a request and a
// simulated agent's reply need, and the strict item reader that decodes replies without ever
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
    // The v2 exceptions: a value in place of the one the agent could not give.
    NoSuchObject = 0x80,
    NoSuchInstance = 0x81,
    EndOfMibView = 0x82,
    GetRequest = 0xA0,
    GetNextRequest = 0xA1,
    GetResponse = 0xA2,
    SetRequest = 0xA3,
    Trap = 0xA4,
    GetBulkRequest = 0xA5,
    InformRequest = 0xA6,
    Trap2 = 0xA7,
    Report = 0xA8,
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
// The content a value of this tag is sent with so that it renders as text: the inverse of
// RenderValue for every text RenderValue gives.
std::string ValueContent(int tag, const std::string &text);

// One item of a received message at pos: its tag byte and where its content lies. False unless
// it is definite-length BER whose header and content end at or before end (no multi-byte tag,
// no indefinite length); on success pos is behind the item. Long-form lengths with leading
// zero bytes are accepted, as BER allows them and some agents send them.
bool ReadItem(const std::string &buf, std::size_t &pos, std::size_t end, int &tag,
              std::size_t &contentAt, std::size_t &length);
// INTEGER content to a number; false for empty content or a value beyond 64 bits.
bool IntegerValue(const std::string &content, std::int64_t &value);
bool IntegerValue(const char *content, std::size_t length, std::int64_t &value);
// OBJECT IDENTIFIER content to dotted text; false unless there is at least one sub-identifier
// and each is minimal (no leading 80 byte), terminated and at most 2^32-1.
bool OidText(const std::string &content, std::string &text);
bool OidText(const char *content, std::size_t length, std::string &text);

// Writes BER from the back to the front, so that each item's length is known by the time its
// header is written: content first, then Wrap(tag, mark) with the Size() taken before it.
class Writer {
public:
    explicit Writer(std::size_t capacity = 256);
    std::size_t Size() const { return buf_.size() - start_; }
    void Bytes(const char *data, std::size_t length);
    void Bytes(const std::string &data) { Bytes(data.data(), data.size()); }
    // Heads what was written since mark as one item.
    void Wrap(int tag, std::size_t mark);
    void Item(int tag, const std::string &content);
    void Integer(std::int64_t value);
    void Oid(const std::string &oidText);
    // What was written, front to back.
    const char *Data() const { return buf_.data() + start_; }
    std::string Take();
    // Empty again, keeping its room.
    void Clear() { start_ = buf_.size(); }

private:
    void room(std::size_t length);
    std::string buf_;
    std::size_t start_;
};

// Reads the items of one message in order, each of them required to lie wholly inside its
// enclosing item.
class Reader {
public:
    Reader(const std::string &buffer, std::size_t end) : buf_(buffer), end_(end) {}
    // The items between pos and end, inside an item read before.
    Reader(const std::string &buffer, std::size_t pos, std::size_t end)
        : buf_(buffer), pos_(pos), end_(end) {}

    // The next item, which must carry tag (any tag when tag is 0); its content in content.
    bool Take(int tag, std::string &content, int *gotTag = nullptr);
    // The next item's place in the buffer instead of a copy of its content.
    bool Skip(int tag, std::size_t &contentAt, std::size_t &length);
    // An INTEGER that fits 32 bits.
    bool TakeInt(std::int64_t &value);
    // Enters a constructed item: the items read next are its content, which must then be read
    // to its end.
    bool Enter(int tag, int *gotTag = nullptr);
    bool AtEnd() const { return pos_ == end_; }
    const std::string &Buffer() const { return buf_; }
    std::size_t Pos() const { return pos_; }
    std::size_t End() const { return end_; }
    // Back in an enclosing item that ends at outerEnd, behind the item just read.
    void Leave(std::size_t outerEnd) { end_ = outerEnd; }

private:
    const std::string &buf_;
    std::size_t pos_ = 0;
    std::size_t end_;
};

} // namespace vantrel::snmp::ber
