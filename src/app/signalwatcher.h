#pragma once

#include <QObject>

class QSocketNotifier;

namespace vantrel::app {

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the window thread, so the settings can be
// saved before the program ends when the system shuts down.
class SignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    QSocketNotifier *notifier_ = nullptr;
};

} // namespace vantrel::app
