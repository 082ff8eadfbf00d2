#include "ui/routerquery.h"

#include "core/convert.h"
#include "core/results.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"

#include <QLabel>
#include <QLineEdit>

namespace vantrel::ui::RouterQuery {

const QString BusyText = QStringLiteral(" Busy ... please wait");
const QString ReadyText = QStringLiteral(" Ready");
const QString ErrorText = QStringLiteral(" Error: Check IP address and/or SNMP community name");
const QString GetFailed = QStringLiteral("Get failed");

void Begin(PageContext &context, int helpContext, int options) {
    context.SetStatus(BusyText);
    if (helpContext >= 0)
        context.SetHelpContext(helpContext);
    if (!(options & NoFocus))
        context.MoveFocus();
}

void SetControlText(QWidget *control, const QString &text) {
    if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(text);
    else if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->setText(text);
}

bool Answered(PageContext &context, const core::Outcome &outcome, QWidget *failControl) {
    if (outcome.cancelled) {
        context.SetStatus(ReadyText);
        return false;
    }
    if (outcome.probeFailed) {
        SetControlText(failControl, GetFailed);
        ReportFailure(context, outcome.failure);
        return false;
    }
    return true;
}

void Finish(PageContext &context, const core::Outcome &outcome) {
    context.SetStatus(ReadyText);
    if (!outcome.conversionError.empty())
        throw core::ConvertError(outcome.conversionError);
}

void ReportFailure(PageContext &context, const std::string &reason) {
    context.SetStatus(ErrorText);
    if (!reason.empty())
        context.SetStatusReason(QString::fromStdString(reason));
    context.Prompt().Beep();
}

} // namespace vantrel::ui::RouterQuery
