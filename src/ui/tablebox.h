#pragma once
// What the pages with table boxes share: a table's text laid into a document of its own off the
// window's thread, swapped into its box in one step, and the report of a walk that the router
// stopped answering.

#include <QFont>
#include <QString>
#include <QTextOption>
#include <memory>

class QPlainTextEdit;
class QTextDocument;
class QWidget;

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::ui::TableBox {

// A box's text as a document. Text documents may be built on any thread; this one is made on
// the router model's thread and handed over to the window's, so the window never lays a long
// table out line by line. Disposed of with the result that carries it unless a box took it.
using Document = std::shared_ptr<QTextDocument>;

// A read-only box for a table or a dump in a fixed-pitch font. Its lines are never wrapped: a
// row longer than the box scrolls sideways, so its columns stay under their heading.
QPlainTextEdit *MakeBox(QWidget *parent, const char *name);

// How a box lays its text out: read on the window's thread, used for the document.
struct Look {
    QFont font;
    QTextOption::WrapMode wrap = QTextOption::NoWrap;
    qreal tabStop = 80;
};
Look LookOf(const QPlainTextEdit *box);

Document MakeDocument(const QString &text, const Look &look);

// Shows the document in the box in place of its text, from the first line. The document the
// box showed before goes (after this pass of the window's events).
void Show(QPlainTextEdit *box, const Document &document);

// A walk that failed: with nothing read, the router's error text; part-way, a text saying that
// `what` shows the rows read so far. beep: with the system beep.
void ReportFailedWalk(ui::PageContext &context, bool anyRead, const QString &what, bool beep);

} // namespace vantrel::ui::TableBox
