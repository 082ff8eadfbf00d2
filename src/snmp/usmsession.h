#pragma once

#include "snmp/clientconfig.h"
#include "snmp/pdu.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace vantrel::snmp {

namespace usm {
class Authenticator;
class Cipher;
} // namespace usm

// What one user of the user-based security model knows of one agent: the agent's engine (its id,
// boots and clock), the keys localised to it, and the salts used so far. It wraps requests into
// v3 messages and reads what comes back, without the network, so that it can be tested and
// fuzzed as it stands.
class UsmSession {
public:
    using Clock = std::chrono::steady_clock;

    explicit UsmSession(const ClientConfig &config);
    ~UsmSession();
    UsmSession(const UsmSession &) = delete;
    UsmSession &operator=(const UsmSession &) = delete;

    // The session for config's target, user and credentials, shared by every client made with
    // them in this process: a client made for a single request still finds the engine and the
    // keys a previous one learnt.
    static std::shared_ptr<UsmSession> For(const ClientConfig &config);

    // False when the user or a passphrase the security level needs cannot be used.
    bool CredentialsUsable() const { return usable_; }
    SecurityLevel Level() const { return level_; }
    bool Discovered() const;
    void ForgetEngine();
    // Takes the agent's engine as known, deriving the keys for it.
    void SetEngine(const std::string &engineId, std::int32_t boots, std::int32_t time,
                   Clock::time_point at = Clock::now());
    std::string EngineId() const;

    // The discovery probe: a reportable GetRequest without bindings, naming no engine and no
    // user, which an agent answers with a report that names its engine.
    static std::string Probe(std::int32_t msgId);
    // pdu in a message for the known engine, at the session's security level or a lower one.
    std::string Wrap(const Pdu &pdu, std::int32_t msgId, Clock::time_point now = Clock::now());
    std::string Wrap(const Pdu &pdu, std::int32_t msgId, SecurityLevel level,
                     Clock::time_point now);

    struct Unwrapped {
        enum class Kind {
            Ignored,       // not an answer to the message: wait on
            BadDigest,     // claims to be authenticated, but its digest is wrong: wait on
            OutOfWindow,   // authentic, but older than the engine's clock allows: wait on
            Undecryptable, // authentic, but its data does not decrypt to a scoped PDU
            Response,
            Report,
        };
        Kind kind = Kind::Ignored;
        bool authenticated = false;
        Pdu pdu;
    };
    // Reads a datagram received after sending the message msgId (the probe when probe is true),
    // whose PDU carried msgId as its request id too. A response counts only at the security
    // level asked for, from the engine and for the user asked, with that request id; an
    // authenticated message only with a correct digest. Reports to the probe teach the
    // session the engine, authenticated ones its clock.
    Unwrapped Unwrap(const std::string &datagram, std::int32_t msgId, bool probe,
                     Clock::time_point now = Clock::now());
    Unwrapped Unwrap(const std::string &datagram, std::int32_t msgId, SecurityLevel asked,
                     Clock::time_point now);

    // Whether an answer at privacy has been decrypted since the engine was learnt: until then a
    // silent agent may be one that cannot decrypt what we send.
    bool PrivacyConfirmed() const;

private:
    Unwrapped unwrap(const std::string &datagram, std::int32_t msgId, bool probe,
                     SecurityLevel asked, Clock::time_point now);
    void setEngine(const std::string &engineId, std::int32_t boots, std::int32_t time,
                   Clock::time_point at);
    std::int32_t engineTimeAt(Clock::time_point now) const;
    void learnTime(std::int32_t boots, std::int32_t time, Clock::time_point now);
    bool inTimeWindow(std::int32_t boots, std::int32_t time, Clock::time_point now) const;

    const std::string user_;
    const SecurityLevel level_;
    const AuthProtocol authProtocol_;
    const PrivProtocol privProtocol_;
    bool usable_ = false;
    std::string authKey_; // the user's keys before localisation
    std::string privKey_;

    mutable std::mutex mutex_;
    std::string engineId_;
    bool discovered_ = false;
    std::int32_t boots_ = 0;
    std::int32_t time_ = 0; // the engine's clock when last learnt, at syncedAt_
    Clock::time_point syncedAt_{};
    std::unique_ptr<usm::Authenticator> authenticator_;
    std::unique_ptr<usm::Cipher> cipher_;
    std::uint64_t salt_ = 0;
    bool privacyConfirmed_ = false;
};

} // namespace vantrel::snmp
