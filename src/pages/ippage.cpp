#include "pages/ippage.h"

#include "core/oids.h"
#include "core/routermodel.h"
#include "ui/pagecontext.h"
#include "ui/routerquery.h"
#include "ui/statrow.h"
#include "ui/tablebox.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace vantrel::pages {

namespace RouterQuery = ui::RouterQuery;

namespace {

// An object of the IP group.
std::string ip(int object) {
    return core::oid::Scalar(core::oid::Ip, object);
}

// ip (1.3.6.1.2.1.4) scalars; ip.20 to ip.22 are the tables below.
const ui::StatTable kStatistics = {
    {ip(1), "Forwarding", ui::Display::YesNo},
    {ip(2), "DefaultTTL"},
    {ip(3), "InReceives"},
    {ip(4), "InHdrErrors"},
    {ip(5), "InAddrErrors"},
    {ip(6), "ForwDatagrams"},
    {ip(7), "InUnknownProtos"},
    {ip(8), "InDiscards"},
    {ip(9), "InDelivers"},
    {ip(10), "OutRequests"},
    {ip(11), "OutDiscards"},
    {ip(12), "OutNoRoutes"},
    {ip(13), "ReasmTimeout"},
    {ip(14), "ReasmReqds"},
    {ip(15), "ReasmOKs"},
    {ip(16), "ReasmFails"},
    {ip(17), "FragOKs"},
    {ip(18), "FragFails"},
    {ip(19), "FragCreates"},
    {ip(23), "RoutingDiscards"},
};

// The three table sub-pages (in core::IpTable order): their text box and buttons.
struct TableTab {
    const char *what; // in the status text of a walk cut short
    const char *page;
    const char *caption;
    const char *memo;
    const char *proposedName;
    const char *copyButton;
    const char *saveButton;
    const char *printButton;
};
const TableTab kTables[] = {
    {"address table", "AddressTab", " Address table ", "AddrTable_Memo", "vantrel_addrtable",
     "AddrTableCopy_But", "AddrTableSave_But", "AddrTablePrint_But"},
    {"route table", "RouteTab", " Route table ", "RouteTable_Memo", "vantrel_routetable",
     "RouteTableCopy_But", "RouteTableSave_But", "RouteTablePrint_But"},
    {"net to media table", "NetToMediaTab", " Net to Media table ", "MediaTable_Memo",
     "vantrel_mediatable", "MediaTableCopy_But", "MediaTableSave_But", "MediaTablePrint_But"},
};

// The help topic of each sub-page, in tab order.
constexpr int kHelpStatistics = 150;
constexpr int kHelpAddressTable = 151;
constexpr int kHelpRouteTable = 152;
constexpr int kHelpMediaTable = 153;
const int kSubPageHelp[] = {kHelpStatistics, kHelpAddressTable, kHelpRouteTable, kHelpMediaTable};
const QString kKey = QStringLiteral("page:IP");

} // namespace

IpPage::IpPage(ui::PageContext &context) : context_(context) {}

QWidget *IpPage::Build() {
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    tabs_ = new QTabWidget(page);
    tabs_->setObjectName(QStringLiteral("IP_PageControl"));

    auto *statistics = new QWidget;
    statistics->setObjectName(QStringLiteral("StatisticsTab"));
    auto *grid = new QGridLayout(statistics);
    grid->setContentsMargins(20, 14, 16, 8);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(9);
    statistics_ = ui::AddStatRows(grid, statistics, kStatistics, QStringLiteral("----"), 2);
    tabs_->addTab(statistics, QStringLiteral(" Statistics "));

    QPlainTextEdit **memos[] = {&addressTable_, &routeTable_, &mediaTable_};
    for (std::size_t i = 0; i < std::size(kTables); ++i) {
        const TableTab &table = kTables[i];
        auto *tab = new QWidget;
        tab->setObjectName(QString::fromLatin1(table.page));
        auto *tabLayout = new QVBoxLayout(tab);
        tabLayout->setContentsMargins(8, 8, 8, 8);
        ui::TextOutput::Box box;
        box.memo = ui::TableBox::MakeBox(tab, table.memo);
        box.proposedName = QString::fromLatin1(table.proposedName);
        *memos[i] = box.memo;
        tabLayout->addWidget(box.memo, 1);
        auto *buttons = new QHBoxLayout;
        buttons->addStretch(1);
        box.copy = ui::MakeButton(tab, table.copyButton, QStringLiteral("Copy table"));
        box.save = ui::MakeButton(tab, table.saveButton, QStringLiteral("Save table"));
        box.print = ui::MakeButton(tab, table.printButton, QStringLiteral("Print table"));
        buttons->addWidget(box.copy);
        buttons->addWidget(box.save);
        buttons->addWidget(box.print);
        tabLayout->addLayout(buttons);
        context_.Output().Register(box);
        tabs_->addTab(tab, QString::fromLatin1(table.caption));
    }
    layout->addWidget(tabs_);
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this] { context_.Run([this] { IP_PageControlChange(); }); });
    return page;
}

void IpPage::IPClick(core::Trigger trigger) {
    RouterQuery::Begin(context_, -1);
    // A page selection opens the statistics; "&Update" keeps the sub-page the user is on.
    if (trigger != core::Trigger::PushButton) {
        tabs_->setCurrentIndex(0);
        context_.SetHelpContext(kHelpStatistics);
    }
    core::ResultHead head;
    head.trigger = trigger;
    // The tables' texts are made on the router model's thread with the figures.
    context_.Router().Submit<core::IpFigures>(
        kKey, core::RouterModel::KindOf(head), head,
        [oids = ui::StatOids(kStatistics)](core::RouterLink &link) {
            return core::ReadIp(link, oids);
        },
        [this](core::IpFigures &f) { context_.Run([this, &f] { render(f); }); });
}

void IpPage::render(const core::IpFigures &f) {
    core::RowReadings statistics = f.statistics;
    statistics.head = f.head;
    if (!ui::ShowStatRows(context_, kStatistics, statistics_, statistics))
        return;
    QPlainTextEdit *const memos[] = {addressTable_, routeTable_, mediaTable_};
    for (std::size_t t = 0; t < f.tables.size(); ++t) {
        const core::TableWalk &walk = f.tables[t];
        // A walk that failed ended the query: the tables after it keep their text.
        if (!walk.asked)
            break;
        ui::TableBox::Show(memos[t], walk.text);
        if (walk.Failed()) {
            ui::TableBox::ReportFailedWalk(context_, walk.AnyRead(),
                                           QString::fromLatin1(kTables[t].what), true);
            return;
        }
    }
    RouterQuery::Finish(context_, f.head.outcome);
}

void IpPage::IP_PageControlChange() {
    const int index = tabs_->currentIndex();
    if (index >= 0 && index < int(std::size(kSubPageHelp)))
        context_.SetHelpContext(kSubPageHelp[index]);
}

} // namespace vantrel::pages
