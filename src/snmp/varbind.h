#pragma once

#include <string>

namespace vantrel::snmp {

// One variable binding: the OID text, the value rendered as text (any bytes), and the BER tag
// the value arrived with (NULL in requests).
struct VarBind {
    std::string OID;
    std::string Value;
    int ValueType = 0x05;
};

} // namespace vantrel::snmp
