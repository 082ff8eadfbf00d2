#include "snmp/ber.h"

#include <cstdint>
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

std::string base128(std::uint64_t v) {
    std::string out(1, char(v & 0x7F));
    v >>= 7;
    while (v > 0) {
        out.insert(out.begin(), char(0x80 | (v & 0x7F)));
        v >>= 7;
    }
    return out;
}

std::uint64_t arcValue(const std::string &arc) {
    if (arc.empty() || arc.size() > 19)
        return 0;
    std::uint64_t v = 0;
    for (char c : arc) {
        if (c < '0' || c > '9')
            return 0;
        v = v * 10 + unsigned(c - '0');
    }
    return v;
}

} // namespace

std::string OidContent(const std::string &oidText) {
    std::vector<std::uint64_t> arcs;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = oidText.find('.', start);
        arcs.push_back(arcValue(oidText.substr(start, dot - start)));
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    std::string out;
    std::size_t i = 0;
    if (arcs.size() >= 2) {
        out += base128(arcs[0] * 40 + arcs[1]);
        i = 2;
    }
    for (; i < arcs.size(); ++i)
        out += base128(arcs[i]);
    return out;
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
    if (content.empty())
        return false;
    const std::size_t skip = signBytes(content);
    if (content.size() - skip > 8)
        return false;
    std::uint64_t v = (static_cast<unsigned char>(content[skip]) & 0x80) ? ~std::uint64_t(0) : 0;
    for (std::size_t i = skip; i < content.size(); ++i)
        v = (v << 8) | static_cast<unsigned char>(content[i]);
    value = static_cast<std::int64_t>(v);
    return true;
}

bool OidText(const std::string &content, std::string &text) {
    if (content.empty())
        return false;
    text.clear();
    std::uint64_t v = 0;
    bool start = true; // at the first byte of a sub-identifier
    bool first = true;
    for (std::size_t i = 0; i < content.size(); ++i) {
        const auto b = static_cast<unsigned char>(content[i]);
        if (start && b == 0x80)
            return false; // not the fewest bytes
        v = (v << 7) | (b & 0x7F);
        if (v > 0xFFFFFFFFu)
            return false;
        start = !(b & 0x80);
        if (!start)
            continue;
        if (first) {
            text = std::to_string(v / 40) + "." + std::to_string(v % 40);
            first = false;
        } else {
            text += "." + std::to_string(v);
        }
        v = 0;
    }
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

} // namespace vantrel::snmp::ber
