#pragma once

#include "snmp/ber.h"
#include "snmp/varbind.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::snmp {

// One protocol data unit: a request, a response or a report, with its variable bindings. A
// GetBulkRequest carries non-repeaters and max-repetitions where the others carry the error
// status and index.
struct Pdu {
    int type = ber::GetRequest;
    std::int32_t requestId = 1;
    int errorStatus = 0;
    int errorIndex = 0;
    std::vector<VarBind> bindings;

    int NonRepeaters() const { return errorStatus; }
    int MaxRepetitions() const { return errorIndex; }

    // A request naming each oid with a NULL value.
    static Pdu Request(int type, std::int32_t requestId, const std::vector<std::string> &oids);

    // Definite-length BER of the whole PDU, each value sent with its type and bytes.
    std::string Encode() const;
    void Encode(ber::Writer &out) const;
    // Reads the PDU at the reader's position, which must end where its enclosing item ends:
    // a constructed PDU tag, request id, error status and index (integers of 32 bits), and a
    // binding list in which every binding is a name and one value; names and object identifier
    // values by the rules of ber::OidText.
    bool Decode(ber::Reader &items);
};

} // namespace vantrel::snmp
