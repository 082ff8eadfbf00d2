#pragma once

#include "app/trayhost.h"
#include "core/clock.h"
#include "core/settings.h"
#include "core/trigger.h"
#include "ui/pagecontext.h"
#include "version/updatecheck.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QScreen;
class QScrollArea;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QToolButton;

namespace vantrel::core {
class RouterModel;
}

namespace vantrel::monitors {
class ConnectionLog;
}

namespace vantrel::ui {
class Prompter;
class TextOutput;
} // namespace vantrel::ui

namespace vantrel::app {

// What the window needs from the world outside: dialogs, time, the settings file and the
// router's time-out. Tests replace every one of them.
struct Services {
    ui::Prompter *prompter = nullptr;
    const core::Clock *clock = nullptr;
    QString settingsPath;     // the INI file
    int snmpTimeoutMs = 5000; // the longest wait for one reply
    // This computer's address towards a router (the routed address when empty).
    std::function<std::string(const std::string &target)> localAddress;
    // Where "Check web for update..." looks; no server unless the program names one, so no
    // test can ever reach the published address.
    version::UpdateCheck::Source updateSource;
};

using core::Monitor;

// The main window: the page control and its dispatch, the buttons, the status bar, the menus,
// the timers, the tray icon and the close sequence. The pages, monitors and settings are the
// parts the composition gives it; they reach the window only through PageContext.
class MainForm : public QMainWindow, public ui::PageContext, public TrayHost {
    Q_OBJECT
public:
    explicit MainForm(const Services &services, QWidget *parent = nullptr);
    ~MainForm() override;

    // One top-level page: its widget, control name, caption, the help topic stored on it, and
    // its refresh (none for the Debug page, which works through its own buttons).
    struct Page {
        QWidget *widget = nullptr;
        const char *name = nullptr;
        const char *caption = nullptr;
        int helpTopic = 0;
        std::function<void(core::Trigger)> refresh;
    };
    void AddPage(const Page &page);
    // Sizes the window to what its pages need with the user's fonts (value labels wide enough
    // for their longest plausible text, every tab in view), never below 633 x 529 and never
    // resizable by the user. On a screen with less room than that the window takes what there
    // is and its pages scroll. The composition calls it once every page is in.
    void FitToContent();
    // The room a window has on the screen, less its frame and title bar.
    static QSize Room(const QScreen *screen);

    // Something that lives as long as the window (the pages and monitors).
    struct Part {
        virtual ~Part() = default;
    };
    void AdoptParts(std::unique_ptr<Part> parts) { parts_ = std::move(parts); }
    Part *parts() const { return parts_.get(); }

    // The creation handler: loads the settings and runs the first queries; errors are
    // reported and creation goes on.
    std::function<void()> OnCreate;
    void FormCreate();
    // The close-time steps of the parts: false when the settings could not be written.
    std::function<bool(bool signalled)> OnSaveSettings;
    // Whether the close asks first ("Prompt on close").
    std::function<bool()> PromptOnClose;

    const Services &services() const { return services_; }

    // PageContext
    core::RouterModel &Router() override { return *router_; }
    ui::Prompter &Prompt() override { return *services_.prompter; }
    const core::Clock &Clock() const override { return *services_.clock; }
    // The connection log, which the close sequence offers to save.
    monitors::ConnectionLog &Log() { return *log_; }
    ui::TextOutput &Output() override { return *output_; }
    void SetStatus(const QString &text) override;
    void SetStatusReason(const QString &reason) override;
    QString Status() const override;
    void SetHelpContext(int topic) override;
    int HelpContext() const override;
    void MoveFocus() override;
    void SetUpdateEnabled(bool enabled) override;
    bool IsActivePage(const QWidget *page) const override;
    void Run(const std::function<void()> &handler) override;

    // TrayHost
    QWidget &Window() override { return *this; }
    QSystemTrayIcon &Icon() override { return *trayIcon_; }
    QTimer &LightsTimer() override { return *trayTimer_; }
    void Exit() override { Exit1Click(); }
    void ReportError(const QString &message) override;

    // The window's own controls.
    QTabWidget *PageControl() const { return pageControl_; }
    QPushButton *GetValuesButton() const { return getValues_; }
    QSystemTrayIcon *TrayIcon() const { return trayIcon_; }
    QAction *MenuItem(const char *name) const;
    // A sub-menu of the menu bar by its name ("Options1", "Help1"...), for parts that add
    // items of their own.
    QMenu *SubMenu(const char *name) const;
    QTimer *MonitorTimer(Monitor monitor) const;
    QTimer *TrayTimer() const { return trayTimer_; }
    // An alert shown in the window (beside the status text, until clicked or replaced), for
    // desktops where no notification can carry it.
    void ShowAlert(const QString &title, const QString &text);
    QToolButton *AlertButton() const { return alert_; }
    // Whether the window shows itself busy (page queries on their way).
    bool BusyCursor() const { return busy_; }

    // Dispatch and the shell's commands.
    void GetValuesBut(core::Trigger trigger);
    void PageControlChanging();
    void Help_ButClick();
    void Contents1Click();
    void SearchforHelpOn1Click();
    void HowtoUseHelp1Click();
    void Exit1Click();
    void About1Click();
    void CheckforupdateVersion1Click();

    // The close sequence: asks, saves the settings, offers to save the connection log; false
    // when the close is cancelled or the settings could not be written.
    bool FormCloseQuery();
    // Saves the settings without asking (session end); false when it failed.
    bool SaveSettingsNow();
    // The program is told to end (a signal, a session end that may not ask): saves what it can
    // without any box, the settings and an unsaved connection log (to a dated file of the
    // state folder, named in the status bar at the next start), and writes any failure to
    // standard error. False when something could not be saved.
    bool SaveForShutdown();
    // Where the connection log goes when the program is told to end: $XDG_STATE_HOME/vantrel.
    static QString StateFolder();
    // Shows the window in front of the others, also from the tray (another copy asked).
    void BringToFront();
    // The session manager has settled the close (it asked and the settings are saved): the
    // close that ends the session goes through without asking again. The approval is used up
    // by that close, is ignored for a close the user starts, and lapses after a minute.
    void ApproveClose();

signals:
    // The window was brought back by BringToFront (the tray hides its icon then).
    void broughtToFront();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWindow();
    void buildMenus();
    void bindEvents();
    void showBusy(int pendingPageJobs);
    void noteShutdownLog();
    bool closeApproved() const;

    Services services_;
    std::unique_ptr<core::RouterModel> router_;
    std::unique_ptr<monitors::ConnectionLog> log_;
    std::unique_ptr<ui::TextOutput> output_;

    QTabWidget *pageControl_ = nullptr;
    QScrollArea *pageScroll_ = nullptr;
    QPushButton *getValues_ = nullptr;
    QPushButton *helpButton_ = nullptr;
    QLabel *statusText_ = nullptr;
    QToolButton *alert_ = nullptr;
    QSystemTrayIcon *trayIcon_ = nullptr;
    QTimer *trayTimer_ = nullptr;
    std::map<std::string, QAction *> items_;
    std::map<std::string, QMenu *> menus_;
    std::map<Monitor, QTimer *> timers_;
    std::vector<Page> pages_;
    version::UpdateCheck *updateCheck_ = nullptr;
    bool busy_ = false;
    QDateTime closeApprovedAt_;
    std::unique_ptr<Part> parts_;
};

} // namespace vantrel::app
