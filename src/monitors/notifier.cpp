#include "monitors/notifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QVariantMap>

namespace vantrel::monitors {

namespace {

const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";

} // namespace

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
    return Channel::None;
}

void DesktopNotifier::Notify(const Notification &n) {
    switch (Available()) {
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
        tray_->showMessage(n.title, n.text, QSystemTrayIcon::Information);
        break;
    case Channel::None:
        break;
    }
}

} // namespace vantrel::monitors
