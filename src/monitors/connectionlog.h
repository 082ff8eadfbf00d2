#pragma once

#include <QObject>
#include <QStringList>

class QPlainTextEdit;
class QWidget;

namespace vantrel::monitors {

// The connection log: its editable text box (the user may add notes) and whether it holds
// lines or notes not yet saved. The program's own lines go in through AppendLine: they never move
// the user's typing cursor and cannot be undone with Ctrl+Z.
class ConnectionLog : public QObject {
    Q_OBJECT
public:
    explicit ConnectionLog(QObject *parent = nullptr);
    ~ConnectionLog() override;

    // LinkLog_Memo; the ADSL page puts it on its "Connection Log" sub-page.
    QPlainTextEdit *Memo() const { return memo_; }

    bool Unsaved() const { return unsaved_; }
    void SetUnsaved(bool unsaved) { unsaved_ = unsaved; }

    // Appends one line after the log's last line (into an empty last line, so no blank line
    // appears), keeps the user's cursor and selection, and shows the end of the log.
    void AppendLine(const QString &line);
    QStringList Lines() const;
    bool IsEmpty() const;
    void Clear();
    void ScrollToEnd();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *memo_;
    bool unsaved_ = false;
};

} // namespace vantrel::monitors
