#include "snmp/usmsession.h"

#include "snmp/usmcrypto.h"
#include "snmp/v3message.h"

#include <list>
#include <sys/random.h>
#include <tuple>
#include <utility>

namespace vantrel::snmp {

namespace {

constexpr std::int32_t Largest = 2147483647;
// How far behind the engine's clock an authentic message may be.
constexpr std::int32_t TimeWindowSeconds = 150;
const char *const NotInTimeWindows = "1.3.6.1.6.3.15.1.1.2.0";

int levelFlags(SecurityLevel level) {
    switch (level) {
    case SecurityLevel::NoAuthNoPriv:
        return 0;
    case SecurityLevel::AuthNoPriv:
        return V3Message::Auth;
    case SecurityLevel::AuthPriv:
        break;
    }
    return V3Message::Auth | V3Message::Priv;
}

std::uint64_t randomSalt() {
    std::uint64_t salt = 0;
    if (getrandom(&salt, sizeof salt, 0) != ssize_t(sizeof salt))
        salt = std::uint64_t(UsmSession::Clock::now().time_since_epoch().count());
    return salt;
}

} // namespace

UsmSession::UsmSession(const ClientConfig &config)
    : user_(config.user), level_(config.securityLevel), authProtocol_(config.authProtocol),
      privProtocol_(config.privProtocol), salt_(randomSalt()) {
    // A passphrase shorter than 8 bytes is not allowed for a user's key.
    const bool auth = level_ != SecurityLevel::NoAuthNoPriv;
    const bool priv = level_ == SecurityLevel::AuthPriv;
    usable_ = !user_.empty() && user_.size() <= 32 &&
              (!auth || config.authPassphrase.size() >= 8) &&
              (!priv || config.privPassphrase.size() >= 8);
    if (usable_ && auth)
        authKey_ = usm::PasswordToKey(authProtocol_, config.authPassphrase);
    if (usable_ && priv)
        privKey_ = usm::PasswordToKey(authProtocol_, config.privPassphrase);
}

UsmSession::~UsmSession() = default;

std::shared_ptr<UsmSession> UsmSession::For(const ClientConfig &config) {
    using Key = std::tuple<std::string, std::string, SecurityLevel, AuthProtocol, std::string,
                           PrivProtocol, std::string>;
    static std::mutex mutex;
    static std::list<std::pair<Key, std::shared_ptr<UsmSession>>> sessions; // latest first
    const Key key{config.target,        config.user,           config.securityLevel,
                  config.authProtocol,  config.authPassphrase, config.privProtocol,
                  config.privPassphrase};
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = sessions.begin(); it != sessions.end(); ++it) {
        if (it->first == key) {
            sessions.splice(sessions.begin(), sessions, it);
            return sessions.front().second;
        }
    }
    sessions.emplace_front(key, std::make_shared<UsmSession>(config));
    if (sessions.size() > 8) // a few targets and credentials at a time; the oldest go
        sessions.pop_back();
    return sessions.front().second;
}

bool UsmSession::Discovered() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return discovered_;
}

std::string UsmSession::EngineId() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return engineId_;
}

void UsmSession::ForgetEngine() {
    std::lock_guard<std::mutex> lock(mutex_);
    discovered_ = false;
    engineId_.clear();
    authenticator_.reset();
    cipher_.reset();
}

void UsmSession::SetEngine(const std::string &engineId, std::int32_t boots, std::int32_t time,
                           Clock::time_point at) {
    std::lock_guard<std::mutex> lock(mutex_);
    setEngine(engineId, boots, time, at);
}

void UsmSession::setEngine(const std::string &engineId, std::int32_t boots, std::int32_t time,
                           Clock::time_point at) {
    if (!discovered_ || engineId != engineId_) {
        // The keys localised to this engine: the only hashing besides each message's digest.
        authenticator_.reset();
        cipher_.reset();
        if (!authKey_.empty())
            authenticator_ = std::make_unique<usm::Authenticator>(
                authProtocol_, usm::LocalizeKey(authProtocol_, authKey_, engineId));
        if (!privKey_.empty())
            cipher_ = std::make_unique<usm::Cipher>(
                privProtocol_, usm::LocalizeKey(authProtocol_, privKey_, engineId));
    }
    if (engineId != engineId_)
        privacyConfirmed_ = false;
    engineId_ = engineId;
    discovered_ = true;
    boots_ = boots;
    time_ = time;
    syncedAt_ = at;
}

std::int32_t UsmSession::engineTimeAt(Clock::time_point now) const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(now - syncedAt_).count();
    const long long t = static_cast<long long>(time_) + (elapsed > 0 ? elapsed : 0);
    return t > Largest ? Largest : std::int32_t(t);
}

void UsmSession::learnTime(std::int32_t boots, std::int32_t time, Clock::time_point now) {
    // Only forward: a later boot, or a later time in the same boot.
    if (boots > boots_ || (boots == boots_ && time > engineTimeAt(now))) {
        boots_ = boots;
        time_ = time;
        syncedAt_ = now;
    }
}

bool UsmSession::inTimeWindow(std::int32_t boots, std::int32_t time, Clock::time_point now) const {
    return boots_ != Largest && boots == boots_ &&
           static_cast<long long>(time) >=
               static_cast<long long>(engineTimeAt(now)) - TimeWindowSeconds;
}

std::string UsmSession::Probe(std::int32_t msgId) {
    V3Message message;
    message.msgId = msgId;
    message.flags = V3Message::Reportable;
    message.data =
        ScopedPdu{std::string(), std::string(), Pdu::Request(ber::GetRequest, msgId, {})}.Encode();
    return message.Encode();
}

bool UsmSession::PrivacyConfirmed() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return privacyConfirmed_;
}

std::string UsmSession::Wrap(const Pdu &pdu, std::int32_t msgId, Clock::time_point now) {
    return Wrap(pdu, msgId, level_, now);
}

std::string UsmSession::Wrap(const Pdu &pdu, std::int32_t msgId, SecurityLevel level,
                             Clock::time_point now) {
    if (int(level) > int(level_))
        level = level_;
    std::lock_guard<std::mutex> lock(mutex_);
    V3Message message;
    message.msgId = msgId;
    message.flags = V3Message::Reportable | levelFlags(level);
    message.engineId = engineId_;
    message.user = user_;
    const std::string scoped = ScopedPdu{engineId_, std::string(), pdu}.Encode();
    if (level == SecurityLevel::NoAuthNoPriv || !authenticator_) {
        message.data = scoped; // no clock: only authenticated messages are held to it
        return message.Encode();
    }
    message.engineBoots = boots_;
    message.engineTime = engineTimeAt(now);
    if (level == SecurityLevel::AuthPriv && cipher_)
        message.data = cipher_->Encrypt(scoped, message.engineBoots, message.engineTime, ++salt_,
                                        message.privParams);
    else
        message.data = scoped;
    message.authParams.assign(authenticator_->Length(), '\0');
    std::size_t authAt = 0;
    std::string datagram = message.Encode(&authAt);
    datagram.replace(authAt, message.authParams.size(), authenticator_->Mac(datagram));
    return datagram;
}

UsmSession::Unwrapped UsmSession::Unwrap(const std::string &datagram, std::int32_t msgId,
                                         bool probe, Clock::time_point now) {
    return unwrap(datagram, msgId, probe, level_, now);
}

UsmSession::Unwrapped UsmSession::Unwrap(const std::string &datagram, std::int32_t msgId,
                                         SecurityLevel asked, Clock::time_point now) {
    return unwrap(datagram, msgId, false, asked, now);
}

UsmSession::Unwrapped UsmSession::unwrap(const std::string &datagram, std::int32_t msgId,
                                         bool probe, SecurityLevel asked, Clock::time_point now) {
    Unwrapped out;
    V3Message message;
    std::size_t authAt = 0;
    if (!message.Decode(datagram, &authAt) || message.msgId != msgId ||
        message.securityModel != V3Message::UserBasedSecurityModel)
        return out;
    const int level = message.flags & (V3Message::Auth | V3Message::Priv);
    if (level == V3Message::Priv)
        return out; // privacy without authentication is no security level
    std::lock_guard<std::mutex> lock(mutex_);
    if (level & V3Message::Auth) {
        // Only our own user's messages from the engine our keys are localised to can be checked;
        // anything else claiming authentication is not for us.
        if (probe || !authenticator_ || message.engineId != engineId_ || message.user != user_)
            return out;
        if (message.authParams.size() != authenticator_->Length() ||
            !authenticator_->Verify(datagram, authAt)) {
            out.kind = Unwrapped::Kind::BadDigest;
            return out;
        }
        out.authenticated = true;
    }
    std::string plain;
    if (level & V3Message::Priv) {
        if (!cipher_ || !cipher_->Decrypt(message.data, message.engineBoots, message.engineTime,
                                          message.privParams, plain)) {
            out.kind = Unwrapped::Kind::Undecryptable;
            return out;
        }
    } else {
        plain = std::move(message.data);
    }
    ScopedPdu scoped;
    if (!scoped.Decode(plain)) {
        if (level & V3Message::Priv)
            out.kind = Unwrapped::Kind::Undecryptable;
        return out;
    }
    const bool report = scoped.pdu.type == ber::Report;
    if (!report && scoped.pdu.type != ber::GetResponse)
        return out;
    if (out.authenticated) {
        const bool resync = report && !scoped.pdu.bindings.empty() &&
                            scoped.pdu.bindings.front().oid == NotInTimeWindows;
        if (resync) {
            // The engine's own, authentic word on its clock: taken as it stands, also when it
            // went back (an agent that lost its boot count).
            boots_ = message.engineBoots;
            time_ = message.engineTime;
            syncedAt_ = now;
        } else {
            learnTime(message.engineBoots, message.engineTime, now);
            if (!inTimeWindow(message.engineBoots, message.engineTime, now)) {
                out.kind = Unwrapped::Kind::OutOfWindow;
                return out;
            }
        }
    }
    if (report) {
        if (probe && !message.engineId.empty())
            setEngine(message.engineId, message.engineBoots, message.engineTime, now);
        out.kind = Unwrapped::Kind::Report;
        out.pdu = std::move(scoped.pdu);
        return out;
    }
    if (probe || level != levelFlags(asked) || message.engineId != engineId_ ||
        message.user != user_ || scoped.pdu.requestId != msgId)
        return out;
    if (level & V3Message::Priv)
        privacyConfirmed_ = true;
    out.kind = Unwrapped::Kind::Response;
    out.pdu = std::move(scoped.pdu);
    return out;
}

} // namespace vantrel::snmp
