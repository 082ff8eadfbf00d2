#pragma once

#include "core/tablequeries.h"
#include "core/trigger.h"

#include <QObject>
#include <array>

class QGroupBox;
class QLabel;
class QTimer;
class QWidget;

namespace vantrel::core {
class QuotaModel;
}

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::pages {

// The Interfaces page: LAN, WAN and USB interface figures.
class InterfacesPage : public QObject {
    Q_OBJECT
public:
    // quota: its byte definitions show the counters.
    InterfacesPage(ui::PageContext &context, const core::QuotaModel &quota)
        : context_(context), quota_(quota) {}
    QWidget *Build();
    // The interfaces timer, whose ticks refresh the page while it shows.
    void SetTimer(QTimer *timer) { timer_ = timer; }

    void InterfacesClick(core::Trigger trigger = core::Trigger::PushButton);
    void Interfaces_TimerTimer();
    QWidget *Widget() const { return page_; }

private:
    void render(const core::InterfaceFigures &f);
    void setCaptions(const core::InterfaceMap &map);
    // Shows one group's replies; an amount that cannot be shown throws.
    void showGroup(core::IfGroup group, const core::InterfaceGroupReading &reading);
    void setAllStale(bool stale);

    ui::PageContext &context_;
    const core::QuotaModel &quota_;
    QWidget *page_ = nullptr;
    QTimer *timer_ = nullptr;
    // In the order the page queries them (core::IfGroup), and the figures of each in query
    // order (core::IfFigure; nullptr where a group lacks the figure).
    std::array<QGroupBox *, core::IfGroupCount> groups_{};
    std::array<std::array<QLabel *, core::IfFigureCount>, core::IfGroupCount> values_{};
};

} // namespace vantrel::pages
