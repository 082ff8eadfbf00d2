#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;
class QWidget;

namespace vantrel::app {

// A message box as the program makes every one of them. Its text may quote a router's reply,
// the update server's lines or a settings value, so it is shown as plain text: markup shows as
// its characters and a link in it is no link. A text too long for the screen (a long line, a
// word without blanks, many lines) is cut, each cut marked with an ellipsis, and then the
// whole text is under "Show Details...", where it can be selected and copied.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget *parent, QMessageBox::Icon icon,
                                            const QString &caption, const QString &text,
                                            QMessageBox::StandardButtons buttons);
// The text as such a box shows it, its lines joined by line feeds.
QString BoxText(const QString &text);

// What the save dialog is set to before each use.
struct SaveRequest {
    QString defaultSuffix = "log";
    QStringList filters = {"Log file (*.log)", "Text file (*.txt)", "Any file (*.*)"};
    QString proposedName; // without extension
    QString folder;       // where the dialog opens
};

// WinHelp-style help commands: the help viewer opens the page of the topic or tab asked for.
enum class HelpCommand { Context = 1, HelpOnHelp = 4, Tab = 15 };

// Every modal box, dialog, the beep and help go through this seam, so that tests can script the
// answers and count what was shown without ever blocking on a real dialog.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A plain box with one OK button and no icon.
    virtual void Message(const QString &caption, const QString &text) = 0;
    // A box with the warning icon ("Warning" boxes of the quota refresh).
    virtual void Warning(const QString &caption, const QString &text) = 0;
    // The application's error box: error icon, OK.
    virtual void Error(const QString &caption, const QString &text) = 0;
    // "Confirm" box with a question icon and Yes/No; true for Yes.
    virtual bool Confirm(const QString &text) = 0;
    // The save dialog; an empty result means the user cancelled.
    virtual QString SaveFileName(const SaveRequest &request) = 0;
    // The print dialog for printer; false when the user cancelled.
    virtual bool PrintDialog(QPrinter &printer) = 0;
    virtual void Beep() = 0;
    virtual void Help(HelpCommand command, int data) = 0;
};

// The real dialogs, parented to the main window.
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget *parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget *parent) { parent_ = parent; }
    void Message(const QString &caption, const QString &text) override;
    void Warning(const QString &caption, const QString &text) override;
    void Error(const QString &caption, const QString &text) override;
    bool Confirm(const QString &text) override;
    QString SaveFileName(const SaveRequest &request) override;
    bool PrintDialog(QPrinter &printer) override;
    void Beep() override;
    void Help(HelpCommand command, int data) override;

private:
    QWidget *parent_;
};

} // namespace vantrel::app
