#pragma once

#include "core/results.h"
#include "core/trigger.h"

#include <QObject>
#include <array>
#include <functional>

class QLabel;
class QTabWidget;
class QWidget;

namespace vantrel::core {
class LineModel;
}

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::pages {

// The ADSL page: the line's figures on "Connection Info" and the connection log on its second
// tab.
class AdslPage : public QObject {
    Q_OBJECT
public:
    // What a figure the router does not report shows.
    static const QString NotReportedText;
    // line: the readings of the line, which the page shows when it asked for them.
    AdslPage(ui::PageContext &context, const core::LineModel &line);
    // logSheet: the connection log's sheet, shown as the second sub-page.
    QWidget *Build(QWidget *logSheet);

    void ADSLClick(core::Trigger trigger);
    void ADSL_PageControlChange();

    // Sub-pages of ADSL_PageControl.
    enum SubPage { ConnectionInfo = 0, ConnectionLog = 1 };
    QWidget *Widget() const { return page_; }
    // The "Line history..." button's command.
    std::function<void()> OnShowHistory;
    // Scrolls the connection log to its last line (after each refresh, and when its sub-page
    // is chosen).
    std::function<void()> ScrollLog;

private:
    void render(const core::AdslFigures &f);
    void show(core::AdslRow row, const core::AdslFigures &f);
    void showNotReported(core::AdslRow row);
    void setStale(core::AdslRow row, bool stale);

    ui::PageContext &context_;
    QWidget *page_ = nullptr;
    QTabWidget *tabs_ = nullptr;
    std::array<QLabel *, core::AdslRowCount> values_{};
    QLabel *distance_ = nullptr;
};

} // namespace vantrel::pages
