#pragma once
// A main window for GUI tests: a loopback agent serving a small router, a scripted prompter, a
// settable clock, and a settings file in a fresh temporary folder that names the agent. Nothing
// here can reach any address but 127.0.0.1.

#include "agent/loopbackagent.h"
#include "app/composition.h"
#include "app/mainform.h"
#include "core/clock.h"
#include "core/routermodel.h"
#include "scriptedprompter.h"

#include <QTemporaryDir>
#include <memory>
#include <stdexcept>
#include <string>

class QAction;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

using vantrel::app::MainForm;

class FormFixture {
public:
    // Starts the agent (community "vormel") serving BasicRouter().
    FormFixture();
    ~FormFixture();

    vantrel::tools::LoopbackAgent agent{"vormel"};
    ScriptedPrompter prompter;
    vantrel::core::FixedClock clock{QDateTime(QDate(2026, 12, 7), QTime(22, 31, 5))};
    QTemporaryDir configDir;
    int snmpTimeoutMs = 250; // a silent router answers nothing within this

    // The settings file the window reads and writes.
    QString SettingsPath() const;
    // Writes the settings file; by default one that points at the agent.
    void WriteSettings(const QString &text);
    void WriteSettingsBytes(const QByteArray &bytes);
    QString DefaultSettings() const;
    QString ReadSettings() const;
    QByteArray ReadSettingsBytes() const;

    // Creates the window; with runFormCreate the settings are loaded, the first queries run and
    // their results are shown. When no settings file was written yet, the default one is
    // written first.
    MainForm &Create(bool runFormCreate = true);
    MainForm &form() { return *form_; }
    vantrel::app::Composition &parts() { return vantrel::app::PartsOf(*form_); }
    void Destroy() { form_.reset(); }

    // Lets the window run until every query asked so far has come back and been shown; false
    // when that took longer than timeoutMs.
    bool Settle(int timeoutMs = 20000);

    // A closed loopback port, for "unreachable" routers.
    static QString ClosedPort();

    // Fills agent with a small ADSL router: ifNumber 5 with rows 1 "Ethernet", 2 "ATM",
    // 3 "RFC-2364", 4 "Bridge", 5 "Ethernet over USB" (ifIndex = row), system group, firmware
    // objects, and an ipAddrTable with 192.168.1.253 on ifIndex 4 and 203.0.113.7 on ifIndex 3.
    static void BasicRouter(vantrel::tools::LoopbackAgent &agent);

private:
    std::unique_ptr<MainForm> form_;
};

// Controls by their names, as the user finds them on screen; a missing one throws.
template <class T> T *Find(const QObject &root, const char *name) {
    T *found = root.findChild<T *>(QString::fromLatin1(name));
    if (found == nullptr)
        throw std::logic_error(std::string("no control named ") + name);
    return found;
}
QLabel *Label(const QObject &root, const char *name);
QLineEdit *Edit(const QObject &root, const char *name);
QPlainTextEdit *Memo(const QObject &root, const char *name);
QAction *Action(const QObject &root, const char *name);
QTimer *Timer(const QObject &root, const char *name);
QPushButton *Button(const QObject &root, const char *name);

// Sets the WAN row the queries use, as discovery would.
void SetWanRow(MainForm &form, const char *row);
