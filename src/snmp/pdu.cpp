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
    ber::Writer out;
    Encode(out);
    return out.Take();
}

void Pdu::Encode(ber::Writer &out) const {
    const std::size_t end = out.Size(); // where the PDU and its binding list end
    for (auto b = bindings.rbegin(); b != bindings.rend(); ++b) {
        const std::size_t binding = out.Size();
        out.Item(b->type, b->value);
        out.Oid(b->oid);
        out.Wrap(ber::Sequence, binding);
    }
    out.Wrap(ber::Sequence, end);
    out.Integer(errorIndex);
    out.Integer(errorStatus);
    out.Integer(requestId);
    out.Wrap(type, end);
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
        std::size_t nameAt = 0, nameLength = 0;
        if (!items.Skip(ber::ObjectId, nameAt, nameLength) ||
            !ber::OidText(items.Buffer().data() + nameAt, nameLength, b.oid) ||
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
