// Text from the router, the update server or the settings file is text: a box or label shows
// markup as its characters, a link in it opens nothing, and a huge text stays on the screen.

#include "app/qtprompter.h"
#include "formfixture.h"
#include "version/aboutbox.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QUrl>

using namespace vantrel;
using namespace vantrel::app;

namespace {

const QString kLink = QStringLiteral("'<a href=\"file:///etc/passwd\">Click here to repair your "
                                     "router</a>' is not a valid integer value.");

// Counts every address that something asked the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() {
        for (const char *scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlCatcher() override {
        for (const char *scheme : {"http", "https", "file", "mailto"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class TestPlainText : public QObject {
    Q_OBJECT
private slots:
    void boxes_data();
    void boxes();
    void linkInABoxOpensNothing();
    void labelsOfTheWindowArePlain();
};

void TestPlainText::boxes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown"); // "" when the text is cut
    QTest::addRow("markup") << kLink << kLink;
    QTest::addRow("carriage returns end lines")
        << QStringLiteral("You are using version 0.1.0.9.\r\rA new version")
        << QStringLiteral("You are using version 0.1.0.9.\n\nA new version");
    const QString notValid = QStringLiteral("' is not a valid integer value.");
    QTest::addRow("a 60 KB word") << "'" + QString(60000, QLatin1Char('w')) + notValid << QString();
    QTest::addRow("a long sentence")
        << "'" + QStringLiteral("word ").repeated(12000) + notValid << QString();
    QTest::addRow("many lines") << QStringLiteral("line\n").repeated(5000) +
                                       QStringLiteral("the end")
                                << QString();
}

void TestPlainText::boxes() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    const auto box = MakeMessageBox(nullptr, QMessageBox::Critical, QStringLiteral("Vantrel"), text,
                                    QMessageBox::Ok);
    QCOMPARE(box->textFormat(), Qt::PlainText);
    if (!shown.isEmpty()) {
        QCOMPARE(box->text(), shown);
        QVERIFY(box->detailedText().isEmpty());
        return;
    }
    // Cut to fit, its end kept (where the message says what is wrong), the whole text under
    // the details, where it can be selected.
    QVERIFY(box->text().size() < 1500);
    QVERIFY(box->text().contains(QChar(0x2026)));
    QVERIFY2(box->text().endsWith(text.right(12)), qPrintable(box->text().right(40)));
    QCOMPARE(box->detailedText(), text);
    box->show();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(box->width() <= screen.width() && box->height() <= screen.height(),
             qPrintable(QStringLiteral("%1 x %2").arg(box->width()).arg(box->height())));
}

void TestPlainText::linkInABoxOpensNothing() {
    UrlCatcher catcher;
    const auto box = MakeMessageBox(nullptr, QMessageBox::Critical, QStringLiteral("Vantrel"),
                                    kLink, QMessageBox::Ok);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QLabel *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    QVERIFY(label != nullptr);
    QVERIFY(label->text().contains(QLatin1String("<a href=")));
    // Clicks all over the text.
    for (int y = 2; y < label->height(); y += 6)
        for (int x = 2; x < label->width(); x += 8)
            QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    QCOMPARE(catcher.opened, QList<QUrl>());
}

void TestPlainText::labelsOfTheWindowArePlain() {
    FormFixture f;
    // The router's description holds markup; the page shows its characters.
    f.agent.SetString("1.3.6.1.2.1.1.1.0", "<a href=\"http://127.0.0.1:9/setup.sh\">Update</a>");
    MainForm &form = f.Create();
    QCOMPARE(Label(form, "RouterDesc_Label")->text().left(8), QStringLiteral("<a href="));
    for (const QLabel *label : form.findChildren<QLabel *>())
        QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
    version::AboutBox about(&form);
    for (const QLabel *label : about.findChildren<QLabel *>())
        QVERIFY2(label->textFormat() == Qt::PlainText || !label->pixmap().isNull(),
                 qPrintable(label->objectName()));
}

QTEST_MAIN(TestPlainText)
#include "tst_plaintext.moc"
