#pragma once
// What the pages with table boxes share: putting a table into its box, and telling the user
// about a walk that the router stopped answering.

#include <QString>

class QPlainTextEdit;

namespace vantrel::app {
class PageContext;
}

namespace vantrel::pages::TableBox {

// Replaces the box's text in one step (one layout however long the table) and shows its
// first line.
void Fill(QPlainTextEdit *box, const QString &text);

// A walk that failed: with nothing read, the router's error text; part-way, a text saying that
// `what` shows the rows read so far. beep: with the system beep.
void ReportFailedWalk(app::PageContext &context, bool anyRead, const QString &what, bool beep);

} // namespace vantrel::pages::TableBox
