#include "version/updatecheck.h"

#include "version/buildsettings.h"
#include "version/fileversion.h"

#include <QtConcurrent/QtConcurrentRun>

namespace vantrel::version {

UpdateCheck::Source UpdateCheck::DefaultSource() {
    return {QString::fromUtf8(UpdateBase), QString::fromUtf8(VersionFilePath), FetchLimits{}};
}

UpdateCheck::UpdateCheck(QObject *parent) : UpdateCheck(DefaultSource(), parent) {}

UpdateCheck::UpdateCheck(Source source, QObject *parent)
    : QObject(parent), source_(std::move(source)) {
    connect(&watcher_, &QFutureWatcherBase::finished, this, [this] { done(); });
}

UpdateCheck::~UpdateCheck() {
    if (cancel_)
        cancel_->store(true);
    watcher_.disconnect(this);
    watcher_.waitForFinished();
}

bool UpdateCheck::Start() {
    return Start(RunningVersionText());
}

bool UpdateCheck::Start(const QString &runningVersion) {
    if (running_)
        return false;
    running_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    watcher_.setFuture(QtConcurrent::run([source = source_, runningVersion, cancel = cancel_] {
        Outcome outcome;
        try {
            outcome.text = CheckForUpdate(source.base, source.path, runningVersion,
                                          QString::fromUtf8(WebSite), source.limits, cancel.get());
        } catch (const std::exception &e) {
            outcome.ok = false;
            outcome.text = QString::fromStdString(e.what());
        }
        return outcome;
    }));
    return true;
}

void UpdateCheck::done() {
    running_ = false;
    const Outcome outcome = watcher_.result();
    if (outcome.ok)
        emit Finished(outcome.text);
    else
        emit Failed(outcome.text);
}

} // namespace vantrel::version
