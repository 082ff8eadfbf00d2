#include "pages/protocolpages.h"

#include "core/oids.h"
#include "core/routermodel.h"
#include "ui/pagecontext.h"
#include "ui/routerquery.h"
#include "ui/statrow.h"
#include "ui/tablebox.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

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

namespace RouterQuery = ui::RouterQuery;

namespace {

// An object of the ICMP group.
std::string icmp(int object) {
    return core::oid::Scalar(core::oid::Icmp, object);
}

// An object of the TCP group.
std::string tcp(int object) {
    return core::oid::Scalar(core::oid::Tcp, object);
}

// An object of the UDP group.
std::string udp(int object) {
    return core::oid::Scalar(core::oid::Udp, object);
}

// An object of the SNMP group.
std::string snmp(int object) {
    return core::oid::Scalar(core::oid::Snmp, object);
}

// icmp (1.3.6.1.2.1.5), all 26 objects in OID order: the input counters, then the output ones.
const ui::StatTable kIcmp = {
    {icmp(1), "InMsgs"},           {icmp(2), "InErrors", ui::Display::Reply, "InErrors_Label2"},
    {icmp(3), "InDestUnreachs"},   {icmp(4), "InTimeExcds"},
    {icmp(5), "InParmProbs"},      {icmp(6), "InSrcQuenchs"},
    {icmp(7), "InRedirects"},      {icmp(8), "InEchos"},
    {icmp(9), "InEchoReps"},       {icmp(10), "InTimestamps"},
    {icmp(11), "InTimestampReps"}, {icmp(12), "InAddrMasks"},
    {icmp(13), "InAddrMaskReps"},  {icmp(14), "OutMsgs"},
    {icmp(15), "OutErrors"},       {icmp(16), "OutDestUnreachs"},
    {icmp(17), "OutTimeExcds"},    {icmp(18), "OutParmProbs"},
    {icmp(19), "OutSrcQuenchs"},   {icmp(20), "OutRedirects"},
    {icmp(21), "OutEchos"},        {icmp(22), "OutEchoReps"},
    {icmp(23), "OutTimestamps"},   {icmp(24), "OutTimestampReps"},
    {icmp(25), "OutAddrMasks"},    {icmp(26), "OutAddrMaskReps"},
};

// tcp (1.3.6.1.2.1.6); tcpConnTable (6.13) is not read.
const ui::StatTable kTcp = {
    {tcp(1), "RtoAlgorithm", ui::Display::RtoAlgorithm, "RtoAlg_Label", "RtoAlgL_Label"},
    {tcp(2), "RtoMin"},
    {tcp(3), "RtoMax"},
    {tcp(4), "MaxConn"},
    {tcp(5), "ActiveOpens"},
    {tcp(6), "PassiveOpens"},
    {tcp(7), "AttemptFails"},
    {tcp(8), "EstabResets"},
    {tcp(9), "CurrEstab"},
    {tcp(10), "InSegs"},
    {tcp(11), "OutSegs"},
    {tcp(12), "ReTransSegs"},
    {tcp(14), "InErrs"},
    {tcp(15), "OutRsts"},
};

// udp (1.3.6.1.2.1.7) scalars, read in this order (not OID order).
const ui::StatTable kUdp = {
    {udp(1), "InDatagrams"},
    {udp(4), "OutDatagrams"},
    {udp(2), "NoPorts"},
    {udp(3), "InErrors", ui::Display::Reply, "InErrors_Label", "InErrorsL_Label2"},
};

// snmp (1.3.6.1.2.1.11); objects 7 and 23 are unassigned and not read. The label names are
// abbreviations of the object names.
const ui::StatTable kSnmp = {
    {snmp(1), "InPkts"},
    {snmp(2), "OutPkts"},
    {snmp(3), "InBadVersions", ui::Display::Reply, "InBadVer_Label", "InBadVerL_Label"},
    {snmp(4), "InBadCommunityNames", ui::Display::Reply, "InBadComNam_Label", "InBadCommNaL_Label"},
    {snmp(5), "InBadCommunityUses", ui::Display::Reply, "InBadComUses_Label",
     "InBadCommUseL_Label"},
    {snmp(6), "InASNParseErrs", ui::Display::Reply, "InASNParseErrs_Label", "InASNParseL_Label"},
    {snmp(8), "InTooBigs"},
    {snmp(9), "InNoSuchNames", ui::Display::Reply, "InNoSuchNames_Label", "InNoSuchNaL_Label"},
    {snmp(10), "InBadValues", ui::Display::Reply, "InBadVals_Label", "InBadValL_Label"},
    {snmp(11), "InReadOnlys", ui::Display::Reply, "InReadOnlys_Label", "InROL_Label"},
    {snmp(12), "InGenErrs"},
    {snmp(13), "InTotalReqVars", ui::Display::Reply, "InTotReqVars_Label", "InToTReqVarsL_Label"},
    {snmp(14), "InTotalSetVars", ui::Display::Reply, "InTotSetVars_Label", "InTotSetVarsL_Label"},
    {snmp(15), "InGetRequests", ui::Display::Reply, "InGetReqs_Label", "InGetReqL_Label"},
    {snmp(16), "InGetNexts"},
    {snmp(17), "InSetRequests", ui::Display::Reply, "InSetReqs_Label", "InSetReqsL_Label"},
    {snmp(18), "InGetResponses", ui::Display::Reply, "InGetResp_Label", "InGetRespL_Label"},
    {snmp(19), "InTraps"},
    {snmp(20), "OutTooBigs"},
    {snmp(21), "OutNoSuchNames", ui::Display::Reply, "OutNoSuchNam_Label", "OutNoSuchL_Label"},
    {snmp(22), "OutBadValues", ui::Display::Reply, "OutBadVal_Label", "OutBadValL_Label"},
    {snmp(24), "OutGenErrs", ui::Display::Reply, "OutGenErrs_Label", "OutGenErrL_Label"},
    {snmp(25), "OutGetRequests", ui::Display::Reply, "OutGetReqs_Label", "OutGetReqL_Label"},
    {snmp(26), "OutGetNexts", ui::Display::Reply, "OutGetNexts_Label", "OutGetNxtL_Label"},
    {snmp(27), "OutSetRequests", ui::Display::Reply, "OutSetReqs_Label", "OutSetReqL_Label"},
    {snmp(28), "OutGetResponses", ui::Display::Reply, "OutGetResp_Label", "OutGetRespL_Label"},
    {snmp(29), "OutTraps"},
    {snmp(30), "EnableAuthenTraps", ui::Display::YesNo, "EnableAuth_Label", "EnableAuthL_Label"},
};

constexpr int kHelpIcmp = 160;
constexpr int kHelpTcp = 170;
constexpr int kHelpUdp = 180;
constexpr int kHelpSnmp = 190;

} // namespace

ProtocolPages::ProtocolPages(ui::PageContext &context) : context_(context) {
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
    page.labels = ui::AddStatRows(grid, widget, *page.rows, placeholder, columns);
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

    QGroupBox *stats = ui::MakeGroup(page, "UDPStats_GBox", QStringLiteral(" UDP statistics "));
    auto *statsGrid = new QGridLayout(stats);
    statsGrid->setVerticalSpacing(5);
    udp_.labels = ui::AddStatRows(statsGrid, stats, kUdp, QStringLiteral("----"), 1);
    auto *left = new QVBoxLayout;
    left->addWidget(stats);
    left->addStretch(1);
    layout->addLayout(left);

    QGroupBox *listeners = ui::MakeGroup(page, "GroupBox2", QStringLiteral(" UDP listener table "));
    auto *tableLayout = new QVBoxLayout(listeners);
    udpTable_ = ui::TableBox::MakeBox(listeners, "UDPTable_Memo");
    // The port column clears the longest address (" 255.255.255.255").
    udpTable_->setTabStopDistance(
        QFontMetricsF(udpTable_->font()).horizontalAdvance(QStringLiteral("0")) * 18);
    tableLayout->addWidget(udpTable_, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    ui::TextOutput::Box box;
    box.memo = udpTable_;
    box.proposedName = QStringLiteral("vantrel_udptable");
    // In the order of the IP page's tables.
    box.copy = ui::MakeButton(listeners, "UDPTableCopy_But", QStringLiteral("Copy table"));
    box.save = ui::MakeButton(listeners, "UDPTableSave_But", QStringLiteral("Save table"));
    box.print = ui::MakeButton(listeners, "UDPTablePrint_But", QStringLiteral("Print table"));
    buttons->addWidget(box.copy);
    buttons->addWidget(box.save);
    buttons->addWidget(box.print);
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
    context_.Router().Submit<core::UdpFigures>(
        udp_.key, core::RouterModel::KindOf(head), head,
        [oids = ui::StatOids(kUdp)](core::RouterLink &link) { return core::ReadUdp(link, oids); },
        [this](core::UdpFigures &f) { context_.Run([this, &f] { renderUdp(f); }); });
}

void ProtocolPages::SNMPClick() {
    refresh(snmp_);
}

void ProtocolPages::refresh(StatPage &page) {
    RouterQuery::Begin(context_, page.helpContext, page.moveFocus ? 0 : RouterQuery::NoFocus);
    context_.Router().RefreshRows(page.key, ui::StatOids(*page.rows), core::ResultHead{});
}

void ProtocolPages::render(StatPage &page, const core::RowReadings &readings) {
    if (ui::ShowStatRows(context_, *page.rows, page.labels, readings))
        RouterQuery::Finish(context_, readings.head.outcome);
}

void ProtocolPages::renderUdp(const core::UdpFigures &f) {
    core::RowReadings statistics = f.statistics;
    statistics.head = f.head;
    if (!ui::ShowStatRows(context_, kUdp, udp_.labels, statistics))
        return;
    // The table is written from whatever the walks read; each failed walk beeps, and the
    // status says so rather than " Ready".
    // Both walks were asked (each whatever became of the other): the box shows what they read.
    if (f.ports.asked)
        ui::TableBox::Show(udpTable_, f.text);
    const bool anyRead = !f.addresses.rows.empty() && !f.ports.rows.empty();
    bool failed = false;
    for (const core::TableWalk *walk : {&f.addresses, &f.ports}) {
        if (!walk->Failed())
            continue;
        ui::TableBox::ReportFailedWalk(context_, anyRead, QStringLiteral("listener table"), true);
        failed = true;
    }
    if (!failed)
        RouterQuery::Finish(context_, f.head.outcome);
}

} // namespace vantrel::pages
