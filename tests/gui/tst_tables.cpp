// The Interfaces page, the IP and UDP tables and the Debug dumps against the loopback agent:
// the objects each one asks for and in which order, what the user sees in labels and boxes,
// the router falling silent at the first request and part-way, the interfaces timer, and table
// cells holding bytes that would break the box's lines.

#include "formfixture.h"

#include "core/routermodel.h"
#include "ui/tablebox.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

using namespace vantrel;
using namespace vantrel::tools;

namespace {

const QString kReady = QStringLiteral(" Ready");
const QString kError = QStringLiteral(" Error: Check IP address and/or SNMP community name");

QString stoppedText(const char *what) {
    return QStringLiteral(" Error: The router stopped answering; the %1 shows the rows read so far")
        .arg(QLatin1String(what));
}

// The lines of a box.
QStringList lines(const MainForm &form, const char *memo) {
    QStringList out = Memo(form, memo)->toPlainText().split(QLatin1Char('\n'));
    if (out.size() == 1 && out.front().isEmpty())
        out.clear();
    return out;
}

// Every line of a box laid out as one line: a long row scrolls sideways instead of wrapping.
void notWrapped(QPlainTextEdit *box) {
    for (QTextBlock b = box->document()->begin(); b.isValid(); b = b.next()) {
        box->document()->documentLayout()->blockBoundingRect(b);
        QVERIFY2(b.layout()->lineCount() == 1, qPrintable(b.text()));
    }
}

// What was asked, in order: each GET, and each walk by the object it started from.
QStringList requestPlan(const LoopbackAgent &agent) {
    QStringList plan;
    QString walk;
    for (const AgentRequest &r : agent.Requests()) {
        const QString oid = QString::fromStdString(r.oid);
        if (r.pduType == 0xA0) {
            plan << QStringLiteral("get ") + oid;
            walk.clear();
        } else if (walk.isEmpty() || !oid.startsWith(walk + QLatin1Char('.'))) {
            walk = oid;
            plan << QStringLiteral("walk ") + oid;
        }
    }
    return plan;
}

// The address, route and net-to-media tables, the UDP listeners, and the interface figures of
// the fixture's router (LAN row 1, WAN row 3, USB row 5).
void fillTables(LoopbackAgent &a) {
    const std::string ad = "1.3.6.1.2.1.4.20.1.";
    for (const char *addr : {"192.168.1.253", "203.0.113.7"}) {
        const bool lan = addr[0] == '1';
        a.SetIpAddress(ad + "3." + addr, lan ? "255.255.255.0" : "255.255.255.255");
        a.SetInteger(ad + "4." + addr, 1);
        a.SetInteger(ad + "5." + addr, lan ? 65535 : 1500);
    }
    const std::string rt = "1.3.6.1.2.1.4.21.1.";
    const struct {
        const char *dest, *nextHop, *mask;
        int ifIndex, metric, type, proto, age;
    } routes[] = {{"0.0.0.0", "203.0.113.1", "0.0.0.0", 3, 1, 4, 3, 120},
                  {"192.168.1.0", "192.168.1.253", "255.255.255.0", 4, 0, 3, 2, 3600}};
    for (const auto &r : routes) {
        const std::string i = std::string(".") + r.dest;
        a.SetIpAddress(rt + "1" + i, r.dest);
        a.SetInteger(rt + "2" + i, r.ifIndex);
        a.SetInteger(rt + "3" + i, r.metric);
        for (const char *c : {"4", "5", "6", "12"})
            a.SetInteger(rt + c + i, -1);
        a.SetIpAddress(rt + "7" + i, r.nextHop);
        a.SetInteger(rt + "8" + i, r.type);
        a.SetInteger(rt + "9" + i, r.proto);
        a.SetInteger(rt + "10" + i, r.age);
        a.SetIpAddress(rt + "11" + i, r.mask);
        a.SetObjectId(rt + "13" + i, "0.0");
    }
    const std::string nm = "1.3.6.1.2.1.4.22.1.";
    a.SetInteger(nm + "1.4.192.168.1.10", 4);
    a.SetInteger(nm + "1.4.192.168.1.20", 4);
    a.SetString(nm + "2.4.192.168.1.10", std::string("\x00\x0e\x50\x1a\x0a\x3c", 6));
    a.SetString(nm + "2.4.192.168.1.20", "AB-CD!");
    a.SetIpAddress(nm + "3.4.192.168.1.10", "192.168.1.10");
    a.SetIpAddress(nm + "3.4.192.168.1.20", "192.168.1.20");
    a.SetInteger(nm + "4.4.192.168.1.10", 3);
    a.SetInteger(nm + "4.4.192.168.1.20", 4);
    // Two listeners whose addresses differ only in their first number share a walk line.
    const std::string udp = "1.3.6.1.2.1.7.5.1.";
    for (const auto &[addr, port] :
         {std::pair<const char *, int>{"0.0.0.0", 161}, {"10.0.0.1", 53}, {"192.0.0.1", 53}}) {
        const std::string i = std::string(".") + addr + "." + std::to_string(port);
        a.SetIpAddress(udp + "1" + i, addr);
        a.SetInteger(udp + "2" + i, port);
    }
    for (const char *row : {"1", "3", "5"}) {
        const std::string r = std::string(".") + row;
        a.SetInteger("1.3.6.1.2.1.2.2.1.4" + r, 1500);
        a.SetCounter("1.3.6.1.2.1.2.2.1.10" + r, 123456789);
        a.SetCounter("1.3.6.1.2.1.2.2.1.16" + r, 2147483648u);
        for (const char *c : {".14", ".15", ".20", ".21"})
            a.SetCounter(std::string("1.3.6.1.2.1.2.2.1") + c + r, 7);
    }
}

} // namespace

class TestTables : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void requestOrder_data();
    void requestOrder();
    void tablesShown_data();
    void tablesShown();
    void interfaceFigures_data();
    void interfaceFigures();
    void counterNotANumber_data();
    void counterNotANumber();
    void routerFallsSilent_data();
    void routerFallsSilent();
    void interfacesTimer_data();
    void interfacesTimer();
    void cellBytes_data();
    void cellBytes();
    void routeColumns_data();
    void routeColumns();
    void dumpsFollowOneAnother();
    void longTextsGoInSlices();

private:
    void select(const char *page);
    // Selects the page, or presses the Debug button, the action names.
    void run(const QString &action);

    std::unique_ptr<FormFixture> fixture;
    MainForm *form = nullptr;
};

void TestTables::init() {
    fixture = std::make_unique<FormFixture>();
    fillTables(fixture->agent);
    form = &fixture->Create(true); // discovery finds the rows, the load the ISP definitions
    fixture->agent.ClearRequests();
    fixture->prompter.Reset();
}

void TestTables::cleanup() {
    fixture.reset();
    QLocale::setDefault(QLocale::c());
}

void TestTables::select(const char *page) {
    form->PageControl()->setCurrentWidget(form->findChild<QWidget *>(QLatin1String(page)));
    QVERIFY(fixture->Settle());
}

void TestTables::run(const QString &action) {
    if (action.endsWith(QLatin1String("_But"))) {
        if (!form->PageControl()->currentWidget()->objectName().startsWith(QLatin1String("Debug")))
            select("Debug");
        Button(*form, qPrintable(action))->click();
        QVERIFY(fixture->Settle());
    } else if (form->PageControl()->currentWidget()->objectName() == action) {
        form->GetValuesButton()->click();
        QVERIFY(fixture->Settle());
    } else {
        select(qPrintable(action));
    }
}

void TestTables::requestOrder_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("plan");
    QStringList interfaces;
    for (const char *row : {"1", "5", "3"})
        for (const char *column : {"8", "4", "10", "16", "14", "15", "20", "21"})
            if (!(QLatin1String(row) == QLatin1String("3") && QLatin1String(column) == "4"))
                interfaces << QStringLiteral("get 1.3.6.1.2.1.2.2.1.%1.%2").arg(column, row);
    QTest::addRow("Interfaces") << "Interfaces" << interfaces;
    QStringList ip;
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 23})
        ip << QStringLiteral("get 1.3.6.1.2.1.4.%1.0").arg(n);
    ip << "walk 1.3.6.1.2.1.4.20"
       << "walk 1.3.6.1.2.1.4.21"
       << "walk 1.3.6.1.2.1.4.22";
    QTest::addRow("IP") << "IP" << ip;
    QTest::addRow("UDP") << "UDP"
                         << QStringList{"get 1.3.6.1.2.1.7.1.0",    "get 1.3.6.1.2.1.7.4.0",
                                        "get 1.3.6.1.2.1.7.2.0",    "get 1.3.6.1.2.1.7.3.0",
                                        "walk 1.3.6.1.2.1.7.5.1.1", "walk 1.3.6.1.2.1.7.5.1.2"};
    QTest::addRow("Interface table") << "InterfaceTable_But" << QStringList{"walk 1.3.6.1.2.1.2"};
    QTest::addRow("IP table") << "IPAddrTable_But" << QStringList{"walk 1.3.6.1.2.1.4"};
}

void TestTables::requestOrder() {
    QFETCH(QString, action);
    QFETCH(QStringList, plan);
    run(action);
    QCOMPARE(requestPlan(fixture->agent), plan);
    QCOMPARE(form->Status(), kReady);
    QVERIFY(fixture->prompter.shown.isEmpty());
}

void TestTables::tablesShown_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("expected"); // the box's lines
    QTest::addRow("address table") << "IP"
                                   << "AddrTable_Memo"
                                   << R"(           IP: 192.168.1.253
    Interface: 4
  Subnet mask: 255.255.255.0
    Broadcast: 1
 ReAsmMaxSize: 65535
 
           IP: 203.0.113.7
    Interface: 3
  Subnet mask: 255.255.255.255
    Broadcast: 1
 ReAsmMaxSize: 1500
 )";
    QTest::addRow("route table") << "IP"
                                 << "RouteTable_Memo"
                                 << R"( Destination: 0.0.0.0
   Interface: 3
     Metric1: 1
     NextHop: 203.0.113.1
        Type: indirect
       Proto: netmgmt
         Age: 120
        Mask: 0.0.0.0
 
 Destination: 192.168.1.0
   Interface: 4
     Metric1: 0
     NextHop: 192.168.1.253
        Type: direct
       Proto: local
         Age: 3600
        Mask: 255.255.255.0
 )";
    QTest::addRow("net to media table") << "IP"
                                        << "MediaTable_Memo"
                                        << R"(        Interface: 4
 Physical address: 000e501a0a3c
      Net address: 192.168.1.10
             Type: dynamic
 
        Interface: 4
 Physical address: AB-CD!
      Net address: 192.168.1.20
             Type: static
 )";
    QTest::addRow("listener table")
        << "UDP"
        << "UDPTable_Memo"
        << " Address\tPort\n 0.0.0.0\t161\n 10.0.0.1,192.0.0.1\t53,53\n ";
}

void TestTables::tablesShown() {
    QFETCH(QString, page);
    QFETCH(QString, memo);
    QFETCH(QString, expected);
    select(qPrintable(page));
    QCOMPARE(lines(*form, qPrintable(memo)), expected.split(QLatin1Char('\n')));
    QCOMPARE(Memo(*form, qPrintable(memo))->textCursor().position(), 0); // shows its head
    QCOMPARE(form->Status(), kReady);
    notWrapped(Memo(*form, qPrintable(memo)));
}

void TestTables::interfaceFigures_data() {
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QString>("reply"); // a number, or "s:<text>" sent as an OCTET STRING
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QColor>("colour"); // invalid: not checked
    const struct {
        const char *name, *column, *reply, *locale, *label, *shown;
        QColor colour;
    } rows[] = {
        {"WAN down", "8.3", "2", "C", "ATMWANStatusVal_Label", "DOWN", QColor(255, 0, 0)},
        {"USB testing", "8.5", "3", "C", "USBStatusVal_Label", "TESTING", QColor(255, 255, 0)},
        {"WAN status 5 keeps UP", "8.3", "5", "C", "ATMWANStatusVal_Label", "UP",
         QColor(0, 128, 0)},
        {"LAN in MB", "10.1", "123456789", "C", "LANBytesInVal_Label", "117.7376 MB", QColor()},
        {"regional separator", "10.5", "123456789", "de_DE", "USBBytesInVal_Label", "117,7376 MB",
         QColor()},
        {"WAN out in GB", "16.3", "2147483648", "C", "ATMWANBytesOut_Label", "2.0000 GB", QColor()},
        {"low 32 bits only", "10.1", "s:4294967296", "C", "LANBytesInVal_Label", ".0000 MB",
         QColor()},
        {"WAN empty is 0", "10.3", "s:", "C", "ATMWANBytesIn_Label", ".0000 MB", QColor()},
    };
    for (const auto &r : rows)
        QTest::addRow("%s", r.name) << QStringLiteral("1.3.6.1.2.1.2.2.1.") + r.column << r.reply
                                    << r.locale << r.label << r.shown << r.colour;
}

void TestTables::interfaceFigures() {
    QFETCH(QString, oid);
    QFETCH(QString, reply);
    QFETCH(QString, locale);
    QFETCH(QString, label);
    QFETCH(QString, shown);
    QFETCH(QColor, colour);
    QLocale::setDefault(QLocale(locale));
    select("Interfaces"); // every status is UP at first
    if (reply.startsWith(QLatin1String("s:")))
        fixture->agent.SetString(oid.toStdString(), reply.mid(2).toStdString());
    else
        fixture->agent.SetCounter(oid.toStdString(), reply.toULongLong());
    form->GetValuesButton()->click();
    QVERIFY(fixture->Settle());
    QLabel *l = Label(*form, qPrintable(label));
    QCOMPARE(l->text(), shown);
    if (colour.isValid())
        QCOMPARE(l->palette().color(QPalette::Active, QPalette::WindowText), colour);
    QCOMPARE(Find<QWidget>(*form, "EthLAN_GBox")->property("title").toString(),
             QStringLiteral(" Ethernet LAN interface [1] "));
    QCOMPARE(Find<QWidget>(*form, "ATMWAN_GBox")->property("title").toString(),
             QStringLiteral(" WAN interface [3] "));
    QCOMPARE(form->Status(), kReady);
    QCOMPARE(fixture->prompter.beeps, 0);
}

void TestTables::counterNotANumber_data() {
    QTest::addColumn<QString>("oid");
    QTest::addColumn<QString>("box"); // the kind of box that shows the error, and its text
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wanRefreshed"); // the WAN group is still asked and shown
    QTest::addRow("USB: a message, then the WAN group")
        << "1.3.6.1.2.1.2.2.1.10.5"
        << "message"
        << "'' is not a valid integer value" << true;
    QTest::addRow("LAN: the error box, nothing more asked")
        << "1.3.6.1.2.1.2.2.1.10.1"
        << "error"
        << "'' is not a valid integer value." << false;
}

void TestTables::counterNotANumber() {
    QFETCH(QString, oid);
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(bool, wanRefreshed);
    fixture->agent.SetString(oid.toStdString(), "");
    fixture->agent.SetCounter("1.3.6.1.2.1.2.2.1.20.3", 42);
    select("Interfaces");
    QCOMPARE(fixture->prompter.Texts(box), QStringList{text});
    QCOMPARE(Label(*form, "ATMWANOutErrs_Label")->text(),
             wanRefreshed ? QStringLiteral("42") : QStringLiteral("----"));
    bool wanAsked = false;
    for (const AgentRequest &r : fixture->agent.Requests())
        wanAsked = wanAsked || r.oid == "1.3.6.1.2.1.2.2.1.8.3";
    QCOMPARE(wanAsked, wanRefreshed);
}

void TestTables::routerFallsSilent_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("silentOid"); // every request naming it goes unanswered
    QTest::addColumn<QString>("status");
    QTest::addColumn<int>("beeps");
    QTest::addColumn<QString>("control"); // a label or a box, and what it shows afterwards
    QTest::addColumn<QString>("shown");   // (for the log: what the second run added)
    QTest::addColumn<QString>("keeps");   // a box that keeps its text from the first run
    const QString c = QStringLiteral("1.3.6.1.2.1.2.2.1.");
    const struct {
        const char *name, *action;
        QString silentOid, status;
        int beeps;
        const char *control, *shown, *keeps;
    } rows[] = {
        {"LAN status", "Interfaces", c + "8.1", kError, 1, "LANStatusVal_Label", "Get failed", ""},
        {"USB status is passed over", "Interfaces", c + "8.5", kReady, 0, "ATMWANInErrs_Label", "8",
         ""},
        {"WAN status", "Interfaces", c + "8.3", kError, 1, "ATMWANStatusVal_Label", "Get failed",
         ""},
        {"ipForwarding", "IP", "1.3.6.1.2.1.4.1.0", kError, 1, "Forwarding_Label", "Get failed",
         "AddrTable_Memo"},
        {"address table, first step", "IP", "1.3.6.1.2.1.4.20", kError, 1, "AddrTable_Memo", "",
         "RouteTable_Memo"},
        {"route table, part-way", "IP", "1.3.6.1.2.1.4.21.1.2.0.0.0.0", stoppedText("route table"),
         1, "RouteTable_Memo",
         " Destination: 0.0.0.0\n   Interface: 3\n \n Destination: 192.168.1.0\n ",
         "MediaTable_Memo"},
        {"udpInDatagrams", "UDP", "1.3.6.1.2.1.7.1.0", kError, 1, "InDatagrams_Label", "Get failed",
         "UDPTable_Memo"},
        {"listener ports, part-way", "UDP", "1.3.6.1.2.1.7.5.1.2.0.0.0.0.161",
         stoppedText("listener table"), 1, "UDPTable_Memo", " Address\tPort\n 0.0.0.0\t161\n ", ""},
        {"interface dump, first step", "InterfaceTable_But", "1.3.6.1.2.1.2", kError, 0,
         "DebugLog_Memo", "", ""},
        {"IP dump, part-way", "IPAddrTable_But", "1.3.6.1.2.1.4.20.1.1.192.168.1.253",
         stoppedText("log"), 0, "DebugLog_Memo",
         " \nDump of raw IP address table\n \n\"192.168.1.253\"\n"
         "(The router stopped answering here.)",
         ""},
    };
    for (const auto &r : rows)
        QTest::addRow("%s", r.name)
            << r.action << r.silentOid << r.status << r.beeps << r.control << r.shown << r.keeps;
}

void TestTables::routerFallsSilent() {
    QFETCH(QString, action);
    QFETCH(QString, silentOid);
    QFETCH(QString, status);
    QFETCH(int, beeps);
    QFETCH(QString, control);
    QFETCH(QString, shown);
    QFETCH(QString, keeps);
    // A first run that the router answers whole; then the second one meets the silence.
    run(action);
    QCOMPARE(form->Status(), kReady);
    const QStringList kept = keeps.isEmpty() ? QStringList() : lines(*form, qPrintable(keeps));
    QStringList before;
    if (form->findChild<QPlainTextEdit *>(control) != nullptr)
        before = lines(*form, qPrintable(control));
    fixture->agent.SetCounter("1.3.6.1.2.1.2.2.1.14.3", 8);
    fixture->agent.SetFault(silentOid.toStdString(), AgentFault{});
    fixture->prompter.Reset();
    run(action);

    QCOMPARE(form->Status(), status);
    QCOMPARE(fixture->prompter.beeps, beeps);
    const QStringList expected = shown.isEmpty() ? QStringList() : shown.split(QLatin1Char('\n'));
    if (auto *label = form->findChild<QLabel *>(control))
        QCOMPARE(label->text(), shown);
    else if (control == QLatin1String("DebugLog_Memo")) // what this run added
        QCOMPARE(lines(*form, qPrintable(control)).mid(before.size()), expected);
    else
        QCOMPARE(lines(*form, qPrintable(control)), expected);
    if (!keeps.isEmpty()) {
        QVERIFY(!kept.isEmpty());
        QCOMPARE(lines(*form, qPrintable(keeps)), kept);
    }
}

void TestTables::interfacesTimer_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<bool>("switchedOn");
    QTest::addColumn<bool>("editingTarget");
    QTest::addColumn<bool>("asks");
    QTest::addRow("Interfaces page showing") << "Interfaces" << true << false << true;
    QTest::addRow("another page showing") << "GenSysInfo" << true << false << false;
    QTest::addRow("switched off") << "Interfaces" << false << false << false;
    // The target's boxes are on the System page: editing them holds the timer.
    QTest::addRow("target being edited") << "GenSysInfo" << true << true << false;
}

void TestTables::interfacesTimer() {
    QFETCH(QString, page);
    QFETCH(bool, switchedOn);
    QFETCH(bool, editingTarget);
    QFETCH(bool, asks);
    form->show();
    QApplication::setActiveWindow(form);
    QVERIFY(QTest::qWaitForWindowActive(form));
    select(qPrintable(page));
    if (switchedOn)
        Action(*form, "DisplayInRealTime")->trigger();
    QTimer *timer = Timer(*form, "Interfaces_Timer");
    QCOMPARE(timer->isActive(), switchedOn);
    if (editingTarget) {
        Edit(*form, "IPaddress_Edit")->setFocus();
        QVERIFY(!timer->isActive());
    }
    fixture->agent.ClearRequests();
    QMetaObject::invokeMethod(timer, "timeout");
    QVERIFY(fixture->Settle());
    QCOMPARE(fixture->agent.RequestCount() > 0, asks);
    if (asks) {
        QCOMPARE(requestPlan(fixture->agent).size(), 23);
        QCOMPARE(form->Status(), kReady);
    }
}

void TestTables::cellBytes_data() {
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("shown");
    QTest::addRow("line feed") << QByteArray("ab\ncd") << "61620a6364";
    QTest::addRow("tab") << QByteArray("ab\tcd") << "ab\tcd";
    QTest::addRow("delete") << QByteArray("ab\x7f") << "61627f";
    QTest::addRow("C1 control as Latin-1") << QByteArray("ab\x85") << "616285";
    QTest::addRow("line separator") << QByteArray("ab\xe2\x80\xa8") << "6162e280a8";
    QTest::addRow("UTF-8 text") << QByteArray("Gr\xc3\xbc\xc3\x9f") << QString::fromUtf8("Grüß");
    QTest::addRow("double quote") << QByteArray("a\"b") << "ab";
}

void TestTables::cellBytes() {
    QFETCH(QByteArray, value);
    QFETCH(QString, shown);
    fixture->agent.SetString("1.3.6.1.2.1.4.22.1.2.4.192.168.1.20", value.toStdString());
    select("IP");
    const QStringList box = lines(*form, "MediaTable_Memo");
    QCOMPARE(box.size(), 10); // nothing broke a line
    QCOMPARE(box[6], QStringLiteral(" Physical address: ") + shown);

    // The saved file holds the same lines.
    const QString file = fixture->configDir.filePath(QStringLiteral("media.log"));
    fixture->prompter.saveAnswers << file;
    Button(*form, "MediaTableSave_But")->click();
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    QCOMPARE(bytes.count("\r\n"), 10);
    QCOMPARE(bytes.count('\n'), 10);
    // A tab stays a tab in the file too; other control bytes do not reach it.
    QCOMPARE(bytes.contains('\t'), value.contains('\t'));
    QVERIFY(!bytes.contains('\x7f'));

    // The raw dump shows the value in its line, quoted, without breaking it.
    select("Debug");
    Button(*form, "IPAddrTable_But")->click();
    QVERIFY(fixture->Settle());
    const QStringList log = lines(*form, "DebugLog_Memo");
    QString quoted = shown;
    if (value == "a\"b")
        quoted = QStringLiteral("a\"\"b");
    QVERIFY2(log.contains(QLatin1Char('"') + quoted + QLatin1Char('"')), qPrintable(log.join('|')));
}

void TestTables::routeColumns_data() {
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("routes");
    for (int columns : {11, 12, 13})
        for (int routes : {1, 12, 13, 40})
            QTest::addRow("%d columns, %d routes", columns, routes) << columns << routes;
}

void TestTables::routeColumns() {
    QFETCH(int, columns);
    QFETCH(int, routes);
    LoopbackAgent &a = fixture->agent;
    for (int c = 1; c <= 13; ++c)
        for (int r = 0; r < 2; ++r)
            a.Remove("1.3.6.1.2.1.4.21.1." + std::to_string(c) + "." +
                     (r == 0 ? "0.0.0.0" : "192.168.1.0"));
    for (int r = 0; r < routes; ++r) {
        const std::string dest = "10.0." + std::to_string(r) + ".0";
        for (int c = 1; c <= columns; ++c) {
            const std::string oid = "1.3.6.1.2.1.4.21.1." + std::to_string(c) + "." + dest;
            if (c == 1 || c == 7 || c == 11)
                a.SetIpAddress(oid, c == 1 ? dest : c == 7 ? "192.168.1.1" : "255.255.255.0");
            else
                a.SetInteger(oid, c == 2 ? 4 : c == 8 ? 4 : c == 9 ? 8 : r);
        }
    }
    select("IP");
    const QStringList box = lines(*form, "RouteTable_Memo");
    QCOMPARE(box.size(), routes * 9);
    const QStringList last = box.mid((routes - 1) * 9);
    QCOMPARE(last[0], QStringLiteral(" Destination: 10.0.%1.0").arg(routes - 1));
    QCOMPARE(last[3], QStringLiteral("     NextHop: 192.168.1.1"));
    QCOMPARE(last[4], QStringLiteral("        Type: indirect"));
    QCOMPARE(last[5], QStringLiteral("       Proto: rip"));
    QCOMPARE(last[6], QStringLiteral("         Age: %1").arg(routes - 1));
    QCOMPARE(last[7], QStringLiteral("        Mask: 255.255.255.0"));
}

void TestTables::dumpsFollowOneAnother() {
    fixture->agent.SetInteger("1.3.6.1.2.1.4.1.0", 1);
    fixture->agent.SetInteger("1.3.6.1.2.1.4.2.0", 64);
    fixture->agent.SetCounter("1.3.6.1.2.1.4.23.0", 0);
    select("Debug");
    QVERIFY(!form->GetValuesButton()->isEnabled());
    Button(*form, "InterfaceTable_But")->click();
    QVERIFY(fixture->Settle());
    // "Firmware Info" adds to the log while the IP dump is on its way: both stay, in order.
    Button(*form, "IPAddrTable_But")->click();
    Button(*form, "FirmwareVer_But")->click();
    QVERIFY(fixture->Settle());

    const QStringList log = lines(*form, "DebugLog_Memo");
    QCOMPARE(log.mid(0, 3), (QStringList{"Dump of raw Interface table", " ", "\"5\""}));
    const auto firmware = log.indexOf(QStringLiteral("Firmware information"));
    const auto ip = log.indexOf(QStringLiteral("Dump of raw IP address table"));
    QVERIFY(firmware > 3 && ip > firmware);
    QCOMPARE(log[ip - 1], QStringLiteral(" "));
    // The group's scalars share one line, ipRoutingDiscards too although the tables come
    // between; the table values follow one per line.
    QCOMPARE(log.mid(ip + 1, 3), (QStringList{" ", "\"1\",\"64\",\"0\"", "\"192.168.1.253\""}));
    // The log shows what came last, from the line before its heading.
    QPlainTextEdit *memo = Memo(*form, "DebugLog_Memo");
    QCOMPARE(memo->textCursor().blockNumber(), int(ip - 1));
    QVERIFY(memo->viewport()->rect().contains(memo->cursorRect()));
    QCOMPARE(form->Status(), kReady);
    notWrapped(Memo(*form, "DebugLog_Memo"));
}

void TestTables::longTextsGoInSlices() {
    QStringList rows;
    for (int i = 0; i < 9000; ++i)
        rows << QStringLiteral(" Destination: 10.%1.%2.0").arg(i / 256).arg(i % 256);
    const QString table = rows.join(QLatin1Char('\n'));

    // A long table goes into its box a slice at a time, from its first line; a newer one
    // replaces one still on its way.
    QPlainTextEdit *box = Memo(*form, "RouteTable_Memo");
    box->setPlainText(QStringLiteral("old"));
    ui::TableBox::Show(box, QStringLiteral("never shown\n").repeated(5000));
    QCoreApplication::processEvents();
    ui::TableBox::Show(box, table);
    QVERIFY(box->toPlainText().isEmpty());
    int passes = 0;
    while (box->toPlainText() != table && passes < 100) {
        QCoreApplication::processEvents();
        ++passes;
    }
    QVERIFY(passes > 1);
    QCOMPARE(box->toPlainText(), table);
    QCOMPARE(box->textCursor().position(), 0);
    QTest::qWait(20);
    QCOMPARE(box->toPlainText(), table);
    // "Copy table" takes the whole of a table still on its way.
    ui::TableBox::Show(box, table);
    Button(*form, "RouteTableCopy_But")->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), table);

    // A log takes long dumps after its last line, and what follows them after them; it shows
    // the first added line at its top.
    QPlainTextEdit *log = Memo(*form, "DebugLog_Memo");
    log->setPlainText(QStringLiteral("first"));
    ui::TableBox::AppendShown(log, table);
    ui::TableBox::AppendShown(log, QStringLiteral("Firmware information"));
    QTRY_COMPARE(log->toPlainText(),
                 QStringLiteral("first\n") + table + QStringLiteral("\nFirmware information"));
    QCOMPARE(log->textCursor().blockNumber(), 1);
}

QTEST_MAIN(TestTables)
#include "tst_tables.moc"
