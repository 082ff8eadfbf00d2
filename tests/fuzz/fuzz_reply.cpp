// libFuzzer target for everything that reads bytes from the network: the reply decoder, the
// object identifier and integer readers and the value rendering. A datagram is either refused
// (and leaves nothing behind) or a well-formed message whose every name is a canonical OID and
// which encodes again to a message that decodes to the very same record.

#include "property.h"
#include "snmp/ber.h"
#include "snmp/convert.h"
#include "snmp/message.h"

#include <cstdint>
#include <string>

using namespace vantrel::snmp;

namespace {

// Two or more decimal arcs without leading zeros, each within 32 bits, the second below 40
// unless the first is 2.
bool canonicalOid(const std::string &oid) {
    std::size_t arcs = 0, start = 0;
    std::uint64_t first = 0;
    while (start <= oid.size()) {
        std::size_t dot = oid.find('.', start);
        if (dot == std::string::npos)
            dot = oid.size();
        const std::string arc = oid.substr(start, dot - start);
        if (arc.empty() || arc.size() > 10 || (arc.size() > 1 && arc[0] == '0'))
            return false;
        std::uint64_t v = 0;
        for (char c : arc) {
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + std::uint64_t(c - '0');
        }
        if (v > 0xFFFFFFFFu || (arcs == 1 && first < 2 && v >= 40))
            return false;
        if (arcs == 0)
            first = v;
        ++arcs;
        start = dot + 1;
    }
    return arcs >= 2;
}

bool sameRecord(const Message &a, const Message &b) {
    if (a.Version != b.Version || a.Community != b.Community || a.PDUType != b.PDUType ||
        a.ID != b.ID || a.ErrorStatus != b.ErrorStatus || a.ErrorIndex != b.ErrorIndex ||
        a.MIBList.size() != b.MIBList.size())
        return false;
    for (std::size_t i = 0; i < a.MIBList.size(); ++i)
        if (a.MIBList[i].OID != b.MIBList[i].OID || a.MIBList[i].Value != b.MIBList[i].Value ||
            a.MIBList[i].ValueType != b.MIBList[i].ValueType)
            return false;
    return true;
}

// The readers on their own: what they accept is canonical and encodes to the same bytes.
void readers(const std::string &bytes) {
    std::string text;
    if (ber::OidText(bytes, text)) {
        check(canonicalOid(text));
        check(ber::OidContent(text) == bytes);
    }
    std::int64_t v = 0;
    if (ber::IntegerValue(bytes, v)) {
        std::int64_t again = 0;
        check(ber::IntegerValue(ber::IntegerContent(v), again) && again == v);
        check(ber::IntegerContent(v).size() <= bytes.size());
    }
    // Signed and unsigned values render as whole decimal numbers in their 32-bit range.
    const std::int64_t i = StrToInt64(ber::RenderValue(ber::Integer, bytes));
    check(i >= INT32_MIN && i <= INT32_MAX);
    const std::int64_t u = StrToInt64(ber::RenderValue(ber::Counter, bytes));
    check(u >= 0 && u <= UINT32_MAX);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string datagram(reinterpret_cast<const char *>(data), size);
    readers(datagram);

    Message reply;
    if (!reply.DecodeBuf(datagram)) {
        check(reply.Community.empty() && reply.MIBList.empty() && reply.PDUType == 0);
        return 0;
    }
    for (const VarBind &mib : reply.MIBList) {
        check(canonicalOid(mib.OID));
        if (mib.ValueType == ber::ObjectId)
            check(canonicalOid(mib.Value));
    }

    // Sent again, it reads back the same, and encoding is then a fixed point.
    const std::string encoded = reply.EncodeBuf();
    Message back;
    check(back.DecodeBuf(encoded));
    check(sameRecord(reply, back));
    check(back.EncodeBuf() == encoded);

    // Whether it answers a request depends on the header alone.
    Message query;
    query.ID = reply.ID;
    query.Community = reply.Community;
    check(reply.IsReplyTo(query) == (reply.PDUType == ber::GetResponse && reply.Version == 0));
    return 0;
}
