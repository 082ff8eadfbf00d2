#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace vantrel::app {

// One copy of the program per user: a lock file in the user's runtime folder. A lock left by a
// crashed copy does not block the next start.
class SingleInstance {
public:
    explicit SingleInstance(const QString &name = QStringLiteral("vantrel"));
    ~SingleInstance();
    // False when another running copy holds the lock; true also when the lock file cannot be
    // made at all (the program then carries on as the first copy).
    bool IsFirst() const { return first_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool first_ = true;
};

} // namespace vantrel::app
