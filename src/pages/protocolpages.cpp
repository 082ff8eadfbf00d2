#include "protocolpages.h"

#include "mainform.h"
#include "routerquery.h"
#include "statrow.h"
#include "widgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

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
// udpTable columns, walked one at a time.
const char kUdpLocalAddress[] = "1.3.6.1.2.1.7.5.1.1";
const char kUdpLocalPort[] = "1.3.6.1.2.1.7.5.1.2";

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

// A page of caption/value pairs in `columns` columns.
QWidget *statPage(const StatTable &rows, const QString &placeholder, int columns) {
    auto *page = new QWidget;
    auto *grid = new QGridLayout(page);
    grid->setContentsMargins(24, 16, 16, 10);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    AddStatRows(grid, page, rows, placeholder, columns);
    return page;
}

} // namespace

QWidget *ProtocolPages::BuildIcmp() {
    return statPage(kIcmp, QStringLiteral("----"), 2);
}

QWidget *ProtocolPages::BuildTcp() {
    return statPage(kTcp, QStringLiteral("-----"), 2);
}

QWidget *ProtocolPages::BuildUdp() {
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);

    QGroupBox *stats = MakeGroup(page, "UDPStats_GBox", QStringLiteral(" UDP statistics "));
    auto *statsGrid = new QGridLayout(stats);
    statsGrid->setVerticalSpacing(5);
    AddStatRows(statsGrid, stats, kUdp, QStringLiteral("----"), 1);
    auto *left = new QVBoxLayout;
    left->addWidget(stats);
    left->addStretch(1);
    layout->addLayout(left);

    QGroupBox *listeners = MakeGroup(page, "GroupBox2", QStringLiteral(" UDP listener table "));
    auto *tableLayout = new QVBoxLayout(listeners);
    tableLayout->addWidget(MakeMemo(listeners, "UDPTable_Memo", true, true), 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(MakeButton(listeners, "UDPTableSave_But", QStringLiteral("Save table")));
    buttons->addWidget(MakeButton(listeners, "UDPTablePrint_But", QStringLiteral("Print table")));
    buttons->addWidget(MakeButton(listeners, "UDPTableCopy_But", QStringLiteral("Copy table")));
    tableLayout->addLayout(buttons);
    layout->addWidget(listeners, 1);
    return page;
}

QWidget *ProtocolPages::BuildSnmp() {
    return statPage(kSnmp, QStringLiteral("----"), 2);
}

// The page's text-output buttons are bound by TextOutput.
void ProtocolPages::Bind() {}

void ProtocolPages::ICMPClick() {
    RouterQuery query(form_, 160);
    if (QueryStatRows(query, form_, kIcmp))
        query.Ready();
}

// The TCP page leaves the focus where it is.
void ProtocolPages::TCPClick() {
    RouterQuery query(form_, 170, RouterQuery::NoFocus);
    if (QueryStatRows(query, form_, kTcp))
        query.Ready();
}

void ProtocolPages::UDPClick() {}

void ProtocolPages::SNMPClick() {
    RouterQuery query(form_, 190);
    if (QueryStatRows(query, form_, kSnmp))
        query.Ready();
}
