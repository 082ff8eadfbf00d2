#pragma once

#include <QString>

class QSystemTrayIcon;

namespace vantrel::monitors {

// One alert for the user.
struct Notification {
    QString kind; // "link-down", "link-up", "margin", "quota"
    QString title;
    QString text;
};

// Where alerts go: the desktop's notifications in the program, a list in tests.
class Notifier {
public:
    virtual ~Notifier() = default;
    virtual void Notify(const Notification &notification) = 0;
};

// The freedesktop notification service on the session bus; a balloon of the tray icon where
// there is no such service; nothing where there is neither.
class DesktopNotifier : public Notifier {
public:
    explicit DesktopNotifier(QSystemTrayIcon *tray) : tray_(tray) {}
    void Notify(const Notification &notification) override;

    enum class Channel { Service, TrayBalloon, None };
    Channel Available() const;

private:
    QSystemTrayIcon *tray_;
};

} // namespace vantrel::monitors
