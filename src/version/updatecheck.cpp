#include "version/updatecheck.h"

#include "version/buildsettings.h"
#include "version/fileversion.h"

#include <QMetaObject>
#include <QPointer>

namespace vantrel::version {

UpdateCheck::Source UpdateCheck::DefaultSource() {
    return {QString::fromUtf8(UpdateBase), QString::fromUtf8(VersionFilePath), FetchLimits{}};
}

UpdateCheck::UpdateCheck(QObject *parent) : UpdateCheck(DefaultSource(), parent) {}

UpdateCheck::UpdateCheck(Source source, QObject *parent)
    : QObject(parent), source_(std::move(source)) {}

UpdateCheck::~UpdateCheck() {
    if (cancel_)
        cancel_->store(true);
    if (worker_.joinable())
        worker_.join();
}

bool UpdateCheck::Start() {
    return Start(RunningVersionText());
}

bool UpdateCheck::Start(const QString &runningVersion) {
    if (running_)
        return false;
    if (worker_.joinable())
        worker_.join(); // the last check's thread has delivered and is ending
    running_ = true;
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    worker_ = std::thread([this, source = source_, runningVersion, cancel = cancel_] {
        bool ok = true;
        QString text;
        try {
            text = CheckForUpdate(source.base, source.path, runningVersion,
                                  QString::fromUtf8(WebSite), source.limits, cancel.get());
        } catch (const std::exception &e) {
            ok = false;
            text = QString::fromStdString(e.what());
        }
        if (cancel->load())
            return; // the owner is being destroyed and waits for this thread
        // Queued to the owner's thread; the destructor joins this thread before the object goes.
        QMetaObject::invokeMethod(
            this, [this, ok, text] { done(ok, text); }, Qt::QueuedConnection);
    });
    return true;
}

void UpdateCheck::done(bool ok, const QString &text) {
    if (worker_.joinable())
        worker_.join();
    running_ = false;
    if (ok)
        emit Finished(text);
    else
        emit Failed(text);
}

} // namespace vantrel::version
