#pragma once

#include "clock.h"
#include "prompter.h"
#include "trigger.h"

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;

class SystemPage;
class QuotaPage;
class AdslPage;
class InterfacesPage;
class IpPage;
class ProtocolPages;
class DebugPage;
class TextOutput;
class ConnectionMonitor;
class RouterStatusMonitor;
class SettingsStore;

// Which rows of the router's ifTable carry the bridge, LAN, WAN and USB interfaces ("0" when
// not found; row texts are OID suffixes), and the ifIndex values read for them.
struct InterfaceMap {
    std::string BridgeRow = "0";
    std::string LanRow = "0";
    std::string WanRow = "0";
    std::string UsbRow = "0";
    std::string BridgeIfIndex;
    std::string LanIfIndex;
    std::string WanIfIndex;
    std::string UsbIfIndex;
};

// The monthly data-quota account, in bytes.
struct QuotaAccount {
    double InOctetsNow = 0;
    double OutOctetsNow = 0;
    double InOctetsBase = 0;
    double OutOctetsBase = 0;
    double QuotaBytes = 0;
    double UsedAtCalcBytes = 0;
    double BytesPerGB = 0;
    double BytesPerMB = 0;
};

// What the window needs from the world outside: dialogs, time, the settings file, and the
// lookup of the computer's own address. Tests replace every one of them.
struct Services {
    Prompter *prompter = nullptr;
    const Clock *clock = nullptr;
    QString settingsPath; // the INI file
    // The computer's own first IPv4 address in dotted form ("" when none); runs on a worker
    // thread.
    std::function<QString()> localAddress;
    int localAddressWaitMs = 3000; // how long the System update waits for it
    int snmpTimeoutMs = 5000;      // the longest wait for one reply
};

class MainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit MainForm(const Services &services, QWidget *parent = nullptr);
    ~MainForm() override;

    // The creation handler: loads the settings and runs the first System query and quota
    // calculation; errors are reported and creation goes on.
    void FormCreate();

    // Shared state of the whole run.
    InterfaceMap Interfaces;
    QuotaAccount Quota;
    bool WanLinkUp = true;
    bool LinkLogUnsaved = false;
    bool ResetDoneToday = false;
    std::string TrayLightState = "------";
    bool RestoreOnShow = true;

    const Services &services() const { return services_; }
    Prompter &prompter() const { return *services_.prompter; }
    QDateTime Now() const { return services_.clock->Now(); }

    // Controls by their names; a missing name is a programming error and throws.
    template <class T> T *Control(const char *name) const {
        T *c = findChild<T *>(QString::fromLatin1(name));
        if (c == nullptr)
            missingControl(name);
        return c;
    }
    QLabel *Label(const char *name) const;
    QLineEdit *Edit(const char *name) const;
    QPlainTextEdit *Memo(const char *name) const;
    QAction *Action(const char *name) const;
    QTimer *Timer(const char *name) const;
    QPushButton *Button(const char *name) const;
    QTabWidget *PageControl() const { return pageControl_; }
    QPushButton *GetValuesButton() const { return getValues_; }
    QSystemTrayIcon *TrayIcon() const { return trayIcon_; }

    // The one-part status bar.
    void SetStatus(const QString &text);
    QString Status() const;
    // The hourglass; never stacked twice.
    void SetBusyCursor(bool busy);
    bool BusyCursor() const { return busyCursor_; }

    // The router address and community, read from the System page's edit boxes.
    std::string Host() const;
    std::string Community() const;

    // Help topic stored on the page control and the "&Update" button.
    void SetHelpContext(int topic);
    int HelpContext() const;

    // Runs a handler; an error that leaves it is shown in the error box and the program goes
    // on. Every event of the window reaches its handler through here.
    void Run(const std::function<void()> &handler);
    void ReportError(const QString &message);

    // Dispatch and the shell's commands.
    void GetValuesBut(Trigger trigger);
    void PageControlChanging();
    void Help_ButClick();
    void Contents1Click();
    void SearchforHelpOn1Click();
    void HowtoUseHelp1Click();
    void Exit1Click();

    // Focus hold of the four monitor timers while the target is being edited.
    void Community_editEnter();
    void Community_editExit();

    // The close sequence: asks, saves the settings, offers to save the connection log; false
    // when the close is cancelled or the settings could not be written.
    bool FormCloseQuery();
    // Saves the settings without asking (session end, SIGTERM); false when it failed.
    bool SaveSettingsNow();
    // The close has been settled elsewhere (the session manager asked, or a signal saved the
    // settings): the next close goes through without asking again.
    void ApproveClose() { closeApproved_ = true; }

    SystemPage &systemPage() const { return *systemPage_; }
    QuotaPage &quotaPage() const { return *quotaPage_; }
    AdslPage &adslPage() const { return *adslPage_; }
    InterfacesPage &interfacesPage() const { return *interfacesPage_; }
    IpPage &ipPage() const { return *ipPage_; }
    ProtocolPages &protocolPages() const { return *protocolPages_; }
    DebugPage &debugPage() const { return *debugPage_; }
    TextOutput &textOutput() const { return *textOutput_; }
    ConnectionMonitor &connectionMonitor() const { return *connectionMonitor_; }
    RouterStatusMonitor &routerStatus() const { return *routerStatus_; }
    SettingsStore &settings() const { return *settings_; }

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    [[noreturn]] static void missingControl(const char *name);
    void buildWindow();
    void buildMenus();
    void buildTimers();
    void bindEvents();

    Services services_;
    QTabWidget *pageControl_ = nullptr;
    QPushButton *getValues_ = nullptr;
    QLabel *statusText_ = nullptr;
    QSystemTrayIcon *trayIcon_ = nullptr;
    bool busyCursor_ = false;
    bool closeApproved_ = false;

    std::unique_ptr<SystemPage> systemPage_;
    std::unique_ptr<QuotaPage> quotaPage_;
    std::unique_ptr<AdslPage> adslPage_;
    std::unique_ptr<InterfacesPage> interfacesPage_;
    std::unique_ptr<IpPage> ipPage_;
    std::unique_ptr<ProtocolPages> protocolPages_;
    std::unique_ptr<DebugPage> debugPage_;
    std::unique_ptr<TextOutput> textOutput_;
    std::unique_ptr<ConnectionMonitor> connectionMonitor_;
    std::unique_ptr<RouterStatusMonitor> routerStatus_;
    std::unique_ptr<SettingsStore> settings_;
};
