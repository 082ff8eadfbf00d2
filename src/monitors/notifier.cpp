#include "monitors/notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>

namespace vantrel::monitors {

namespace {

const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";

} // namespace

DesktopNotifier::DesktopNotifier(QSystemTrayIcon *tray, QWidget *window)
    : tray_(tray), window_(window), hideIcon_(new QTimer(this)) {
    Probe = [this] { return Available(); };
    hideIcon_->setObjectName(QStringLiteral("AlertIcon_Timer"));
    hideIcon_->setSingleShot(true);
    hideIcon_->setInterval(BalloonIconMs);
    // Shown for a balloon while the window was on screen: gone again unless the window went
    // to the tray meanwhile (which shows it for its own ends).
    connect(hideIcon_, &QTimer::timeout, this, [this] {
        if (tray_ != nullptr && window_ != nullptr && window_->isVisible())
            tray_->hide();
    });
}

DesktopNotifier::Channel DesktopNotifier::Available() const {
    // Only a session the desktop started: without its address the bus library may start a bus
    // of its own, which would outlive the program.
    QDBusConnection bus = qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")
                              ? QDBusConnection(QString())
                              : QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface() != nullptr) {
        const QString service = QString::fromLatin1(kService);
        if (bus.interface()->isServiceRegistered(service).value() ||
            bus.interface()->activatableServiceNames().value().contains(service))
            return Channel::Service;
    }
    if (tray_ != nullptr && QSystemTrayIcon::isSystemTrayAvailable() &&
        QSystemTrayIcon::supportsMessages())
        return Channel::TrayBalloon;
    return Channel::Window;
}

void DesktopNotifier::Notify(const Notification &n) {
    switch (Probe()) {
    case Channel::Service: {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QString::fromLatin1(kService), QString::fromLatin1(kPath),
            QString::fromLatin1(kService), QStringLiteral("Notify"));
        // app name, replaces id, icon, summary, body, actions, hints, time-out (server's own)
        call << QStringLiteral("Vantrel") << 0u << QStringLiteral("vantrel") << n.title << n.text
             << QStringList() << QVariantMap() << -1;
        // Nothing waits for the answer.
        QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
        break;
    }
    case Channel::TrayBalloon:
        // A balloon needs its icon: with the window on screen the icon is shown for it.
        if (!tray_->isVisible()) {
            tray_->show();
            hideIcon_->start();
        } else if (hideIcon_->isActive()) {
            hideIcon_->start();
        }
        tray_->showMessage(n.title, n.text, QSystemTrayIcon::Information);
        break;
    case Channel::Window:
        if (InWindow)
            InWindow(n);
        break;
    }
}

} // namespace vantrel::monitors
