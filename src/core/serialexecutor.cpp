#include "core/serialexecutor.h"

#include <vector>

namespace vantrel::core {

SerialExecutor::SerialExecutor(QObject *owner)
    : owner_(owner), open_(std::make_shared<std::atomic<bool>>(true)) {
    thread_ = std::thread([this] { loop(); });
}

SerialExecutor::~SerialExecutor() {
    Stop(Pending::Drop);
}

bool SerialExecutor::Post(std::function<void()> work, bool poll) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_.load())
            return false;
        queue_.push_back(Job{std::move(work), poll});
    }
    wake_.notify_one();
    return true;
}

int SerialExecutor::RunWaitingPolls() {
    std::vector<std::function<void()>> polls;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_.load())
            return 0;
        for (auto it = queue_.begin(); it != queue_.end();) {
            if (it->poll) {
                polls.push_back(std::move(it->work));
                it = queue_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const auto &poll : polls)
        poll();
    return int(polls.size());
}

void SerialExecutor::Deliver(std::function<void()> f) {
    // Dropped by Qt when the owner has gone; dropped here when the executor stopped meanwhile.
    QMetaObject::invokeMethod(
        owner_,
        [open = open_, f = std::move(f)] {
            if (open->load())
                f();
        },
        Qt::QueuedConnection);
}

void SerialExecutor::Stop(Pending pending, const std::function<void()> &interrupt) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_.store(true);
        if (pending == Pending::Drop)
            queue_.clear();
    }
    wake_.notify_all();
    if (interrupt)
        interrupt();
    if (thread_.joinable())
        thread_.join();
    open_->store(false);
}

void SerialExecutor::loop() {
    while (true) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_.load() || !queue_.empty(); });
            // Stopping with Finish: what is queued still runs; then the thread ends.
            if (queue_.empty())
                return;
            job = std::move(queue_.front().work);
            queue_.pop_front();
        }
        job();
    }
}

} // namespace vantrel::core
