#pragma once

#include "snmp/pdu.h"

#include <cstdint>
#include <string>

namespace vantrel::snmp {

// The PDU of a v3 message with the context it is meant for.
struct ScopedPdu {
    std::string contextEngineId;
    std::string contextName;
    Pdu pdu;

    std::string Encode() const;
    // The scoped PDU at the start of bytes; what follows it (the padding of a block cipher) is
    // not read.
    bool Decode(const std::string &bytes);
};

// One SNMP v3 message with the user-based security model's parameters.
struct V3Message {
    enum Flags { Auth = 0x01, Priv = 0x02, Reportable = 0x04 };
    static constexpr int UserBasedSecurityModel = 3;
    static constexpr std::int32_t LargestMessage = 65507; // what one UDP datagram can hold

    std::int32_t msgId = 0;
    std::int32_t maxSize = LargestMessage;
    int flags = 0;
    int securityModel = UserBasedSecurityModel;
    // The security parameters.
    std::string engineId; // the authoritative engine's: the agent's for requests and answers
    std::int32_t engineBoots = 0;
    std::int32_t engineTime = 0;
    std::string user;
    std::string authParams; // the message's code, zeros of its length while it is signed
    std::string privParams;
    // The scoped PDU: its BER when in plain text, the ciphertext when Priv is set.
    std::string data;

    // The whole message. authAt receives where authParams' bytes lie in it, for signing.
    std::string Encode(std::size_t *authAt = nullptr) const;
    // False unless the datagram begins with one well-formed v3 message: version 3, a header of
    // 32-bit numbers with a one-byte flags field, security parameters that are one sequence
    // filling their string, and data that is a sequence (plain text) or a string (Priv).
    // authAt receives where authParams' bytes lie in the datagram.
    bool Decode(const std::string &datagram, std::size_t *authAt = nullptr);
};

} // namespace vantrel::snmp
