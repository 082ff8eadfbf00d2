#pragma once

#include "ui/prompter.h"

class QWidget;

namespace vantrel::app {

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
