// Save, print, copy and clear of the six text boxes, the scroll to a box's first or last page,
// and the close-time offer to save the connection log.

#include "app/settingsstore.h"
#include "core/routerinfo.h"
#include "formfixture.h"
#include "monitors/connectionlog.h"
#include "readonlyfolder.h"
#include "ui/textoutput.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QPageSize>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace vantrel;
using namespace vantrel::app;

using namespace vantrel::tools;
using namespace vantrel::ui;
using namespace vantrel::monitors;

namespace {

QByteArray readAll(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Pages of a PDF written by Qt: one "/Type /Page" line per page.
int pdfPages(const QString &path) {
    return int(readAll(path).count("/Type /Page\n"));
}

// Rows of an image that hold ink, grouped into bands [top, bottom).
struct Band {
    int top;
    int bottom;
    int left;  // first inked column
    int right; // last inked column
};

QList<Band> inkBands(const QImage &image) {
    QList<Band> bands;
    bool inBand = false;
    for (int y = 0; y < image.height(); ++y) {
        int left = -1;
        int right = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != QColor(Qt::white)) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        if (left >= 0 && !inBand) {
            bands.append({y, y + 1, left, right});
            inBand = true;
        } else if (left >= 0) {
            Band &b = bands.last();
            b.bottom = y + 1;
            b.left = std::min(b.left, left);
            b.right = std::max(b.right, right);
        } else {
            inBand = false;
        }
    }
    return bands;
}

QImage blankPage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

} // namespace

class TestTextOutput : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void saveWritesTheBox_data();
    void saveWritesTheBox();
    void cancelledSaveChangesNothing();
    void debugLogGetsTheDescriptionEachSave();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void fileInReadOnlyFolderWrittenInPlace();
    void dialogsOpenWhereTheUserSaved();
    void handlersIgnoreOtherSenders();

    void clearEmptiesTheBox_data();
    void clearEmptiesTheBox();
    void copyPutsTheTextOnTheClipboard_data();
    void copyPutsTheTextOnTheClipboard();

    void scrollShowsLastOrFirstPage();

    void pageBreaksKeepTwoLinesFromTheBottom_data();
    void pageBreaksKeepTwoLinesFromTheBottom();
    void longLinesContinueOnTheNextLine();
    void tabsAdvanceToEightCharacterStops();
    void pdfPagesFollowTheLayout_data();
    void pdfPagesFollowTheLayout();
    void printButtonPrintsTheBox();
    void cancelledPrintPrintsNothing();
    void printDialogProposesTheLastFolder();

    void closeOffersToSaveTheLog_data();
    void closeOffersToSaveTheLog();

private:
    std::unique_ptr<FormFixture> fixture_;
    std::unique_ptr<QTemporaryDir> dir_;
    MainForm *form_ = nullptr;
    QString path(const QString &name) const { return dir_->filePath(name); }
};

void TestTextOutput::init() {
    fixture_ = std::make_unique<FormFixture>();
    dir_ = std::make_unique<QTemporaryDir>();
    form_ = &fixture_->Create(false);
}

void TestTextOutput::cleanup() {
    form_ = nullptr;
    fixture_.reset();
    dir_.reset();
}

void TestTextOutput::saveWritesTheBox_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("unsavedAfter");

    const QString two = QStringLiteral("1.3.6.1 = \"a\"\n1.3.6.2 = \"b\"");
    const QByteArray twoBytes("1.3.6.1 = \"a\"\r\n1.3.6.2 = \"b\"\r\n");
    QTest::addRow("address table") << "AddrTableSave_But"
                                   << "AddrTable_Memo"
                                   << "vantrel_addrtable" << two << twoBytes << true;
    QTest::addRow("route table") << "RouteTableSave_But"
                                 << "RouteTable_Memo"
                                 << "vantrel_routetable" << two << twoBytes << true;
    QTest::addRow("media table") << "MediaTableSave_But"
                                 << "MediaTable_Memo"
                                 << "vantrel_mediatable" << two << twoBytes << true;
    QTest::addRow("udp table") << "UDPTableSave_But"
                               << "UDPTable_Memo"
                               << "vantrel_udptable" << two << twoBytes << true;
    QTest::addRow("connection log clears the flag")
        << "SaveLog_But"
        << "LinkLog_Memo"
        << "vantrel_connlog"
        << "Disconnected: 07/12/2026 22:31:05  (00:01:02:03)"
        << QByteArray("Disconnected: 07/12/2026 22:31:05  (00:01:02:03)\r\n") << false;
    QTest::addRow("empty box, empty file") << "AddrTableSave_But"
                                           << "AddrTable_Memo"
                                           << "vantrel_addrtable"
                                           << "" << QByteArray() << true;
    QTest::addRow("empty connection log") << "SaveLog_But"
                                          << "LinkLog_Memo"
                                          << "vantrel_connlog"
                                          << "" << QByteArray() << false;
    QTest::addRow("final line break adds no line") << "UDPTableSave_But"
                                                   << "UDPTable_Memo"
                                                   << "vantrel_udptable"
                                                   << "x\n"
                                                   << QByteArray("x\r\n") << true;
    QTest::addRow("empty lines inside are kept")
        << "UDPTableSave_But"
        << "UDPTable_Memo"
        << "vantrel_udptable"
        << "\n\nx\n\ny" << QByteArray("\r\n\r\nx\r\n\r\ny\r\n") << true;
    QTest::addRow("local 8-bit encoding")
        << "RouteTableSave_But"
        << "RouteTable_Memo"
        << "vantrel_routetable" << QString::fromUtf8("Z\xc3\xbcrich\t1")
        << QByteArray("Z\xc3\xbcrich\t1\r\n") << true;
}

void TestTextOutput::saveWritesTheBox() {
    QFETCH(QString, button);
    QFETCH(QString, memo);
    QFETCH(QString, proposed);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, unsavedAfter);

    Memo(*form_, memo.toLatin1().constData())->setPlainText(text);
    form_->Log().SetUnsaved(true);
    // A longer file of that name is replaced, not overwritten in place.
    const QString file = path(QStringLiteral("out.log"));
    writeAll(file, QByteArray(500, 'z'));
    fixture_->prompter.saveAnswers << file;

    Button(*form_, button.toLatin1().constData())->click();

    QCOMPARE(fixture_->prompter.saveRequests.size(), 1);
    const SaveRequest &request = fixture_->prompter.saveRequests.constFirst();
    QCOMPARE(request.proposedName, proposed);
    QCOMPARE(request.defaultSuffix, QStringLiteral("log"));
    QCOMPARE(request.filters,
             QStringList({QStringLiteral("Log file (*.log)"), QStringLiteral("Text file (*.txt)"),
                          QStringLiteral("Any file (*.*)")}));
    QCOMPARE(readAll(file), bytes);
    QCOMPARE(form_->Log().Unsaved(), unsavedAfter);
    QCOMPARE(fixture_->prompter.Texts(QStringLiteral("error")), QStringList());
    QCOMPARE(QDir(dir_->path()).entryList(QDir::Files), QStringList({QStringLiteral("out.log")}));
}

void TestTextOutput::cancelledSaveChangesNothing() {
    for (const char *button : {"SaveLog_But", "SaveDebugLog_But", "AddrTableSave_But"}) {
        Memo(*form_, "DebugLog_Memo")->setPlainText(QStringLiteral("dump"));
        Memo(*form_, "LinkLog_Memo")->setPlainText(QStringLiteral("Reconnected: x"));
        form_->Log().SetUnsaved(true);
        Button(*form_, button)->click();
        QCOMPARE(Memo(*form_, "DebugLog_Memo")->toPlainText(), QStringLiteral("dump"));
        QVERIFY(form_->Log().Unsaved());
    }
    QCOMPARE(fixture_->prompter.saveRequests.size(), 3);
    QVERIFY(QDir(dir_->path()).isEmpty());
    QCOMPARE(fixture_->prompter.shown.size(), 0);
}

void TestTextOutput::debugLogGetsTheDescriptionEachSave() {
    QPlainTextEdit *log = Memo(*form_, "DebugLog_Memo");
    log->setPlainText(QStringLiteral("ifTable\n1 = \"Ethernet\""));
    // The router describes itself as the System page shows it.
    core::SystemFigures figures;
    figures.description = "Test ADSL Router";
    figures.firmware = {std::string("2.1"), std::string("B"), std::string("77"), std::nullopt};
    PartsOf(*form_).Info().Take(figures);
    QCOMPARE(Label(*form_, "RouterDesc_Label")->text(),
             QStringLiteral("Test ADSL Router\r\nFirmware: 2.1 B\r\nBuild: 77"));
    fixture_->prompter.saveAnswers << path(QStringLiteral("first.log"))
                                   << path(QStringLiteral("second.log"));

    Button(*form_, "SaveDebugLog_But")->click();
    Button(*form_, "SaveDebugLog_But")->click();

    const QByteArray pair = "Description:  Test ADSL Router\r\n"
                            "Firmware: 2.1 B\r\n"
                            "Build: 77\r\n";
    QCOMPARE(fixture_->prompter.saveRequests.constFirst().proposedName,
             QStringLiteral("vantrel_debuglog"));
    QCOMPARE(readAll(path(QStringLiteral("first.log"))),
             "ifTable\r\n1 = \"Ethernet\"\r\n \r\n" + pair);
    QCOMPARE(readAll(path(QStringLiteral("second.log"))),
             "ifTable\r\n1 = \"Ethernet\"\r\n \r\n" + pair + " \r\n" + pair);
    // The lines stay in the box, one block per line.
    QCOMPARE(log->blockCount(), 2 + 4 + 4);
    QCOMPARE(log->document()->findBlockByNumber(2).text(), QStringLiteral(" "));
    QCOMPARE(log->document()->lastBlock().text(), QStringLiteral("Build: 77"));
}

void TestTextOutput::failedSaveKeepsTheOldFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addRow("read-only file") << "readonlyfile"
                                    << "Permission denied";
    QTest::addRow("missing folder") << "missing"
                                    << "No such file or directory";
    QTest::addRow("a folder of that name") << "folder"
                                           << "";
    QTest::addRow("write fails part-way") << "toolarge"
                                          << "File too large";
}

void TestTextOutput::failedSaveKeepsTheOldFile() {
    QFETCH(QString, kind);
    QFETCH(QString, reason);

    QPlainTextEdit *log = Memo(*form_, "LinkLog_Memo");
    log->setPlainText(QString(200, QLatin1Char('L')) + QStringLiteral("\nsecond"));
    form_->Log().SetUnsaved(true);
    const QByteArray good("a good log\r\n");
    QString target = path(QStringLiteral("log/conn.log"));
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("log")));
    writeAll(target, good);

    struct rlimit saved {};
    CapabilitiesDropped asUser; // root may write anywhere; a user may not
    if (kind == QLatin1String("readonlyfile")) {
        QFile::setPermissions(target, QFileDevice::ReadOwner);
        QFile probe(target);
        QVERIFY(!probe.open(QIODevice::Append)); // really unwritable, also for root
    } else if (kind == QLatin1String("missing")) {
        target = path(QStringLiteral("nowhere/conn.log"));
    } else if (kind == QLatin1String("folder")) {
        target = path(QStringLiteral("log"));
    } else {
        // The file system refuses the 13th byte: the new text is written only in part.
        ::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &saved);
        struct rlimit small = saved;
        small.rlim_cur = 12;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    fixture_->prompter.saveAnswers << target;

    Button(*form_, "SaveLog_But")->click();

    if (kind == QLatin1String("toolarge"))
        ::setrlimit(RLIMIT_FSIZE, &saved);
    QFile::setPermissions(path(QStringLiteral("log")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const QStringList errors = fixture_->prompter.Texts(QStringLiteral("error"));
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors.constFirst().startsWith(QStringLiteral("Cannot create file \"") + target +
                                            QStringLiteral("\". ")),
             qPrintable(errors.constFirst()));
    QVERIFY2(errors.constFirst().endsWith(reason + QLatin1Char('.')),
             qPrintable(errors.constFirst()));
    QCOMPARE(fixture_->prompter.shown.constFirst().caption, QStringLiteral("Vantrel"));
    QCOMPARE(readAll(path(QStringLiteral("log/conn.log"))), good);
    QCOMPARE(QDir(path(QStringLiteral("log"))).entryList(QDir::Files),
             QStringList({QStringLiteral("conn.log")}));
    QVERIFY(form_->Log().Unsaved());
}

void TestTextOutput::fileInReadOnlyFolderWrittenInPlace() {
    // The user may change the file but not create one beside it: the save writes the file
    // itself instead of refusing.
    QPlainTextEdit *log = Memo(*form_, "LinkLog_Memo");
    log->setPlainText(QStringLiteral("first\nsecond"));
    const QString target = path(QStringLiteral("log/conn.log"));
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("log")));
    writeAll(target, "a longer old log that is replaced\r\n");
    {
        ReadOnlyFolder readOnly(path(QStringLiteral("log")));
        QVERIFY(!readOnly.Writable());
        fixture_->prompter.saveAnswers << target;
        Button(*form_, "SaveLog_But")->click();
    }
    QCOMPARE(fixture_->prompter.Texts(QStringLiteral("error")), QStringList());
    QCOMPARE(readAll(target), QByteArray("first\r\nsecond\r\n"));
    QCOMPARE(QDir(path(QStringLiteral("log"))).entryList(QDir::Files),
             QStringList({QStringLiteral("conn.log")}));
}

void TestTextOutput::dialogsOpenWhereTheUserSaved() {
    // At first the documents folder, never the folder the program was started from.
    const QString documents = path(QStringLiteral("Documents"));
    QVERIFY(QDir().mkpath(documents));
    qputenv("XDG_DOCUMENTS_DIR", documents.toLocal8Bit());
    Memo(*form_, "DebugLog_Memo")->setPlainText(QStringLiteral("dump"));
    const QString elsewhere = path(QStringLiteral("reports"));
    QVERIFY(QDir().mkpath(elsewhere));
    fixture_->prompter.saveAnswers << elsewhere + QStringLiteral("/debug.log");
    Button(*form_, "SaveDebugLog_But")->click();
    QCOMPARE(fixture_->prompter.saveRequests.size(), 1);
    QVERIFY2(fixture_->prompter.saveRequests[0].folder != QDir::currentPath(),
             qPrintable(fixture_->prompter.saveRequests[0].folder));
    // Then where the last file went, also after a restart.
    QVERIFY(PartsOf(*form_).Settings().Save());
    fixture_->Destroy();
    form_ = &fixture_->Create(true);
    fixture_->prompter.Reset();
    Button(*form_, "SaveLog_But")->click(); // cancelled: no answer queued
    QCOMPARE(fixture_->prompter.saveRequests.size(), 1);
    QCOMPARE(fixture_->prompter.saveRequests[0].folder, elsewhere);
}

void TestTextOutput::handlersIgnoreOtherSenders() {
    TextOutput &out = form_->Output();
    Memo(*form_, "DebugLog_Memo")->setPlainText(QStringLiteral("keep"));
    QPushButton stranger;
    stranger.setObjectName(QStringLiteral("DebugLogClear_But")); // a name alone is not enough
    out.GenericClear_ButClick(&stranger);
    out.GenericClear_ButClick(Button(*form_, "DebugLogCopy_But"));
    out.GenericClear_ButClick(nullptr);
    out.GenericSave_ButClick(Button(*form_, "DebugPrint_But"));
    out.GenericPrint_ButClick(Button(*form_, "SaveLog_But"));
    out.GenericCopy_ButClick(Button(*form_, "ClearLog_But"));
    QCOMPARE(Memo(*form_, "DebugLog_Memo")->toPlainText(), QStringLiteral("keep"));
    QCOMPARE(fixture_->prompter.saveRequests.size(), 0);
    QCOMPARE(fixture_->prompter.printDialogs, 0);
}

void TestTextOutput::clearEmptiesTheBox_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<bool>("unsavedAfter");
    QTest::addRow("connection log") << "ClearLog_But"
                                    << "LinkLog_Memo" << false;
    QTest::addRow("debug log") << "DebugLogClear_But"
                               << "DebugLog_Memo" << true;
}

void TestTextOutput::clearEmptiesTheBox() {
    QFETCH(QString, button);
    QFETCH(QString, memo);
    QFETCH(bool, unsavedAfter);
    Memo(*form_, "LinkLog_Memo")->setPlainText(QStringLiteral("Disconnected: x"));
    Memo(*form_, "DebugLog_Memo")->setPlainText(QStringLiteral("dump"));
    form_->Log().SetUnsaved(true);
    Button(*form_, button.toLatin1().constData())->click();
    QCOMPARE(Memo(*form_, memo.toLatin1().constData())->toPlainText(), QString());
    QCOMPARE(form_->Log().Unsaved(), unsavedAfter);
}

void TestTextOutput::copyPutsTheTextOnTheClipboard_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("memo");
    QTest::addRow("address table") << "AddrTableCopy_But"
                                   << "AddrTable_Memo";
    QTest::addRow("route table") << "RouteTableCopy_But"
                                 << "RouteTable_Memo";
    QTest::addRow("media table") << "MediaTableCopy_But"
                                 << "MediaTable_Memo";
    QTest::addRow("udp table") << "UDPTableCopy_But"
                               << "UDPTable_Memo";
    QTest::addRow("debug log") << "DebugLogCopy_But"
                               << "DebugLog_Memo";
}

void TestTextOutput::copyPutsTheTextOnTheClipboard() {
    QFETCH(QString, button);
    QFETCH(QString, memo);
    QPlainTextEdit *box = Memo(*form_, memo.toLatin1().constData());
    const QString text =
        QStringLiteral("1.3.6.1.2.1.4.20.1.1.127.0.0.1 = \"127.0.0.1\"\nsecond\t2");
    box->setPlainText(text);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    Button(*form_, button.toLatin1().constData())->click();

    QCOMPARE(QGuiApplication::clipboard()->text(), text);
    QCOMPARE(box->textCursor().selectionStart(), 0);
    QCOMPARE(box->textCursor().selectionEnd(), int(text.size()));

    // An empty box copies nothing: the clipboard keeps what it had.
    box->clear();
    Button(*form_, button.toLatin1().constData())->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), text);
}

void TestTextOutput::scrollShowsLastOrFirstPage() {
    QPlainTextEdit *log = Memo(*form_, "LinkLog_Memo");
    for (int i = 1; i <= 300; ++i)
        log->appendPlainText(QStringLiteral("Reconnected: line %1 ").arg(i) +
                             QString(i == 300 ? 300 : 0, QLatin1Char('w')));
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_));
    // The log's page is not the current one: its box has not been laid out on screen.
    TextOutput::ScrollMemo(log, TextOutput::ScrollTo::Start);
    TextOutput::ScrollMemo(log, TextOutput::ScrollTo::End);
    QScrollBar *bar = log->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(log->textCursor().blockNumber(), 299);
    QCOMPARE(log->horizontalScrollBar()->value(), 0);

    // Shown later, it still shows the newest lines.
    form_->PageControl()->setCurrentWidget(form_->findChild<QWidget *>(QStringLiteral("ADSL")));
    auto *sub = form_->findChild<QTabWidget *>(QStringLiteral("ADSL_PageControl"));
    QVERIFY(sub != nullptr);
    sub->setCurrentWidget(form_->findChild<QWidget *>(QStringLiteral("ADSLLogTabSheet")));
    QTest::qWait(20);
    QCOMPARE(bar->value(), bar->maximum());
    const QRect lastLine = log->cursorRect();
    QVERIFY2(log->viewport()->rect().contains(lastLine), "the newest line is not in view");

    TextOutput::ScrollMemo(log, TextOutput::ScrollTo::Start);
    QCOMPARE(bar->value(), 0);
    QCOMPARE(log->textCursor().position(), 0);
    TextOutput::ScrollMemo(nullptr, TextOutput::ScrollTo::End);
}

void TestTextOutput::pageBreaksKeepTwoLinesFromTheBottom_data() {
    QTest::addColumn<int>("heightSlack"); // page height = 10 line heights + slack
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("perPage");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("firstPage"); // the page drawn on the image
    // Lines go at 0, h, 2h, ...; one at k h needs k h + 2 h <= page height.
    QTest::addRow("ten line heights hold nine") << 0 << 18 << 9 << 2 << 1;
    QTest::addRow("one pixel less holds eight") << -1 << 18 << 8 << 3 << 1;
    QTest::addRow("a full last page adds none") << 0 << 9 << 9 << 1 << 1;
    QTest::addRow("one line more starts a page") << 0 << 10 << 9 << 2 << 1;
    QTest::addRow("nothing to print") << 0 << 0 << 0 << 1 << 1;
    QTest::addRow("second page starts at the top") << 0 << 14 << 5 << 2 << 2;
    QTest::addRow("a page after the last") << 0 << 14 << 0 << 2 << 3;
}

void TestTextOutput::pageBreaksKeepTwoLinesFromTheBottom() {
    QFETCH(int, heightSlack);
    QFETCH(int, lines);
    QFETCH(int, perPage);
    QFETCH(int, pages);
    QFETCH(int, firstPage);

    QImage probe = blankPage(10, 10);
    const QFontMetrics metrics(QGuiApplication::font(), &probe);
    const int lineHeight = metrics.height() + 2;
    QImage page = blankPage(400, 10 * lineHeight + heightSlack);
    QStringList text;
    for (int i = 0; i < lines; ++i)
        text << QStringLiteral("XXXX");

    QCOMPARE(TextOutput::PrintLines(page, nullptr, text, firstPage), pages);

    // One page is drawn on an image: one band of ink per line, each inside its line's slot,
    // the first at the top.
    const QList<Band> bands = inkBands(page);
    QCOMPARE(bands.size(), perPage);
    for (int i = 0; i < bands.size(); ++i) {
        QVERIFY2(bands[i].top >= i * lineHeight, qPrintable(QString::number(i)));
        QVERIFY2(bands[i].bottom <= i * lineHeight + metrics.height(),
                 qPrintable(QString::number(i)));
        QVERIFY(bands[i].left <= 2);
    }
    if (!bands.isEmpty())
        QVERIFY(bands.constFirst().top < metrics.ascent());
}

void TestTextOutput::longLinesContinueOnTheNextLine() {
    const int width = 300;
    QImage page = blankPage(width, 600);
    const QFontMetrics metrics(QGuiApplication::font(), &page);
    const int lineHeight = metrics.height() + 2;
    int fits = 0;
    while (metrics.horizontalAdvance(QString(fits + 1, QLatin1Char('X'))) <= width)
        ++fits;
    QVERIFY(fits > 5);

    // Two full printed lines and three characters, then a line of its own.
    QCOMPARE(TextOutput::PrintLines(page, nullptr,
                                    {QString(2 * fits + 3, QLatin1Char('X')), QStringLiteral("X")}),
             1);
    const QList<Band> bands = inkBands(page);
    QCOMPARE(bands.size(), 4);
    const int wide = metrics.horizontalAdvance(QString(fits, QLatin1Char('X')));
    const int three = metrics.horizontalAdvance(QStringLiteral("XXX"));
    for (int i = 0; i < 4; ++i) {
        QVERIFY(bands[i].top >= i * lineHeight);
        QVERIFY(bands[i].bottom <= i * lineHeight + metrics.height());
        QVERIFY(bands[i].left <= 2);
    }
    for (int i = 0; i < 2; ++i) {
        QVERIFY2(bands[i].right < width && bands[i].right > wide - 4,
                 qPrintable(QStringLiteral("%1 of %2").arg(bands[i].right).arg(wide)));
    }
    QVERIFY(bands[2].right < three + 2 && bands[2].right > three - 6);
    QVERIFY(bands[3].right < metrics.horizontalAdvance(QStringLiteral("X")) + 2);

    // A character wider than the page still prints, one per line.
    QImage narrow = blankPage(2, 600);
    QCOMPARE(TextOutput::PrintLines(narrow, nullptr, {QStringLiteral("WWW")}), 1);
    QCOMPARE(inkBands(narrow).size(), 3);
}

void TestTextOutput::tabsAdvanceToEightCharacterStops() {
    QImage page = blankPage(1200, 400);
    const QFontMetrics metrics(QGuiApplication::font(), &page);
    const int tab = 8 * metrics.averageCharWidth();
    // Just wider than one stop, so the tab after it goes to the second.
    QString longStart(QStringLiteral("X"));
    while (metrics.horizontalAdvance(longStart) <= tab)
        longStart += QLatin1Char('X');

    QCOMPARE(
        TextOutput::PrintLines(page, nullptr,
                               {QStringLiteral("X"), QStringLiteral("\tX"), QStringLiteral("X\tX"),
                                longStart + QStringLiteral("\tX"), QStringLiteral("\t\tX")}),
        1);
    const QList<Band> bands = inkBands(page);
    QCOMPARE(bands.size(), 5);
    const int bearing = bands[0].left; // where a plain X at the edge starts its ink
    const int xWidth = bands[0].right - bands[0].left;
    QCOMPARE(bands[1].left, tab + bearing);
    QCOMPARE(bands[2].right - xWidth, tab + bearing);
    const int stop = (metrics.horizontalAdvance(longStart) / tab + 1) * tab;
    QCOMPARE(stop, 2 * tab);
    QCOMPARE(bands[3].right - xWidth, stop + bearing);
    QCOMPARE(bands[4].left, 2 * tab + bearing);
}

void TestTextOutput::pdfPagesFollowTheLayout_data() {
    QTest::addColumn<int>("extraLines");
    QTest::addColumn<int>("firstPage");
    QTest::addColumn<int>("lastPage");
    QTest::addColumn<int>("pages");  // laid out
    QTest::addColumn<int>("sheets"); // in the file
    QTest::addRow("two full pages") << 0 << 1 << 0 << 2 << 2;
    QTest::addRow("one line more") << 1 << 1 << 0 << 3 << 3;
    QTest::addRow("pages two and three") << 1 << 2 << 3 << 3 << 2;
    QTest::addRow("page two only") << 1 << 2 << 2 << 3 << 1;
}

void TestTextOutput::pdfPagesFollowTheLayout() {
    QFETCH(int, extraLines);
    QFETCH(int, firstPage);
    QFETCH(int, lastPage);
    QFETCH(int, pages);
    QFETCH(int, sheets);

    const QString file = path(QStringLiteral("layout.pdf"));
    QPdfWriter writer(file);
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::A6));
    writer.setPageMargins(QMarginsF(8, 8, 8, 8), QPageLayout::Millimeter);
    const QFontMetrics metrics(QGuiApplication::font(), &writer);
    const int lineHeight = metrics.height() + 2;
    const int perPage = (writer.height() - 2 * lineHeight) / lineHeight + 1;
    QVERIFY(perPage > 10);

    // One long line printed over three lines, then enough lines to fill two pages exactly.
    int fits = 0;
    while (metrics.horizontalAdvance(QString(fits + 1, QLatin1Char('m'))) <= writer.width())
        ++fits;
    QStringList text{QString(2 * fits + 1, QLatin1Char('m'))};
    for (int i = 3; i < 2 * perPage + extraLines; ++i)
        text << QStringLiteral("Line %1\twith a tab").arg(i);

    QCOMPARE(TextOutput::PrintLines(writer, &writer, text, firstPage, lastPage), pages);
    QCOMPARE(pdfPages(file), sheets);
}

void TestTextOutput::printButtonPrintsTheBox() {
    const QString file = path(QStringLiteral("table.pdf"));
    fixture_->prompter.printAnswers << true;
    fixture_->prompter.printToFile = file;
    QStringList lines;
    for (int i = 0; i < 400; ++i)
        lines << QStringLiteral("1.3.6.1.2.1.4.21.1.1.10.0.%1.0 = \"10.0.%1.0\"").arg(i);
    Memo(*form_, "RouteTable_Memo")->setPlainText(lines.join(QLatin1Char('\n')));

    Button(*form_, "RouteTablePrint_But")->click();

    QCOMPARE(fixture_->prompter.printDialogs, 1);
    QCOMPARE(fixture_->prompter.shown.size(), 0);
    QVERIFY(readAll(file).startsWith("%PDF"));
    QVERIFY2(pdfPages(file) > 1, "400 lines fit on one page");
}

void TestTextOutput::cancelledPrintPrintsNothing() {
    const QString file = path(QStringLiteral("debug.pdf"));
    fixture_->prompter.printToFile = file;
    Memo(*form_, "DebugLog_Memo")->setPlainText(QStringLiteral("dump"));
    Button(*form_, "DebugPrint_But")->click();
    QCOMPARE(fixture_->prompter.printDialogs, 1);
    QVERIFY(!QFile::exists(file));

    // A print that cannot start says so.
    fixture_->prompter.printAnswers << true;
    fixture_->prompter.printToFile = path(QStringLiteral("nowhere/debug.pdf"));
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    Button(*form_, "DebugPrint_But")->click();
    QCOMPARE(fixture_->prompter.Texts(QStringLiteral("error")),
             QStringList({QStringLiteral("Printing failed.")}));
}

void TestTextOutput::printDialogProposesTheLastFolder() {
    // The file it proposes to print to, where the dialog would otherwise fall back to the home
    // folder. Without a printer printing to a file is the only choice, so it is proposed at
    // once; with one, only after the user printed to a file.
    const bool printers = !QPrinterInfo::availablePrinterNames().isEmpty();
    Memo(*form_, "DebugLog_Memo")->setPlainText(QStringLiteral("dump"));
    const QString saved = path(QStringLiteral("saved"));
    QVERIFY(QDir().mkpath(saved));
    fixture_->prompter.saveAnswers << saved + QStringLiteral("/debug.log");
    Button(*form_, "SaveDebugLog_But")->click();
    Button(*form_, "DebugPrint_But")->click(); // cancelled
    QCOMPARE(fixture_->prompter.printProposals,
             QStringList(printers ? QString() : saved + QStringLiteral("/vantrel_debuglog.pdf")));

    // A print to a file elsewhere: the next print, and the next save, go there.
    const QString printed = path(QStringLiteral("printed"));
    QVERIFY(QDir().mkpath(printed));
    fixture_->prompter.printAnswers << true;
    fixture_->prompter.printToFile = printed + QStringLiteral("/log.pdf");
    Button(*form_, "DebugPrint_But")->click();
    QVERIFY(readAll(printed + QStringLiteral("/log.pdf")).startsWith("%PDF"));
    fixture_->prompter.Reset();
    fixture_->prompter.printToFile.clear();
    Button(*form_, "RouteTablePrint_But")->click();
    QCOMPARE(fixture_->prompter.printProposals,
             QStringList(printed + QStringLiteral("/vantrel_routetable.pdf")));
    Button(*form_, "SaveDebugLog_But")->click();
    QCOMPARE(fixture_->prompter.saveRequests.size(), 1);
    QCOMPARE(fixture_->prompter.saveRequests[0].folder, printed);
}

void TestTextOutput::closeOffersToSaveTheLog_data() {
    QTest::addColumn<bool>("prompt");
    QTest::addColumn<QString>("log");
    QTest::addColumn<bool>("unsaved");
    QTest::addColumn<bool>("savedFirst");
    QTest::addColumn<bool>("answerSave");
    QTest::addColumn<QString>("chosenFile"); // in the save dialog; "" cancels it
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("closes");

    const QString line = QStringLiteral("Disconnected: 07/12/2026 22:31:05  (00:00:10:00)");
    const QStringList both{QStringLiteral("Close Vantrel?"),
                           QStringLiteral("Save connection log?")};
    const QStringList closeOnly{QStringLiteral("Close Vantrel?")};
    const QString file = QStringLiteral("atclose.log");
    QTest::addRow("unsaved line, Yes")
        << true << line << true << false << true << file << both << true << true;
    QTest::addRow("unsaved line, No")
        << true << line << true << false << false << file << both << false << true;
    // The user wanted the log kept: the program stays, log and all.
    QTest::addRow("save dialog cancelled")
        << true << line << true << false << true << "" << both << false << false;
    QTest::addRow("file cannot be written")
        << true << line << true << false << true << "missing/atclose.log" << both << false << false;
    QTest::addRow("saved with Save log")
        << true << line << true << true << true << file << closeOnly << false << true;
    QTest::addRow("nothing new") << true << line << false << false << true << file << closeOnly
                                 << false << true;
    QTest::addRow("empty log") << true << "" << true << false << true << file << closeOnly << false
                               << true;
    QTest::addRow("prompt disabled")
        << false << line << true << false << true << file << QStringList() << false << true;
}

void TestTextOutput::closeOffersToSaveTheLog() {
    QFETCH(bool, prompt);
    QFETCH(QString, log);
    QFETCH(bool, unsaved);
    QFETCH(bool, savedFirst);
    QFETCH(bool, answerSave);
    QFETCH(QString, chosenFile);
    QFETCH(QStringList, questions);
    QFETCH(bool, written);
    QFETCH(bool, closes);

    // The choice in the menu, as the user makes it.
    QAction *choice = Action(*form_, prompt ? "ClosePromptEnabled" : "ClosePromptDisabled");
    if (!choice->isChecked())
        choice->trigger();
    Memo(*form_, "LinkLog_Memo")->setPlainText(log);
    form_->Log().SetUnsaved(unsaved);
    if (savedFirst) {
        fixture_->prompter.saveAnswers << path(QStringLiteral("saved.log"));
        Button(*form_, "SaveLog_But")->click();
        fixture_->prompter.Reset();
    }
    const QString file = chosenFile.isEmpty() ? QString() : path(chosenFile);
    fixture_->prompter.confirmAnswers << true << answerSave;
    fixture_->prompter.saveAnswers << file;

    QCOMPARE(form_->FormCloseQuery(), closes);

    QCOMPARE(fixture_->prompter.Texts(QStringLiteral("confirm")), questions);
    QCOMPARE(QFile::exists(path(QStringLiteral("atclose.log"))), written);
    if (written) {
        QCOMPARE(fixture_->prompter.saveRequests.size(), 1);
        QCOMPARE(fixture_->prompter.saveRequests.constFirst().proposedName,
                 QStringLiteral("vantrel_connection"));
        QCOMPARE(fixture_->prompter.saveRequests.constFirst().defaultSuffix, QStringLiteral("log"));
        QCOMPARE(readAll(file), log.toLatin1() + "\r\n");
        QVERIFY(!form_->Log().Unsaved());
    } else if (questions.size() < 2 || !answerSave) {
        QCOMPARE(fixture_->prompter.saveRequests.size(), 0);
    }
    if (!closes) {
        QCOMPARE(form_->Log().Lines(), QStringList{log});
        QVERIFY(form_->Log().Unsaved());
    }
}

QTEST_MAIN(TestTextOutput)
#include "tst_textoutput.moc"
