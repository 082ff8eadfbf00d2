#include "ui/tablebox.h"

#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

namespace vantrel::ui::TableBox {

QPlainTextEdit *MakeBox(QWidget *parent, const char *name) {
    QPlainTextEdit *box = ui::MakeMemo(parent, name, true, false);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return box;
}

void Show(QPlainTextEdit *box, const QString &text) {
    box->setPlainText(text);
    ui::TextOutput::ScrollMemo(box, ui::TextOutput::ScrollTo::Start);
}

void AppendShown(QPlainTextEdit *box, const QString &lines) {
    // An empty last line is where the new lines begin (an empty box has one).
    const QTextBlock last = box->document()->lastBlock();
    const int first = last.blockNumber() + (last.text().isEmpty() ? 0 : 1);
    ui::TextOutput::AppendLine(box, lines);
    // Unwrapped, every line is one step of the scroll bar.
    const QTextBlock block = box->document()->findBlockByNumber(first);
    QTextCursor cursor(block);
    box->setTextCursor(cursor);
    box->verticalScrollBar()->setValue(first);
    box->horizontalScrollBar()->setValue(0);
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
