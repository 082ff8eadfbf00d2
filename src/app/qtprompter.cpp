#include "app/qtprompter.h"

#include "app/helpwindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace vantrel::app {

void QtPrompter::Message(const QString &caption, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent_);
    box.exec();
}

void QtPrompter::Warning(const QString &caption, const QString &text) {
    QMessageBox::warning(parent_, caption, text);
}

void QtPrompter::Error(const QString &caption, const QString &text) {
    QMessageBox::critical(parent_, caption, text);
}

bool QtPrompter::Confirm(const QString &text) {
    return QMessageBox::question(parent_, QStringLiteral("Confirm"), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

QString QtPrompter::SaveFileName(const ui::SaveRequest &request) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setNameFilters(request.filters);
    dialog.selectNameFilter(request.filters.value(0));
    if (!request.folder.isEmpty())
        dialog.setDirectory(request.folder);
    dialog.selectFile(request.proposedName);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool QtPrompter::PrintDialog(QPrinter &printer) {
    QPrintDialog dialog(&printer, parent_);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

void QtPrompter::Beep() {
    QApplication::beep();
}

void QtPrompter::Help(ui::HelpCommand command, int data) {
    vantrel::app::HelpWindow::Instance(parent_)->Run(command, data);
}

} // namespace vantrel::app
