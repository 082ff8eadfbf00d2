#pragma once
// What the pages with table boxes share: a table's text, made once on the router model's
// thread, put into its box on the window's thread in one step, and the report of a walk that
// the router stopped answering.

#include <QString>

class QPlainTextEdit;
class QWidget;

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::ui::TableBox {

// A read-only box for a table or a dump in a fixed-pitch font. Its lines are never wrapped: a
// row longer than the box scrolls sideways, so its columns stay under their heading.
QPlainTextEdit *MakeBox(QWidget *parent, const char *name);

// Shows the text in the box in place of what it held, from the first line. A long text (a table
// of thousands of rows) is laid into a document of its own a slice of lines per pass of the
// window's events, so no pass holds the window up for long, and the box takes it once it is
// whole; until then the box shows what it held. A newer text replaces one still on its way.
void Show(QPlainTextEdit *box, const QString &text);

// Adds the lines after the box's last line and shows the first of them at the top of the box,
// so what was added is what the user sees. Long texts go in slices as above, straight into the
// box; lines added meanwhile follow them.
void AppendShown(QPlainTextEdit *box, const QString &lines);

// A walk that failed: with nothing read, the router's error text; part-way, a text saying that
// `what` shows the rows read so far. beep: with the system beep.
void ReportFailedWalk(ui::PageContext &context, bool anyRead, const QString &what, bool beep);

} // namespace vantrel::ui::TableBox
