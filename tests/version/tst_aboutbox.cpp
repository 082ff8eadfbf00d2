// The About box on the offscreen platform: its controls and texts, the version from this
// binary's own record, the links' hover colours and cursor, where each link leads, Enter
// closing it; and the JPEG decoder on the real picture and on broken data.

#include "version/aboutbox.h"
#include "version/buildsettings.h"
#include "version/jpegimage.h"
#include "version/linklabel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vantrel::version;

// Receives every URL the box asks the desktop to open, so no browser or mail program starts.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestAboutBox : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        for (const char *scheme : {"http", "https", "mailto"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &recorder, "open");
    }
    void controls_data();
    void controls();
    void dialogFrame();
    void linkHover_data();
    void linkHover();
    void links_data();
    void links();
    void linkWithoutProgram_data();
    void linkWithoutProgram();
    void enterClosesAndLeavesNothing();
    void decodeJpeg_data();
    void decodeJpeg();

private:
    UrlRecorder recorder;
};

void TestAboutBox::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addRow("product") << "ProductName_Label"
                             << "Vantrel";
    QTest::addRow("version") << "Version_Label"
                             << "Version: " VANTREL_PROJECT_VERSION;
    QTest::addRow("copyright") << "Copyright_Label" << QString::fromUtf8(CopyrightNotice);
    QTest::addRow("email") << "EmailVal_Label" << QString::fromUtf8(Email);
    QTest::addRow("website") << "WebSiteVal_Label" << QString::fromUtf8(WebSite);
}

void TestAboutBox::controls() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    AboutBox box;
    box.show();
    auto *label = box.findChild<QLabel *>(name);
    QVERIFY2(label != nullptr, qPrintable(name));
    QCOMPARE(label->text(), text);
    QVERIFY(label->geometry().right() < box.width()); // nothing cut off at the right
}

void TestAboutBox::dialogFrame() {
    AboutBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.windowTitle(), QStringLiteral("About Vantrel"));
    QCOMPARE(box.size(), QSize(451, 269));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QVERIFY(!(box.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(box.findChild<QWidget *>("AboutDetails_Panel") != nullptr);
    auto *ok = box.findChild<QPushButton *>("OKButton");
    QVERIFY(ok->isDefault());
    QCOMPARE(QApplication::focusWidget(), ok);
    auto *picture = box.findChild<QLabel *>("ProgramIcon");
    QCOMPARE(picture->size(), QSize(181, 109));
    QCOMPARE(picture->toolTip(), QString::fromUtf8(SupportUrl));
    // The 182 x 112 picture scaled to fit, keeping its proportions.
    QCOMPARE(picture->pixmap().size(), QSize(177, 109));
}

void TestAboutBox::linkHover_data() {
    QTest::addColumn<QString>("name");
    QTest::addRow("web site") << "WebSiteVal_Label";
    QTest::addRow("e-mail") << "EmailVal_Label";
}

void TestAboutBox::linkHover() {
    QFETCH(QString, name);
    AboutBox box;
    box.show();
    auto *link = box.findChild<LinkLabel *>(name);
    QCOMPARE(link->TextColour(), QColor(0, 0, 255));
    const QPointF inside(2, 2);
    QEnterEvent enter(inside, inside, link->mapToGlobal(inside));
    QApplication::sendEvent(link, &enter);
    QCOMPARE(link->TextColour(), QColor(255, 0, 0));
    QVERIFY(QApplication::overrideCursor() != nullptr);
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
    QApplication::sendEvent(link, &enter); // a second enter does not stack the cursor
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    QCOMPARE(link->TextColour(), QColor(0, 0, 255));
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // Closed while the mouse is over the link: the hand cursor goes with it.
    QApplication::sendEvent(link, &enter);
    box.accept();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestAboutBox::links_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QUrl>("target");
    QTest::addRow("web site gets http")
        << "WebSiteVal_Label" << QUrl(QStringLiteral("http://") + QString::fromUtf8(WebSite));
    QTest::addRow("e-mail") << "EmailVal_Label"
                            << QUrl(QStringLiteral("mailto:") + QString::fromUtf8(Email));
    QTest::addRow("picture") << "ProgramIcon" << QUrl(QString::fromUtf8(SupportUrl));
}

void TestAboutBox::links() {
    QFETCH(QString, name);
    QFETCH(QUrl, target);
    AboutBox box;
    box.show();
    recorder.opened.clear();
    QTest::mouseClick(box.findChild<QWidget *>(name), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(recorder.opened, QList<QUrl>{target});
    QVERIFY(box.isVisible()); // the box stays open
}

void TestAboutBox::linkWithoutProgram_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("says"); // the program it could not start, and the address
    const QString web = QStringLiteral("No web browser could be started to open");
    QTest::addRow("web site") << "WebSiteVal_Label" << web + "|http://" + WebSite;
    QTest::addRow("e-mail") << "EmailVal_Label"
                            << "No e-mail program could be started to write to|" + QString(Email);
    QTest::addRow("picture") << "ProgramIcon" << web + "|" + SupportUrl;
}

void TestAboutBox::linkWithoutProgram() {
    QFETCH(QString, name);
    QFETCH(QString, says);
    AboutBox box;
    box.SetLinkOpener([](const QUrl &) { return false; });
    box.show();
    QTest::mouseClick(box.findChild<QWidget *>(name), Qt::LeftButton, {}, QPoint(3, 3));
    auto *message = box.findChild<QMessageBox *>("LinkFailed_Box");
    QVERIFY(message != nullptr);
    QVERIFY(message->isVisible());
    const QStringList parts = says.split(QLatin1Char('|'));
    QCOMPARE(message->text(), parts[0] + QStringLiteral(" this address:\n\n") + parts[1]);
    QVERIFY(message->textInteractionFlags() & Qt::TextSelectableByMouse);
    message->accept();
    QVERIFY(box.isVisible()); // the About box stays open
}

void TestAboutBox::enterClosesAndLeavesNothing() {
    QWidget owner;
    owner.show();
    QStringList versions;
    for (int round = 0; round < 2; ++round) {
        QTimer::singleShot(0, [&versions] {
            auto *box = qobject_cast<AboutBox *>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            versions << box->findChild<QLabel *>("Version_Label")->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        ShowAboutBox(&owner); // returns when Enter has closed it
        QCOMPARE(owner.findChildren<AboutBox *>().size(), 0);
    }
    QCOMPARE(versions, QStringList(2, QStringLiteral("Version: " VANTREL_PROJECT_VERSION)));
}

void TestAboutBox::decodeJpeg_data() {
    QFile file(QStringLiteral(":/about/router.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray jpeg = file.readAll();
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QSize>("size");
    QTest::addRow("the picture") << jpeg << QSize(182, 112);
    QTest::addRow("empty") << QByteArray() << QSize();
    QTest::addRow("not a JPEG") << QByteArray("GIF89a and more") << QSize();
    QTest::addRow("header cut short") << jpeg.left(40) << QSize();
    QTest::addRow("start marker only") << QByteArray("\xFF\xD8\xFF\xD9", 4) << QSize();
}

void TestAboutBox::decodeJpeg() {
    QFETCH(QByteArray, data);
    QFETCH(QSize, size);
    const QImage image = DecodeJpeg(data);
    QCOMPARE(image.isNull(), !size.isValid());
    if (image.isNull())
        return;
    QCOMPARE(image.size(), size);
    // The drawing's light background in a corner, the router's dark body low in the middle.
    QVERIFY(qGray(image.pixel(2, 2)) > 200);
    QVERIFY(qGray(image.pixel(91, 80)) < 80);
}

QTEST_MAIN(TestAboutBox)
#include "tst_aboutbox.moc"
