#pragma once

#include "snmp/pdu.h"

#include <string>

namespace vantrel::snmp {

// One community-based message, SNMP v1 (version 0) or v2c (version 1): request or reply.
struct Message {
    int version = 0;
    std::string community;
    Pdu pdu;

    // Definite-length BER of the whole message.
    std::string Encode() const;
    void Encode(ber::Writer &out) const;
    // Fills the message from a received datagram. False, with the message emptied, unless the
    // datagram begins with one well-formed message: every length inside the datagram and inside
    // its enclosing item, the PDU ending with the message (see Pdu::Decode).
    bool Decode(const std::string &datagram);
    // True when this decoded message is the response to query: same version, community and
    // request id. Anything else that arrives is not the answer and is ignored.
    bool IsReplyTo(const Message &query) const;
};

} // namespace vantrel::snmp
