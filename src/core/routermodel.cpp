#include "core/routermodel.h"

#include "core/clock.h"
#include "core/localaddress.h"
#include "snmp/canceltoken.h"
#include "snmp/client.h"
#include "snmp/snmpsend.h"

#include <chrono>
#include <utility>

namespace vantrel::core {

namespace {

LinkFailure failureOf(snmp::Outcome outcome) {
    using O = snmp::Outcome;
    switch (outcome) {
    case O::Ok:
    case O::Cancelled:
    case O::Unsupported:
        return LinkFailure::None;
    case O::BadTarget:
        return LinkFailure::BadTarget;
    case O::NoAnswer:
        return LinkFailure::NoAnswer;
    case O::Unreachable:
        return LinkFailure::Unreachable;
    case O::WalkTooLarge:
        return LinkFailure::TooLarge;
    case O::UnusableCredentials:
        return LinkFailure::Credentials;
    case O::UnknownEngine:
        return LinkFailure::UnknownEngine;
    case O::UnknownUser:
        return LinkFailure::UnknownUser;
    case O::UnsupportedSecurityLevel:
        return LinkFailure::SecurityLevel;
    case O::AuthenticationFailed:
        return LinkFailure::Authentication;
    case O::DecryptionFailed:
        return LinkFailure::Decryption;
    case O::NotInTimeWindow:
        return LinkFailure::TimeWindow;
    case O::AgentReport:
        return LinkFailure::AgentReport;
    }
    return LinkFailure::None;
}

snmp::ClientConfig configOf(const std::string &host, const std::string &community,
                            const RouterAccess &access) {
    using A = RouterAccess;
    snmp::ClientConfig c;
    c.target = host;
    c.community = community;
    switch (access.version) {
    case A::Version::V1:
        c.version = snmp::Version::V1;
        return c;
    case A::Version::V2c:
        c.version = snmp::Version::V2c;
        return c;
    case A::Version::V3:
        c.version = snmp::Version::V3;
        break;
    }
    c.user = access.user.toStdString();
    c.securityLevel = access.level == A::Level::AuthPriv     ? snmp::SecurityLevel::AuthPriv
                      : access.level == A::Level::AuthNoPriv ? snmp::SecurityLevel::AuthNoPriv
                                                             : snmp::SecurityLevel::NoAuthNoPriv;
    switch (access.auth) {
    case A::Auth::Sha:
        c.authProtocol = snmp::AuthProtocol::Sha1;
        break;
    case A::Auth::Sha256:
        c.authProtocol = snmp::AuthProtocol::Sha256;
        break;
    case A::Auth::Sha512:
        c.authProtocol = snmp::AuthProtocol::Sha512;
        break;
    case A::Auth::Md5:
        c.authProtocol = snmp::AuthProtocol::Md5;
        break;
    }
    c.privProtocol =
        access.privacy == A::Privacy::Des ? snmp::PrivProtocol::Des : snmp::PrivProtocol::Aes128;
    if (access.UsesAuth())
        c.authPassphrase = access.authPassphrase.toStdString();
    if (access.UsesPrivacy())
        c.privPassphrase = access.privacyPassphrase.toStdString();
    return c;
}

// The same agent and credentials: a kept client serves them.
bool sameAccess(const snmp::ClientConfig &a, const snmp::ClientConfig &b) {
    return a.target == b.target && a.version == b.version && a.community == b.community &&
           a.user == b.user && a.securityLevel == b.securityLevel &&
           a.authProtocol == b.authProtocol && a.authPassphrase == b.authPassphrase &&
           a.privProtocol == b.privProtocol && a.privPassphrase == b.privPassphrase &&
           a.timeoutMs == b.timeoutMs;
}

const char kSysDescr[] = "1.3.6.1.2.1.1.1.0";
const char kIfHCInOctets[] = "1.3.6.1.2.1.31.1.1.1.6";

} // namespace

// The worker's view of the router: the target and access read afresh before every request, the
// shared cancel token, and the interface map the queries share. SNMP v1 asks as it always has:
// a fresh socket per GET and per walk, each GET with request id 1. v2c and v3 go through one
// kept client, so a v3 agent's engine and the keys localised to it are learnt once, and walk
// with GetBulk.
class RouterModel::Link : public RouterLink {
public:
    explicit Link(RouterModel &model) : model_(model) {}

    Answer Get(const std::string &oid, std::string &value) override {
        value.clear();
        if (Cancelled())
            return Answer::None;
        const snmp::ClientConfig c = config();
        if (c.version == snmp::Version::V1) {
            int status = 0;
            snmp::Outcome outcome = snmp::Outcome::NoAnswer;
            const snmp::RequestOptions options{c.timeoutMs, c.cancel, &status, &outcome};
            const bool ok = snmp::SnmpGetValue(oid, c.community, c.target, value, options);
            record(outcome);
            if (!ok)
                return Answer::None;
            return status == 0 ? Answer::Value : Answer::Error;
        }
        Binding binding;
        const Answer answer = getKept(c, oid, binding);
        if (answer == Answer::Value)
            value = binding.value;
        return answer;
    }
    Answer GetBinding(const std::string &oid, Binding &binding) override {
        binding = Binding{oid, 0x05, std::string()};
        if (Cancelled())
            return Answer::None;
        const snmp::ClientConfig c = config();
        if (c.version == snmp::Version::V1) {
            snmp::Client client(c);
            return answerOf(client.Get({oid}), oid, binding);
        }
        return getKept(c, oid, binding);
    }
    bool WalkBindings(const std::string &base, std::vector<Binding> &bindings) override {
        bindings.clear();
        if (Cancelled())
            return false;
        const snmp::ClientConfig c = config();
        std::unique_ptr<snmp::Client> fresh;
        snmp::Client &client = clientFor(c, fresh);
        const snmp::Outcome outcome = client.Walk(base, [this, &bindings](const snmp::VarBind &b) {
            bindings.push_back(Binding{b.oid, b.type, snmp::ValueText(b)});
            // A long walk of a slow router is many requests: the polls may run between them.
            model_.beforeRequest();
            return true;
        });
        record(outcome);
        return outcome == snmp::Outcome::Ok;
    }
    bool Walk(const std::string &base, std::vector<std::string> &rows) override {
        rows.clear();
        if (Cancelled()) {
            rows.push_back("\"\"");
            return false;
        }
        const snmp::ClientConfig c = config();
        snmp::Outcome outcome = snmp::Outcome::NoAnswer;
        bool ok = false;
        if (c.version == snmp::Version::V1) {
            const snmp::RequestOptions options{c.timeoutMs, c.cancel, nullptr, &outcome};
            ok = snmp::SnmpWalkTable(base, c.community, c.target, rows, options);
        } else {
            std::unique_ptr<snmp::Client> none;
            ok = snmp::WalkTable(clientFor(c, none), base, rows, {}, &outcome);
        }
        record(outcome);
        return ok;
    }
    bool Cancelled() const override { return model_.cancel_->Cancelled(); }
    LinkFailure Failure() const override { return failure_; }
    std::string FailureReason() const override {
        return FailureText(failure_, target_, model_.options_.timeoutMs).toStdString();
    }
    InterfaceMap &Interfaces() override { return map; }
    std::string LocalAddress() override {
        const std::string target = model_.Host();
        return model_.options_.localAddress ? model_.options_.localAddress(target)
                                            : LocalAddressTowards(target);
    }

    InterfaceMap map; // the worker's thread only

private:
    // How the client reaches the current target.
    snmp::ClientConfig config() const {
        snmp::ClientConfig c = configOf(model_.Host(), model_.Community(), model_.Access());
        c.timeoutMs = model_.options_.timeoutMs;
        c.cancel = model_.cancel_.get();
        return c;
    }
    // v1: a fresh client (held by fresh); else the kept one, made anew when the target or the
    // access changed.
    snmp::Client &clientFor(const snmp::ClientConfig &c, std::unique_ptr<snmp::Client> &fresh) {
        if (c.version == snmp::Version::V1) {
            fresh = std::make_unique<snmp::Client>(c);
            return *fresh;
        }
        if (!kept_ || !sameAccess(kept_->Config(), c))
            kept_ = std::make_unique<snmp::Client>(c);
        return *kept_;
    }
    Answer getKept(const snmp::ClientConfig &c, const std::string &oid, Binding &binding) {
        std::unique_ptr<snmp::Client> none;
        return answerOf(clientFor(c, none).Get({oid}), oid, binding);
    }
    Answer answerOf(const snmp::Response &response, const std::string &oid, Binding &binding) {
        record(response.outcome);
        if (!response.Answered())
            return Answer::None;
        const snmp::VarBind *value = response.Value(oid);
        if (value == nullptr)
            return Answer::Error;
        binding = Binding{value->oid, value->type, snmp::ValueText(*value)};
        return Answer::Value;
    }

public:
    // Before each job: nothing has failed yet.
    void ForgetFailure() { failure_ = LinkFailure::None; }
    // How the last request ended, kept across a poll that runs inside a job.
    struct LastFailure {
        LinkFailure failure;
        std::string target;
    };
    LastFailure Last() const { return {failure_, target_}; }
    void Restore(const LastFailure &last) {
        failure_ = last.failure;
        target_ = last.target;
    }
    // A poll inside a job asks through a kept client of its own: the job may be in the middle
    // of a walk with the other.
    void SwapKept() { std::swap(kept_, keptInside_); }

private:
    // Remembers how the last request ended.
    void record(snmp::Outcome outcome) {
        failure_ = failureOf(outcome);
        target_ = model_.Host();
    }

    RouterModel &model_;
    std::unique_ptr<snmp::Client> kept_;
    std::unique_ptr<snmp::Client> keptInside_;
    LinkFailure failure_ = LinkFailure::None;
    std::string target_;
};

// What a job sees of the router: the link, with the model's turn for waiting polls before each
// request.
class RouterModel::FairLink : public RouterLink {
public:
    FairLink(RouterModel &model, RouterLink &link) : model_(model), link_(link) {}

    Answer Get(const std::string &oid, std::string &value) override {
        model_.beforeRequest();
        return link_.Get(oid, value);
    }
    Answer GetBinding(const std::string &oid, Binding &binding) override {
        model_.beforeRequest();
        return link_.GetBinding(oid, binding);
    }
    bool WalkBindings(const std::string &base, std::vector<Binding> &bindings) override {
        model_.beforeRequest();
        return link_.WalkBindings(base, bindings);
    }
    bool Walk(const std::string &base, std::vector<std::string> &rows) override {
        model_.beforeRequest();
        return link_.Walk(base, rows);
    }
    bool Cancelled() const override { return link_.Cancelled(); }
    LinkFailure Failure() const override { return link_.Failure(); }
    std::string FailureReason() const override { return link_.FailureReason(); }
    InterfaceMap &Interfaces() override { return link_.Interfaces(); }
    std::string LocalAddress() override { return link_.LocalAddress(); }

private:
    RouterModel &model_;
    RouterLink &link_;
};

RouterModel::RouterModel(Options options, QObject *parent)
    : QObject(parent), options_(std::move(options)), cancel_(std::make_unique<snmp::CancelToken>()),
      link_(std::make_unique<Link>(*this)), executor_(this) {}

RouterModel::~RouterModel() {
    Shutdown();
}

void RouterModel::Shutdown() {
    shutDown_ = true;
    // The request that is waiting for its reply ends at once.
    executor_.Stop(SerialExecutor::Pending::Drop, [this] { cancel_->Cancel(); });
    keys_.clear();
    if (pageJobs_ != 0) {
        pageJobs_ = 0;
        emit pageJobsChanged(0);
    }
}

void RouterModel::SetTarget(const std::string &host, const std::string &community) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (host == host_ && community == community_)
            return;
        host_ = host;
        community_ = community;
    }
    // The request waiting for the old target ends now; the jobs after it ask the new one.
    cancel_->Cancel();
}

std::string RouterModel::Host() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return host_;
}

void RouterModel::SetAccess(const RouterAccess &access) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (access == access_)
            return;
        access_ = access;
    }
    cancel_->Cancel();
}

RouterAccess RouterModel::Access() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return access_;
}

std::string RouterModel::Community() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return community_;
}

InterfaceMap RouterModel::Interfaces() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return published_;
}

void RouterModel::SetInterfaces(const InterfaceMap &map) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        published_ = map;
    }
    // Taken over by the model's thread before the next job, in order with the queue.
    executor_.Post(
        [this, map] { runJob([map](RouterLink &link) { link.Interfaces() = map; }, false); });
}

bool RouterModel::enqueue(const QString &key, JobKind kind, std::function<void(RouterLink &)> run) {
    if (shutDown_ || keys_.count(key) != 0)
        return false;
    keys_.insert(key);
    if (kind == JobKind::Page) {
        ++pageJobs_;
        emit pageJobsChanged(pageJobs_);
    }
    const bool poll = kind == JobKind::Poll;
    executor_.Post([this, run = std::move(run), poll] { runJob(run, poll); }, poll);
    return true;
}

void RouterModel::startDelivery(JobKind kind) {
    if (kind == JobKind::Page && pageJobs_ > 0) {
        --pageJobs_;
        emit pageJobsChanged(pageJobs_);
    }
}

void RouterModel::finished(const QString &key, JobKind) {
    keys_.erase(key);
}

void RouterModel::post(std::function<void()> delivery) {
    // Runs on the model's thread; dropped when the model has gone or was shut down meanwhile.
    executor_.Deliver([this, delivery = std::move(delivery)] {
        if (!shutDown_)
            delivery();
    });
}

QDateTime RouterModel::now() const {
    return options_.clock != nullptr ? options_.clock->Now() : QDateTime::currentDateTime();
}

qint64 RouterModel::elapsedMs() const {
    if (options_.elapsedMs)
        return options_.elapsedMs();
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

RouterLink &RouterModel::base() {
    return options_.link != nullptr ? *options_.link : *link_;
}

void RouterModel::runJob(const std::function<void(RouterLink &)> &run, bool poll) {
    if (depth_ > 0) {
        runInside(run);
        return;
    }
    // A new job asks afresh, unless the model is shutting down: the shutdown's cancel may have
    // come just before this reset, and then it holds.
    cancel_->Reset();
    if (executor_.Stopping())
        cancel_->Cancel();
    link_->ForgetFailure();
    depth_ = 1;
    currentPoll_ = poll;
    heldSince_ = elapsedMs();
    FairLink link(*this, base());
    run(link);
    depth_ = 0;
    std::lock_guard<std::mutex> lock(mutex_);
    published_ = base().Interfaces();
}

void RouterModel::runInside(const std::function<void(RouterLink &)> &run) {
    // No reset of the cancel token: a target change or a shutdown that cut the long job short
    // ends the poll too, and one that comes during the poll still holds for the long job.
    InterfaceMap &map = base().Interfaces();
    InterfaceMap jobs;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        jobs = std::exchange(map, published_);
    }
    const Link::LastFailure last = link_->Last();
    link_->ForgetFailure();
    link_->SwapKept();
    depth_ = 2;
    run(base());
    depth_ = 1;
    link_->SwapKept();
    link_->Restore(last);
    map = std::move(jobs);
}

void RouterModel::beforeRequest() {
    if (depth_ != 1 || currentPoll_ || options_.shareMs < 0 || base().Cancelled())
        return;
    if (elapsedMs() - heldSince_ < options_.shareMs)
        return;
    if (executor_.RunWaitingPolls() > 0)
        heldSince_ = elapsedMs();
}

RouterModel::JobKind RouterModel::KindOf(const ResultHead &head) {
    return head.requester == Requester::Page || head.requester == Requester::Startup
               ? JobKind::Page
               : JobKind::Background;
}

bool RouterModel::RefreshSystem(const SystemRequest &request, const ResultHead &head,
                                std::optional<JobKind> kind) {
    return Submit<SystemFigures>(
        QStringLiteral("page:System"), kind.value_or(KindOf(head)), head,
        [request](RouterLink &link) { return ReadSystem(link, request); },
        [this](SystemFigures &f) { emit systemRead(f); });
}

bool RouterModel::RefreshAdsl(const ResultHead &head, const QString &key) {
    return Submit<AdslFigures>(
        key, KindOf(head), head, [](RouterLink &link) { return ReadAdsl(link); },
        [this](AdslFigures &f) { emit adslRead(f); });
}

bool RouterModel::RefreshRows(const QString &key, const std::vector<std::string> &oids,
                              const ResultHead &head) {
    return Submit<RowReadings>(
        key, KindOf(head), head, [oids](RouterLink &link) { return ReadRows(link, oids); },
        [this, key](RowReadings &r) { emit rowsRead(key, r); });
}

bool RouterModel::PollLink(const LinkPollRequest &request, const ResultHead &head) {
    return Submit<LinkPoll>(
        QStringLiteral("monitor:connection"), JobKind::Poll, head,
        [request](RouterLink &link) { return core::PollLink(link, request); },
        [this](LinkPoll &p) { emit linkPolled(p); });
}

bool RouterModel::ReadUptime(const QString &key, const ResultHead &head) {
    return Submit<UptimeReading>(
        key, JobKind::Poll, head, [](RouterLink &link) { return core::ReadUptime(link); },
        [this, key](UptimeReading &u) { emit uptimeRead(key, u); });
}

} // namespace vantrel::core

namespace vantrel::core {

bool RouterModel::FindAccess(const std::string &community, const ResultHead &head,
                             std::function<void(const AccessProbe &)> deliver) {
    const int timeoutMs = options_.timeoutMs;
    return Submit<AccessProbe>(
        QStringLiteral("access:find"), KindOf(head), head,
        [this, community, timeoutMs](RouterLink &) {
            AccessProbe probe;
            const std::string host = Host();
            auto ask = [&](RouterAccess::Version version) {
                RouterAccess access;
                access.version = version;
                snmp::ClientConfig c = configOf(host, community, access);
                c.timeoutMs = timeoutMs;
                c.cancel = cancel_.get();
                snmp::Client client(c);
                const snmp::Response r = client.Get({kSysDescr});
                if (!r.Answered()) {
                    probe.failure = FailureText(failureOf(r.outcome), host, timeoutMs);
                    return false;
                }
                if (version == RouterAccess::Version::V2c) {
                    const snmp::Response next = client.GetNext({kIfHCInOctets});
                    probe.counters64 =
                        next.Answered() && !next.bindings.empty() &&
                        next.bindings.front().type == 0x46 && // Counter64
                        next.bindings.front().oid.rfind(std::string(kIfHCInOctets) + ".", 0) == 0;
                }
                return true;
            };
            probe.v2c = ask(RouterAccess::Version::V2c);
            if (!probe.v2c && !cancel_->Cancelled())
                probe.v1 = ask(RouterAccess::Version::V1);
            if (probe.v2c || probe.v1)
                probe.failure.clear();
            probe.head.outcome.cancelled = cancel_->Cancelled();
            return probe;
        },
        [deliver](AccessProbe &probe) { deliver(probe); });
}

} // namespace vantrel::core
