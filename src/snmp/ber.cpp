#include "snmp/ber.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vantrel::snmp::ber {

std::string EncodeLength(std::size_t length) {
    if (length < 0x80)
        return std::string(1, char(length));
    std::string bytes;
    while (length > 0) {
        bytes.insert(bytes.begin(), char(length & 0xFF));
        length >>= 8;
    }
    return std::string(1, char(0x80 | bytes.size())) + bytes;
}

std::string EncodeItem(int tag, const std::string &content) {
    return std::string(1, char(tag)) + EncodeLength(content.size()) + content;
}

namespace {

// How many leading bytes of two's complement content only repeat the sign of the byte behind
// them: they carry no value.
std::size_t signBytes(const std::string &content) {
    std::size_t skip = 0;
    while (skip + 1 < content.size()) {
        const auto b = static_cast<unsigned char>(content[skip]);
        const auto next = static_cast<unsigned char>(content[skip + 1]);
        if ((b == 0x00 && !(next & 0x80)) || (b == 0xFF && (next & 0x80)))
            ++skip;
        else
            break;
    }
    return skip;
}

} // namespace

std::string IntegerContent(std::int64_t value) {
    std::string out;
    auto v = static_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i) {
        out.insert(out.begin(), char(v & 0xFF));
        v >>= 8;
    }
    return out.substr(signBytes(out));
}

std::string UnsignedContent(std::uint64_t value) {
    std::string out;
    do {
        out.insert(out.begin(), char(value & 0xFF));
        value >>= 8;
    } while (value > 0);
    if (static_cast<unsigned char>(out[0]) & 0x80)
        out.insert(out.begin(), '\0');
    return out;
}

namespace {

std::uint64_t arcValue(const char *arc, std::size_t length) {
    if (length == 0 || length > 19)
        return 0;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = arc[i];
        if (c < '0' || c > '9')
            return 0;
        v = v * 10 + unsigned(c - '0');
    }
    return v;
}

// Base 128, most significant group first, 0x80 on all but the last byte; written backwards.
void prependBase128(std::uint64_t v, char *&at) {
    *--at = char(v & 0x7F);
    for (v >>= 7; v > 0; v >>= 7)
        *--at = char(0x80 | (v & 0x7F));
}

} // namespace

std::string OidContent(const std::string &oidText) {
    Writer w(oidText.size() + 8);
    w.Oid(oidText);
    std::string item = w.Take();
    std::size_t pos = 0, at = 0, length = 0;
    int tag = 0;
    ReadItem(item, pos, item.size(), tag, at, length);
    return item.substr(at, length);
}

namespace {

std::string signedText(const std::string &c) {
    std::uint32_t v = 0;
    if (!c.empty() && (static_cast<unsigned char>(c[0]) & 0x80))
        v = 0xFFFFFFFFu;
    for (unsigned char b : c)
        v = (v << 8) | b;
    return std::to_string(static_cast<std::int32_t>(v));
}

std::string unsignedText(const std::string &c) {
    std::uint32_t v = 0;
    for (unsigned char b : c)
        v = (v << 8) | b;
    return std::to_string(v);
}

std::string ipText(const std::string &c) {
    std::string out;
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (i > 0)
            out += '.';
        out += std::to_string(static_cast<unsigned char>(c[i]));
    }
    return out;
}

std::string oidText(const std::string &c) {
    std::string out;
    std::uint64_t v = 0;
    bool first = true;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const auto b = static_cast<unsigned char>(c[i]);
        v = (v << 7) | (b & 0x7F);
        if ((b & 0x80) && i + 1 < c.size())
            continue;
        if (first) {
            out = std::to_string(v / 40) + "." + std::to_string(v % 40);
            first = false;
        } else {
            out += "." + std::to_string(v);
        }
        v = 0;
    }
    return out;
}

} // namespace

std::string RenderValue(int tag, const std::string &content) {
    if (tag & 0x20)
        return content;
    switch (tag) {
    case Integer:
    case Boolean:
    case Enumerated:
        return signedText(content);
    case Counter:
    case Gauge:
    case TimeTicks:
        return unsignedText(content);
    case IpAddress:
        return ipText(content);
    case ObjectId:
        return oidText(content);
    case Null:
        return std::string();
    default:
        return content; // OCTET STRING, Opaque and every other primitive type: raw bytes
    }
}

namespace {

std::string ipContent(const std::string &text) {
    std::string out;
    if (text.empty())
        return out;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = text.find('.', start);
        unsigned v = 0;
        for (std::size_t i = start; i < text.size() && i < dot; ++i)
            v = v * 10 + unsigned(text[i] - '0');
        out += char(v & 0xFF);
        if (dot == std::string::npos)
            return out;
        start = dot + 1;
    }
}

std::uint64_t decimalValue(const std::string &text, bool &negative) {
    negative = !text.empty() && text[0] == '-';
    std::uint64_t v = 0;
    for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i)
        v = v * 10 + unsigned(text[i] - '0');
    return v;
}

} // namespace

std::string ValueContent(int tag, const std::string &text) {
    if (tag & 0x20)
        return text;
    bool negative = false;
    switch (tag) {
    case Integer:
    case Boolean:
    case Enumerated: {
        const std::uint64_t magnitude = decimalValue(text, negative);
        return IntegerContent(static_cast<std::int64_t>(negative ? ~magnitude + 1 : magnitude));
    }
    case Counter:
    case Gauge:
    case TimeTicks:
        return UnsignedContent(decimalValue(text, negative));
    case IpAddress:
        return ipContent(text);
    case ObjectId:
        return OidContent(text);
    case Null:
        return std::string();
    default:
        return text;
    }
}

bool ReadItem(const std::string &buf, std::size_t &pos, std::size_t end, int &tag,
              std::size_t &contentAt, std::size_t &length) {
    if (end > buf.size() || pos >= end || end - pos < 2)
        return false;
    std::size_t at = pos;
    tag = static_cast<unsigned char>(buf[at++]);
    if ((tag & 0x1F) == 0x1F)
        return false; // a tag number of more than one byte: no SNMP type has one
    const auto first = static_cast<unsigned char>(buf[at++]);
    if (!(first & 0x80)) {
        length = first;
    } else {
        const std::size_t count = first & 0x7F;
        if (count == 0 || count > end - at)
            return false; // indefinite length, or length bytes past the end
        length = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (length >> (8 * (sizeof length - 1)) != 0)
                return false; // would not fit; far beyond any datagram anyway
            length = (length << 8) | static_cast<unsigned char>(buf[at++]);
        }
    }
    if (length > end - at)
        return false;
    contentAt = at;
    pos = at + length;
    return true;
}

bool IntegerValue(const std::string &content, std::int64_t &value) {
    return IntegerValue(content.data(), content.size(), value);
}

bool IntegerValue(const char *content, std::size_t length, std::int64_t &value) {
    if (length == 0)
        return false;
    const auto *c = reinterpret_cast<const unsigned char *>(content);
    std::size_t skip = 0; // bytes that only repeat the sign of the byte behind them
    while (skip + 1 < length && ((c[skip] == 0x00 && !(c[skip + 1] & 0x80)) ||
                                 (c[skip] == 0xFF && (c[skip + 1] & 0x80))))
        ++skip;
    if (length - skip > 8)
        return false;
    std::uint64_t v = (c[skip] & 0x80) ? ~std::uint64_t(0) : 0;
    for (std::size_t i = skip; i < length; ++i)
        v = (v << 8) | c[i];
    value = static_cast<std::int64_t>(v);
    return true;
}

bool OidText(const std::string &content, std::string &text) {
    return OidText(content.data(), content.size(), text);
}

bool OidText(const char *content, std::size_t length, std::string &text) {
    if (length == 0)
        return false;
    // A sub-identifier of k bytes has at most 2.11 k + 1 digits and a dot: 4 bytes of text per
    // byte are room enough (a one-byte sub-identifier is ".127" at most, and the first one's two
    // arcs "2.47").
    text.resize(4 * length + 2);
    char *out = &text[0];
    char *const end = out + text.size();
    std::uint64_t v = 0;
    bool start = true; // at the first byte of a sub-identifier
    bool first = true;
    for (std::size_t i = 0; i < length; ++i) {
        const auto b = static_cast<unsigned char>(content[i]);
        if (start && b == 0x80) {
            text.clear();
            return false; // not the fewest bytes
        }
        v = (v << 7) | (b & 0x7F);
        if (v > 0xFFFFFFFFu) {
            text.clear();
            return false;
        }
        start = !(b & 0x80);
        if (!start)
            continue;
        if (first) {
            out = std::to_chars(out, end, v / 40).ptr;
            *out++ = '.';
            out = std::to_chars(out, end, v % 40).ptr;
            first = false;
        } else {
            *out++ = '.';
            out = std::to_chars(out, end, v).ptr;
        }
        v = 0;
    }
    text.resize(std::size_t(out - text.data()));
    return start; // the last sub-identifier must end
}

bool Reader::Skip(int tag, std::size_t &contentAt, std::size_t &length) {
    int t = 0;
    return ReadItem(buf_, pos_, end_, t, contentAt, length) && (tag == 0 || t == tag);
}

bool Reader::Take(int tag, std::string &content, int *gotTag) {
    int t = 0;
    std::size_t at = 0, length = 0;
    if (!ReadItem(buf_, pos_, end_, t, at, length) || (tag != 0 && t != tag))
        return false;
    if (gotTag != nullptr)
        *gotTag = t;
    content.assign(buf_, at, length);
    return true;
}

bool Reader::TakeInt(std::int64_t &value) {
    int t = 0;
    std::size_t at = 0, length = 0;
    if (!ReadItem(buf_, pos_, end_, t, at, length) || t != Integer)
        return false;
    return IntegerValue(buf_.substr(at, length), value) && value >= INT32_MIN && value <= INT32_MAX;
}

bool Reader::Enter(int tag, int *gotTag) {
    int t = 0;
    std::size_t at = 0, length = 0;
    std::size_t pos = pos_;
    if (!ReadItem(buf_, pos, end_, t, at, length) || !(t & 0x20) || (tag != 0 && t != tag))
        return false;
    if (gotTag != nullptr)
        *gotTag = t;
    pos_ = at;
    end_ = at + length;
    return true;
}

Writer::Writer(std::size_t capacity) : buf_(capacity, '\0'), start_(capacity) {}

void Writer::room(std::size_t length) {
    if (start_ >= length)
        return;
    const std::size_t used = Size();
    const std::size_t capacity = std::max(2 * buf_.size(), used + length + 64);
    std::string bigger(capacity, '\0');
    std::memcpy(&bigger[capacity - used], buf_.data() + start_, used);
    buf_.swap(bigger);
    start_ = capacity - used;
}

void Writer::Bytes(const char *data, std::size_t length) {
    room(length);
    start_ -= length;
    if (length > 0)
        std::memcpy(&buf_[start_], data, length);
}

void Writer::Wrap(int tag, std::size_t mark) {
    std::size_t length = Size() - mark;
    char header[2 + sizeof length];
    char *at = header + sizeof header;
    if (length < 0x80) {
        *--at = char(length);
    } else {
        std::size_t count = 0;
        for (; length > 0; length >>= 8, ++count)
            *--at = char(length & 0xFF);
        *--at = char(0x80 | count);
    }
    *--at = char(tag);
    Bytes(at, std::size_t(header + sizeof header - at));
}

void Writer::Item(int tag, const std::string &content) {
    const std::size_t mark = Size();
    Bytes(content);
    Wrap(tag, mark);
}

void Writer::Integer(std::int64_t value) {
    // Minimal big-endian two's complement: the low bytes until the rest only repeats the sign
    // that the last byte written already shows.
    char bytes[8];
    char *at = bytes + sizeof bytes;
    for (std::int64_t v = value;; v >>= 8) {
        *--at = char(v & 0xFF);
        const std::int64_t rest = v >> 8;
        const bool top = (*at & 0x80) != 0;
        if (at == bytes || (rest == 0 && !top) || (rest == -1 && top))
            break;
    }
    const std::size_t mark = Size();
    Bytes(at, std::size_t(bytes + sizeof bytes - at));
    Wrap(ber::Integer, mark);
}

void Writer::Oid(const std::string &oidText) {
    // The sub-identifiers, read front to back (an SNMP name has at most 128), then written back
    // to front in one piece.
    std::uint64_t fixed[128];
    std::vector<std::uint64_t> more;
    std::uint64_t *ids = fixed;
    std::size_t count = 0;
    const auto add = [&](std::uint64_t v) {
        if (count == std::size(fixed)) {
            more.assign(fixed, fixed + count);
            ids = nullptr;
        }
        if (ids == nullptr)
            more.push_back(v);
        else
            fixed[count] = v;
        ++count;
    };
    std::size_t arcs = 0;
    std::uint64_t firstArc = 0;
    const char *const text = oidText.data();
    for (std::size_t start = 0, i = 0;; ++i) {
        if (i < oidText.size() && text[i] != '.')
            continue;
        const std::uint64_t v = arcValue(text + start, i - start);
        if (arcs == 0)
            firstArc = v; // joined with the second arc, if there is one
        else
            add(arcs == 1 ? firstArc * 40 + v : v);
        ++arcs;
        if (i == oidText.size())
            break;
        start = i + 1;
    }
    if (arcs == 1)
        add(firstArc);
    if (ids == nullptr)
        ids = more.data();
    const std::size_t mark = Size();
    char bytes[10 * 32];
    for (std::size_t i = count; i > 0;) {
        char *at = bytes + sizeof bytes;
        for (; i > 0 && at - bytes >= 10; --i)
            prependBase128(ids[i - 1], at);
        Bytes(at, std::size_t(bytes + sizeof bytes - at));
    }
    Wrap(ObjectId, mark);
}

std::string Writer::Take() {
    buf_.erase(0, start_);
    start_ = 0;
    return std::move(buf_);
}

} // namespace vantrel::snmp::ber
