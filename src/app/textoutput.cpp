#include "textoutput.h"

#include "mainform.h"

#include <QClipboard>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cerrno>
#include <stdexcept>
#include <utility>

// One row per text box: the box and the buttons that serve it (nullptr: the box has none).
struct TextOutput::Route {
    const char *memo;
    const char *save;
    const char *proposedName;
    const char *print;
    const char *copy;
    const char *clear;
};

namespace {

const char kConnectionLog[] = "LinkLog_Memo";
const char kSaveLog[] = "SaveLog_But";
const char kClearLog[] = "ClearLog_But";
const char kSaveDebugLog[] = "SaveDebugLog_But";
const char kCloseTimeLogName[] = "vantrel_connection";

// CR LF pairs, lone CRs and lone LFs all end a line.
QString normalisedBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

const TextOutput::Route TextOutput::kRoutes[] = {
    {"AddrTable_Memo", "AddrTableSave_But", "vantrel_addrtable", "AddrTablePrint_But",
     "AddrTableCopy_But", nullptr},
    {"RouteTable_Memo", "RouteTableSave_But", "vantrel_routetable", "RouteTablePrint_But",
     "RouteTableCopy_But", nullptr},
    {"MediaTable_Memo", "MediaTableSave_But", "vantrel_mediatable", "MediaTablePrint_But",
     "MediaTableCopy_But", nullptr},
    {"UDPTable_Memo", "UDPTableSave_But", "vantrel_udptable", "UDPTablePrint_But",
     "UDPTableCopy_But", nullptr},
    {kConnectionLog, kSaveLog, "vantrel_connlog", nullptr, nullptr, kClearLog},
    {"DebugLog_Memo", kSaveDebugLog, "vantrel_debuglog", "DebugPrint_But", "DebugLogCopy_But",
     "DebugLogClear_But"},
};

void TextOutput::Bind() {
    // The page units create the buttons; one that does not exist is skipped, so the window
    // opens whatever pages it has.
    for (const Route &route : kRoutes) {
        const std::pair<const char *, void (TextOutput::*)(QObject *)> buttons[] = {
            {route.save, &TextOutput::GenericSave_ButClick},
            {route.print, &TextOutput::GenericPrint_ButClick},
            {route.copy, &TextOutput::GenericCopy_ButClick},
            {route.clear, &TextOutput::GenericClear_ButClick},
        };
        for (const auto &[name, handler] : buttons) {
            if (name == nullptr)
                continue;
            auto *button = form_.findChild<QPushButton *>(QString::fromLatin1(name));
            if (button == nullptr)
                continue;
            QObject::connect(button, &QPushButton::clicked, &form_, [this, button, h = handler] {
                form_.Run([this, button, h] { (this->*h)(button); });
            });
        }
    }
}

const TextOutput::Route *TextOutput::routeOf(QObject *sender, Column column) const {
    if (sender == nullptr)
        return nullptr;
    const QString name = sender->objectName();
    for (const Route &route : kRoutes) {
        const char *button = column == Column::Save    ? route.save
                             : column == Column::Print ? route.print
                             : column == Column::Copy  ? route.copy
                                                       : route.clear;
        if (button != nullptr && name == QLatin1String(button) &&
            form_.findChild<QObject *>(name) == sender)
            return &route;
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

void TextOutput::GenericSave_ButClick(QObject *sender) {
    const Route *route = routeOf(sender, Column::Save);
    if (route == nullptr)
        return;
    const bool connectionLog = qstrcmp(route->save, kSaveLog) == 0;
    const bool debugLog = qstrcmp(route->save, kSaveDebugLog) == 0;
    if (saveMemo(form_.Memo(route->memo), QString::fromLatin1(route->proposedName), debugLog) &&
        connectionLog)
        form_.LinkLogUnsaved = false;
}

void TextOutput::SaveConnectionLogAtClose() {
    if (saveMemo(form_.Memo(kConnectionLog), QString::fromLatin1(kCloseTimeLogName), false))
        form_.LinkLogUnsaved = false;
}

bool TextOutput::saveMemo(QPlainTextEdit *memo, const QString &proposedName, bool addDescription) {
    SaveRequest request;
    request.proposedName = proposedName;
    const QString fileName = form_.prompter().SaveFileName(request);
    if (fileName.isEmpty())
        return false;
    if (addDescription) {
        // The router description holds CR LF pairs (firmware and build); each part becomes a
        // line of its own, so the file never gets a bare CR inside a line.
        AppendLine(memo, QStringLiteral(" "));
        AppendLine(memo, form_.Label("Desc_Label")->text() + QLatin1Char(' ') +
                             form_.Label("RouterDesc_Label")->text());
    }
    // Read after the dialog: a monitor tick may have added a line while it was open.
    const QStringList lines = MemoLines(memo);
    QString reason;
    if (!writeFile(fileName, lines, reason)) {
        form_.ReportError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason));
        return false;
    }
    return true;
}

bool TextOutput::writeFile(const QString &fileName, const QStringList &lines, QString &reason) {
    // Written beside the target and renamed over it, so a failure leaves the old file whole.
    QSaveFile file(fileName);
    const QFileInfo existing(fileName);
    if (existing.exists() && !existing.isDir() && !existing.isWritable()) {
        reason = qt_error_string(EACCES);
        return false;
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

void TextOutput::GenericPrint_ButClick(QObject *sender) {
    const Route *route = routeOf(sender, Column::Print);
    if (route == nullptr)
        return;
    QPlainTextEdit *memo = form_.Memo(route->memo);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Vantrel"));
    if (!form_.prompter().PrintDialog(printer))
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
    const Route *route = routeOf(sender, Column::Copy);
    if (route == nullptr)
        return;
    QPlainTextEdit *memo = form_.Memo(route->memo);
    memo->selectAll();
    // An empty selection copies nothing, as with any edit box: the clipboard keeps its text.
    const QString text = memo->toPlainText();
    if (!text.isEmpty())
        QGuiApplication::clipboard()->setText(text, QClipboard::Clipboard);
}

void TextOutput::GenericClear_ButClick(QObject *sender) {
    const Route *route = routeOf(sender, Column::Clear);
    if (route == nullptr)
        return;
    form_.Memo(route->memo)->clear();
    if (qstrcmp(route->clear, kClearLog) == 0)
        form_.LinkLogUnsaved = false;
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
