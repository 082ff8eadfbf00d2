#pragma once

#include <QString>
#include <string>

class QWidget;

namespace vantrel::core {
struct Outcome;
}

namespace vantrel::ui {

class PageContext;

// The pattern every page refresh follows around its query: the busy text, the help topic and
// the focus before the query goes to the router; after its result is back, the report of a
// router that did not answer, or " Ready". (The window shows the busy cursor by itself while
// page queries are on their way.)
namespace RouterQuery {

extern const QString BusyText;
extern const QString ReadyText;
extern const QString ErrorText;
extern const QString GetFailed;

enum Option { NoFocus = 1 };

// Before the query: busy text, help topic (helpContext < 0 leaves it), focus to the pages.
void Begin(PageContext &context, int helpContext, int options = 0);

// After the query: false when it ended early. A router that did not answer the first request
// puts "Get failed" into failControl (a QLabel or QLineEdit, when given), then the error text
// and the beep; an abandoned query only ends the busy text. true: the page renders its figures,
// then calls Finish.
bool Answered(PageContext &context, const core::Outcome &outcome, QWidget *failControl);

// The end of a refresh: " Ready"; a conversion error that ended the query then goes to the
// error box.
void Finish(PageContext &context, const core::Outcome &outcome);

// The error text and the beep, for a failure outside the first request; reason, when known,
// says why the router did not answer.
void ReportFailure(PageContext &context, const std::string &reason = std::string());

// Puts text into a QLabel or a QLineEdit.
void SetControlText(QWidget *control, const QString &text);

} // namespace RouterQuery

} // namespace vantrel::ui
