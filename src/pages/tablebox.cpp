#include "pages/tablebox.h"

#include "app/pagecontext.h"
#include "app/prompter.h"
#include "app/routerquery.h"
#include "app/textoutput.h"

#include <QPlainTextEdit>

namespace vantrel::pages::TableBox {

void Fill(QPlainTextEdit *box, const QString &text) {
    box->setPlainText(text);
    app::TextOutput::ScrollMemo(box, app::TextOutput::ScrollTo::Start);
}

void ReportFailedWalk(app::PageContext &context, bool anyRead, const QString &what, bool beep) {
    context.SetStatus(anyRead ? QStringLiteral(" Error: The router stopped answering; the %1 "
                                               "shows the rows read so far")
                                    .arg(what)
                              : app::RouterQuery::ErrorText);
    if (beep)
        context.Prompt().Beep();
}

} // namespace vantrel::pages::TableBox
