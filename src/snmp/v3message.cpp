#include "snmp/v3message.h"

namespace vantrel::snmp {

std::string ScopedPdu::Encode() const {
    ber::Writer out(contextEngineId.size() + contextName.size() + 64 + 32 * pdu.bindings.size());
    pdu.Encode(out);
    out.Item(ber::OctetString, contextName);
    out.Item(ber::OctetString, contextEngineId);
    out.Wrap(ber::Sequence, 0);
    return out.Take();
}

bool ScopedPdu::Decode(const std::string &bytes) {
    ber::Reader items(bytes, bytes.size());
    return items.Enter(ber::Sequence) && items.Take(ber::OctetString, contextEngineId) &&
           items.Take(ber::OctetString, contextName) && pdu.Decode(items);
}

std::string V3Message::Encode(std::size_t *authAt) const {
    ber::Writer out(data.size() + engineId.size() + user.size() + authParams.size() + 96);
    if (flags & Priv)
        out.Item(ber::OctetString, data);
    else
        out.Bytes(data);
    // The security parameters: a sequence inside a string.
    const std::size_t parameters = out.Size();
    out.Item(ber::OctetString, privParams);
    const std::size_t auth = out.Size();
    out.Bytes(authParams);
    const std::size_t authFromEnd = out.Size(); // the digest's first byte, counted from the end
    out.Wrap(ber::OctetString, auth);
    out.Item(ber::OctetString, user);
    out.Integer(engineTime);
    out.Integer(engineBoots);
    out.Item(ber::OctetString, engineId);
    out.Wrap(ber::Sequence, parameters);
    out.Wrap(ber::OctetString, parameters);
    const std::size_t header = out.Size();
    out.Integer(securityModel);
    out.Item(ber::OctetString, std::string(1, char(flags)));
    out.Integer(maxSize);
    out.Integer(msgId);
    out.Wrap(ber::Sequence, header);
    out.Integer(3);
    out.Wrap(ber::Sequence, 0);
    if (authAt != nullptr)
        *authAt = out.Size() - authFromEnd;
    return out.Take();
}

bool V3Message::Decode(const std::string &datagram, std::size_t *authAt) {
    ber::Reader items(datagram, datagram.size());
    std::int64_t version = 0, id = 0, size = 0, model = 0, boots = 0, time = 0;
    std::string flagByte;
    if (!items.Enter(ber::Sequence) || !items.TakeInt(version) || version != 3)
        return false;
    const std::size_t messageEnd = items.End();
    if (!items.Enter(ber::Sequence) || !items.TakeInt(id) || !items.TakeInt(size) ||
        !items.Take(ber::OctetString, flagByte) || !items.TakeInt(model) || !items.AtEnd() ||
        id < 0 || size < 484 || flagByte.size() != 1)
        return false;
    items.Leave(messageEnd);
    std::size_t at = 0, length = 0;
    if (!items.Skip(ber::OctetString, at, length))
        return false;
    // The security parameters: one sequence that fills the string.
    ber::Reader parameters(datagram, at, at + length);
    std::size_t authContent = 0, authLength = 0;
    if (!parameters.Enter(ber::Sequence) || parameters.End() != at + length ||
        !parameters.Take(ber::OctetString, engineId) || !parameters.TakeInt(boots) ||
        !parameters.TakeInt(time) || boots < 0 || time < 0 ||
        !parameters.Take(ber::OctetString, user) ||
        !parameters.Skip(ber::OctetString, authContent, authLength) ||
        !parameters.Take(ber::OctetString, privParams) || !parameters.AtEnd())
        return false;
    msgId = std::int32_t(id);
    maxSize = std::int32_t(size);
    flags = static_cast<unsigned char>(flagByte[0]);
    securityModel = int(model);
    engineBoots = std::int32_t(boots);
    engineTime = std::int32_t(time);
    authParams.assign(datagram, authContent, authLength);
    if (authAt != nullptr)
        *authAt = authContent;
    // The data: a string of ciphertext, or the scoped PDU's own sequence, kept whole.
    const std::size_t dataAt = items.Pos();
    if (flags & Priv) {
        if (!items.Take(ber::OctetString, data))
            return false;
    } else {
        if (!items.Skip(ber::Sequence, at, length))
            return false;
        data.assign(datagram, dataAt, at + length - dataAt);
    }
    return items.AtEnd();
}

} // namespace vantrel::snmp
