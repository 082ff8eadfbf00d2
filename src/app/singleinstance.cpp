#include "app/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace vantrel::app {

SingleInstance::SingleInstance(const QString &name) {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty() || !QDir(dir).exists())
        dir = QDir::tempPath();
    lock_ = std::make_unique<QLockFile>(dir + QLatin1Char('/') + name + QStringLiteral(".lock"));
    lock_->setStaleLockTime(0); // stale only when its owner is gone, however old it is
    if (!lock_->tryLock(0))
        first_ = lock_->error() != QLockFile::LockFailedError;
}

SingleInstance::~SingleInstance() = default;

} // namespace vantrel::app
