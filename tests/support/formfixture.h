#pragma once
// A main window for GUI tests: a loopback agent serving a small router, a scripted prompter, a
// settable clock, and a settings file in a fresh temporary folder that names the agent. Nothing
// here can reach any address but 127.0.0.1.

#include "agent/loopbackagent.h"
#include "clock.h"
#include "mainform.h"
#include "scriptedprompter.h"

#include <QTemporaryDir>
#include <memory>

class FormFixture {
public:
    // Starts the agent (community "vormel") serving BasicRouter().
    FormFixture();
    ~FormFixture();

    vantrel::tools::LoopbackAgent agent{"vormel"};
    ScriptedPrompter prompter;
    FixedClock clock{QDateTime(QDate(2026, 12, 7), QTime(22, 31, 5))};
    QTemporaryDir configDir;

    // The settings file the window reads and writes.
    QString SettingsPath() const;
    // Writes the settings file; by default one that points at the agent.
    void WriteSettings(const QString &text);
    QString DefaultSettings() const;
    QString ReadSettings() const;

    // Creates the window; with runFormCreate the settings are loaded and the first System
    // query runs. When no settings file was written yet, the default one is written first.
    MainForm &Create(bool runFormCreate = true);
    MainForm &form() { return *form_; }
    void Destroy() { form_.reset(); }

    // A closed loopback port, for "unreachable" routers.
    static QString ClosedPort();

    // Fills agent with a small ADSL router: ifNumber 5 with rows 1 "Ethernet", 2 "ATM",
    // 3 "RFC-2364", 4 "Bridge", 5 "Ethernet over USB" (ifIndex = row), system group, firmware
    // objects, and an ipAddrTable with 192.168.1.253 on ifIndex 4 and 203.0.113.7 on ifIndex 3.
    static void BasicRouter(vantrel::tools::LoopbackAgent &agent);

private:
    std::unique_ptr<MainForm> form_;
};
