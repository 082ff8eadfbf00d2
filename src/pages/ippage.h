#pragma once

#include "core/tablequeries.h"
#include "core/trigger.h"
#include "ui/tablebox.h"

#include <QObject>
#include <array>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QWidget;

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::pages {

// The IP page: the ip group's statistics, and the address, route and net-to-media tables.
class IpPage : public QObject {
    Q_OBJECT
public:
    explicit IpPage(ui::PageContext &context);
    QWidget *Build();

    void IPClick(core::Trigger trigger);
    void IP_PageControlChange();

private:
    // The three tables' documents, in core::IpTable order.
    void render(const core::IpFigures &f);

    ui::PageContext &context_;
    QTabWidget *tabs_ = nullptr;
    std::vector<QLabel *> statistics_;
    QPlainTextEdit *addressTable_ = nullptr;
    QPlainTextEdit *routeTable_ = nullptr;
    QPlainTextEdit *mediaTable_ = nullptr;
};

} // namespace vantrel::pages
