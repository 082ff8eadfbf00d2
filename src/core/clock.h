#pragma once

#include <QDateTime>
#include <utility>

namespace vantrel::core {

// "Now" for the monthly reset and the connection log; tests set it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;
};

class SystemClock : public Clock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
};

// A clock that stands still until told otherwise.
class FixedClock : public Clock {
public:
    explicit FixedClock(QDateTime now = QDateTime::currentDateTime()) : now_(std::move(now)) {}
    QDateTime Now() const override { return now_; }
    void Set(const QDateTime &now) { now_ = now; }

private:
    QDateTime now_;
};

} // namespace vantrel::core
