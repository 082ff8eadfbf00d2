#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

namespace vantrel::version {

class LinkLabel;

// The About box: a picture of the router (a link to the router maker's support site), the
// program's name and version, the credits, and links to the web site and the e-mail address.
// Links open through QDesktopServices; when no program could be started for one, a message
// over the box shows the address so the user can copy it.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 451;
    static constexpr int ClientHeight = 269;

    explicit AboutBox(QWidget *parent = nullptr);

    // The three link targets, from the build settings.
    static QUrl WebSiteUrl();
    static QUrl EmailUrl();
    static QUrl SupportUrl();

    // Opens a link target; false when no program could be started for it. QDesktopServices'
    // openUrl unless set (tests).
    using LinkOpener = std::function<bool(const QUrl &)>;
    void SetLinkOpener(LinkOpener opener) { opener_ = std::move(opener); }

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private slots:
    void FormActivate();
    void OKButtonClick();
    void ProgramIconClick();
    void WebSiteVal_LabelClick();
    void EmailVal_LabelClick();

private:
    void openLink(const QUrl &url);

    QLabel *version_ = nullptr;
    LinkOpener opener_;
};

// The menu command: a fresh modal About box over parent, destroyed when it closes.
void ShowAboutBox(QWidget *parent);

} // namespace vantrel::version
