#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class QPrinter;

namespace vantrel::ui {

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

} // namespace vantrel::ui
