#include "snmp/pdu.h"

namespace vantrel::snmp {

Pdu Pdu::Request(int type, std::int32_t requestId, const std::vector<std::string> &oids) {
    Pdu pdu;
    pdu.type = type;
    pdu.requestId = requestId;
    pdu.bindings.reserve(oids.size());
    for (const std::string &oid : oids)
        pdu.bindings.push_back(VarBind{oid, ber::Null, std::string()});
    return pdu;
}

std::string Pdu::Encode() const {
    std::string bindingList;
    for (const VarBind &b : bindings)
        bindingList +=
            ber::EncodeItem(ber::Sequence, ber::EncodeItem(ber::ObjectId, ber::OidContent(b.oid)) +
                                               ber::EncodeItem(b.type, b.value));
    return ber::EncodeItem(type,
                           ber::EncodeItem(ber::Integer, ber::IntegerContent(requestId)) +
                               ber::EncodeItem(ber::Integer, ber::IntegerContent(errorStatus)) +
                               ber::EncodeItem(ber::Integer, ber::IntegerContent(errorIndex)) +
                               ber::EncodeItem(ber::Sequence, bindingList));
}

bool Pdu::Decode(ber::Reader &items) {
    bindings.clear();
    const std::size_t outerEnd = items.End();
    std::int64_t id = 0, status = 0, index = 0;
    if (!items.Enter(0, &type) || items.End() != outerEnd || !items.TakeInt(id) ||
        !items.TakeInt(status) || !items.TakeInt(index) || !items.Enter(ber::Sequence) ||
        items.End() != outerEnd)
        return false;
    requestId = std::int32_t(id);
    errorStatus = int(status);
    errorIndex = int(index);
    while (!items.AtEnd()) {
        if (!items.Enter(ber::Sequence))
            return false;
        VarBind b;
        std::string name;
        if (!items.Take(ber::ObjectId, name) || !ber::OidText(name, b.oid) ||
            !items.Take(0, b.value, &b.type) || !items.AtEnd())
            return false;
        std::string oidValue;
        if (b.type == ber::ObjectId && !ber::OidText(b.value, oidValue))
            return false; // an object identifier value is held to the same rules as a name
        bindings.push_back(std::move(b));
        items.Leave(outerEnd); // back in the binding list, which ends with the PDU
    }
    return true;
}

} // namespace vantrel::snmp
