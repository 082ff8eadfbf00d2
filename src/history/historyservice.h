#pragma once

#include "core/serialexecutor.h"
#include "history/historystore.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QTimer;

namespace vantrel::core {
class Clock;
}

namespace vantrel::history {

// The line history file on a thread of its own: the recorder's writes, the window's reads and
// the hourly upkeep (summing up and removing old rows) run there one after another, so the
// window never waits for the disk. Answers come back on the service's thread.
class HistoryService : public QObject {
    Q_OBJECT
public:
    HistoryService(QString path, const core::Clock &clock, QObject *parent = nullptr);
    // Finishes the jobs already asked (no sample is lost at close), then closes the file.
    ~HistoryService() override;

    const QString &Path() const { return path_; }
    // Opens the file (opened reports how); the upkeep starts after it.
    void Open();
    bool IsOpen() const { return open_; }

    // job(store) on the history's thread, then done(result) here, unless receiver (when given)
    // has gone meanwhile.
    template <class R>
    void Run(QObject *receiver, std::function<R(HistoryStore &)> job,
             std::function<void(R &)> done);
    void Post(std::function<void(HistoryStore &)> job);

    // Sums up and removes a share of old rows, and goes on in further shares until done.
    void Maintain();

    // Nothing asked is still on its way.
    bool Idle() const { return pending_ == 0; }
    // Lets the thread's events run until Idle(); false when that took longer than timeoutMs.
    bool WaitIdle(int timeoutMs = 20000);

signals:
    // The last answer asked for has been delivered.
    void idle();
    void opened(const vantrel::history::HistoryStore::OpenResult &result);
    // A file found damaged while writing was put aside and a new one started.
    void movedAside(const vantrel::history::HistoryStore::OpenResult &result);

private:
    void enqueue(std::function<void(HistoryStore &)> job);
    void post(std::function<void()> delivery);
    void delivered();

    QString path_;
    const core::Clock &clock_;
    HistoryStore store_; // the executor's thread only
    QTimer *upkeep_ = nullptr;
    // This object's thread only.
    int pending_ = 0;
    bool maintaining_ = false;
    bool open_ = false;
    core::SerialExecutor executor_; // last: it stops before the rest goes
};

template <class R>
void HistoryService::Run(QObject *receiver, std::function<R(HistoryStore &)> job,
                         std::function<void(R &)> done) {
    const bool anyReceiver = receiver != nullptr;
    QPointer<QObject> guard(receiver);
    ++pending_;
    enqueue([this, job, done, guard, anyReceiver](HistoryStore &store) {
        auto result = std::make_shared<R>(job(store));
        auto notice =
            std::make_shared<std::optional<HistoryStore::OpenResult>>(store.TakeMovedNotice());
        post([this, done, guard, anyReceiver, result, notice] {
            --pending_;
            if (*notice)
                emit movedAside(**notice);
            if (done && (!anyReceiver || guard))
                done(*result);
            delivered();
        });
    });
}

} // namespace vantrel::history
