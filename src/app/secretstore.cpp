#include "app/secretstore.h"

#include <qt6keychain/keychain.h>

namespace vantrel::app {

namespace {

const QString kService = QStringLiteral("Vantrel");

// The two passphrases in one entry, apart by a NUL byte (which no passphrase typed holds).
QByteArray pack(const SecretStore::Passphrases &p) {
    return p.auth.toUtf8() + '\0' + p.privacy.toUtf8();
}

SecretStore::Passphrases unpack(const QByteArray &data) {
    const int split = data.indexOf('\0');
    if (split < 0)
        return {QString::fromUtf8(data), QString()};
    return {QString::fromUtf8(data.left(split)), QString::fromUtf8(data.mid(split + 1))};
}

bool serviceAnswered(QKeychain::Error error) {
    return error == QKeychain::NoError || error == QKeychain::EntryNotFound;
}

} // namespace

QString SecretStore::EntryName(const QString &host, const QString &user) {
    return QStringLiteral("snmpv3:%1@%2").arg(user, host);
}

void SecretStore::Read(const QString &host, const QString &user, ReadDone done) {
    auto *job = new QKeychain::ReadPasswordJob(kService, this);
    job->setKey(EntryName(host, user));
    connect(job, &QKeychain::Job::finished, this, [done](QKeychain::Job *j) {
        auto *read = static_cast<QKeychain::ReadPasswordJob *>(j);
        const QKeychain::Error error = read->error();
        const bool found = error == QKeychain::NoError;
        done(serviceAnswered(error), found, found ? unpack(read->binaryData()) : Passphrases{},
             found ? QString() : read->errorString());
    });
    job->start();
}

void SecretStore::Write(const QString &host, const QString &user, const Passphrases &passphrases,
                        WriteDone done) {
    auto *job = new QKeychain::WritePasswordJob(kService, this);
    job->setKey(EntryName(host, user));
    job->setBinaryData(pack(passphrases));
    connect(job, &QKeychain::Job::finished, this, [done](QKeychain::Job *j) {
        done(j->error() == QKeychain::NoError, j->errorString());
    });
    job->start();
}

void SecretStore::Remove(const QString &host, const QString &user) {
    auto *job = new QKeychain::DeletePasswordJob(kService, this);
    job->setKey(EntryName(host, user));
    job->start();
}

} // namespace vantrel::app
