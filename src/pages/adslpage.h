#pragma once

#include "core/results.h"
#include "core/trigger.h"

#include <QObject>
#include <array>
#include <functional>

class QLabel;
class QTabWidget;
class QWidget;

namespace vantrel::app {
class PageContext;
}

namespace vantrel::pages {

// The ADSL page: the line's figures on "Connection Info" and the connection log on its second
// tab.
class AdslPage : public QObject {
    Q_OBJECT
public:
    explicit AdslPage(app::PageContext &context);
    QWidget *Build();

    void ADSLClick(core::Trigger trigger);
    void ADSL_PageControlChange();

    // Sub-pages of ADSL_PageControl.
    enum SubPage { ConnectionInfo = 0, ConnectionLog = 1 };
    QWidget *Widget() const { return page_; }
    // The "Line history..." button's command.
    std::function<void()> OnShowHistory;

private:
    void render(const core::AdslFigures &f);
    void show(core::AdslRow row, const std::string &reply, const core::AdslFigures &f);

    app::PageContext &context_;
    QWidget *page_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    std::array<QLabel *, core::AdslRowCount> values_{};
    QLabel *distance_ = nullptr;
};

} // namespace vantrel::pages
