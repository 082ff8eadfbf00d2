#include "ippage.h"

#include "mainform.h"
#include "routerquery.h"
#include "statrow.h"
#include "widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace {

// ip (1.3.6.1.2.1.4) scalars; ip.20 to ip.22 are the tables below.
const StatTable kStatistics = {
    {"1.3.6.1.2.1.4.1.0", "Forwarding", Display::YesNo},
    {"1.3.6.1.2.1.4.2.0", "DefaultTTL"},
    {"1.3.6.1.2.1.4.3.0", "InReceives"},
    {"1.3.6.1.2.1.4.4.0", "InHdrErrors"},
    {"1.3.6.1.2.1.4.5.0", "InAddrErrors"},
    {"1.3.6.1.2.1.4.6.0", "ForwDatagrams"},
    {"1.3.6.1.2.1.4.7.0", "InUnknownProtos"},
    {"1.3.6.1.2.1.4.8.0", "InDiscards"},
    {"1.3.6.1.2.1.4.9.0", "InDelivers"},
    {"1.3.6.1.2.1.4.10.0", "OutRequests"},
    {"1.3.6.1.2.1.4.11.0", "OutDiscards"},
    {"1.3.6.1.2.1.4.12.0", "OutNoRoutes"},
    {"1.3.6.1.2.1.4.13.0", "ReasmTimeout"},
    {"1.3.6.1.2.1.4.14.0", "ReasmReqds"},
    {"1.3.6.1.2.1.4.15.0", "ReasmOKs"},
    {"1.3.6.1.2.1.4.16.0", "ReasmFails"},
    {"1.3.6.1.2.1.4.17.0", "FragOKs"},
    {"1.3.6.1.2.1.4.18.0", "FragFails"},
    {"1.3.6.1.2.1.4.19.0", "FragCreates"},
    {"1.3.6.1.2.1.4.23.0", "RoutingDiscards"},
};

// The three table sub-pages: the table walked, its text box and its buttons.
struct TableTab {
    const char *page;
    const char *caption;
    const char *oid; // walked without the entry suffix
    const char *memo;
    const char *copyButton;
    const char *saveButton;
    const char *printButton;
};
const TableTab kTables[] = {
    {"AddressTab", " Address table ", "1.3.6.1.2.1.4.20", "AddrTable_Memo", "AddrTableCopy_But",
     "AddrTableSave_But", "AddrTablePrint_But"},
    {"RouteTab", " Route table ", "1.3.6.1.2.1.4.21", "RouteTable_Memo", "RouteTableCopy_But",
     "RouteTableSave_But", "RouteTablePrint_But"},
    {"NetToMediaTab", " Net to Media table ", "1.3.6.1.2.1.4.22", "MediaTable_Memo",
     "MediaTableCopy_But", "MediaTableSave_But", "MediaTablePrint_But"},
};

constexpr int kHelpStatistics = 150; // + the index of the sub-page

QWidget *tablePage(const TableTab &table) {
    auto *page = new QWidget;
    page->setObjectName(QString::fromLatin1(table.page));
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(MakeMemo(page, table.memo, true, true), 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(MakeButton(page, table.copyButton, QStringLiteral("Copy table")));
    buttons->addWidget(MakeButton(page, table.saveButton, QStringLiteral("Save table")));
    buttons->addWidget(MakeButton(page, table.printButton, QStringLiteral("Print table")));
    layout->addLayout(buttons);
    return page;
}

} // namespace

QWidget *IpPage::Build() {
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    auto *tabs = new QTabWidget(page);
    tabs->setObjectName(QStringLiteral("IP_PageControl"));

    auto *statistics = new QWidget;
    statistics->setObjectName(QStringLiteral("StatisticsTab"));
    auto *grid = new QGridLayout(statistics);
    grid->setContentsMargins(20, 14, 16, 8);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(9);
    AddStatRows(grid, statistics, kStatistics, QStringLiteral("----"), 2);
    tabs->addTab(statistics, QStringLiteral(" Statistics "));
    for (const TableTab &table : kTables)
        tabs->addTab(tablePage(table), QString::fromLatin1(table.caption));

    layout->addWidget(tabs);
    return page;
}

// The table buttons are bound by TextOutput.
void IpPage::Bind() {
    auto *tabs = form_.Control<QTabWidget>("IP_PageControl");
    QObject::connect(tabs, &QTabWidget::currentChanged, &form_,
                     [this] { form_.Run([this] { IP_PageControlChange(); }); });
}

void IpPage::IPClick(Trigger trigger) {
    RouterQuery query(form_, -1);
    // A page selection opens the statistics; "&Update" keeps the sub-page the user is on.
    if (trigger != Trigger::PushButton) {
        form_.Control<QTabWidget>("IP_PageControl")->setCurrentIndex(0);
        form_.SetHelpContext(kHelpStatistics);
    }
    if (!QueryStatRows(query, form_, kStatistics))
        return;
    // The address, route and net-to-media tables follow here.
    query.Ready();
}

void IpPage::IP_PageControlChange() {
    form_.SetHelpContext(kHelpStatistics +
                         form_.Control<QTabWidget>("IP_PageControl")->currentIndex());
}
