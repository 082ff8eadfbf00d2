#pragma once

#include "snmp/tsnmpmib.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::snmp {

// One SNMP v1 message, request or reply.
class TSNMPRec {
public:
    int Version = 0;
    std::string Community;
    int PDUType = 0;
    std::int32_t ID = 1; // a new record starts with request id 1; Clear() keeps it
    int ErrorStatus = 0;
    int ErrorIndex = 0;
    std::vector<TSNMPMib> MIBList;

    // Empties every field but the request id.
    void Clear();
    void MIBAdd(const std::string &oid, const std::string &value, int valueType);

    // Definite-length BER of the whole message.
    std::string EncodeBuf() const;
    // Fills the record from a received datagram; false when the datagram is not a message.
    bool DecodeBuf(const std::string &buffer);
};

} // namespace vantrel::snmp
