#include "app/singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::app {

namespace {

// A folder that is ours alone: owned by this user, writable by nobody else.
bool privateFolder(const QString &path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

const char kRaise[] = "raise\n";

} // namespace

QString SingleInstance::PrivateFolder() {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && privateFolder(runtime))
        return runtime;
    // The shared temporary folder is anyone's: another user's lock there must not stop us.
    const QStringList candidates = {
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
            QStringLiteral("/vantrel"),
        QDir::tempPath() + QStringLiteral("/vantrel-") + QString::number(::getuid()),
    };
    for (const QString &candidate : candidates) {
        if (candidate.startsWith(QLatin1Char('/')) && !QDir(candidate).exists())
            ::mkdir(QFile::encodeName(candidate).constData(), 0700);
        if (privateFolder(candidate))
            return candidate;
    }
    return QString();
}

SingleInstance::SingleInstance(const QString &name) : name_(name), folder_(PrivateFolder()) {
    if (folder_.isEmpty())
        return; // no lock can be made: start anyway
    lock_ =
        std::make_unique<QLockFile>(folder_ + QLatin1Char('/') + name + QStringLiteral(".lock"));
    lock_->setStaleLockTime(0); // stale only when its owner is gone, however old it is
    if (!lock_->tryLock(0))
        first_ = lock_->error() != QLockFile::LockFailedError;
}

SingleInstance::~SingleInstance() = default;

void SingleInstance::Listen() {
    if (folder_.isEmpty() || server_ != nullptr)
        return;
    const QString path = folder_ + QLatin1Char('/') + name_ + QStringLiteral(".socket");
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(path); // one left by a crashed copy; the lock says it is ours
    if (!server_->listen(path))
        return;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().startsWith(kRaise))
                    emit raiseRequested();
                client->disconnectFromServer();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
}

bool SingleInstance::AskFirstToRaise() const {
    if (folder_.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(folder_ + QLatin1Char('/') + name_ + QStringLiteral(".socket"));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write(kRaise);
    return socket.waitForBytesWritten(1000);
}

} // namespace vantrel::app
