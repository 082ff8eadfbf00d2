#include "history/historyservice.h"

#include "core/clock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

namespace vantrel::history {

namespace {
constexpr int kUpkeepMs = 3600 * 1000;
}

HistoryService::HistoryService(QString path, const core::Clock &clock, QObject *parent)
    : QObject(parent), path_(std::move(path)), clock_(clock), store_(path_) {
    qRegisterMetaType<HistoryStore::OpenResult>("vantrel::history::HistoryStore::OpenResult");
    worker_ = std::thread([this] { work(); });
    upkeep_ = new QTimer(this);
    upkeep_->setObjectName(QStringLiteral("HistoryUpkeep_Timer"));
    upkeep_->setInterval(kUpkeepMs);
    connect(upkeep_, &QTimer::timeout, this, [this] { Maintain(); });
}

HistoryService::~HistoryService() {
    // The jobs asked so far are finished; their answers are not delivered any more.
    enqueue([](HistoryStore &store) { store.Close(); });
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable())
        worker_.join();
}

void HistoryService::enqueue(std::function<void(HistoryStore &)> job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void HistoryService::post(std::function<void()> delivery) {
    QMetaObject::invokeMethod(this, std::move(delivery), Qt::QueuedConnection);
}

void HistoryService::work() {
    while (true) {
        std::function<void(HistoryStore &)> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty())
                return;
            job = std::move(queue_.front());
            queue_.pop_front();
        }
        job(store_);
    }
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
    const QDeadlineTimer deadline(timeoutMs);
    while (pending_ > 0) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (pending_ > 0)
            QThread::msleep(1);
    }
    return true;
}

} // namespace vantrel::history
