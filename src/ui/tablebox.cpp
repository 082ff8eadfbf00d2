#include "ui/tablebox.h"

#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

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

// Fills a box with a long text a slice at a time, straight into the box's document: a table in
// place of what the box held, shown from its first line; lines added to a log after whatever
// the log holds by then, shown from the first of them.
class Filler : public QObject {
public:
    static constexpr const char *Name = "TableBoxFiller";

    Filler(QPlainTextEdit *box, bool replace) : QObject(box), box_(box), replace_(replace) {
        setObjectName(QString::fromLatin1(Name));
        if (replace_)
            box_->clear();
    }
    static Filler *Of(const QPlainTextEdit *box) {
        return box->findChild<Filler *>(QString::fromLatin1(Name), Qt::FindDirectChildrenOnly);
    }
    bool Replacing() const { return replace_; }

    void Add(const QString &text) {
        // An append goes on from the log's last line (or into it, when that is empty).
        if (!replace_ && pending_.isEmpty() && !box_->document()->lastBlock().text().isEmpty())
            pending_ += QLatin1Char('\n');
        pending_ += text;
        schedule();
    }
    // A newer table takes this one's place.
    void Cancel() { finish(); }
    // The rest at once (a command wants the whole text now).
    void Complete() {
        while (!done_)
            step(pending_.size());
    }

private:
    void schedule() {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!done_)
                    step(sliceEnd(pending_, at_));
            },
            Qt::QueuedConnection);
    }

    void step(qsizetype end) {
        const bool first = at_ == 0;
        QTextDocument *document = box_->document();
        const QTextBlock last = document->lastBlock();
        const int firstLine = last.blockNumber() + (pending_.startsWith(QLatin1Char('\n')) ? 1 : 0);
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::End);
        cursor.beginEditBlock();
        cursor.insertText(pending_.mid(at_, end - at_));
        cursor.endEditBlock();
        at_ = end;
        if (first) {
            if (replace_)
                ui::TextOutput::ScrollMemo(box_, ui::TextOutput::ScrollTo::Start);
            else
                showFromLine(box_, firstLine);
        }
        if (at_ < pending_.size())
            schedule();
        else
            finish();
    }

    void finish() {
        done_ = true;
        setObjectName(QString());
        deleteLater();
    }

    QPlainTextEdit *box_;
    bool replace_;
    QString pending_;
    qsizetype at_ = 0;
    bool done_ = false;
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

void Complete(QPlainTextEdit *box) {
    if (Filler *filling = Filler::Of(box))
        filling->Complete();
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
