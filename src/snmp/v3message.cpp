#include "snmp/v3message.h"

namespace vantrel::snmp {

using ber::EncodeItem;

std::string ScopedPdu::Encode() const {
    return EncodeItem(ber::Sequence, EncodeItem(ber::OctetString, contextEngineId) +
                                         EncodeItem(ber::OctetString, contextName) + pdu.Encode());
}

bool ScopedPdu::Decode(const std::string &bytes) {
    ber::Reader items(bytes, bytes.size());
    return items.Enter(ber::Sequence) && items.Take(ber::OctetString, contextEngineId) &&
           items.Take(ber::OctetString, contextName) && pdu.Decode(items);
}

std::string V3Message::Encode(std::size_t *authAt) const {
    const std::string version = EncodeItem(ber::Integer, ber::IntegerContent(3));
    const std::string header =
        EncodeItem(ber::Sequence, EncodeItem(ber::Integer, ber::IntegerContent(msgId)) +
                                      EncodeItem(ber::Integer, ber::IntegerContent(maxSize)) +
                                      EncodeItem(ber::OctetString, std::string(1, char(flags))) +
                                      EncodeItem(ber::Integer, ber::IntegerContent(securityModel)));
    const std::string beforeAuth = EncodeItem(ber::OctetString, engineId) +
                                   EncodeItem(ber::Integer, ber::IntegerContent(engineBoots)) +
                                   EncodeItem(ber::Integer, ber::IntegerContent(engineTime)) +
                                   EncodeItem(ber::OctetString, user);
    const std::string authItem = EncodeItem(ber::OctetString, authParams);
    const std::string fields = beforeAuth + authItem + EncodeItem(ber::OctetString, privParams);
    const std::string parameters = EncodeItem(ber::Sequence, fields);
    const std::string parametersItem = EncodeItem(ber::OctetString, parameters);
    const std::string body = version + header + parametersItem +
                             ((flags & Priv) ? EncodeItem(ber::OctetString, data) : data);
    const std::string message = EncodeItem(ber::Sequence, body);
    if (authAt != nullptr)
        // Each item's header is what its encoding adds in front of its content.
        *authAt = (message.size() - body.size()) + version.size() + header.size() +
                  (parametersItem.size() - parameters.size()) +
                  (parameters.size() - fields.size()) + beforeAuth.size() +
                  (authItem.size() - authParams.size());
    return message;
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
