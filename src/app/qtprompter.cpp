#include "app/qtprompter.h"

#include "app/helpwindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace vantrel::app {

namespace {

// What a box shows at most: lines, characters in all, characters of one word.
constexpr int kMaxLines = 20;
constexpr int kMaxChars = 1200;
constexpr int kMaxWord = 80;
const QChar kEllipsis(0x2026);

// text cut to keep characters by leaving out its middle: the end of a message ("... is not a
// valid integer value.") matters as much as its start.
QString middleCut(const QString &text, qsizetype keep) {
    const qsizetype tail = keep / 3;
    return text.left(keep - tail - 1) + kEllipsis + text.right(tail);
}

// The text as a box shows it, lines joined by LF; cut tells whether anything was left out.
QString boxText(const QString &text, bool &cut) {
    // A line ends at CR LF, CR or LF (the update message uses CR).
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\r|\\n"));
    static const QRegularExpression word(QStringLiteral("\\S{%1,}").arg(kMaxWord + 1));
    QStringList lines = text.split(lineEnd);
    cut = lines.size() > kMaxLines;
    if (cut)
        lines = lines.mid(0, kMaxLines - 3) + QStringList{QString(kEllipsis)} +
                lines.mid(lines.size() - 2);
    for (QString &line : lines) {
        // A word longer than a line of the box would make the box wider than the screen.
        for (qsizetype from = 0;;) {
            const QRegularExpressionMatch m = word.match(line, from);
            if (!m.hasMatch())
                break;
            const QString shorter = middleCut(m.captured(), kMaxWord);
            line.replace(m.capturedStart(), m.capturedLength(), shorter);
            from = m.capturedStart() + shorter.size();
            cut = true;
        }
    }
    QString shown = lines.join(QLatin1Char('\n'));
    if (shown.size() > kMaxChars) {
        shown = middleCut(shown, kMaxChars);
        cut = true;
    }
    return shown;
}

} // namespace

QString BoxText(const QString &text) {
    bool cut = false;
    return boxText(text, cut);
}

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget *parent, QMessageBox::Icon icon,
                                            const QString &caption, const QString &text,
                                            QMessageBox::StandardButtons buttons) {
    auto box = std::make_unique<QMessageBox>(icon, caption, QString(), buttons, parent);
    box->setTextFormat(Qt::PlainText);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bool cut = false;
    box->setText(boxText(text, cut));
    if (cut)
        box->setDetailedText(text);
    return box;
}

void QtPrompter::Message(const QString &caption, const QString &text) {
    MakeMessageBox(parent_, QMessageBox::NoIcon, caption, text, QMessageBox::Ok)->exec();
}

void QtPrompter::Warning(const QString &caption, const QString &text) {
    MakeMessageBox(parent_, QMessageBox::Warning, caption, text, QMessageBox::Ok)->exec();
}

void QtPrompter::Error(const QString &caption, const QString &text) {
    MakeMessageBox(parent_, QMessageBox::Critical, caption, text, QMessageBox::Ok)->exec();
}

bool QtPrompter::Confirm(const QString &text) {
    return MakeMessageBox(parent_, QMessageBox::Question, QStringLiteral("Confirm"), text,
                          QMessageBox::Yes | QMessageBox::No)
               ->exec() == QMessageBox::Yes;
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
