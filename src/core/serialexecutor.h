#pragma once

#include <QMetaObject>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vantrel::core {

// One thread of its own that runs jobs one after another, in the order they were given (unless
// a job lets the polls waiting behind it run first), and hands their results back to the thread
// of an owner object. The router model runs its queries on one, the line history its file. The
// thread waits for work without polling.
class SerialExecutor {
public:
    // Results are delivered on owner's thread, and not at all once owner has gone.
    explicit SerialExecutor(QObject *owner);
    // Stops as Stop(Pending::Drop) unless stopped already.
    ~SerialExecutor();
    SerialExecutor(const SerialExecutor &) = delete;
    SerialExecutor &operator=(const SerialExecutor &) = delete;

    // Queues work; false (and nothing queued) once the executor is stopping. A poll is a short
    // periodic job that a long job may let run ahead of it (RunWaitingPolls).
    bool Post(std::function<void()> work, bool poll = false);
    // On the executor's thread, from inside a job: takes the polls that wait out of the queue and
    // runs them now, in their order; the other jobs keep their places. Returns how many ran
    // (none once the executor is stopping).
    int RunWaitingPolls();
    // work() on the executor's thread, then deliver(result) on the owner's thread.
    template <class R> bool Run(std::function<R()> work, std::function<void(R &)> deliver);
    // Runs f on the owner's thread soon (from any thread), unless the executor has stopped
    // meanwhile or the owner has gone.
    void Deliver(std::function<void()> f);

    enum class Pending { Finish, Drop };
    // Takes no more work; the jobs still queued are run first (Finish) or dropped (Drop), then
    // the thread ends and this returns. interrupt, when given, runs once the queue is settled and
    // before the wait, so the job that is running can be cut short. Nothing is delivered after
    // this returns.
    void Stop(Pending pending, const std::function<void()> &interrupt = nullptr);
    // True from the start of Stop: a job may check it to end early.
    bool Stopping() const { return stopping_.load(); }

private:
    void loop();

    QObject *owner_;
    std::mutex mutex_;
    std::condition_variable wake_;
    struct Job {
        std::function<void()> work;
        bool poll = false;
    };
    std::deque<Job> queue_;
    std::atomic<bool> stopping_{false};
    // Whether results are still wanted; shared with the deliveries on their way.
    std::shared_ptr<std::atomic<bool>> open_;
    std::thread thread_;
};

template <class R>
bool SerialExecutor::Run(std::function<R()> work, std::function<void(R &)> deliver) {
    return Post([this, work = std::move(work), deliver = std::move(deliver)] {
        auto result = std::make_shared<R>(work());
        Deliver([deliver, result] {
            if (deliver)
                deliver(*result);
        });
    });
}

} // namespace vantrel::core
