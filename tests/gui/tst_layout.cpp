// The page layouts of the Quota, Interfaces, IP, ICMP, TCP, UDP, SNMP and Debug pages: every
// control other code finds by name exists once, with its kind, caption, placeholder and hint;
// every page fits the fixed window without clipping; and the few controls with behaviour of
// their own (the reset-day up-down, the bar's scale, the Debug and IP page-change handlers).
//
// Set VANTREL_PAGE_SHOTS to a folder to also write a picture of every page there.

#include "formfixture.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace vantrel;
using namespace vantrel::app;

using namespace vantrel::tools;
using namespace vantrel::ui;

namespace {

const QString kDashes4 = QStringLiteral("----");
const QString kDashes6 = QStringLiteral("------");

struct Control {
    QString page; // the top-level page that holds it
    QString name;
    QString type;
    QString text; // caption, initial text, placeholder, or tab caption of a sub-page
    QString tooltip;
    QStringList flags; // bold, checked, readonly, wrap, fixed
};

void add(QList<Control> &out, const QString &page, const QString &name, const QString &type,
         const QString &text, const QStringList &flags = {}, const QString &tooltip = {}) {
    out.append({page, name, type, text, tooltip, flags});
}

// A caption label and its bold value label.
void pair(QList<Control> &out, const QString &page, const QString &captionName,
          const QString &caption, const QString &valueName, const QString &placeholder,
          const QString &tooltip = {}) {
    add(out, page, captionName, QStringLiteral("QLabel"), caption, {}, tooltip);
    add(out, page, valueName, QStringLiteral("QLabel"), placeholder, {QStringLiteral("bold")});
}

// Pairs named after their objects: "<Object>L_Label" showing "<Object>:" and "<Object>_Label".
void objectPairs(QList<Control> &out, const QString &page, const QStringList &objects,
                 const QString &placeholder) {
    for (const QString &o : objects)
        pair(out, page, o + QStringLiteral("L_Label"), o + QLatin1Char(':'),
             o + QStringLiteral("_Label"), placeholder);
}

// A table or dump box: its rows never wrap (they scroll sideways).
void memo(QList<Control> &out, const QString &page, const QString &name) {
    add(out, page, name, QStringLiteral("QPlainTextEdit"), QString(),
        {QStringLiteral("readonly"), QStringLiteral("fixed")});
}

void button(QList<Control> &out, const QString &page, const QString &name, const QString &caption) {
    add(out, page, name, QStringLiteral("QPushButton"), caption);
}

QList<Control> quotaControls() {
    QList<Control> c;
    const QString p = QStringLiteral("Quota_Tab");
    add(c, p, QStringLiteral("In_ProgressBar"), QStringLiteral("QProgressBar"), QString());
    for (int mark : {25, 50, 65, 75, 85, 95})
        add(c, p, QStringLiteral("Bar%1_Label").arg(mark), QStringLiteral("QLabel"),
            QStringLiteral("-- %1").arg(mark));
    add(c, p, QStringLiteral("PercentUsed_Label"), QStringLiteral("QLabel"), kDashes6,
        {QStringLiteral("bold")});
    pair(c, p, QStringLiteral("QuoatRemainingL_Label"), QStringLiteral("Quota left: "),
         QStringLiteral("QuotaRemaining_Label"), kDashes4);
    add(c, p, QStringLiteral("Quota_GBox"), QStringLiteral("QGroupBox"),
        QStringLiteral(" Data quota details "));
    const std::pair<const char *, const char *> labels[] = {
        {"FullQuota_Label", "Your full quota in gigabytes:"},
        {"UsedQuota_Label", "Current used quota in megabytes:"},
        {"GB_label", "Gigabytes"},
        {"MB_Label", "Megabytes"},
        {"ButtonNote_Label", "Only calculate this ONCE unless you re-adjust your used quota!"},
        {"GigabyteL_Label", "ISP defines one gigabyte as"},
        {"MegabyteL_Label", "ISP defines one megabyte as"},
        {"GBytesLLabel", "bytes"},
        {"MBytesLLabel", "bytes"},
        {"ResetQ1_Label", "Reset quota on day  "},
        {"ResetQ2_Label", "of each month"},
        {"LastResetT_Label", "Last reset"},
    };
    for (const auto &l : labels)
        add(c, p, QString::fromLatin1(l.first), QStringLiteral("QLabel"),
            QString::fromLatin1(l.second));
    add(c, p, QStringLiteral("LastResetDate_Label"), QStringLiteral("QLabel"), kDashes6,
        {QStringLiteral("bold")});
    add(c, p, QStringLiteral("Bevel2"), QStringLiteral("QFrame"), QString());
    add(c, p, QStringLiteral("Bevel6"), QStringLiteral("QFrame"), QString());
    const std::pair<const char *, const char *> edits[] = {
        {"GBQuota_Edit", "0"},
        {"MBUsed_Edit", "0"},
        {"Gbytes_Edit", "1073741824"},
        {"MBytes_Edit", "1048576"},
    };
    for (const auto &e : edits)
        add(c, p, QString::fromLatin1(e.first), QStringLiteral("QLineEdit"),
            QString::fromLatin1(e.second));
    // The day can be typed too.
    add(c, p, QStringLiteral("ResetDay_Edit"), QStringLiteral("QLineEdit"), QStringLiteral("0"));
    add(c, p, QStringLiteral("Day_UpDn"), QStringLiteral("QSpinBox"), QString());
    button(c, p, QStringLiteral("CalcQuota_But"), QStringLiteral("Calculate"));
    button(c, p, QStringLiteral("ReDefGB_But"), QStringLiteral("Redefine"));
    button(c, p, QStringLiteral("ReDefMB_But"), QStringLiteral("Redefine"));
    add(c, p, QStringLiteral("Down_RBut"), QStringLiteral("QRadioButton"),
        QStringLiteral("Quota includes downloaded data ONLY"), {QStringLiteral("checked")});
    add(c, p, QStringLiteral("DownUp_RBut"), QStringLiteral("QRadioButton"),
        QStringLiteral("Quota includes downloaded AND uploaded data"));
    return c;
}

QList<Control> interfacesControls() {
    QList<Control> c;
    const QString p = QStringLiteral("Interfaces");
    add(c, p, QStringLiteral("EthLAN_GBox"), QStringLiteral("QGroupBox"),
        QStringLiteral(" Ethernet LAN interface "));
    add(c, p, QStringLiteral("ATMWAN_GBox"), QStringLiteral("QGroupBox"),
        QStringLiteral(" WAN interface "));
    add(c, p, QStringLiteral("USB_GBox"), QStringLiteral("QGroupBox"),
        QStringLiteral(" Ethernet over USB interface "));
    const QString errors = QStringLiteral("Packets which contained errors preventing delivery");
    // caption, hint, then caption / value label of LAN, WAN and USB ("" where the group has none)
    const struct {
        const char *caption;
        QString tooltip;
        const char *names[6];
    } figures[] = {
        {"Status: ",
         QStringLiteral("Operational status"),
         {"LANStatus_Label", "LANStatusVal_Label", "ATMWANStatus_Label", "ATMWANStatusVal_Label",
          "USBStatus_Label", "USBStatusVal_Label"}},
        {"MTU size: ",
         QStringLiteral("Largest datagram which can be sent/received"),
         {"LANMtu_Label", "LANMtuVal_Label", "", "", "USBMtu_Label", "USBMtuVal_Label"}},
        {"IN:",
         QStringLiteral("Total bytes received including framing characters"),
         {"LANBytesIn_Label", "LANBytesInVal_Label", "INATMWAN_Label", "ATMWANBytesIn_Label",
          "USBBytesIn_Label", "USBBytesInVal_Label"}},
        {"OUT:",
         QStringLiteral("Total bytes transmitted including framing characters"),
         {"LANBytesOut_Label", "LANBytesOutVal_Label", "OutATMWAN_Label", "ATMWANBytesOut_Label",
          "USBBytesOut_Label", "USBBytesOutVal_Label"}},
        {"InErrors:",
         errors,
         {"LANInErrPkts_Label", "LANInErrPktsVal_Label", "ATMWANErrPkts_Label",
          "ATMWANInErrs_Label", "USBInErrPkts_Label", "USBInErrPktsVal_Label"}},
        {"OutErrors:",
         errors,
         {"LANOutErrPkts_Label", "LANOutErrPktsVal_Label", "ATMWANOutErrPkts_Label",
          "ATMWANOutErrs_Label", "USBOutErrPkts_Label", "USBOutErrPktsVal_Label"}},
        {"OutQLen:",
         QString(),
         {"LANOutQLen_Label", "LANOutQLenVal_Label", "ATMWANOutQLenL_Label", "ATMWANOutQLen_Label",
          "USBOutQLen_Label", "USBOutQLenVal_Label"}},
        {"InUnknownProtocols:",
         QString(),
         {"LANInU_Label", "LANInUVal_Label", "ATMWANInU_Label", "ATMWANInUVal_Label",
          "USBInU_Label", "USBInUVal_Label"}},
    };
    for (const auto &f : figures)
        for (int g = 0; g < 3; ++g)
            if (*f.names[g * 2] != '\0')
                pair(c, p, QString::fromLatin1(f.names[g * 2]), QString::fromLatin1(f.caption),
                     QString::fromLatin1(f.names[g * 2 + 1]), kDashes4, f.tooltip);
    return c;
}

QList<Control> ipControls() {
    QList<Control> c;
    const QString p = QStringLiteral("IP");
    add(c, p, QStringLiteral("IP_PageControl"), QStringLiteral("QTabWidget"), QString());
    add(c, p, QStringLiteral("StatisticsTab"), QStringLiteral("QWidget"),
        QStringLiteral(" Statistics "));
    objectPairs(c, p, {"Forwarding",   "DefaultTTL",    "InReceives",      "InHdrErrors",
                       "InAddrErrors", "ForwDatagrams", "InUnknownProtos", "InDiscards",
                       "InDelivers",   "OutRequests",   "OutDiscards",     "OutNoRoutes",
                       "ReasmTimeout", "ReasmReqds",    "ReasmOKs",        "ReasmFails",
                       "FragOKs",      "FragFails",     "FragCreates",     "RoutingDiscards"},
                kDashes4);
    const struct {
        const char *tab;
        const char *caption;
        const char *stem; // memo "<stem>_Memo", buttons "<stem>Copy_But" ...
    } tables[] = {
        {"AddressTab", " Address table ", "AddrTable"},
        {"RouteTab", " Route table ", "RouteTable"},
        {"NetToMediaTab", " Net to Media table ", "MediaTable"},
    };
    for (const auto &t : tables) {
        const QString stem = QString::fromLatin1(t.stem);
        add(c, p, QString::fromLatin1(t.tab), QStringLiteral("QWidget"),
            QString::fromLatin1(t.caption));
        memo(c, p, stem + QStringLiteral("_Memo"));
        button(c, p, stem + QStringLiteral("Copy_But"), QStringLiteral("Copy table"));
        button(c, p, stem + QStringLiteral("Save_But"), QStringLiteral("Save table"));
        button(c, p, stem + QStringLiteral("Print_But"), QStringLiteral("Print table"));
    }
    return c;
}

QList<Control> icmpControls() {
    QList<Control> c;
    const QString p = QStringLiteral("ICMP");
    const QStringList stems = {"Msgs",        "Errors",     "DestUnreachs",  "TimeExcds",
                               "ParmProbs",   "SrcQuenchs", "Redirects",     "Echos",
                               "EchoReps",    "Timestamps", "TimestampReps", "AddrMasks",
                               "AddrMaskReps"};
    for (const QString &direction : {QStringLiteral("In"), QStringLiteral("Out")})
        for (const QString &stem : stems) {
            const QString o = direction + stem;
            // The one name that breaks the pattern.
            const QString value = o == QLatin1String("InErrors") ? QStringLiteral("InErrors_Label2")
                                                                 : o + QStringLiteral("_Label");
            pair(c, p, o + QStringLiteral("L_Label"), o + QLatin1Char(':'), value, kDashes4);
        }
    return c;
}

QList<Control> tcpControls() {
    QList<Control> c;
    const QString p = QStringLiteral("TCP");
    const QString dashes5 = QStringLiteral("-----");
    pair(c, p, QStringLiteral("RtoAlgL_Label"), QStringLiteral("RtoAlgorithm:"),
         QStringLiteral("RtoAlg_Label"), dashes5);
    objectPairs(c, p,
                {"RtoMin", "RtoMax", "MaxConn", "ActiveOpens", "PassiveOpens", "AttemptFails",
                 "EstabResets", "CurrEstab", "InSegs", "OutSegs", "ReTransSegs", "InErrs",
                 "OutRsts"},
                dashes5);
    return c;
}

QList<Control> udpControls() {
    QList<Control> c;
    const QString p = QStringLiteral("UDP");
    add(c, p, QStringLiteral("UDPStats_GBox"), QStringLiteral("QGroupBox"),
        QStringLiteral(" UDP statistics "));
    objectPairs(c, p, {"InDatagrams", "NoPorts", "OutDatagrams"}, kDashes4);
    pair(c, p, QStringLiteral("InErrorsL_Label2"), QStringLiteral("InErrors:"),
         QStringLiteral("InErrors_Label"), kDashes4);
    add(c, p, QStringLiteral("GroupBox2"), QStringLiteral("QGroupBox"),
        QStringLiteral(" UDP listener table "));
    memo(c, p, QStringLiteral("UDPTable_Memo"));
    button(c, p, QStringLiteral("UDPTableSave_But"), QStringLiteral("Save table"));
    button(c, p, QStringLiteral("UDPTablePrint_But"), QStringLiteral("Print table"));
    button(c, p, QStringLiteral("UDPTableCopy_But"), QStringLiteral("Copy table"));
    return c;
}

QList<Control> snmpControls() {
    QList<Control> c;
    const QString p = QStringLiteral("SNMP");
    const char *const rows[][3] = {
        {"InPktsL_Label", "InPkts:", "InPkts_Label"},
        {"OutPktsL_Label", "OutPkts:", "OutPkts_Label"},
        {"InBadVerL_Label", "InBadVersions:", "InBadVer_Label"},
        {"InBadCommNaL_Label", "InBadCommunityNames:", "InBadComNam_Label"},
        {"InBadCommUseL_Label", "InBadCommunityUses:", "InBadComUses_Label"},
        {"InASNParseL_Label", "InASNParseErrs:", "InASNParseErrs_Label"},
        {"InTooBigsL_Label", "InTooBigs:", "InTooBigs_Label"},
        {"InNoSuchNaL_Label", "InNoSuchNames:", "InNoSuchNames_Label"},
        {"InBadValL_Label", "InBadValues:", "InBadVals_Label"},
        {"InROL_Label", "InReadOnlys:", "InReadOnlys_Label"},
        {"InGenErrsL_Label", "InGenErrs:", "InGenErrs_Label"},
        {"InToTReqVarsL_Label", "InTotalReqVars:", "InTotReqVars_Label"},
        {"InTotSetVarsL_Label", "InTotalSetVars:", "InTotSetVars_Label"},
        {"InGetReqL_Label", "InGetRequests:", "InGetReqs_Label"},
        {"InGetNextsL_Label", "InGetNexts:", "InGetNexts_Label"},
        {"InSetReqsL_Label", "InSetRequests:", "InSetReqs_Label"},
        {"InGetRespL_Label", "InGetResponses:", "InGetResp_Label"},
        {"InTrapsL_Label", "InTraps:", "InTraps_Label"},
        {"OutTooBigsL_Label", "OutTooBigs:", "OutTooBigs_Label"},
        {"OutNoSuchL_Label", "OutNoSuchNames:", "OutNoSuchNam_Label"},
        {"OutBadValL_Label", "OutBadValues:", "OutBadVal_Label"},
        {"OutGenErrL_Label", "OutGenErrs:", "OutGenErrs_Label"},
        {"OutGetReqL_Label", "OutGetRequests:", "OutGetReqs_Label"},
        {"OutGetNxtL_Label", "OutGetNexts:", "OutGetNexts_Label"},
        {"OutSetReqL_Label", "OutSetRequests:", "OutSetReqs_Label"},
        {"OutGetRespL_Label", "OutGetResponses:", "OutGetResp_Label"},
        {"OutTrapsL_Label", "OutTraps:", "OutTraps_Label"},
        {"EnableAuthL_Label", "EnableAuthenTraps:", "EnableAuth_Label"},
    };
    for (const auto &r : rows)
        pair(c, p, QString::fromLatin1(r[0]), QString::fromLatin1(r[1]), QString::fromLatin1(r[2]),
             kDashes4);
    return c;
}

QList<Control> debugControls() {
    QList<Control> c;
    const QString p = QStringLiteral("Debug");
    add(c, p, QStringLiteral("DebugLogHeading_Label"), QStringLiteral("QLabel"),
        QStringLiteral("Debug log"), {QStringLiteral("bold")});
    memo(c, p, QStringLiteral("DebugLog_Memo"));
    const char *const buttons[][2] = {
        {"InterfaceTable_But", "Interface table"}, {"IPAddrTable_But", "IP table"},
        {"FirmwareVer_But", "Firmware Info"},      {"DebugLogClear_But", "Clear log"},
        {"DebugLogCopy_But", "Copy log"},          {"SaveDebugLog_But", "Save log"},
        {"DebugPrint_But", "Print log"},
    };
    for (const auto &b : buttons)
        button(c, p, QString::fromLatin1(b[0]), QString::fromLatin1(b[1]));
    return c;
}

const QStringList kPages = {"Quota_Tab", "Interfaces", "IP", "ICMP", "TCP", "UDP", "SNMP", "Debug"};

bool hasAncestor(const QWidget *w, const QString &name) {
    for (; w != nullptr; w = w->parentWidget())
        if (w->objectName() == name)
            return true;
    return false;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { fixture.reset(); }

    void controls_data();
    void controls();
    void pageFits_data();
    void pageFits();
    void resetDayFollowsUpDown_data();
    void resetDayFollowsUpDown();
    void quotaBarAndScale();
    void scaleColours_data();
    void scaleColours();
    void nothingClipsWithLargerFonts_data();
    void nothingClipsWithLargerFonts();
    void menuSeparators();
    void routerValuesFollowTheirCaptions();
    void ipSubPageSetsHelpContext_data();
    void ipSubPageSetsHelpContext();

private:
    // Shows a top-level page without running its refresh.
    QWidget *showPage(const QString &name);

    std::unique_ptr<FormFixture> fixture;
    MainForm *form = nullptr;
};

void TestLayout::initTestCase() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    fixture = std::make_unique<FormFixture>();
    form = &fixture->Create(false);
    // The window's fixed size, as its creation handler sets it.
    form->setFixedSize(633, 529 + form->menuBar()->sizeHint().height());
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
}

QWidget *TestLayout::showPage(const QString &name) {
    QTabWidget *tabs = form->PageControl();
    QWidget *page = form->findChild<QWidget *>(name);
    if (page == nullptr)
        return nullptr;
    const QSignalBlocker quiet(tabs);
    tabs->setCurrentWidget(page);
    QApplication::processEvents();
    return page;
}

void TestLayout::controls_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QStringList>("flags");
    for (const auto &list : {quotaControls(), interfacesControls(), ipControls(), icmpControls(),
                             tcpControls(), udpControls(), snmpControls(), debugControls()})
        for (const Control &c : list)
            QTest::addRow("%s/%s", qPrintable(c.page), qPrintable(c.name))
                << c.page << c.type << c.text << c.tooltip << c.flags;
}

void TestLayout::controls() {
    QFETCH(QString, page);
    QFETCH(QString, type);
    QFETCH(QString, text);
    QFETCH(QString, tooltip);
    QFETCH(QStringList, flags);
    const QString name = QString::fromLatin1(QTest::currentDataTag()).section(QLatin1Char('/'), 1);

    // Other code finds controls by name, so each name must be unique in the window.
    const QList<QWidget *> found = form->findChildren<QWidget *>(name);
    QCOMPARE(found.size(), 1);
    QWidget *w = found.front();
    QVERIFY2(w->inherits(type.toLatin1().constData()), w->metaObject()->className());
    QVERIFY2(hasAncestor(w, page), "not on its page");
    QCOMPARE(w->toolTip(), tooltip);

    if (auto *label = qobject_cast<QLabel *>(w)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->font().bold(), flags.contains(QStringLiteral("bold")));
    } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
        QCOMPARE(b->text(), text);
        QCOMPARE(b->isChecked(), flags.contains(QStringLiteral("checked")));
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        QCOMPARE(edit->text(), text);
        QCOMPARE(edit->isReadOnly(), flags.contains(QStringLiteral("readonly")));
    } else if (auto *box = qobject_cast<QGroupBox *>(w)) {
        QCOMPARE(box->title(), text);
    } else if (auto *m = qobject_cast<QPlainTextEdit *>(w)) {
        QVERIFY(m->toPlainText().isEmpty());
        QCOMPARE(m->isReadOnly(), flags.contains(QStringLiteral("readonly")));
        QCOMPARE(m->lineWrapMode() == QPlainTextEdit::WidgetWidth,
                 flags.contains(QStringLiteral("wrap")));
        // Fixed pitch: narrow and wide letters take the same room.
        const QFontMetrics metrics(m->font());
        QCOMPARE(metrics.horizontalAdvance(QStringLiteral("iiii")) ==
                     metrics.horizontalAdvance(QStringLiteral("MMMM")),
                 flags.contains(QStringLiteral("fixed")));
        QCOMPARE(m->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    } else if (!text.isEmpty()) {
        // A sub-page: the text is its tab caption.
        auto *tabs = qobject_cast<QTabWidget *>(w->parentWidget()->parentWidget());
        QVERIFY(tabs != nullptr);
        QCOMPARE(tabs->tabText(tabs->indexOf(w)), text);
    }
}

void TestLayout::pageFits_data() {
    QTest::addColumn<QString>("page");
    for (const QString &p : kPages)
        QTest::addRow("%s", qPrintable(p)) << p;
    // The IP page's sub-pages, each shown in turn.
    for (const char *sub : {"StatisticsTab", "AddressTab", "RouteTab", "NetToMediaTab"})
        QTest::addRow("IP/%s", sub) << QString::fromLatin1(sub);
}

void TestLayout::pageFits() {
    QFETCH(QString, page);
    QWidget *p = form->findChild<QWidget *>(page);
    QVERIFY(p != nullptr);
    if (auto *tabs = qobject_cast<QTabWidget *>(p->parentWidget()->parentWidget());
        tabs != nullptr && tabs != form->PageControl()) {
        showPage(QStringLiteral("IP"));
        tabs->setCurrentWidget(p);
        QApplication::processEvents();
    } else {
        showPage(page);
    }

    const QString shots = qEnvironmentVariable("VANTREL_PAGE_SHOTS");
    if (!shots.isEmpty()) {
        QDir().mkpath(shots);
        QVERIFY(form->grab().save(shots + QLatin1Char('/') + page + QStringLiteral(".png")));
    }

    // The page area of the fixed window holds the page at its minimum size...
    const QSize area = p->size();
    QVERIFY2(area.width() >= 600 && area.height() >= 380, "page area smaller than expected");
    const QSize minimum = p->minimumSizeHint();
    QVERIFY2(minimum.width() <= area.width() && minimum.height() <= area.height(),
             qPrintable(QStringLiteral("minimum %1x%2 in %3x%4")
                            .arg(minimum.width())
                            .arg(minimum.height())
                            .arg(area.width())
                            .arg(area.height())));
    // ...and no caption, value or button is cut off or reaches outside it.
    for (QWidget *w : p->findChildren<QWidget *>()) {
        // Qt's own parts (such as the text field of the arrows-only up-down) are left out.
        if (!w->isVisible() || w->objectName().startsWith(QLatin1String("qt_")) ||
            !(w->inherits("QLabel") || w->inherits("QAbstractButton") || w->inherits("QLineEdit")))
            continue;
        const QRect r(w->mapTo(p, QPoint(0, 0)), w->size());
        QVERIFY2(p->rect().contains(r), qPrintable(w->objectName() + " outside its page"));
        const QSize need = w->minimumSizeHint();
        QVERIFY2(w->width() >= need.width() && w->height() >= need.height(),
                 qPrintable(w->objectName() + " clipped"));
    }
}

void TestLayout::resetDayFollowsUpDown_data() {
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("shown");
    QTest::addRow("first day") << 1 << QStringLiteral("1");
    QTest::addRow("last day") << 31 << QStringLiteral("31");
    QTest::addRow("none") << 0 << QStringLiteral("0");
    QTest::addRow("above range") << 45 << QStringLiteral("31");
    QTest::addRow("below range") << -3 << QStringLiteral("0");
}

void TestLayout::resetDayFollowsUpDown() {
    QFETCH(int, set);
    QFETCH(QString, shown);
    auto *upDown = Find<QSpinBox>(*form, "Day_UpDn");
    upDown->setValue(15);
    upDown->setValue(set);
    QCOMPARE(Edit(*form, "ResetDay_Edit")->text(), shown);
}

void TestLayout::quotaBarAndScale() {
    showPage(QStringLiteral("Quota_Tab"));
    auto *bar = Find<QProgressBar>(*form, "In_ProgressBar");
    QCOMPARE(bar->orientation(), Qt::Vertical);
    QCOMPARE(bar->minimum(), 0);
    QCOMPARE(bar->maximum(), 100);
    QCOMPARE(bar->value(), 0);
    QVERIFY(!bar->isTextVisible());

    // Each mark stands beside the bar at the height of its percentage.
    const QRect barRect(bar->mapTo(form, QPoint(0, 0)), bar->size());
    QVERIFY(barRect.height() > 150);
    for (int mark : {25, 50, 65, 75, 85, 95}) {
        QLabel *label = Label(*form, qPrintable(QStringLiteral("Bar%1_Label").arg(mark)));
        const QRect r(label->mapTo(form, QPoint(0, 0)), label->size());
        const int expected = barRect.top() + barRect.height() * (100 - mark) / 100;
        QVERIFY2(qAbs(r.center().y() - expected) <= 3, qPrintable(label->objectName()));
        QVERIFY(r.left() >= barRect.right());
    }
    // Up and down arrows step the day and the edit follows.
    auto *upDown = Find<QSpinBox>(*form, "Day_UpDn");
    upDown->setValue(30);
    upDown->stepUp();
    upDown->stepUp();
    QCOMPARE(Edit(*form, "ResetDay_Edit")->text(), QStringLiteral("31"));
}

void TestLayout::scaleColours_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("hue");
    QTest::addRow("25") << QStringLiteral("Bar25_Label") << QStringLiteral("green");
    QTest::addRow("50") << QStringLiteral("Bar50_Label") << QStringLiteral("green");
    QTest::addRow("65") << QStringLiteral("Bar65_Label") << QStringLiteral("yellow");
    QTest::addRow("75") << QStringLiteral("Bar75_Label") << QStringLiteral("yellow");
    QTest::addRow("85") << QStringLiteral("Bar85_Label") << QStringLiteral("red");
    QTest::addRow("95") << QStringLiteral("Bar95_Label") << QStringLiteral("red");
}

void TestLayout::scaleColours() {
    QFETCH(QString, label);
    QFETCH(QString, hue);
    const QColor c = Label(*form, qPrintable(label))->palette().color(QPalette::WindowText);
    if (hue == QLatin1String("green"))
        QCOMPARE(c, QColor(0, 128, 0));
    else if (hue == QLatin1String("red"))
        QCOMPARE(c, QColor(255, 0, 0));
    else // a yellow dark enough to read on the light window background
        QVERIFY2(qAbs(c.hue() - 50) <= 12 && c.lightness() < 128, qPrintable(c.name()));
}

void TestLayout::nothingClipsWithLargerFonts_data() {
    QTest::addColumn<int>("pixels"); // the font's height in pixels
    // Common desktop defaults: 10, 11 and 12 points at 96 dpi, and 10 points at 125 % and
    // 150 % scaling.
    QTest::addRow("10 pt") << 13;
    QTest::addRow("11 pt") << 15;
    QTest::addRow("12 pt") << 16;
    QTest::addRow("10 pt at 125 percent") << 17;
    QTest::addRow("10 pt at 150 percent") << 20;
}

void TestLayout::nothingClipsWithLargerFonts() {
    QFETCH(int, pixels);
    const QFont before = QApplication::font();
    QFont font = before;
    font.setPixelSize(pixels);
    QApplication::setFont(font);
    FormFixture f;
    MainForm &window = f.Create(false);

    // The longest plausible value of every value label, and of the boxes the user fills.
    const QMap<QString, QString> longest = {
        {"ModulationVal_Label", "ADSL2+ Annex A"},
        {"ModeVal_Label", "Fast + Interleaved\rDelay 16ms"},
        {"StatusVal_Label", "Training"},
        {"DnSpeedVal_Label", "24576 Kbps"},
        {"UpSpeedVal_Label", "1024 Kbps"},
        {"DnTxPowerVal_Label", "-15 dBm"},
        {"UpTxPowerVal_Label", "12 dBm"},
        {"DnSNRVal_Label", "-12.5 dB"},
        {"DnAttVal_Label", "63.5 dB"},
        {"UpSNRVal_Label", "31.7 dB"},
        {"UpAttVal_Label", "31.5 dB"},
        {"DistanceVal_Label", "4.60 km"},
        {"CodingVal_Label", "other"},
        {"Uptime_Label", "497 days 02 hours 27 mins 52 secs"},
        {"QuotaRemaining_Label", "-1204.0918 MB (0%)"},
        {"ATMWANBytesIn_Label", "1023.9999 MB"},
        {"LANBytesInVal_Label", "1023.9999 MB"},
    };
    for (QLabel *label : window.findChildren<QLabel *>())
        if (label->font().bold() && !label->font().underline() && !label->wordWrap())
            label->setText(longest.value(label->objectName(), QStringLiteral("4294967295")));
    Edit(window, "Gbytes_Edit")->setText(QStringLiteral("1073741824"));
    Edit(window, "MBUsed_Edit")->setText(QStringLiteral("1536.5000"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(window.width() >= 633);

    QStringList clipped;
    // Inside the page control, which keeps the size its pages need; on a screen too small for
    // it the pages scroll in the window.
    QTabWidget *pages = window.PageControl();
    const QRect inside = pages->rect();
    auto check = [&](QWidget *page) {
        QCoreApplication::processEvents();
        for (QLabel *label : page->findChildren<QLabel *>()) {
            if (!label->isVisibleTo(page) || label->wordWrap() || label->text().isEmpty())
                continue;
            const QRect where(label->mapTo(pages, QPoint(0, 0)), label->size());
            if (label->width() < label->sizeHint().width() || !inside.contains(where))
                clipped << label->objectName() + QLatin1Char('=') + label->text();
        }
        for (QLineEdit *edit : page->findChildren<QLineEdit *>())
            // (the reset day's up-down shows its arrows only; its number is in the box beside)
            if (edit->isVisibleTo(page) && !qobject_cast<QAbstractSpinBox *>(edit->parent()) &&
                edit->width() < edit->fontMetrics().horizontalAdvance(edit->text()) + 8)
                clipped << edit->objectName();
        for (QTabWidget *tabs : page->findChildren<QTabWidget *>())
            if (tabs->tabBar()->width() < tabs->tabBar()->sizeHint().width())
                clipped << tabs->objectName();
    };
    QVERIFY(pages->tabBar()->width() >= pages->tabBar()->sizeHint().width());
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        check(pages->currentWidget());
        for (QTabWidget *sub : pages->currentWidget()->findChildren<QTabWidget *>())
            for (int j = 0; j < sub->count(); ++j) {
                sub->setCurrentIndex(j);
                check(sub->currentWidget());
            }
    }
    QVERIFY(f.Settle());
    window.ApproveClose();
    f.Destroy();
    QApplication::setFont(before);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
}

void TestLayout::routerValuesFollowTheirCaptions() {
    // The System page's uptime and description stand just right of their captions, whatever
    // rows are hidden below them (a hidden row once gave the caption column the spare width).
    QCoreApplication::processEvents();
    auto *caption = Find<QLabel>(*form, "RouterUp_Label");
    for (const char *value : {"Uptime_Label", "RouterDesc_Label"}) {
        const int gap = Find<QLabel>(*form, value)->x() - caption->x() -
                        Find<QLabel>(*form, "Desc_Label")->sizeHint().width();
        QVERIFY2(gap < 40, qPrintable(QStringLiteral("%1: %2 px").arg(value).arg(gap)));
    }
}

void TestLayout::menuSeparators() {
    // Each of these menus has its separators where the window description has "-" items: drawn
    // as lines, never as an item or a section title showing "-".
    const struct {
        const char *menu;
        int separators;
    } menus[] = {
        {"Linklogging", 1}, {"Quota", 1}, {"Interfaces1", 1}, {"Uptime1", 1}, {"Help1", 2}};
    for (const auto &m : menus) {
        int separators = 0;
        for (QAction *action : Find<QMenu>(*form, m.menu)->actions()) {
            QVERIFY2(action->text() != QLatin1String("-"), m.menu);
            if (action->isSeparator()) {
                QVERIFY2(action->text().isEmpty(), m.menu);
                ++separators;
            }
        }
        QCOMPARE(separators, m.separators);
    }
}

void TestLayout::ipSubPageSetsHelpContext_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("topic");
    QTest::addRow("address table") << 1 << 151;
    QTest::addRow("route table") << 2 << 152;
    QTest::addRow("net to media table") << 3 << 153;
    QTest::addRow("statistics") << 0 << 150;
}

void TestLayout::ipSubPageSetsHelpContext() {
    QFETCH(int, index);
    QFETCH(int, topic);
    showPage(QStringLiteral("IP"));
    auto *tabs = Find<QTabWidget>(*form, "IP_PageControl");
    form->SetHelpContext(0);
    if (tabs->currentIndex() == index) // a change is what runs the handler
        tabs->setCurrentIndex((index + 1) % tabs->count());
    tabs->setCurrentIndex(index);
    QCOMPARE(form->HelpContext(), topic);
    QCOMPARE(form->PageControl()->property("helpContext").toInt(), topic);
    QVERIFY(fixture->prompter.shown.isEmpty());
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
