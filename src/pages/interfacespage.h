#pragma once

#include <QObject>
#include <array>

class QGroupBox;
class QLabel;
class QWidget;

namespace vantrel::app {
class PageContext;
}

namespace vantrel::pages {

// The Interfaces page: LAN, WAN and USB interface figures.
class InterfacesPage : public QObject {
    Q_OBJECT
public:
    explicit InterfacesPage(app::PageContext &context) : context_(context) {}
    QWidget *Build();
    void InterfacesClick();
    void Interfaces_TimerTimer();
    QWidget *Widget() const { return page_; }

    // The groups in the order the page shows and queries them, and the figures of each in
    // query order (nullptr where a group lacks the figure).
    static constexpr int GroupCount = 3;
    static constexpr int FigureCount = 8;

private:
    app::PageContext &context_;
    QWidget *page_ = nullptr;
    std::array<QGroupBox *, GroupCount> groups_{};
    std::array<std::array<QLabel *, FigureCount>, GroupCount> values_{};
};

} // namespace vantrel::pages
