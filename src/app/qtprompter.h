#pragma once

#include "ui/prompter.h"

#include <QMessageBox>
#include <memory>

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

// The real dialogs, parented to the main window.
class QtPrompter : public ui::Prompter {
public:
    explicit QtPrompter(QWidget *parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget *parent) { parent_ = parent; }
    void Message(const QString &caption, const QString &text) override;
    void Warning(const QString &caption, const QString &text) override;
    void Error(const QString &caption, const QString &text) override;
    bool Confirm(const QString &text) override;
    QString SaveFileName(const ui::SaveRequest &request) override;
    bool PrintDialog(QPrinter &printer) override;
    void Beep() override;
    void Help(ui::HelpCommand command, int data) override;

private:
    QWidget *parent_;
};

} // namespace vantrel::app
