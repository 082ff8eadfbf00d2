// libFuzzer target for what reads SNMP v3 messages: the message and scoped PDU decoders, the
// security parameters, the digest check and the decryption, through the session that reads an
// agent's answers. The first byte picks the session (its security level and protocols) and
// whether the datagram answers the discovery probe; the rest is the datagram.
// Properties: nothing is read past the datagram; a message taken as authenticated carries the
// HMAC that the agent's key gives for it (computed here with nettle's own HMAC functions); an
// answer is taken only at the security level asked for, for the message, engine and user
// asked; and only the probe's report teaches the session an engine.

#include "property.h"
#include "snmp/usmcrypto.h"
#include "snmp/usmsession.h"
#include "snmp/v3message.h"

#include <nettle/hmac.h>

#include <cstdint>
#include <memory>
#include <string>

using namespace vantrel::snmp;

namespace {

const std::string Engine("\x80\x00\x1f\x88\x80vantrel", 12);
const std::int32_t MsgId = 77;

struct Setup {
    SecurityLevel level;
    AuthProtocol auth;
    PrivProtocol priv;
};

const Setup Setups[] = {
    {SecurityLevel::NoAuthNoPriv, AuthProtocol::Sha1, PrivProtocol::Aes128},
    {SecurityLevel::AuthNoPriv, AuthProtocol::Sha1, PrivProtocol::Aes128},
    {SecurityLevel::AuthPriv, AuthProtocol::Sha256, PrivProtocol::Aes128},
    {SecurityLevel::AuthPriv, AuthProtocol::Md5, PrivProtocol::Des},
    {SecurityLevel::AuthPriv, AuthProtocol::Sha512, PrivProtocol::Des},
};

ClientConfig configOf(const Setup &setup) {
    ClientConfig c;
    c.version = Version::V3;
    c.user = "fuzz";
    c.securityLevel = setup.level;
    c.authProtocol = setup.auth;
    c.authPassphrase = "fuzz auth passphrase";
    c.privProtocol = setup.priv;
    c.privPassphrase = "fuzz privacy passphrase";
    return c;
}

// The full HMAC of data under key, by nettle's functions for each hash.
std::string hmac(AuthProtocol protocol, const std::string &key, const std::string &data) {
    const auto *k = reinterpret_cast<const std::uint8_t *>(key.data());
    const auto *d = reinterpret_cast<const std::uint8_t *>(data.data());
    std::uint8_t out[64];
    std::size_t length = 0;
    switch (protocol) {
    case AuthProtocol::Md5: {
        hmac_md5_ctx c;
        hmac_md5_set_key(&c, key.size(), k);
        hmac_md5_update(&c, data.size(), d);
        hmac_md5_digest(&c, length = MD5_DIGEST_SIZE, out);
        break;
    }
    case AuthProtocol::Sha1: {
        hmac_sha1_ctx c;
        hmac_sha1_set_key(&c, key.size(), k);
        hmac_sha1_update(&c, data.size(), d);
        hmac_sha1_digest(&c, length = SHA1_DIGEST_SIZE, out);
        break;
    }
    case AuthProtocol::Sha256: {
        hmac_sha256_ctx c;
        hmac_sha256_set_key(&c, key.size(), k);
        hmac_sha256_update(&c, data.size(), d);
        hmac_sha256_digest(&c, length = SHA256_DIGEST_SIZE, out);
        break;
    }
    default: {
        hmac_sha512_ctx c;
        hmac_sha512_set_key(&c, key.size(), k);
        hmac_sha512_update(&c, data.size(), d);
        hmac_sha512_digest(&c, length = SHA512_DIGEST_SIZE, out);
        break;
    }
    }
    return std::string(reinterpret_cast<const char *>(out), length);
}

int levelFlags(SecurityLevel level) {
    return level == SecurityLevel::NoAuthNoPriv ? 0
           : level == SecurityLevel::AuthNoPriv ? V3Message::Auth
                                                : V3Message::Auth | V3Message::Priv;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 1)
        return 0;
    // The sessions and the agent's keys are made once: a passphrase costs a megabyte of hashing.
    static std::unique_ptr<UsmSession> sessions[std::size(Setups)];
    static std::string agentKeys[std::size(Setups)];
    const std::size_t pick = data[0] % std::size(Setups);
    const bool probe = data[0] & 0x80;
    const Setup &setup = Setups[pick];
    const ClientConfig config = configOf(setup);
    if (!sessions[pick]) {
        sessions[pick] = std::make_unique<UsmSession>(config);
        agentKeys[pick] = usm::LocalizeKey(
            setup.auth, usm::PasswordToKey(setup.auth, config.authPassphrase), Engine);
    }
    UsmSession &session = *sessions[pick];
    const auto t0 = UsmSession::Clock::time_point() + std::chrono::hours(1);
    if (probe)
        session.ForgetEngine();
    else
        session.SetEngine(Engine, 5, 1000, t0);

    const std::string datagram(reinterpret_cast<const char *>(data) + 1, size - 1);
    const UsmSession::Unwrapped got = session.Unwrap(datagram, MsgId, probe, t0);

    V3Message message;
    std::size_t authAt = 0;
    const bool decoded = message.Decode(datagram, &authAt);
    if (got.kind != UsmSession::Unwrapped::Kind::Ignored)
        check(decoded && message.msgId == MsgId);
    if (got.authenticated) {
        // The digest is the HMAC of the message with the digest's own bytes zeroed.
        check(!probe && (message.flags & V3Message::Auth) && message.engineId == Engine &&
              message.user == config.user);
        std::string zeroed = datagram;
        zeroed.replace(authAt, message.authParams.size(), message.authParams.size(), '\0');
        const std::string full = hmac(setup.auth, agentKeys[pick], zeroed);
        check(message.authParams.size() == usm::MacLength(setup.auth));
        check(full.compare(0, message.authParams.size(), message.authParams) == 0);
    }
    if (got.kind == UsmSession::Unwrapped::Kind::Response) {
        check(!probe && (message.flags & 3) == levelFlags(setup.level));
        check(message.engineId == Engine && message.user == config.user);
        check(got.authenticated == (setup.level != SecurityLevel::NoAuthNoPriv));
        check(got.pdu.type == 0xA2 && got.pdu.requestId == MsgId);
    }
    if (probe)
        check(session.Discovered() ==
              (got.kind == UsmSession::Unwrapped::Kind::Report && !message.engineId.empty()));
    else
        check(session.EngineId() == Engine);
    return 0;
}
