#pragma once
// The one place that knows every page and monitor: it builds the window from them and wires
// them together.

#include "app/mainform.h"

#include <memory>

namespace vantrel::core {
class LineModel;
class LinkModel;
class QuotaModel;
class RouterInfo;
class SettingsModel;
} // namespace vantrel::core

namespace vantrel::pages {
class AdslPage;
class DebugPage;
class InterfacesPage;
class IpPage;
class ProtocolPages;
class QuotaPage;
class SystemPage;
} // namespace vantrel::pages

namespace vantrel::history {
class HistoryService;
}

namespace vantrel::monitors {
class Alerts;
class ConnectionMonitor;
class DesktopNotifier;
class LinkWatch;
class Recorder;
class RouterStatusMonitor;
} // namespace vantrel::monitors

namespace vantrel::app {

class HistoryMenu;
class MetricsServer;
class SettingsStore;
class TrayController;

// The pages, monitors and settings of one window.
class Composition : public MainForm::Part {
public:
    ~Composition() override;
    virtual pages::SystemPage &System() = 0;
    virtual pages::QuotaPage &Quota() = 0;
    virtual pages::AdslPage &Adsl() = 0;
    virtual pages::InterfacesPage &Interfaces() = 0;
    virtual pages::IpPage &Ip() = 0;
    virtual pages::ProtocolPages &Protocols() = 0;
    virtual pages::DebugPage &Debug() = 0;
    virtual monitors::ConnectionMonitor &Connection() = 0;
    virtual monitors::RouterStatusMonitor &RouterStatus() = 0;
    virtual SettingsStore &Settings() = 0;
    virtual TrayController &Tray() = 0;
    virtual HistoryMenu &History() = 0;
    virtual history::HistoryService &HistoryService() = 0;
    virtual monitors::Recorder &Recorder() = 0;
    virtual monitors::Alerts &Alerts() = 0;
    virtual monitors::LinkWatch &Watch() = 0;
    virtual monitors::DesktopNotifier &Desktop() = 0;
    virtual MetricsServer &Metrics() = 0;
    // The models.
    virtual core::QuotaModel &Account() = 0;
    virtual core::LinkModel &Link() = 0;
    virtual core::LineModel &Line() = 0;
    virtual core::RouterInfo &Info() = 0;
    virtual core::SettingsModel &Options() = 0;
};

// $XDG_DATA_HOME/vantrel/history.sqlite
QString HistoryFilePath();

// The main window with every page, monitor and the settings.
std::unique_ptr<MainForm> CreateMainForm(const Services &services);
// The parts of a window made by CreateMainForm.
Composition &PartsOf(MainForm &form);

} // namespace vantrel::app
