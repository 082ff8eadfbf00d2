#include "pages/protocolpages.h"

#include "app/pagecontext.h"
#include "app/routerquery.h"
#include "app/textoutput.h"
#include "app/widgets.h"
#include "core/routermodel.h"
#include "pages/statrow.h"
#include "pages/tablebox.h"

#include <QFontMetricsF>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace vantrel::pages {

namespace RouterQuery = app::RouterQuery;

namespace {

// icmp (1.3.6.1.2.1.5), all 26 objects in OID order: the input counters, then the output ones.
const StatTable kIcmp = {
    {"1.3.6.1.2.1.5.1.0", "InMsgs"},
    {"1.3.6.1.2.1.5.2.0", "InErrors", Display::Reply, "InErrors_Label2"},
    {"1.3.6.1.2.1.5.3.0", "InDestUnreachs"},
    {"1.3.6.1.2.1.5.4.0", "InTimeExcds"},
    {"1.3.6.1.2.1.5.5.0", "InParmProbs"},
    {"1.3.6.1.2.1.5.6.0", "InSrcQuenchs"},
    {"1.3.6.1.2.1.5.7.0", "InRedirects"},
    {"1.3.6.1.2.1.5.8.0", "InEchos"},
    {"1.3.6.1.2.1.5.9.0", "InEchoReps"},
    {"1.3.6.1.2.1.5.10.0", "InTimestamps"},
    {"1.3.6.1.2.1.5.11.0", "InTimestampReps"},
    {"1.3.6.1.2.1.5.12.0", "InAddrMasks"},
    {"1.3.6.1.2.1.5.13.0", "InAddrMaskReps"},
    {"1.3.6.1.2.1.5.14.0", "OutMsgs"},
    {"1.3.6.1.2.1.5.15.0", "OutErrors"},
    {"1.3.6.1.2.1.5.16.0", "OutDestUnreachs"},
    {"1.3.6.1.2.1.5.17.0", "OutTimeExcds"},
    {"1.3.6.1.2.1.5.18.0", "OutParmProbs"},
    {"1.3.6.1.2.1.5.19.0", "OutSrcQuenchs"},
    {"1.3.6.1.2.1.5.20.0", "OutRedirects"},
    {"1.3.6.1.2.1.5.21.0", "OutEchos"},
    {"1.3.6.1.2.1.5.22.0", "OutEchoReps"},
    {"1.3.6.1.2.1.5.23.0", "OutTimestamps"},
    {"1.3.6.1.2.1.5.24.0", "OutTimestampReps"},
    {"1.3.6.1.2.1.5.25.0", "OutAddrMasks"},
    {"1.3.6.1.2.1.5.26.0", "OutAddrMaskReps"},
};

// tcp (1.3.6.1.2.1.6); tcpConnTable (6.13) is not read.
const StatTable kTcp = {
    {"1.3.6.1.2.1.6.1.0", "RtoAlgorithm", Display::RtoAlgorithm, "RtoAlg_Label", "RtoAlgL_Label"},
    {"1.3.6.1.2.1.6.2.0", "RtoMin"},
    {"1.3.6.1.2.1.6.3.0", "RtoMax"},
    {"1.3.6.1.2.1.6.4.0", "MaxConn"},
    {"1.3.6.1.2.1.6.5.0", "ActiveOpens"},
    {"1.3.6.1.2.1.6.6.0", "PassiveOpens"},
    {"1.3.6.1.2.1.6.7.0", "AttemptFails"},
    {"1.3.6.1.2.1.6.8.0", "EstabResets"},
    {"1.3.6.1.2.1.6.9.0", "CurrEstab"},
    {"1.3.6.1.2.1.6.10.0", "InSegs"},
    {"1.3.6.1.2.1.6.11.0", "OutSegs"},
    {"1.3.6.1.2.1.6.12.0", "ReTransSegs"},
    {"1.3.6.1.2.1.6.14.0", "InErrs"},
    {"1.3.6.1.2.1.6.15.0", "OutRsts"},
};

// udp (1.3.6.1.2.1.7) scalars, read in this order (not OID order).
const StatTable kUdp = {
    {"1.3.6.1.2.1.7.1.0", "InDatagrams"},
    {"1.3.6.1.2.1.7.4.0", "OutDatagrams"},
    {"1.3.6.1.2.1.7.2.0", "NoPorts"},
    {"1.3.6.1.2.1.7.3.0", "InErrors", Display::Reply, "InErrors_Label", "InErrorsL_Label2"},
};

// snmp (1.3.6.1.2.1.11); objects 7 and 23 are unassigned and not read. The label names are
// abbreviations of the object names.
const StatTable kSnmp = {
    {"1.3.6.1.2.1.11.1.0", "InPkts"},
    {"1.3.6.1.2.1.11.2.0", "OutPkts"},
    {"1.3.6.1.2.1.11.3.0", "InBadVersions", Display::Reply, "InBadVer_Label", "InBadVerL_Label"},
    {"1.3.6.1.2.1.11.4.0", "InBadCommunityNames", Display::Reply, "InBadComNam_Label",
     "InBadCommNaL_Label"},
    {"1.3.6.1.2.1.11.5.0", "InBadCommunityUses", Display::Reply, "InBadComUses_Label",
     "InBadCommUseL_Label"},
    {"1.3.6.1.2.1.11.6.0", "InASNParseErrs", Display::Reply, "InASNParseErrs_Label",
     "InASNParseL_Label"},
    {"1.3.6.1.2.1.11.8.0", "InTooBigs"},
    {"1.3.6.1.2.1.11.9.0", "InNoSuchNames", Display::Reply, "InNoSuchNames_Label",
     "InNoSuchNaL_Label"},
    {"1.3.6.1.2.1.11.10.0", "InBadValues", Display::Reply, "InBadVals_Label", "InBadValL_Label"},
    {"1.3.6.1.2.1.11.11.0", "InReadOnlys", Display::Reply, "InReadOnlys_Label", "InROL_Label"},
    {"1.3.6.1.2.1.11.12.0", "InGenErrs"},
    {"1.3.6.1.2.1.11.13.0", "InTotalReqVars", Display::Reply, "InTotReqVars_Label",
     "InToTReqVarsL_Label"},
    {"1.3.6.1.2.1.11.14.0", "InTotalSetVars", Display::Reply, "InTotSetVars_Label",
     "InTotSetVarsL_Label"},
    {"1.3.6.1.2.1.11.15.0", "InGetRequests", Display::Reply, "InGetReqs_Label", "InGetReqL_Label"},
    {"1.3.6.1.2.1.11.16.0", "InGetNexts"},
    {"1.3.6.1.2.1.11.17.0", "InSetRequests", Display::Reply, "InSetReqs_Label", "InSetReqsL_Label"},
    {"1.3.6.1.2.1.11.18.0", "InGetResponses", Display::Reply, "InGetResp_Label",
     "InGetRespL_Label"},
    {"1.3.6.1.2.1.11.19.0", "InTraps"},
    {"1.3.6.1.2.1.11.20.0", "OutTooBigs"},
    {"1.3.6.1.2.1.11.21.0", "OutNoSuchNames", Display::Reply, "OutNoSuchNam_Label",
     "OutNoSuchL_Label"},
    {"1.3.6.1.2.1.11.22.0", "OutBadValues", Display::Reply, "OutBadVal_Label", "OutBadValL_Label"},
    {"1.3.6.1.2.1.11.24.0", "OutGenErrs", Display::Reply, "OutGenErrs_Label", "OutGenErrL_Label"},
    {"1.3.6.1.2.1.11.25.0", "OutGetRequests", Display::Reply, "OutGetReqs_Label",
     "OutGetReqL_Label"},
    {"1.3.6.1.2.1.11.26.0", "OutGetNexts", Display::Reply, "OutGetNexts_Label", "OutGetNxtL_Label"},
    {"1.3.6.1.2.1.11.27.0", "OutSetRequests", Display::Reply, "OutSetReqs_Label",
     "OutSetReqL_Label"},
    {"1.3.6.1.2.1.11.28.0", "OutGetResponses", Display::Reply, "OutGetResp_Label",
     "OutGetRespL_Label"},
    {"1.3.6.1.2.1.11.29.0", "OutTraps"},
    {"1.3.6.1.2.1.11.30.0", "EnableAuthenTraps", Display::YesNo, "EnableAuth_Label",
     "EnableAuthL_Label"},
};

constexpr int kHelpIcmp = 160;
constexpr int kHelpTcp = 170;
constexpr int kHelpUdp = 180;
constexpr int kHelpSnmp = 190;

} // namespace

ProtocolPages::ProtocolPages(app::PageContext &context) : context_(context) {
    icmp_ = {QStringLiteral("page:ICMP"), &kIcmp, kHelpIcmp, true, {}};
    // The TCP page leaves the focus where it is.
    tcp_ = {QStringLiteral("page:TCP"), &kTcp, kHelpTcp, false, {}};
    udp_ = {QStringLiteral("page:UDP"), &kUdp, kHelpUdp, true, {}};
    snmp_ = {QStringLiteral("page:SNMP"), &kSnmp, kHelpSnmp, true, {}};
    connect(&context_.Router(), &core::RouterModel::rowsRead, this,
            [this](const QString &key, const core::RowReadings &readings) {
                for (StatPage *page : {&icmp_, &tcp_, &udp_, &snmp_})
                    if (page->key == key)
                        context_.Run([this, page, &readings] { render(*page, readings); });
            });
}

ProtocolPages::~ProtocolPages() = default;

// A page of caption/value pairs in `columns` columns.
QWidget *ProtocolPages::buildPage(StatPage &page, const QString &placeholder, int columns) {
    auto *widget = new QWidget;
    auto *grid = new QGridLayout(widget);
    grid->setContentsMargins(24, 16, 16, 10);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    page.labels = AddStatRows(grid, widget, *page.rows, placeholder, columns);
    return widget;
}

QWidget *ProtocolPages::BuildIcmp() {
    return buildPage(icmp_, QStringLiteral("----"), 2);
}

QWidget *ProtocolPages::BuildTcp() {
    return buildPage(tcp_, QStringLiteral("-----"), 2);
}

QWidget *ProtocolPages::BuildUdp() {
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);

    QGroupBox *stats = app::MakeGroup(page, "UDPStats_GBox", QStringLiteral(" UDP statistics "));
    auto *statsGrid = new QGridLayout(stats);
    statsGrid->setVerticalSpacing(5);
    udp_.labels = AddStatRows(statsGrid, stats, kUdp, QStringLiteral("----"), 1);
    auto *left = new QVBoxLayout;
    left->addWidget(stats);
    left->addStretch(1);
    layout->addLayout(left);

    QGroupBox *listeners =
        app::MakeGroup(page, "GroupBox2", QStringLiteral(" UDP listener table "));
    auto *tableLayout = new QVBoxLayout(listeners);
    udpTable_ = TableBox::MakeBox(listeners, "UDPTable_Memo");
    // The port column clears the longest address (" 255.255.255.255").
    udpTable_->setTabStopDistance(
        QFontMetricsF(udpTable_->font()).horizontalAdvance(QStringLiteral("0")) * 18);
    tableLayout->addWidget(udpTable_, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    app::TextOutput::Box box;
    box.memo = udpTable_;
    box.proposedName = QStringLiteral("vantrel_udptable");
    box.save = app::MakeButton(listeners, "UDPTableSave_But", QStringLiteral("Save table"));
    box.print = app::MakeButton(listeners, "UDPTablePrint_But", QStringLiteral("Print table"));
    box.copy = app::MakeButton(listeners, "UDPTableCopy_But", QStringLiteral("Copy table"));
    buttons->addWidget(box.save);
    buttons->addWidget(box.print);
    buttons->addWidget(box.copy);
    tableLayout->addLayout(buttons);
    layout->addWidget(listeners, 1);
    context_.Output().Register(box);
    return page;
}

QWidget *ProtocolPages::BuildSnmp() {
    return buildPage(snmp_, QStringLiteral("----"), 2);
}

void ProtocolPages::ICMPClick() {
    refresh(icmp_);
}

void ProtocolPages::TCPClick() {
    refresh(tcp_);
}

void ProtocolPages::UDPClick() {
    // The statistics, then the listener table from its two columns.
    RouterQuery::Begin(context_, udp_.helpContext);
    const core::ResultHead head;
    struct Result {
        core::ResultHead head;
        core::UdpFigures figures;
        TableBox::Document table;
    };
    context_.Router().Submit<Result>(
        udp_.key, core::RouterModel::KindOf(head), head,
        [oids = StatOids(kUdp), look = TableBox::LookOf(udpTable_)](core::RouterLink &link) {
            Result r;
            r.figures = core::ReadUdp(link, oids);
            r.head = r.figures.head;
            if (r.figures.ports.asked)
                r.table = TableBox::MakeDocument(r.figures.text, look);
            return r;
        },
        [this](Result &r) {
            r.figures.head = r.head;
            context_.Run([this, &r] { renderUdp(r.figures, r.table); });
        });
}

void ProtocolPages::SNMPClick() {
    refresh(snmp_);
}

void ProtocolPages::refresh(StatPage &page) {
    RouterQuery::Begin(context_, page.helpContext, page.moveFocus ? 0 : RouterQuery::NoFocus);
    context_.Router().RefreshRows(page.key, StatOids(*page.rows), core::ResultHead{});
}

void ProtocolPages::render(StatPage &page, const core::RowReadings &readings) {
    if (ShowStatRows(context_, *page.rows, page.labels, readings))
        RouterQuery::Finish(context_, readings.head.outcome);
}

void ProtocolPages::renderUdp(const core::UdpFigures &f, const TableBox::Document &table) {
    core::RowReadings statistics = f.statistics;
    statistics.head = f.head;
    if (!ShowStatRows(context_, kUdp, udp_.labels, statistics))
        return;
    // The table is written from whatever the walks read; each failed walk beeps, and the
    // status says so rather than " Ready".
    TableBox::Show(udpTable_, table);
    const bool anyRead = !f.addresses.rows.empty() && !f.ports.rows.empty();
    bool failed = false;
    for (const core::TableWalk *walk : {&f.addresses, &f.ports}) {
        if (!walk->Failed())
            continue;
        TableBox::ReportFailedWalk(context_, anyRead, QStringLiteral("listener table"), true);
        failed = true;
    }
    if (!failed)
        RouterQuery::Finish(context_, f.head.outcome);
}

} // namespace vantrel::pages
