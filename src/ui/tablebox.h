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
// of thousands of rows) goes in a slice of lines per pass of the window's events, so no pass
// holds the window up for long; a newer text replaces one still on its way.
void Show(QPlainTextEdit *box, const QString &text);

// Adds the lines after the box's last line and shows the first of them at the top of the box,
// so what was added is what the user sees. Long texts go in slices as above; lines added
// meanwhile follow them.
void AppendShown(QPlainTextEdit *box, const QString &lines);

// Puts the rest of a text still on its way into the box at once: the copy, save and print
// commands always take the whole of it.
void Complete(QPlainTextEdit *box);

// A walk that failed: with nothing read, the router's error text; part-way, a text saying that
// `what` shows the rows read so far. beep: with the system beep.
void ReportFailedWalk(ui::PageContext &context, bool anyRead, const QString &what, bool beep);

} // namespace vantrel::ui::TableBox
