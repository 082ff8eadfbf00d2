#include "ui/tablebox.h"

#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

#include <QCoreApplication>
#include <QFont>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace vantrel::ui::TableBox {

QPlainTextEdit *MakeBox(QWidget *parent, const char *name) {
    QPlainTextEdit *box = ui::MakeMemo(parent, name, true, false);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return box;
}

Look LookOf(const QPlainTextEdit *box) {
    Look look;
    look.font = box->font();
    look.wrap =
        box->lineWrapMode() == QPlainTextEdit::NoWrap ? QTextOption::NoWrap : box->wordWrapMode();
    look.tabStop = box->tabStopDistance();
    return look;
}

Document MakeDocument(const QString &text, const Look &look) {
    auto *document = new QTextDocument;
    document->setUndoRedoEnabled(false);
    document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    // As the box would set them, so taking the document over lays it out only once.
    document->setDefaultFont(look.font);
    QTextOption option = document->defaultTextOption();
    option.setWrapMode(look.wrap);
    option.setTabStopDistance(look.tabStop);
    document->setDefaultTextOption(option);
    document->setPlainText(text);
    if (QCoreApplication::instance() != nullptr)
        document->moveToThread(QCoreApplication::instance()->thread());
    // A box that shows the document owns it as its child.
    return Document(document, [](QTextDocument *d) {
        if (d->parent() == nullptr)
            delete d;
    });
}

void Show(QPlainTextEdit *box, const Document &document) {
    // Documents given here belong to the box; its first one is the box's own business.
    QTextDocument *previous = box->document();
    if (previous != nullptr && previous->parent() != box)
        previous = nullptr;
    document->setParent(box);
    box->setDocument(document.get());
    if (previous != nullptr)
        previous->deleteLater();
    ui::TextOutput::ScrollMemo(box, ui::TextOutput::ScrollTo::Start);
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
