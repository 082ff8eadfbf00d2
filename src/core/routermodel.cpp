#include "core/routermodel.h"

#include "core/clock.h"
#include "core/localaddress.h"
#include "snmp/canceltoken.h"
#include "snmp/client.h"
#include "snmp/snmpsend.h"

namespace vantrel::core {

// The worker's view of the router: the target read afresh before every request, the shared
// cancel token, and the interface map the queries share.
class RouterModel::Link : public RouterLink {
public:
    explicit Link(RouterModel &model) : model_(model) {}

    Answer Get(const std::string &oid, std::string &value) override {
        value.clear();
        if (Cancelled())
            return Answer::None;
        int status = 0;
        const snmp::RequestOptions options{model_.options_.timeoutMs, model_.cancel_.get(),
                                           &status};
        if (!snmp::SnmpGetValue(oid, model_.Community(), model_.Host(), value, options))
            return Answer::None;
        return status == 0 ? Answer::Value : Answer::Error;
    }
    Answer GetBinding(const std::string &oid, Binding &binding) override {
        binding = Binding{oid, 0x05, std::string()};
        if (Cancelled())
            return Answer::None;
        snmp::Client client(config());
        const snmp::Response response = client.Get({oid});
        if (!response.Answered())
            return Answer::None;
        const snmp::VarBind *value = response.Value(oid);
        if (value == nullptr)
            return Answer::Error;
        binding = Binding{value->oid, value->type, snmp::ValueText(*value)};
        return Answer::Value;
    }
    bool WalkBindings(const std::string &base, std::vector<Binding> &bindings) override {
        bindings.clear();
        if (Cancelled())
            return false;
        snmp::Client client(config());
        const snmp::Outcome outcome = client.Walk(base, [&bindings](const snmp::VarBind &b) {
            bindings.push_back(Binding{b.oid, b.type, snmp::ValueText(b)});
            return true;
        });
        return outcome == snmp::Outcome::Ok;
    }
    bool Walk(const std::string &base, std::vector<std::string> &rows) override {
        rows.clear();
        if (Cancelled()) {
            rows.push_back("\"\"");
            return false;
        }
        const snmp::RequestOptions options{model_.options_.timeoutMs, model_.cancel_.get()};
        return snmp::SnmpWalkTable(base, model_.Community(), model_.Host(), rows, options);
    }
    bool Cancelled() const override { return model_.cancel_->Cancelled(); }
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
        snmp::ClientConfig c;
        c.target = model_.Host();
        c.community = model_.Community();
        c.timeoutMs = model_.options_.timeoutMs;
        c.cancel = model_.cancel_.get();
        return c;
    }

    RouterModel &model_;
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
    executor_.Post([this, map] { runJob([map](RouterLink &link) { link.Interfaces() = map; }); });
}

bool RouterModel::enqueue(const QString &key, JobKind kind, std::function<void(RouterLink &)> run) {
    if (shutDown_ || keys_.count(key) != 0)
        return false;
    keys_.insert(key);
    if (kind == JobKind::Page) {
        ++pageJobs_;
        emit pageJobsChanged(pageJobs_);
    }
    executor_.Post([this, run = std::move(run)] { runJob(run); });
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

void RouterModel::runJob(const std::function<void(RouterLink &)> &run) {
    // A new job asks afresh, unless the model is shutting down: the shutdown's cancel may have
    // come just before this reset, and then it holds.
    cancel_->Reset();
    if (executor_.Stopping())
        cancel_->Cancel();
    run(*link_);
    std::lock_guard<std::mutex> lock(mutex_);
    published_ = link_->map;
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
        QStringLiteral("monitor:connection"), JobKind::Background, head,
        [request](RouterLink &link) { return core::PollLink(link, request); },
        [this](LinkPoll &p) { emit linkPolled(p); });
}

bool RouterModel::ReadUptime(const QString &key, const ResultHead &head) {
    return Submit<UptimeReading>(
        key, JobKind::Background, head, [](RouterLink &link) { return core::ReadUptime(link); },
        [this, key](UptimeReading &u) { emit uptimeRead(key, u); });
}

} // namespace vantrel::core
