#pragma once

#include "core/quotaqueries.h"

namespace vantrel::core {
class QuotaModel;
class RouterModel;
class SettingsModel;
} // namespace vantrel::core

#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QMenu;
class QTimer;

namespace vantrel::monitors {
class LinkWatch;
}

namespace vantrel::app {

class TrayHost;
class TrayImageList;

// The window's life in the notification area: minimising sends it to the tray, where three
// animated lights show the WAN link and the quota level and the tooltip the quota left; a click
// or "Open Vantrel" brings it back. It also keeps the task bar button as "Hide"/"Show" say,
// applied each time the window is shown. Without a tray on the desktop, minimising is an
// ordinary minimise, so the window is never hidden with no way back.
class TrayController : public QObject {
    Q_OBJECT
public:
    // quota: the account whose level and amount left the tray shows; refreshQuota: the quota
    // refresh, as a timer tick; settings: whether the task bar button is dropped.
    // router: its page queries, whose " Ready" the tray's notice follows.
    TrayController(TrayHost &host, core::RouterModel &router, const core::QuotaModel &quota,
                   std::function<void()> refreshQuota, const core::SettingsModel &settings);
    ~TrayController() override;

    // Whether the desktop has a notification area; tests replace it.
    std::function<bool()> TrayAvailable;

    void GoToTray();
    // The end of the settings load with "Minimise on startup" enabled: the window starts in
    // the tray (or minimised, without a tray) and the event loop does not show it.
    void StartInTray();
    void Tray_TimerTimer();
    void TrayIcon1Click();
    void OpenPrgClick();
    void ExitPrgClick();
    void FormShow();
    // The link's state for the tooltip; the tray's own polls of the link go to it too.
    void ShowLink(monitors::LinkWatch &watch);
    // "Vantrel", "Quota left ...", the forecast and the link's state ("Link up since ...").
    void UpdateToolTip();

    // The image list the icon animates ("" for the program's static icon), and its frame.
    QString AttachedList() const;
    int IconIndex() const { return iconIndex_; }
    int AnimationStarts() const { return animationStarts_; }
    QTimer *AnimationTimer() const { return animation_; }
    QMenu *PopupMenu() const { return popup_; }
    // Whether the window has a task bar button as last shown.
    bool TaskBarButton() const { return taskBarButton_; }
    // The pattern of the lights ("G-G-Y" ...), "-----" once in the tray before the first
    // status, "------" before it ever went there.
    const std::string &LightState() const { return lightState_; }
    // The next show puts the window back to normal (it was minimised on purpose).
    bool RestoreOnShow() const { return restoreOnShow_; }

    static const QString NoTrayText;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onStatus(const core::WanStatusReading &reading);
    void show(core::TrayLights lights);
    void attach(const char *code, const char *list);
    void detach();
    void nextFrame();
    void minimised();
    void sayNoTray();
    void setTaskBarButton(bool shown);

    TrayHost &host_;
    QWidget &window_;
    core::RouterModel &router_;
    const core::QuotaModel &quota_;
    std::function<void()> refreshQuota_;
    const core::SettingsModel &settings_;
    monitors::LinkWatch *watch_ = nullptr;
    std::string lightState_ = "------";
    bool restoreOnShow_ = true;
    QMenu *popup_ = nullptr;
    QTimer *animation_ = nullptr;
    TrayImageList *list_ = nullptr;
    int iconIndex_ = -1;
    int animationStarts_ = 0;
    bool noTraySaid_ = false;
    bool noTrayPending_ = false;
    bool taskBarButton_ = true;
    bool changingState_ = false; // the window's state is being set by this class
};

} // namespace vantrel::app
