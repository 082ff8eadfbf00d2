#include "history/historyservice.h"

#include "core/clock.h"

#include <QEventLoop>
#include <QTimer>

namespace vantrel::history {

namespace {
constexpr int kUpkeepMs = 3600 * 1000;
}

HistoryService::HistoryService(QString path, const core::Clock &clock, QObject *parent)
    : QObject(parent), path_(std::move(path)), clock_(clock), store_(path_), executor_(this) {
    qRegisterMetaType<HistoryStore::OpenResult>("vantrel::history::HistoryStore::OpenResult");
    upkeep_ = new QTimer(this);
    upkeep_->setObjectName(QStringLiteral("HistoryUpkeep_Timer"));
    upkeep_->setInterval(kUpkeepMs);
    connect(upkeep_, &QTimer::timeout, this, [this] { Maintain(); });
}

HistoryService::~HistoryService() {
    // The jobs asked so far are finished; their answers are not delivered any more.
    enqueue([](HistoryStore &store) { store.Close(); });
    executor_.Stop(core::SerialExecutor::Pending::Finish);
}

void HistoryService::enqueue(std::function<void(HistoryStore &)> job) {
    executor_.Post([this, job = std::move(job)] { job(store_); });
}

void HistoryService::post(std::function<void()> delivery) {
    executor_.Deliver(std::move(delivery));
}

void HistoryService::delivered() {
    if (pending_ == 0)
        emit idle();
}

void HistoryService::Open() {
    const QDateTime now = clock_.Now();
    Run<HistoryStore::OpenResult>(
        this, [now](HistoryStore &store) { return store.Open(now); },
        [this](HistoryStore::OpenResult &result) {
            open_ = result.ok;
            emit opened(result);
            if (open_) {
                upkeep_->start();
                Maintain();
            }
        });
}

void HistoryService::Post(std::function<void(HistoryStore &)> job) {
    Run<bool>(
        nullptr,
        [job](HistoryStore &store) {
            job(store);
            return true;
        },
        nullptr);
}

void HistoryService::Maintain() {
    if (maintaining_)
        return;
    maintaining_ = true;
    const qint64 now = clock_.Now().toSecsSinceEpoch();
    // One share at a time, so that the window's reads and the samples get their turn between.
    Run<bool>(
        this, [now](HistoryStore &store) { return store.Maintain(now); },
        [this](bool &more) {
            maintaining_ = false;
            if (more)
                Maintain();
        });
}

bool HistoryService::WaitIdle(int timeoutMs) {
    if (pending_ == 0)
        return true;
    // The window's events run meanwhile; the loop ends at the last answer or at the deadline.
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &HistoryService::idle, &loop, &QEventLoop::quit);
    deadline.start(timeoutMs);
    loop.exec();
    return pending_ == 0;
}

} // namespace vantrel::history
