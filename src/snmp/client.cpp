#include "snmp/client.h"

#include "snmp/message.h"
#include "snmp/tablewalk.h"
#include "snmp/udptransport.h"
#include "snmp/usmsession.h"

#include <algorithm>
#include <arpa/inet.h>
#include <climits>

namespace vantrel::snmp {

namespace {

const char *const UsmStats = "1.3.6.1.6.3.15.1.1.";
constexpr int TooBig = 1;

// The report a v3 agent sends in place of an answer, as the caller sees it.
Outcome reportOutcome(const std::string &oid) {
    const std::string stats(UsmStats);
    if (oid.compare(0, stats.size(), stats) != 0 || oid.size() != stats.size() + 3 ||
        oid.compare(stats.size() + 1, 2, ".0") != 0)
        return Outcome::AgentReport;
    switch (oid[stats.size()]) {
    case '1':
        return Outcome::UnsupportedSecurityLevel;
    case '2':
        return Outcome::NotInTimeWindow;
    case '3':
        return Outcome::UnknownUser;
    case '4':
        return Outcome::UnknownEngine;
    case '5':
        return Outcome::AuthenticationFailed;
    case '6':
        return Outcome::DecryptionFailed;
    default:
        return Outcome::AgentReport;
    }
}

Outcome waitOutcome(UdpTransport::Wait wait) {
    switch (wait) {
    case UdpTransport::Wait::TimedOut:
        return Outcome::NoAnswer;
    case UdpTransport::Wait::Cancelled:
        return Outcome::Cancelled;
    case UdpTransport::Wait::Failed:
    case UdpTransport::Wait::Datagram:
        break;
    }
    return Outcome::Unreachable;
}

Response answered(Pdu &&pdu) {
    Response r;
    r.outcome = Outcome::Ok;
    r.errorStatus = pdu.errorStatus;
    r.errorIndex = pdu.errorIndex;
    r.bindings = std::move(pdu.bindings);
    return r;
}

Response failed(Outcome outcome) {
    Response r;
    r.outcome = outcome;
    return r;
}

bool inSubtree(const std::string &oid, const std::string &base) {
    return oid.size() > base.size() && oid[base.size()] == '.' &&
           oid.compare(0, base.size(), base) == 0;
}

} // namespace

const VarBind *Response::Value(const std::string &oid) const {
    if (errorStatus != 0)
        return nullptr;
    for (const VarBind &b : bindings)
        if (b.oid == oid)
            return IsException(b.type) ? nullptr : &b;
    return nullptr;
}

Client::Client(ClientConfig config) : config_(std::move(config)) {}

Client::~Client() = default;

std::int32_t Client::takeId() {
    const std::int32_t id = nextId_;
    nextId_ = nextId_ == INT32_MAX ? 1 : nextId_ + 1;
    return id;
}

bool ResolveTarget(const std::string &target, sockaddr_in &address) {
    std::string host;
    unsigned short port = 0;
    if (!UdpTransport::SplitTarget(target, "161", host, port) ||
        !UdpTransport::Resolve(host, address))
        return false;
    address.sin_port = htons(port);
    return true;
}

Outcome Client::open() {
    if (transport_ && transport_->IsOpen())
        return Outcome::Ok;
    sockaddr_in address{};
    transport_ = std::make_unique<UdpTransport>();
    if (!ResolveTarget(config_.target, address) || !transport_->Connect(address))
        return Outcome::BadTarget;
    return Outcome::Ok;
}

Response Client::Get(const std::vector<std::string> &oids) {
    return request(Pdu::Request(ber::GetRequest, 0, oids));
}

Response Client::GetNext(const std::vector<std::string> &oids) {
    return request(Pdu::Request(ber::GetNextRequest, 0, oids));
}

Response Client::GetBulk(const std::vector<std::string> &oids, int nonRepeaters,
                         int maxRepetitions) {
    if (config_.version == Version::V1)
        return failed(Outcome::Unsupported);
    Pdu pdu = Pdu::Request(ber::GetBulkRequest, 0, oids);
    pdu.errorStatus = nonRepeaters;
    pdu.errorIndex = maxRepetitions;
    return request(std::move(pdu));
}

Response Client::request(Pdu pdu) {
    const Deadline deadline =
        std::chrono::steady_clock::now() +
        std::chrono::milliseconds(config_.timeoutMs < 0 ? 0 : config_.timeoutMs);
    if (config_.cancel != nullptr && config_.cancel->Cancelled())
        return failed(Outcome::Cancelled);
    if (const Outcome o = open(); o != Outcome::Ok)
        return failed(o);
    if (config_.version == Version::V3)
        return exchangeV3(std::move(pdu), deadline);
    pdu.requestId = takeId();
    return exchangeCommunity(std::move(pdu), deadline);
}

Response Client::exchangeCommunity(Pdu pdu, Deadline deadline) {
    Message query;
    query.version = config_.version == Version::V1 ? 0 : 1;
    query.community = config_.community;
    query.pdu = std::move(pdu);
    if (!writer_)
        writer_ = std::make_unique<ber::Writer>();
    writer_->Clear();
    query.Encode(*writer_);
    if (!transport_->Send(writer_->Data(), writer_->Size()))
        return failed(Outcome::Unreachable);
    // Only the answer to this request counts: a duplicate of an earlier answer, junk or another
    // message is ignored and the wait goes on for what is left of the time-out.
    Message reply;
    while (true) {
        const UdpTransport::Wait wait = transport_->Receive(datagram_, deadline, config_.cancel);
        if (wait != UdpTransport::Wait::Datagram)
            return failed(waitOutcome(wait));
        if (reply.Decode(datagram_) && reply.IsReplyTo(query))
            return answered(std::move(reply.pdu));
    }
}

Outcome Client::discover(Deadline deadline) {
    const std::int32_t msgId = takeId();
    if (!transport_->Send(UsmSession::Probe(msgId)))
        return Outcome::Unreachable;
    std::string datagram;
    while (true) {
        const UdpTransport::Wait wait = transport_->Receive(datagram, deadline, config_.cancel);
        if (wait != UdpTransport::Wait::Datagram)
            return waitOutcome(wait);
        if (session_->Unwrap(datagram, msgId, true).kind == UsmSession::Unwrapped::Kind::Report)
            return session_->Discovered() ? Outcome::Ok : Outcome::UnknownEngine;
    }
}

Response Client::exchangeV3(Pdu pdu, Deadline deadline) {
    if (!session_)
        session_ = UsmSession::For(config_);
    if (!session_->CredentialsUsable())
        return failed(Outcome::UnusableCredentials);
    using Kind = UsmSession::Unwrapped::Kind;
    const char *const NotInTimeWindows = "1.3.6.1.6.3.15.1.1.2.0";
    bool resynced = false, rediscovered = false;
    while (true) {
        if (!session_->Discovered())
            if (const Outcome o = discover(deadline); o != Outcome::Ok)
                return failed(o);
        pdu.requestId = takeId();
        const Deadline sent = std::chrono::steady_clock::now();
        if (!transport_->Send(session_->Wrap(pdu, pdu.requestId, sent)))
            return failed(Outcome::Unreachable);
        // An agent that cannot decrypt a request drops it without a word. Until privacy has
        // worked with this engine, the last fifth of the time-out goes to asking it once more
        // without privacy (and without objects): an authentic answer to that names the cause.
        const bool diagnose = session_->Level() == SecurityLevel::AuthPriv &&
                              !session_->PrivacyConfirmed() && deadline > sent;
        Deadline until = diagnose ? sent + (deadline - sent) * 4 / 5 : deadline;
        std::int32_t diagnosis = 0; // the msgId of that question, once asked
        // Wait for the answer or a report; messages that fail their digest or come from before
        // the engine's clock are dropped, but remembered in case nothing better comes.
        bool badDigest = false, outOfWindow = false;
        UsmSession::Unwrapped got;
        std::string datagram;
        while (got.kind != Kind::Report) {
            const UdpTransport::Wait wait = transport_->Receive(datagram, until, config_.cancel);
            if (wait == UdpTransport::Wait::TimedOut && until < deadline) {
                diagnosis = takeId();
                const Pdu empty = Pdu::Request(ber::GetRequest, diagnosis, {});
                transport_->Send(session_->Wrap(empty, diagnosis, SecurityLevel::AuthNoPriv,
                                                std::chrono::steady_clock::now()));
                until = deadline;
                continue;
            }
            if (wait == UdpTransport::Wait::TimedOut && (badDigest || outOfWindow))
                return failed(badDigest ? Outcome::AuthenticationFailed : Outcome::NotInTimeWindow);
            if (wait != UdpTransport::Wait::Datagram)
                return failed(waitOutcome(wait));
            got = session_->Unwrap(datagram, pdu.requestId, false);
            if (got.kind == Kind::Ignored && diagnosis != 0) {
                got = session_->Unwrap(datagram, diagnosis, SecurityLevel::AuthNoPriv,
                                       std::chrono::steady_clock::now());
                const bool clock = got.kind == Kind::Report && !got.pdu.bindings.empty() &&
                                   got.pdu.bindings[0].oid == NotInTimeWindows;
                if (got.authenticated && !clock &&
                    (got.kind == Kind::Response || got.kind == Kind::Report))
                    return failed(Outcome::DecryptionFailed);
                if (got.kind == Kind::Response)
                    got.kind = Kind::Ignored;
            }
            if (got.kind == Kind::Response)
                return answered(std::move(got.pdu));
            if (got.kind == Kind::Undecryptable)
                return failed(Outcome::DecryptionFailed);
            badDigest = badDigest || got.kind == Kind::BadDigest;
            outOfWindow = outOfWindow || got.kind == Kind::OutOfWindow;
        }
        const std::string oid = got.pdu.bindings.empty() ? std::string() : got.pdu.bindings[0].oid;
        const Outcome reported = reportOutcome(oid);
        // Once each: the clock learnt from an authentic report, the engine found again.
        if (reported == Outcome::NotInTimeWindow && got.authenticated && !resynced) {
            resynced = true;
            continue;
        }
        if (reported == Outcome::UnknownEngine && !rediscovered) {
            rediscovered = true;
            session_->ForgetEngine();
            continue;
        }
        return failed(reported);
    }
}

Outcome Client::Walk(const std::string &base, const std::function<bool(const VarBind &)> &visit,
                     const WalkLimits &limits) {
    std::string last = base;
    // 0: GetNext. A v2c or v3 walk starts with the batch the last tooBig left, if any.
    int batch = 0;
    if (config_.version != Version::V1)
        batch = bulkBatch_ > 0 ? bulkBatch_ : std::max(1, config_.maxRepetitions);
    std::size_t values = 0, bytes = 0;
    while (true) {
        const Response r = batch > 0 ? GetBulk({last}, 0, batch) : GetNext({last});
        if (r.outcome == Outcome::NoAnswer && batch > 0) {
            // A lost answer, or one too big for the path: a fifth of the batch, then GetNext.
            batch = batch > 5 ? batch / 5 : 0;
            continue;
        }
        if (!r.Answered())
            return r.outcome;
        if (r.errorStatus == TooBig && batch > 0) {
            batch /= 2;
            bulkBatch_ = batch > 0 ? batch : 1;
            continue;
        }
        // An error status ends the walk, as a v1 agent's noSuchName past its last object does.
        if (r.errorStatus != 0 || r.bindings.empty())
            return Outcome::Ok;
        for (const VarBind &b : r.bindings) {
            // The end of the agent's view, the end of the subtree, or an agent that does not
            // move forward (which would bring the walk round again for ever).
            if (IsException(b.type) || !inSubtree(b.oid, base) || !TableWalk::OidAfter(b.oid, last))
                return Outcome::Ok;
            if (values >= limits.values || b.value.size() > limits.bytes - bytes)
                return Outcome::WalkTooLarge;
            ++values;
            bytes += b.value.size();
            if (!visit(b))
                return Outcome::Ok;
            last = b.oid;
        }
    }
}

WalkResult Client::Walk(const std::string &base, const WalkLimits &limits) {
    WalkResult result;
    result.outcome = Walk(
        base,
        [&result](const VarBind &b) {
            result.bindings.push_back(b);
            return true;
        },
        limits);
    return result;
}

} // namespace vantrel::snmp
