#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

namespace vantrel::app {

// One copy of the program per user: a lock file in a folder only this user can write (the
// runtime folder, else a private folder of the user's own). A lock left by a crashed copy does
// not block the next start, and when no lock can be made at all the program starts anyway. The
// first copy listens for later ones, so a refused copy can bring the running window forward.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString &name = QStringLiteral("vantrel"));
    ~SingleInstance() override;
    // False when another running copy holds the lock.
    bool IsFirst() const { return first_; }
    // The folder the lock lives in ("" when none could be had).
    QString Folder() const { return folder_; }

    // The first copy: starts listening; raiseRequested comes when a later copy asks.
    void Listen();
    // A later copy: asks the running one to show its window; false when it did not answer.
    bool AskFirstToRaise() const;

    // A folder owned by this user and closed to everyone else, made when missing; "" when the
    // candidates are all unusable.
    static QString PrivateFolder();

signals:
    void raiseRequested();

private:
    QString name_;
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer *server_ = nullptr;
    bool first_ = true;
};

} // namespace vantrel::app
