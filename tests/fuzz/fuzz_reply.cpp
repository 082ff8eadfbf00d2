// libFuzzer target for everything that reads bytes from the network over v1 and v2c: the reply
// decoder, the object identifier and integer readers and the value rendering. A datagram is either
// refused (and leaves nothing behind) or a well-formed message whose every name is a canonical OID
// and which encodes again to a message that decodes to the very same record.

#include "core/convert.h"
#include "property.h"
#include "snmp/ber.h"
#include "snmp/client.h"
#include "snmp/message.h"

#include <cstdint>
#include <string>

using namespace vantrel::snmp;
using vantrel::core::StrToInt64;

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
    if (a.version != b.version || a.community != b.community || a.pdu.type != b.pdu.type ||
        a.pdu.requestId != b.pdu.requestId || a.pdu.errorStatus != b.pdu.errorStatus ||
        a.pdu.errorIndex != b.pdu.errorIndex || a.pdu.bindings.size() != b.pdu.bindings.size())
        return false;
    for (std::size_t i = 0; i < a.pdu.bindings.size(); ++i)
        if (a.pdu.bindings[i].oid != b.pdu.bindings[i].oid ||
            a.pdu.bindings[i].value != b.pdu.bindings[i].value ||
            a.pdu.bindings[i].type != b.pdu.bindings[i].type)
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
    // A 64-bit counter renders as a whole decimal number of at most 20 digits.
    const std::string c64 = ValueText(VarBind{"1.3", ber::Counter64, bytes});
    check(!c64.empty() && c64.size() <= 20 &&
          c64.find_first_not_of("0123456789") == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string datagram(reinterpret_cast<const char *>(data), size);
    readers(datagram);

    Message reply;
    if (!reply.Decode(datagram)) {
        check(reply.community.empty() && reply.pdu.bindings.empty() && reply.pdu.type == 0);
        return 0;
    }
    for (const VarBind &b : reply.pdu.bindings) {
        check(canonicalOid(b.oid));
        if (b.type == ber::ObjectId)
            check(canonicalOid(ValueText(b)));
    }

    // Sent again, it reads back the same, and encoding is then a fixed point.
    const std::string encoded = reply.Encode();
    Message back;
    check(back.Decode(encoded));
    check(sameRecord(reply, back));
    check(back.Encode() == encoded);

    // Whether it answers a request depends on the header alone, for v1 and v2c alike.
    for (const int version : {0, 1}) {
        Message query;
        query.version = version;
        query.pdu.requestId = reply.pdu.requestId;
        query.community = reply.community;
        check(reply.IsReplyTo(query) ==
              (reply.pdu.type == ber::GetResponse && reply.version == version));
    }
    return 0;
}
