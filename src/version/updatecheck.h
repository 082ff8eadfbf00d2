#pragma once

#include "version/webvercheck.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

namespace vantrel::version {

// Runs one update check at a time off the window's thread (on Qt's thread pool), so the window
// keeps reacting while the server is slow, and hands the outcome back on the thread that owns
// this object: Finished with the message to show, or Failed with the error text to report.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    struct Source {
        QString base;
        QString path;
        FetchLimits limits;
    };
    // The published version file of this build (VANTREL_UPDATE_BASE + "/vantrel/version.txt").
    static Source DefaultSource();

    explicit UpdateCheck(QObject *parent = nullptr);
    UpdateCheck(Source source, QObject *parent = nullptr);
    // Cancels a check still running and waits for it, which takes at most about a second:
    // nothing of the check outlives this object.
    ~UpdateCheck() override;

    // Starts a check against the running program's version; false (and nothing started) while
    // one is running.
    bool Start();
    // The same against a given version text (tests).
    bool Start(const QString &runningVersion);
    bool IsRunning() const { return running_; }

signals:
    void Finished(const QString &message);
    void Failed(const QString &error);

private:
    struct Outcome {
        bool ok = true;
        QString text;
    };
    void done();

    Source source_;
    bool running_ = false;
    std::shared_ptr<std::atomic<bool>> cancel_;
    QFutureWatcher<Outcome> watcher_;
};

} // namespace vantrel::version
