#include "ui/textoutput.h"

#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/tablebox.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <utility>

namespace vantrel::ui {

namespace {

// CR LF pairs, lone CRs and lone LFs all end a line.
QString normalisedBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

void TextOutput::Register(const Box &box) {
    boxes_.push_back(box);
    const std::pair<QPushButton *, void (TextOutput::*)(QObject *)> buttons[] = {
        {box.save, &TextOutput::GenericSave_ButClick},
        {box.print, &TextOutput::GenericPrint_ButClick},
        {box.copy, &TextOutput::GenericCopy_ButClick},
        {box.clear, &TextOutput::GenericClear_ButClick},
    };
    for (const auto &[button, handler] : buttons) {
        if (button == nullptr)
            continue;
        QObject::connect(button, &QPushButton::clicked, button,
                         [this, button = button, h = handler] {
                             context_.Run([this, button, h] { (this->*h)(button); });
                         });
    }
}

const TextOutput::Box *TextOutput::boxOf(QObject *sender, Column column) const {
    if (sender == nullptr)
        return nullptr;
    for (const Box &box : boxes_) {
        const QPushButton *button = column == Column::Save    ? box.save
                                    : column == Column::Print ? box.print
                                    : column == Column::Copy  ? box.copy
                                                              : box.clear;
        if (button != nullptr && button == sender)
            return &box;
    }
    return nullptr;
}

QStringList TextOutput::MemoLines(const QPlainTextEdit *memo) {
    QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    if (lines.constLast().isEmpty())
        lines.removeLast();
    return lines;
}

void TextOutput::AppendLine(QPlainTextEdit *memo, const QString &text) {
    QTextCursor cursor(memo->document());
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    // An empty last block is where the next line goes (an empty box has one).
    if (!cursor.block().text().isEmpty())
        cursor.insertBlock();
    cursor.insertText(normalisedBreaks(text));
    cursor.endEditBlock();
}

QByteArray TextOutput::FileBytes(const QStringList &lines) {
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += line.toLocal8Bit();
        bytes += "\r\n";
    }
    return bytes;
}

QString TextOutput::DialogFolder() const {
    if (!folder_.isEmpty() && QFileInfo(folder_).isDir())
        return folder_;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void TextOutput::GenericSave_ButClick(QObject *sender) {
    const Box *box = boxOf(sender, Column::Save);
    if (box != nullptr)
        save(*box, box->proposedName);
}

bool TextOutput::SaveMemo(QPlainTextEdit *memo, const QString &proposedName) {
    for (const Box &box : boxes_)
        if (box.memo == memo)
            return save(box, proposedName);
    Box plain;
    plain.memo = memo;
    return save(plain, proposedName);
}

bool TextOutput::save(const Box &box, const QString &proposedName) {
    SaveRequest request;
    request.proposedName = proposedName;
    request.folder = DialogFolder();
    const QString fileName = context_.Prompt().SaveFileName(request);
    if (fileName.isEmpty())
        return false;
    folder_ = QFileInfo(fileName).absolutePath();
    // A long table or dump still on its way goes whole into the file.
    TableBox::Complete(box.memo);
    if (box.beforeSave)
        box.beforeSave();
    // Read after the dialog: a monitor may have added a line while it was open.
    const QStringList lines = MemoLines(box.memo);
    QString reason;
    if (!WriteFile(fileName, lines, reason)) {
        context_.ReportError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason));
        return false;
    }
    if (box.saved)
        box.saved();
    return true;
}

bool TextOutput::WriteFile(const QString &fileName, const QStringList &lines, QString &reason) {
    // Written beside the target and renamed over it, so a failure leaves the old file whole.
    // In a folder where no new file may be made, an existing writable file is written in
    // place instead.
    QSaveFile file(fileName);
    file.setDirectWriteFallback(true);
    // An existing file that the user may not write is refused: the rename would replace it.
    const QFileInfo existing(fileName);
    if (existing.exists() && !existing.isDir()) {
        QFile probe(fileName);
        if (!probe.open(QIODevice::Append)) {
            reason = qt_error_string(EACCES);
            return false;
        }
    }
    // Unbuffered, so every failed write is seen here: a failed flush inside commit() would go
    // unnoticed and a cut-off file would replace the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        reason = file.errorString();
        return false;
    }
    const QByteArray bytes = FileBytes(lines);
    const char *next = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        // A short write is followed by one more, which reports the system's reason.
        const qint64 written = file.write(next, left);
        if (written <= 0) {
            reason = file.errorString();
            file.cancelWriting(); // the temporary file goes, the old file stays
            return false;
        }
        next += written;
        left -= written;
    }
    if (!file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

bool TextOutput::PrintDialog(QPrinter &printer, const QString &proposedName) {
    const QString folder = DialogFolder();
    // The dialog proposes its own file name in the working folder, but only inside the home
    // folder; a file name given here it proposes wherever it is. Giving one also preselects
    // printing to a file, so that happens only when the user did so last time or there is
    // no printer anyway.
    QDir::setCurrent(folder);
    if (printedToFile_ || QPrinterInfo::availablePrinterNames().isEmpty())
        printer.setOutputFileName(QDir(folder).filePath(proposedName + QStringLiteral(".pdf")));
    if (!context_.Prompt().PrintDialog(printer))
        return false;
    printedToFile_ =
        printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
    if (printedToFile_)
        folder_ = QFileInfo(printer.outputFileName()).absolutePath();
    return true;
}

void TextOutput::GenericPrint_ButClick(QObject *sender) {
    const Box *box = boxOf(sender, Column::Print);
    if (box == nullptr)
        return;
    QPlainTextEdit *memo = box->memo;
    TableBox::Complete(memo);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Vantrel"));
    if (!PrintDialog(printer,
                     box->proposedName.isEmpty() ? QStringLiteral("vantrel") : box->proposedName))
        return;
    // The dialog offers a page range: print only the pages chosen.
    int first = 1;
    int last = 0;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage();
        last = printer.toPage();
    }
    if (PrintLines(printer, &printer, MemoLines(memo), first, last) < 0)
        throw std::runtime_error("Printing failed");
}

namespace {

// The longest start of text no wider than room (0 when not even one character fits); a
// surrogate pair is never split.
int fittingLength(const QFontMetrics &metrics, const QString &text, int room) {
    if (room <= 0)
        return 0;
    if (metrics.horizontalAdvance(text) <= room)
        return int(text.size());
    int fits = 0;
    int tooLong = int(text.size());
    while (tooLong - fits > 1) {
        const int middle = fits + (tooLong - fits) / 2;
        if (metrics.horizontalAdvance(text.left(middle)) <= room)
            fits = middle;
        else
            tooLong = middle;
    }
    if (fits > 0 && text.at(fits - 1).isHighSurrogate())
        --fits;
    return fits;
}

int firstCharacterLength(const QString &text) {
    return text.size() > 1 && text.at(0).isHighSurrogate() ? 2 : 1;
}

} // namespace

int TextOutput::PrintLines(QPaintDevice &device, QPagedPaintDevice *pager, const QStringList &lines,
                           int firstPage, int lastPage) {
    QPainter painter;
    if (!painter.begin(&device))
        return -1;
    // Painting on the device's own coordinates puts (0, 0) at the top left of the printable
    // area; the painter's font is the default font at the device's resolution.
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = device.width();
    const int height = device.height();
    const int lineHeight = metrics.height() + 2;
    const int tabWidth = std::max(1, 8 * metrics.averageCharWidth());

    int pages = 1;
    int y = 0;
    bool started = false;
    bool drawing = false;
    bool sheetUsed = false;
    // Starts page number `pages`: on a new sheet when it is to be printed and the current
    // sheet already holds a page; false when the sheet could not be turned.
    auto enterPage = [&]() -> bool {
        drawing = false;
        if (pages < firstPage || (lastPage > 0 && pages > lastPage))
            return true;
        if (sheetUsed) {
            if (pager == nullptr)
                return true; // an image has one sheet: later pages are only counted
            if (!pager->newPage())
                return false;
        }
        sheetUsed = true;
        drawing = true;
        return true;
    };
    // Moves to the next printed line; false when a new page was needed and could not be had.
    auto nextLine = [&]() -> bool {
        if (!started) {
            started = true;
            return true;
        }
        y += lineHeight;
        if (y + 2 * lineHeight <= height)
            return true;
        ++pages;
        y = 0;
        return enterPage();
    };
    enterPage();

    bool failed = false;
    for (const QString &line : lines) {
        if (!nextLine()) {
            failed = true;
            break;
        }
        int x = 0;
        const QStringList pieces = line.split(QLatin1Char('\t'));
        for (int p = 0; p < pieces.size() && !failed; ++p) {
            if (p > 0)
                x = (x / tabWidth + 1) * tabWidth;
            QString rest = pieces.at(p);
            while (!rest.isEmpty()) {
                int take = fittingLength(metrics, rest, width - x);
                if (take == 0 && x > 0) {
                    // Continued on the next printed line.
                    if (!nextLine()) {
                        failed = true;
                        break;
                    }
                    x = 0;
                    continue;
                }
                if (take == 0)
                    take = firstCharacterLength(rest); // wider than the page on its own
                const QString part = rest.left(take);
                if (drawing)
                    painter.drawText(x, y + metrics.ascent(), part);
                x += metrics.horizontalAdvance(part);
                rest.remove(0, take);
            }
        }
        if (failed)
            break;
    }
    // Ends the job also after a failure part-way.
    if (!painter.end())
        failed = true;
    return failed ? -1 : pages;
}

void TextOutput::GenericCopy_ButClick(QObject *sender) {
    const Box *box = boxOf(sender, Column::Copy);
    if (box == nullptr)
        return;
    QPlainTextEdit *memo = box->memo;
    TableBox::Complete(memo);
    memo->selectAll();
    // An empty selection copies nothing, as with any edit box: the clipboard keeps its text.
    const QString text = memo->toPlainText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

void TextOutput::GenericClear_ButClick(QObject *sender) {
    const Box *box = boxOf(sender, Column::Clear);
    if (box == nullptr)
        return;
    // All of it, also what was still on its way.
    TableBox::Complete(box->memo);
    box->memo->clear();
    if (box->cleared)
        box->cleared();
}

void TextOutput::ScrollMemo(QPlainTextEdit *memo, ScrollTo where) {
    if (memo == nullptr)
        return;
    // The cursor goes along, so a later "keep the cursor visible" does not scroll back; the
    // view always starts at the left margin.
    QTextCursor cursor = memo->textCursor();
    cursor.movePosition(where == ScrollTo::End ? QTextCursor::End : QTextCursor::Start);
    if (where == ScrollTo::End)
        cursor.movePosition(QTextCursor::StartOfBlock);
    memo->setTextCursor(cursor);
    QScrollBar *bar = memo->verticalScrollBar();
    bar->setValue(where == ScrollTo::End ? bar->maximum() : bar->minimum());
    memo->horizontalScrollBar()->setValue(memo->horizontalScrollBar()->minimum());
}

} // namespace vantrel::ui
