#pragma once

#include <QString>
#include <functional>

class QSystemTrayIcon;
class QTimer;
class QWidget;

namespace vantrel::app {

// What the tray needs of the window it sends to the notification area and brings back.
class TrayHost {
public:
    virtual ~TrayHost() = default;
    // The window the tray hides and shows again.
    virtual QWidget &Window() = 0;
    virtual QSystemTrayIcon &Icon() = 0;
    // Tray_Timer, whose ticks read the link for the lights.
    virtual QTimer &LightsTimer() = 0;
    // Runs a handler; an error that leaves it goes to the error box.
    virtual void Run(const std::function<void()> &handler) = 0;
    virtual void SetStatus(const QString &text) = 0;
    // "Exit" from the tray's menu: the window's close, with its questions.
    virtual void Exit() = 0;
};

} // namespace vantrel::app
