// The help: every topic number used in the program's source has a page, every link of every
// page leads to a page, every page is in the contents; and the help window answers the help
// commands of the main window (a topic, contents, index, help on help, a topic with no page).

#include "app/helpwindow.h"
#include "app/qtprompter.h"

#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUrl>

using namespace vantrel::app;
using namespace vantrel::ui;

namespace {

// The topic numbers of the window's pages, sub-pages, menus and dialogs.
const QList<int> kKnownTopics = {10,  20,  21,  22,  25,  28,  31,  40,  44,  45,  100, 110, 120,
                                 130, 131, 140, 150, 151, 152, 153, 160, 170, 180, 190, 210};

// Splits a brace row's text at its top-level commas.
QStringList fields(const QString &row) {
    QStringList out;
    int depth = 0;
    bool quoted = false;
    QString current;
    for (int i = 0; i < row.size(); ++i) {
        const QChar c = row[i];
        if (c == QLatin1Char('"') && (i == 0 || row[i - 1] != QLatin1Char('\\')))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('(') || c == QLatin1Char('{')))
            ++depth;
        else if (!quoted && (c == QLatin1Char(')') || c == QLatin1Char('}')))
            --depth;
        if (!quoted && depth == 0 && c == QLatin1Char(',')) {
            out << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    out << current.trimmed();
    return out;
}

// Every help topic number the program's source sets: help-context properties and setters,
// query openings with a topic, integer constants whose name speaks of help, and rows of tables
// whose struct has a help-topic member (at that member's place).
QSet<int> topicsInSource(const QString &root) {
    static const QList<QRegularExpression> direct = {
        QRegularExpression(QStringLiteral("\"helpContext\"\\s*,\\s*(\\d+)")),
        QRegularExpression(QStringLiteral("SetHelpContext\\(\\s*(\\d+)")),
        QRegularExpression(QStringLiteral("RouterQuery\\s*\\w*\\s*\\(\\s*\\w+\\s*,\\s*(\\d+)")),
        QRegularExpression(
            QStringLiteral("(?:const|constexpr)\\s+int\\s+\\w*[Hh]elp\\w*\\s*=\\s*(\\d+)")),
    };
    static const QRegularExpression structs(QStringLiteral("struct\\s+\\w+\\s*\\{([^{}]*)\\}"));
    static const QRegularExpression member(QStringLiteral("([A-Za-z_]\\w*)\\s*(?:=[^;]*)?;"));
    static const QRegularExpression row(
        QStringLiteral("\\{([^{}\\n]*(?:\\{[^{}\\n]*\\}[^{}\\n]*)*)\\}"));
    QSet<int> topics;
    QDirIterator files(root, {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (const QRegularExpression &re : direct)
            for (auto it = re.globalMatch(text); it.hasNext();)
                topics << it.next().captured(1).toInt();
        // (member count, index of the topic member) of each table struct with such a member.
        QList<QPair<int, int>> tables;
        for (auto s = structs.globalMatch(text); s.hasNext();) {
            QStringList members;
            for (auto m = member.globalMatch(s.next().captured(1)); m.hasNext();)
                members << m.next().captured(1);
            for (int i = 0; i < members.size(); ++i)
                if (members[i].contains(QRegularExpression(QStringLiteral("(?i)help|topic"))))
                    tables << qMakePair(int(members.size()), i);
        }
        for (auto r = row.globalMatch(text); r.hasNext();) {
            const QStringList f = fields(r.next().captured(1));
            for (const auto &t : tables) {
                bool ok = false;
                const int n = f.size() == t.first ? f[t.second].toInt(&ok) : 0;
                if (ok)
                    topics << n;
            }
        }
    }
    topics.remove(0); // "no topic"
    return topics;
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void everyTopicHasAPage();
    void linksAndContentsAreWhole();
    void commands_data();
    void commands();
    void indexAndSearch();
    void searchFinds_data();
    void searchFinds();
    void contentsCommandKeepsThePage();
    void entriesShownWhole();
    void oneWindowThroughThePrompter();
};

void TestHelp::everyTopicHasAPage() {
    const QSet<int> found = topicsInSource(QStringLiteral(VANTREL_SOURCE_DIR "/src"));
    // The scan must keep finding what the source holds today, or it would pass on nothing.
    int known = 0;
    for (int topic : kKnownTopics)
        known += found.contains(topic) ? 1 : 0;
    QVERIFY2(known >= 20, qPrintable(QStringLiteral("the source scan found only %1 of the known "
                                                    "topics; teach it the new way topics are set")
                                         .arg(known)));
    QList<int> sorted(found.begin(), found.end());
    std::sort(sorted.begin(), sorted.end());
    QStringList names;
    for (int topic : sorted)
        names << QString::number(topic);
    qInfo("topics set in the source: %s", qPrintable(names.join(QLatin1Char(' '))));
    HelpCatalog catalog;
    QSet<int> all = found;
    for (int topic : kKnownTopics)
        all << topic;
    QStringList missing;
    for (int topic : all)
        if (catalog.PageForTopic(topic).isEmpty())
            missing << QString::number(topic);
    QVERIFY2(missing.isEmpty(), qPrintable("topics without a page: " + missing.join(", ")));
}

void TestHelp::linksAndContentsAreWhole() {
    HelpCatalog catalog;
    QVERIFY(catalog.Pages().size() >= kKnownTopics.size());
    QStringList problems;
    for (const QString &page : catalog.Pages()) {
        const HelpCatalog::Page *p = catalog.Find(page);
        if (p->title.isEmpty())
            problems << page + ": no title";
        for (const QString &link : p->links) {
            const QUrl url(link);
            if (!url.scheme().isEmpty()) {
                problems << page + ": leads outside the help: " + link;
                continue;
            }
            const QString target = url.path().isEmpty() ? page : url.path();
            if (!QFile::exists(catalog.Root() + QLatin1Char('/') + target))
                problems << page + ": missing " + link;
        }
    }
    QStringList listed;
    for (const HelpCatalog::ContentsEntry &e : catalog.Contents()) {
        listed << e.page;
        if (catalog.Find(e.page) == nullptr)
            problems << "contents names a missing page: " + e.page;
    }
    for (const QString &page : catalog.Pages())
        if (!listed.contains(page))
            problems << "not in the contents: " + page;
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void TestHelp::commands_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("data");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("notice");
    const int context = int(HelpCommand::Context), tab = int(HelpCommand::Tab);
    QTest::addRow("ADSL connection log")
        << context << 131 << "connectionlog.html" << int(HelpWindow::ContentsTab) << "";
    QTest::addRow("Debug page") << context << 210 << "debug.html" << int(HelpWindow::ContentsTab)
                                << "";
    QTest::addRow("topic without a page")
        << context << 999 << "index.html" << int(HelpWindow::ContentsTab) << "topic 999";
    QTest::addRow("before any page ran")
        << context << 0 << "index.html" << int(HelpWindow::ContentsTab) << "topic 0";
    QTest::addRow("contents") << tab << -3 << "index.html" << int(HelpWindow::ContentsTab) << "";
    QTest::addRow("index") << tab << -2 << "" << int(HelpWindow::IndexTab) << "";
    QTest::addRow("help on help") << int(HelpCommand::HelpOnHelp) << 0 << "usinghelp.html"
                                  << int(HelpWindow::ContentsTab) << "";
}

void TestHelp::commands() {
    QFETCH(int, command);
    QFETCH(int, data);
    QFETCH(QString, page);
    QFETCH(int, tab);
    QFETCH(QString, notice);
    HelpWindow window;
    window.Run(HelpCommand(command), data);
    QVERIFY(window.isVisible());
    if (!page.isEmpty())
        QCOMPARE(window.CurrentPage(), page);
    QCOMPARE(window.CurrentTab(), tab);
    if (notice.isEmpty())
        QVERIFY(window.Notice().isEmpty());
    else
        QVERIFY2(window.Notice().contains(notice), qPrintable(window.Notice()));
}

void TestHelp::indexAndSearch() {
    HelpWindow window;
    window.ShowIndex();
    auto *edit = window.findChild<QLineEdit *>("HelpIndexEdit");
    QTest::keyClicks(edit, "attenu");
    auto *list = window.findChild<QListWidget *>("HelpIndexList");
    QVERIFY(list->currentItem() != nullptr);
    QVERIFY(list->currentItem()->text().startsWith("attenuation", Qt::CaseInsensitive));
    QTest::keyClick(edit, Qt::Key_Return);
    const QStringList explaining = window.Catalog().Search(QStringLiteral("attenuation"));
    QVERIFY(explaining.contains(window.CurrentPage()));

    // A search holds every word; the ADSL page explains margin and attenuation together.
    QVERIFY(window.Catalog()
                .Search(QStringLiteral("NOISE margin attenuation"))
                .contains(QStringLiteral("adsl.html")));
    QVERIFY(window.Catalog().Search(QStringLiteral("noise xyzzy")).isEmpty());
}

void TestHelp::searchFinds_data() {
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("page"); // among the pages found
    QTest::addRow("history") << "history graphs ISP"
                             << "history.html";
    QTest::addRow("alerts") << "notification noise margin"
                            << "alerts.html";
    QTest::addRow("Prometheus") << "prometheus port"
                                << "metrics.html";
    QTest::addRow("v3 passphrases") << "passphrase secret store plain text"
                                    << "options-routeraccess.html";
    QTest::addRow("refusal reason") << "refused authentication"
                                    << "options-routeraccess.html";
    QTest::addRow("choosing interfaces") << "WAN interface LAN interface"
                                         << "system-interfaces.html";
    QTest::addRow("not reported") << "not reported"
                                  << "adsl.html";
    QTest::addRow("nothing to watch") << "unable to monitor the connection"
                                      << "options-connectionlog.html";
}

void TestHelp::searchFinds() {
    QFETCH(QString, words);
    QFETCH(QString, page);
    HelpCatalog catalog;
    const QStringList found = catalog.Search(words);
    QVERIFY2(found.contains(page), qPrintable(found.join(QLatin1Char(' '))));
}

void TestHelp::contentsCommandKeepsThePage() {
    HelpWindow window;
    window.ShowTopic(131);
    window.Run(HelpCommand::Tab, -2);
    QCOMPARE(window.CurrentTab(), int(HelpWindow::IndexTab));
    // Back to the contents: the tab turns, the page stays.
    window.Run(HelpCommand::Tab, -3);
    QCOMPARE(window.CurrentTab(), int(HelpWindow::ContentsTab));
    QCOMPARE(window.CurrentPage(), QStringLiteral("connectionlog.html"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Vantrel Help - ADSL page: Connection Log"));
    // Closed and asked again, it opens on the contents page, whose title is not doubled.
    window.close();
    window.Run(HelpCommand::Tab, -3);
    QVERIFY(window.isVisible());
    QCOMPARE(window.CurrentPage(), QStringLiteral("index.html"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Vantrel Help"));
}

void TestHelp::entriesShownWhole() {
    HelpWindow window;
    window.ShowContents();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *tree = window.findChild<QTreeWidget *>("HelpContents");
    QStringList cut;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const QRect r = tree->visualItemRect(*it);
        const int text = tree->fontMetrics().horizontalAdvance((*it)->text(0));
        if (r.left() + text > tree->viewport()->width())
            cut << (*it)->text(0);
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
    window.ShowIndex();
    auto *index = window.findChild<QListWidget *>("HelpIndexList");
    QCOMPARE(index->textElideMode(), Qt::ElideNone);
    for (int i = 0; i < index->count(); ++i) {
        const int text = index->fontMetrics().horizontalAdvance(index->item(i)->text());
        if (text > index->viewport()->width())
            cut << index->item(i)->text();
    }
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
}

void TestHelp::oneWindowThroughThePrompter() {
    QWidget main;
    QtPrompter prompter(&main);
    prompter.Help(HelpCommand::Context, 120);
    HelpWindow *window = HelpWindow::Instance(&main);
    QCOMPARE(window->CurrentPage(), QStringLiteral("quota.html"));
    prompter.Help(HelpCommand::Context, 44);
    QCOMPARE(HelpWindow::Instance(&main), window);
    QCOMPARE(window->CurrentPage(), QStringLiteral("updatecheck.html"));
    QCOMPARE(main.findChildren<HelpWindow *>().size(), 1);
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
