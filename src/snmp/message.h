#pragma once

#include "snmp/varbind.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::snmp {

// One SNMP v1 message, request or reply.
class Message {
public:
    int Version = 0;
    std::string Community;
    int PDUType = 0;
    std::int32_t ID = 1; // a new record starts with request id 1; Clear() keeps it
    int ErrorStatus = 0;
    int ErrorIndex = 0;
    std::vector<VarBind> MIBList;

    // Empties every field but the request id.
    void Clear();
    void MIBAdd(const std::string &oid, const std::string &value, int valueType);

    // Definite-length BER of the whole message; each value is sent with its type, so a decoded
    // record encodes to a message that decodes to the same record.
    std::string EncodeBuf() const;
    // Fills the record from a received datagram. False, with the record cleared, unless the
    // datagram begins with one well-formed message: every length inside the datagram and inside
    // its enclosing item, the PDU and binding list ending with the message, every binding a name
    // and one value, integers of 32 bits and object identifiers by the rules of ber::OidText.
    bool DecodeBuf(const std::string &buffer);
    // True when this decoded record is the GetResponse to query: same version, community and
    // request id. Anything else that arrives is not the answer and is ignored.
    bool IsReplyTo(const Message &query) const;

private:
    bool decode(const std::string &buffer);
};

} // namespace vantrel::snmp
