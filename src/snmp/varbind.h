#pragma once

#include <string>

namespace vantrel::snmp {

// One variable binding as it travels: the object's name as dotted text (no leading dot), the
// BER tag of its value and the value's content bytes as they came (any bytes). Requests carry
// NULL values.
struct VarBind {
    std::string oid;
    int type = 0x05;
    std::string value;
};

// noSuchObject, noSuchInstance and endOfMibView: the agent's word that there is no value.
bool IsException(int type);

// The text the program shows for a value: unsigned decimal for counters (also 64-bit ones),
// gauges and time ticks, signed decimal for integers, dotted for IP addresses and object
// identifiers, the raw bytes for strings and every other type, the empty text for NULL and the
// exceptions.
std::string ValueText(const VarBind &binding);

} // namespace vantrel::snmp
