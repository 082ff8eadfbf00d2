#include "app/prompter.h"

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

// line with every run of more than kMaxWord characters without a blank cut short.
QString cutWords(const QString &line, bool &cut) {
    QString out;
    int run = 0;
    for (const QChar c : line) {
        run = c.isSpace() ? 0 : run + 1;
        if (run == kMaxWord) {
            out += kEllipsis;
            cut = true;
        }
        if (run < kMaxWord)
            out += c;
    }
    return out;
}

// The text as a box shows it, lines joined by LF; cut tells whether anything was left out.
QString boxText(const QString &text, bool &cut) {
    // A line ends at CR LF, CR or LF (the update message uses CR).
    static const QRegularExpression lineEnd(QStringLiteral("\\r\\n|\\r|\\n"));
    const QStringList lines = text.split(lineEnd);
    cut = false;
    QStringList shown;
    int chars = 0;
    for (const QString &line : lines) {
        if (shown.size() == kMaxLines || chars >= kMaxChars) {
            shown << QString(kEllipsis);
            cut = true;
            break;
        }
        QString part = cutWords(line, cut);
        if (chars + part.size() > kMaxChars) {
            part = part.left(kMaxChars - chars) + kEllipsis;
            cut = true;
        }
        chars += part.size();
        shown << part;
    }
    return shown.join(QLatin1Char('\n'));
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

QString QtPrompter::SaveFileName(const SaveRequest &request) {
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

void QtPrompter::Help(HelpCommand command, int data) {
    vantrel::app::HelpWindow::Instance(parent_)->Run(command, data);
}

} // namespace vantrel::app
