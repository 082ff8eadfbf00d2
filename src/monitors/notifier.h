#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace vantrel::monitors {

// One alert for the user.
struct Notification {
    QString kind; // "link-down", "link-up", "margin", "quota", "silent", "answering"
    QString title;
    QString text;
};

// Where alerts go: the desktop's notifications in the program, a list in tests.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void Notify(const Notification &notification) = 0;
};

// The freedesktop notification service on the session bus; else a balloon of the tray icon,
// which is shown for it while the window is on screen; else the window itself (InWindow), so
// no alert is ever silent.
class DesktopNotifier : public QObject, public Notifier {
    Q_OBJECT
public:
    // window: the main window, whose state says whether the tray icon is its own.
    DesktopNotifier(QSystemTrayIcon *tray, QWidget *window);
    void Notify(const Notification &notification) override;

    enum class Channel { Service, TrayBalloon, Window };
    Channel Available() const;
    // Which channel there is; tests replace it.
    std::function<Channel()> Probe;
    // Shows an alert in the window, for desktops with neither channel.
    std::function<void(const Notification &)> InWindow;

    // How long the tray icon stays after a balloon it was shown for.
    static constexpr int BalloonIconMs = 30000;

private:
    QSystemTrayIcon *tray_;
    QWidget *window_;
    QTimer *hideIcon_;
};

} // namespace vantrel::monitors
