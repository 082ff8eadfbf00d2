#include "ui/tablebox.h"

#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vantrel::ui::TableBox {

QPlainTextEdit *MakeBox(QWidget *parent, const char *name) {
    QPlainTextEdit *box = ui::MakeMemo(parent, name, true, false);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return box;
}

namespace {

// Lines a box takes in one step; a longer text goes in slices of this many, one slice per pass
// of the window's events, so a table of thousands of rows never holds the window up.
constexpr int kSliceLines = 2000;

// Where the slice that starts at `from` ends: after its last line break, or at the end.
qsizetype sliceEnd(const QString &text, qsizetype from) {
    qsizetype at = from;
    for (int n = 0; n < kSliceLines; ++n) {
        at = text.indexOf(QLatin1Char('\n'), at);
        if (at < 0)
            return text.size();
        ++at;
    }
    return at;
}

void showFromLine(QPlainTextEdit *box, int line) {
    QTextCursor cursor(box->document()->findBlockByNumber(line));
    box->setTextCursor(cursor);
    // Unwrapped, every line is one step of the scroll bar.
    box->verticalScrollBar()->setValue(line);
    box->horizontalScrollBar()->setValue(0);
}

// Fills a box with a long text a slice at a time. A new table is laid into a document of its
// own, which the box takes once it is whole (until then the box shows what it held); lines
// added to a log go into the log's own document, after whatever the log holds by then.
class Filler : public QObject {
public:
    static constexpr const char *Name = "TableBoxFiller";

    Filler(QPlainTextEdit *box, bool replace) : QObject(box), box_(box), replace_(replace) {
        setObjectName(QString::fromLatin1(Name));
        if (replace_) {
            document_ = new QTextDocument(this);
            document_->setUndoRedoEnabled(false);
            document_->setDocumentLayout(new QPlainTextDocumentLayout(document_));
            // As the box would set them, so taking the document over lays it out once only.
            document_->setDefaultFont(box->font());
            QTextOption option = document_->defaultTextOption();
            option.setWrapMode(box->lineWrapMode() == QPlainTextEdit::NoWrap ? QTextOption::NoWrap
                                                                             : box->wordWrapMode());
            option.setTabStopDistance(box->tabStopDistance());
            document_->setDefaultTextOption(option);
        } else {
            document_ = box->document();
        }
    }
    static Filler *Of(QPlainTextEdit *box) {
        return box->findChild<Filler *>(QString::fromLatin1(Name), Qt::FindDirectChildrenOnly);
    }
    bool Replacing() const { return replace_; }
    // A newer table takes this one's place.
    void Cancel() {
        cancelled_ = true;
        setObjectName(QString());
        deleteLater();
    }

    void Add(const QString &text) {
        pending_ += text;
        // An append goes on from the log's last line (or into it, when it is empty).
        if (!replace_ && !pending_.isEmpty() && pending_.size() == text.size()) {
            const QTextBlock last = document_->lastBlock();
            if (!last.text().isEmpty())
                pending_.prepend(QLatin1Char('\n'));
        }
        schedule();
    }

private:
    void schedule() {
        QMetaObject::invokeMethod(
            this, [this] { step(); }, Qt::QueuedConnection);
    }

    void step() {
        if (cancelled_)
            return;
        const qsizetype end = sliceEnd(pending_, at_);
        QTextCursor cursor(document_);
        cursor.movePosition(QTextCursor::End);
        const bool first = at_ == 0;
        const int firstLine = document_->lastBlock().blockNumber() +
                              (!replace_ && pending_.startsWith(QLatin1Char('\n')) ? 1 : 0);
        cursor.beginEditBlock();
        cursor.insertText(pending_.mid(at_, end - at_));
        cursor.endEditBlock();
        at_ = end;
        if (!replace_ && first)
            showFromLine(box_, firstLine);
        if (at_ < pending_.size()) {
            schedule();
            return;
        }
        if (replace_) {
            // Documents given here belong to the box; its first one is the box's own (it goes
            // when the box takes another).
            QTextDocument *previous = box_->document();
            if (previous != nullptr && previous->parent() != box_)
                previous = nullptr;
            document_->setParent(box_);
            box_->setDocument(document_);
            if (previous != nullptr)
                previous->deleteLater();
            ui::TextOutput::ScrollMemo(box_, ui::TextOutput::ScrollTo::Start);
        }
        deleteLater();
        setObjectName(QString());
    }

    QPlainTextEdit *box_;
    bool replace_;
    QTextDocument *document_;
    QString pending_;
    qsizetype at_ = 0;
    bool cancelled_ = false;
};

bool longText(const QString &text) {
    return sliceEnd(text, 0) < text.size();
}

} // namespace

void Show(QPlainTextEdit *box, const QString &text) {
    // A table still on its way is replaced by this one.
    if (Filler *filling = Filler::Of(box); filling != nullptr && filling->Replacing())
        filling->Cancel();
    if (!longText(text)) {
        box->setPlainText(text);
        ui::TextOutput::ScrollMemo(box, ui::TextOutput::ScrollTo::Start);
        return;
    }
    auto *filler = new Filler(box, true);
    filler->Add(text);
}

void AppendShown(QPlainTextEdit *box, const QString &lines) {
    // After the lines still on their way.
    if (Filler *filling = Filler::Of(box); filling != nullptr && !filling->Replacing()) {
        filling->Add(QLatin1Char('\n') + lines);
        return;
    }
    if (longText(lines)) {
        auto *filler = new Filler(box, false);
        filler->Add(lines);
        return;
    }
    // An empty last line is where the new lines begin (an empty box has one).
    const QTextBlock last = box->document()->lastBlock();
    const int first = last.blockNumber() + (last.text().isEmpty() ? 0 : 1);
    ui::TextOutput::AppendLine(box, lines);
    showFromLine(box, first);
}

void ReportFailedWalk(ui::PageContext &context, bool anyRead, const QString &what, bool beep) {
    context.SetStatus(anyRead ? QStringLiteral(" Error: The router stopped answering; the %1 "
                                               "shows the rows read so far")
                                    .arg(what)
                              : ui::RouterQuery::ErrorText);
    if (beep)
        context.Prompt().Beep();
}

} // namespace vantrel::ui::TableBox
