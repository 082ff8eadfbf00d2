#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace vantrel::app {

// The SNMP v3 passphrases in the desktop's secret store (the Secret Service, KWallet), one entry
// per router address and user. Every call answers later, on the caller's thread, never blocking
// the window; where no secret service answers, the answer says so (available false) and the
// settings file is the only place left.
class SecretStore : public QObject {
    Q_OBJECT
public:
    struct Passphrases {
        QString auth;
        QString privacy;
    };
    // found: the store held an entry; available: a secret service answered at all.
    using ReadDone =
        std::function<void(bool available, bool found, const Passphrases &, const QString &error)>;
    using WriteDone = std::function<void(bool stored, const QString &error)>;

    explicit SecretStore(QObject *parent = nullptr) : QObject(parent) {}

    void Read(const QString &host, const QString &user, ReadDone done);
    void Write(const QString &host, const QString &user, const Passphrases &passphrases,
               WriteDone done);
    // Removes the entry (when the file takes the passphrases over); the answer is not waited for.
    void Remove(const QString &host, const QString &user);

    // The entry's name for a router address and user.
    static QString EntryName(const QString &host, const QString &user);
};

} // namespace vantrel::app
