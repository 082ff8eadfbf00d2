#pragma once

#include "core/results.h"
#include "core/trigger.h"
#include "ui/settingspart.h"

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
}

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::pages {

// The System page: the query target, the router's uptime, description and firmware, the three
// addresses, and interface discovery.
class SystemPage : public QObject, public ui::SettingsPart {
    Q_OBJECT
public:
    static const char *const DefaultHost;
    static const char *const DefaultCommunity;

    SystemPage(ui::PageContext &context, core::RouterInfo &info);
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

    QWidget *Widget() const { return page_; }

    // Called with true when the keyboard focus enters either target box, false when it leaves.
    std::function<void(bool editing)> OnTargetFocus;

    void ApplySettings(const core::SettingsFile::LoadResult &loaded) override;
    void CollectSettings(core::SettingsValues &values) override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void render(const core::SystemFigures &f);
    // Shows what the router told about itself.
    void show();
    void targetEdited();

    ui::PageContext &context_;
    core::RouterInfo &info_;
    QWidget *page_ = nullptr;
    QLineEdit *ip_ = nullptr;
    QLineEdit *community_ = nullptr;
    QPushButton *defaults_ = nullptr;
    QLabel *uptime_ = nullptr;
    QLabel *descriptionCaption_ = nullptr;
    QLabel *description_ = nullptr;
    QLineEdit *pcIp_ = nullptr;
    QLineEdit *routerIp_ = nullptr;
    QLineEdit *wanIp_ = nullptr;
    // The bytes the target was loaded from: they go to the router while the text is unchanged.
    std::string ipBytes_;
    std::string communityBytes_;
    bool startupMissed_ = false;
};

} // namespace vantrel::pages
