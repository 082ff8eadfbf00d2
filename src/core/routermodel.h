#pragma once

#include "core/queries.h"
#include "core/results.h"
#include "core/routeraccess.h"
#include "core/serialexecutor.h"
#include "core/state.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

namespace vantrel::snmp {
class CancelToken;
}

namespace vantrel::core {

class Clock;

// What "Find out" learnt of the router: which version answered with the community, and
// whether it serves 64-bit octet counters.
struct AccessProbe {
    ResultHead head;
    bool v2c = false;
    bool v1 = false;
    bool counters64 = false; // ifHCInOctets answered over v2c
    QString failure;         // why neither answered
};

// The router as the program sees it: the current target, the interface map, and one thread of
// its own (a serial executor) that runs the queries of the pages and monitors one after another,
// in the order they were asked. A job that has held the queue longer than its share lets the
// monitors' polls waiting behind it run between two of its requests, so that a long scan or a
// slow router never keeps the connection from being watched. Results come back on the thread
// that owns the model (the window's) as typed signals; pages render them, monitors and the
// history read the same signals.
//
// Every job has a key. A job whose key is still waiting or running is dropped (a second
// "Update" while the page refreshes, a monitor tick while its previous tick is unfinished);
// jobs of other keys queue behind it and wait. Page jobs make the window busy.
class RouterModel : public QObject {
    Q_OBJECT
public:
    struct Options {
        int timeoutMs = 5000;         // the longest wait for one reply
        const Clock *clock = nullptr; // stamps each result; the system clock when absent
        // This computer's address towards a target; the routed address when absent.
        std::function<std::string(const std::string &target)> localAddress;
        // How long one job may hold the queue before the polls waiting behind it run between two
        // of its requests (its share starts again after them); negative: never.
        int shareMs = 3000;
        // A clock that only goes forward, in milliseconds; the steady clock when absent.
        std::function<qint64()> elapsedMs;
        // The router every query asks, instead of the network through the current target.
        RouterLink *link = nullptr;
    };
    // Page: makes the window busy. Background: does not. Poll: a monitor's short periodic query
    // (in the background) that may run between the requests of a job that holds the queue long.
    enum class JobKind { Page, Background, Poll };

    explicit RouterModel(Options options, QObject *parent = nullptr);
    ~RouterModel() override;

    // The address and community every following request goes to. A change abandons the
    // request that is waiting for the old target.
    void SetTarget(const std::string &host, const std::string &community);
    std::string Host() const;
    std::string Community() const;
    // The SNMP version and v3 security every following request uses. A change abandons the
    // request that is waiting, as a new target does.
    void SetAccess(const RouterAccess &access);
    RouterAccess Access() const;
    int TimeoutMs() const { return options_.timeoutMs; }

    // A copy of the interface map as the last finished query left it.
    InterfaceMap Interfaces() const;
    // Replaces the map (before the next queued query runs).
    void SetInterfaces(const InterfaceMap &map);

    // The queries. Each returns false when it was dropped because its key is still busy.
    // kind: how the job is run when not as its requester says (a retry without the busy cursor).
    bool RefreshSystem(const SystemRequest &request, const ResultHead &head,
                       std::optional<JobKind> kind = std::nullopt);
    bool RefreshAdsl(const ResultHead &head, const QString &key = QStringLiteral("page:ADSL"));
    bool RefreshRows(const QString &key, const std::vector<std::string> &oids,
                     const ResultHead &head);
    bool PollLink(const LinkPollRequest &request, const ResultHead &head);
    bool ReadUptime(const QString &key, const ResultHead &head);
    // Tries the current address with community over v2c, then v1 (on the worker, in order with
    // the other queries); changes nothing.
    bool FindAccess(const std::string &community, const ResultHead &head,
                    std::function<void(const AccessProbe &)> deliver);

    // Any other query: run(link) on the worker, deliver(result) on the model's thread. The
    // result's head is head, with the outcome the query gave.
    template <class Result>
    bool Submit(const QString &key, JobKind kind, const ResultHead &head,
                std::function<Result(RouterLink &)> run, std::function<void(Result &)> deliver);

    // Page and start-up queries make the window busy; monitors' polls do not.
    static JobKind KindOf(const ResultHead &head);

    // Waiting or running.
    bool Busy(const QString &key) const { return keys_.count(key) != 0; }
    bool Idle() const { return keys_.empty(); }
    // Page jobs not yet delivered.
    int PageJobs() const { return pageJobs_; }

    // Abandons the running request and every waiting job and stops the worker; nothing more is
    // delivered. Returns at once (the wait for a reply is cut short).
    void Shutdown();

signals:
    void systemRead(const vantrel::core::SystemFigures &figures);
    void adslRead(const vantrel::core::AdslFigures &figures);
    void rowsRead(const QString &key, const vantrel::core::RowReadings &readings);
    void linkPolled(const vantrel::core::LinkPoll &poll);
    void uptimeRead(const QString &key, const vantrel::core::UptimeReading &reading);
    // The number of undelivered page jobs changed (the window shows itself busy meanwhile).
    void pageJobsChanged(int pending);

private:
    class Link;
    class FairLink;
    // run(link) runs the query on the model's thread and posts its delivery.
    bool enqueue(const QString &key, JobKind kind, std::function<void(RouterLink &)> run);
    // On the model's thread, after a job's result was delivered.
    void finished(const QString &key, JobKind kind);
    void startDelivery(JobKind kind);
    void post(std::function<void()> delivery);
    QDateTime now() const;
    // On the executor's thread, around each job.
    void runJob(const std::function<void(RouterLink &)> &run, bool poll);
    // A poll that runs inside a long job: it sees the map as the last finished job left it, and
    // leaves the long job's map and failure as they were.
    void runInside(const std::function<void(RouterLink &)> &run);
    // On the executor's thread before each request of a job: the waiting polls run when the job
    // has had its share.
    void beforeRequest();
    qint64 elapsedMs() const;
    RouterLink &base();

    Options options_;
    mutable std::mutex mutex_; // guards the target and the published map
    std::string host_;
    std::string community_;
    RouterAccess access_;
    InterfaceMap published_;
    std::unique_ptr<snmp::CancelToken> cancel_;
    std::unique_ptr<Link> link_;
    SerialExecutor executor_;

    // The executor's thread only.
    int depth_ = 0;            // 1 inside a job, 2 inside a poll that runs inside one
    bool currentPoll_ = false; // the outer job is itself a poll
    qint64 heldSince_ = 0;     // when the outer job's current share began

    // The model's thread only.
    std::set<QString> keys_;
    int pageJobs_ = 0;
    bool shutDown_ = false;
};

template <class Result>
bool RouterModel::Submit(const QString &key, JobKind kind, const ResultHead &head,
                         std::function<Result(RouterLink &)> run,
                         std::function<void(Result &)> deliver) {
    return enqueue(key, kind, [this, key, kind, head, run, deliver](RouterLink &link) {
        auto result = std::make_shared<Result>(run(link));
        const Outcome outcome = result->head.outcome;
        result->head = head;
        result->head.outcome = outcome;
        // Why the query's last request failed, when it did.
        if (!outcome.cancelled && outcome.failureKind == LinkFailure::None) {
            result->head.outcome.failureKind = link.Failure();
            result->head.outcome.failure = link.FailureReason();
        }
        post([this, key, kind, deliver, result] {
            startDelivery(kind);
            result->head.readAt = now();
            deliver(*result);
            finished(key, kind);
        });
    });
}

} // namespace vantrel::core
