#include "version/aboutbox.h"

#include "version/buildsettings.h"
#include "version/fileversion.h"
#include "version/jpegimage.h"
#include "version/linklabel.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>

namespace vantrel::version {

namespace {

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int x, int y) {
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText); // the version comes from the executable's record
    label->setText(text);
    label->move(x, y);
    label->adjustSize();
    return label;
}

LinkLabel *makeLink(QWidget *parent, const char *name, const QString &text, int x, int y,
                    int pixelSize, bool underline) {
    auto *link = new LinkLabel(parent);
    link->setObjectName(QString::fromLatin1(name));
    link->setTextFormat(Qt::PlainText);
    link->setText(text);
    QFont font = link->font();
    font.setPixelSize(pixelSize);
    font.setUnderline(underline);
    link->setFont(font);
    link->move(x, y);
    link->adjustSize();
    return link;
}

QPixmap routerPicture(const QSize &box) {
    QFile file(QStringLiteral(":/about/router.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return QPixmap();
    const QImage image = DecodeJpeg(file.readAll());
    if (image.isNull())
        return QPixmap();
    return QPixmap::fromImage(image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

QUrl AboutBox::WebSiteUrl() {
    // The site is a bare host name; a scheme-less address opens as http.
    const QString site = QString::fromUtf8(WebSite);
    return QUrl::fromUserInput(
        site.contains(QLatin1String("://")) ? site : QStringLiteral("http://") + site);
}

QUrl AboutBox::EmailUrl() {
    return QUrl(QStringLiteral("mailto:") + QString::fromUtf8(Email));
}

QUrl AboutBox::SupportUrl() {
    return QUrl(QString::fromUtf8(vantrel::version::SupportUrl));
}

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About Vantrel"));
    setModal(true);
    QFont base = font();
    base.setPixelSize(14);
    setFont(base);
    setFixedSize(ClientWidth, ClientHeight);

    // A lowered outer and a raised inner bevel around a light background.
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("AboutDetails_Panel"));
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    QPalette light = panel->palette();
    light.setColor(QPalette::Window, light.color(QPalette::Light));
    panel->setPalette(light);
    panel->setGeometry(8, 8, ClientWidth - 16, 217);

    auto *picture = new LinkLabel(panel, false);
    picture->setObjectName(QStringLiteral("ProgramIcon"));
    picture->setGeometry(10, 10, 181, 109);
    picture->setAlignment(Qt::AlignCenter);
    picture->setPixmap(routerPicture(picture->size()));
    picture->setToolTip(SupportUrl().toString());
    connect(picture, &LinkLabel::clicked, this, &AboutBox::ProgramIconClick);

    QLabel *name = makeLabel(panel, "ProductName_Label", QStringLiteral("Vantrel"), 204, 12);
    QFont big = name->font();
    big.setPixelSize(22);
    big.setBold(true);
    name->setFont(big);
    name->adjustSize();
    version_ = makeLabel(panel, "Version_Label", QStringLiteral("Version: x.x.x.x"), 204, 46);
    QLabel *copyright =
        makeLabel(panel, "Copyright_Label", QString::fromUtf8(CopyrightNotice), 204, 72);
    copyright->setWordWrap(true);
    copyright->setGeometry(204, 72, panel->width() - 214, 40);
    copyright->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The copyright notice above names the developers already.
    makeLabel(panel, "Author_Label", QStringLiteral("An SNMP monitor for ADSL modem-routers"), 10,
              128);
    makeLabel(panel, "AuthorJobTitle_Label",
              QStringLiteral("Questions, reports and ideas are welcome:"), 10, 150);
    makeLabel(panel, "Email_Label", QStringLiteral("Email:"), 10, 170);
    LinkLabel *email =
        makeLink(panel, "EmailVal_Label", QString::fromUtf8(Email), 84, 171, 13, false);
    connect(email, &LinkLabel::clicked, this, &AboutBox::EmailVal_LabelClick);
    makeLabel(panel, "Website_Label", QStringLiteral("Website:"), 10, 190);
    LinkLabel *site =
        makeLink(panel, "WebSiteVal_Label", QString::fromUtf8(WebSite), 84, 190, 14, true);
    connect(site, &LinkLabel::clicked, this, &AboutBox::WebSiteVal_LabelClick);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry((ClientWidth - 75) / 2, 234, 75, 25);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &AboutBox::OKButtonClick);
}

bool AboutBox::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(event);
}

void AboutBox::showEvent(QShowEvent *event) {
    // Also on show: a platform without window activation still shows the version.
    FormActivate();
    QDialog::showEvent(event);
}

void AboutBox::FormActivate() {
    version_->setText(QStringLiteral("Version: ") + RunningVersionText());
    version_->adjustSize();
}

void AboutBox::OKButtonClick() {
    accept();
}

void AboutBox::openLink(const QUrl &url) {
    const bool opened = opener_ ? opener_(url) : QDesktopServices::openUrl(url);
    if (opened)
        return;
    // Without a browser or mail program nothing would happen at all: say so, and show the
    // address where it can be selected and copied.
    const bool mail = url.scheme() == QLatin1String("mailto");
    const QString address = mail ? url.path() : url.toString();
    auto *box = new QMessageBox(this);
    box->setObjectName(QStringLiteral("LinkFailed_Box"));
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(windowTitle());
    box->setTextFormat(Qt::PlainText);
    box->setText((mail ? QStringLiteral("No e-mail program could be started to write to this "
                                        "address:\n\n")
                       : QStringLiteral("No web browser could be started to open this "
                                        "address:\n\n")) +
                 address);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void AboutBox::ProgramIconClick() {
    openLink(SupportUrl());
}

void AboutBox::WebSiteVal_LabelClick() {
    openLink(WebSiteUrl());
}

void AboutBox::EmailVal_LabelClick() {
    openLink(EmailUrl());
}

void ShowAboutBox(QWidget *parent) {
    AboutBox box(parent);
    box.exec();
}

} // namespace vantrel::version
