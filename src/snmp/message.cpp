#include "snmp/message.h"

namespace vantrel::snmp {

std::string Message::Encode() const {
    ber::Writer out(community.size() + 64 + 32 * pdu.bindings.size());
    Encode(out);
    return out.Take();
}

void Message::Encode(ber::Writer &out) const {
    const std::size_t end = out.Size();
    pdu.Encode(out);
    out.Item(ber::OctetString, community);
    out.Integer(version);
    out.Wrap(ber::Sequence, end);
}

bool Message::Decode(const std::string &datagram) {
    // Bytes behind the message are not read; everything inside it must be well-formed.
    ber::Reader items(datagram, datagram.size());
    std::int64_t v = 0;
    if (items.Enter(ber::Sequence) && items.TakeInt(v) && items.Take(ber::OctetString, community) &&
        pdu.Decode(items)) {
        version = int(v);
        return true;
    }
    *this = Message();
    pdu.type = 0;
    return false;
}

bool Message::IsReplyTo(const Message &query) const {
    return pdu.type == ber::GetResponse && version == query.version &&
           community == query.community && pdu.requestId == query.pdu.requestId;
}

} // namespace vantrel::snmp
