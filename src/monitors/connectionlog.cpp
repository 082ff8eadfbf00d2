#include "monitors/connectionlog.h"

#include "ui/textoutput.h"
#include "ui/widgets.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>

namespace vantrel::monitors {

using ui::MakeMemo;
using ui::TextOutput;

ConnectionLog::ConnectionLog(QObject *parent)
    : QObject(parent), memo_(MakeMemo(nullptr, "LinkLog_Memo", false, false)) {
    memo_->installEventFilter(this);
    // A note the user types (or pastes, or deletes) is part of the log: it is offered for saving
    // at close and kept when the session ends, like the monitor's own lines.
    connect(memo_->document(), &QTextDocument::contentsChange, this,
            [this](int, int removed, int added) {
                if (removed != 0 || added != 0)
                    unsaved_ = true;
            });
}

ConnectionLog::~ConnectionLog() {
    // The box belongs to the page that shows it once it has been placed; until then, to us.
    if (memo_->parent() == nullptr)
        delete memo_;
}

bool ConnectionLog::eventFilter(QObject *watched, QEvent *event) {
    // The Ctrl key in the log marks it modified, so the close offers to save it.
    if (watched == memo_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Control)
        unsaved_ = true;
    return QObject::eventFilter(watched, event);
}

void ConnectionLog::AppendLine(const QString &line) {
    // The user may be typing a note: their cursor and selection stay where they are.
    const QTextCursor user = memo_->textCursor();
    const int anchor = user.anchor();
    const int position = user.position();
    TextOutput::AppendLine(memo_, line);
    QTextCursor kept(memo_->document());
    kept.setPosition(anchor);
    kept.setPosition(position, QTextCursor::KeepAnchor);
    memo_->setTextCursor(kept);
    // The program's lines are a record: Ctrl+Z undoes the user's typing after them, never them.
    memo_->document()->clearUndoRedoStacks();
    ScrollToEnd();
}

QStringList ConnectionLog::Lines() const {
    return TextOutput::MemoLines(memo_);
}

bool ConnectionLog::IsEmpty() const {
    return Lines().isEmpty();
}

void ConnectionLog::Clear() {
    memo_->clear();
    unsaved_ = false;
}

void ConnectionLog::ScrollToEnd() {
    QScrollBar *bar = memo_->verticalScrollBar();
    bar->setValue(bar->maximum());
    memo_->horizontalScrollBar()->setValue(memo_->horizontalScrollBar()->minimum());
}

} // namespace vantrel::monitors
