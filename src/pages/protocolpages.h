#pragma once

#include "core/results.h"
#include "core/tablequeries.h"
#include "ui/tablebox.h"

#include <QObject>
#include <QString>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QWidget;

namespace vantrel::ui {
class PageContext;
struct StatRow;
} // namespace vantrel::ui

namespace vantrel::pages {

// The ICMP, TCP, UDP and SNMP statistics pages.
class ProtocolPages : public QObject {
    Q_OBJECT
public:
    explicit ProtocolPages(ui::PageContext &context);
    ~ProtocolPages() override;
    QWidget *BuildIcmp();
    QWidget *BuildTcp();
    QWidget *BuildUdp();
    QWidget *BuildSnmp();

    void ICMPClick();
    void TCPClick();
    void UDPClick();
    void SNMPClick();

private:
    // One statistics page: its rows, their value labels, and how its refresh starts.
    struct StatPage {
        QString key; // of its query
        const std::vector<ui::StatRow> *rows = nullptr;
        int helpContext = 0;
        bool moveFocus = true;
        std::vector<QLabel *> labels;
    };
    QWidget *buildPage(StatPage &page, const QString &placeholder, int columns);
    void refresh(StatPage &page);
    void render(StatPage &page, const core::RowReadings &readings);
    void renderUdp(const core::UdpFigures &f);

    ui::PageContext &context_;
    StatPage icmp_;
    StatPage tcp_;
    StatPage udp_;
    StatPage snmp_;
    QPlainTextEdit *udpTable_ = nullptr;
};

} // namespace vantrel::pages
