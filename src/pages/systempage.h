#pragma once

#include "core/results.h"
#include "core/trigger.h"

#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace vantrel::core {
class RouterInfo;
struct SystemRequest;
class SettingsModel;
} // namespace vantrel::core

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::pages {

// The System page: the query target, the router's uptime, description and firmware, the three
// addresses, and interface discovery.
class SystemPage : public QObject {
    Q_OBJECT
public:
    static const char *const DefaultHost;
    static const char *const DefaultCommunity;

    // settings: the target the page's boxes edit.
    SystemPage(ui::PageContext &context, core::RouterInfo &info, core::SettingsModel &settings);
    QWidget *Build();

    // The update: ifNumber probes, discovery, uptime, description, firmware, addresses.
    // resetWanRow: the page dispatch finds the WAN row afresh each time.
    void GenSysInfoClick(core::Requester requester = core::Requester::Page,
                         bool resetWanRow = false);
    void GenSysInfoDeafults_ButClick();
    // The start-up update got no answer (the router was still off); an update that gets one
    // clears it.
    bool StartupReadMissed() const { return startupMissed_; }
    // The start-up update made again from a timer: no help topic, focus or busy cursor.
    void RetryStartupRead();
    // "Interfaces...": the interfaces found, and the user's choice of line, WAN and LAN; an
    // accepted choice is stored and read at once.
    void ChooseInterfaces();

    QWidget *Widget() const { return page_; }

    // Called with true when the keyboard focus enters either target box, false when it leaves.
    std::function<void(bool editing)> OnTargetFocus;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void render(const core::SystemFigures &f);
    // Shows what the router told about itself.
    void show();
    void targetEdited();
    void showTarget();
    void forgetOldRouter();
    void fillChoice(core::SystemRequest &request) const;

    ui::PageContext &context_;
    core::RouterInfo &info_;
    core::SettingsModel &settings_;
    QWidget *page_ = nullptr;
    QLineEdit *ip_ = nullptr;
    QLineEdit *community_ = nullptr;
    QPushButton *defaults_ = nullptr;
    QLabel *uptime_ = nullptr;
    QLabel *descriptionCaption_ = nullptr;
    QLabel *description_ = nullptr;
    QLabel *reason_ = nullptr; // why the router did not answer the last read
    QLineEdit *pcIp_ = nullptr;
    QLineEdit *routerIp_ = nullptr;
    QLineEdit *wanIp_ = nullptr;
    QLabel *discoveryCaption_ = nullptr;
    QLabel *discovery_ = nullptr;
    QPushButton *chooseInterfaces_ = nullptr;
    QString shownIp_;            // the address whose router the page shows
    bool showingTarget_ = false; // the boxes are being set from the settings
    bool startupMissed_ = false;
};

} // namespace vantrel::pages
