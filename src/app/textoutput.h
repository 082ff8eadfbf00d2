#pragma once

#include <QString>
#include <QStringList>

class MainForm;
class QObject;
class QPaintDevice;
class QPlainTextEdit;

// Save, print, copy and clear for the six text boxes, each handler choosing its box by the
// button that sent it; and the scroll to a box's first or last page.
class TextOutput {
public:
    explicit TextOutput(MainForm &form) : form_(form) {}
    void Bind();

    void GenericSave_ButClick(QObject *sender);
    void GenericPrint_ButClick(QObject *sender);
    void GenericCopy_ButClick(QObject *sender);
    void GenericClear_ButClick(QObject *sender);
    // The close-time offer: the connection log under the proposed name "vantrel_connection".
    void SaveConnectionLogAtClose();

    enum class ScrollTo { Start, End };
    static void ScrollMemo(QPlainTextEdit *memo, ScrollTo where);

private:
    MainForm &form_;
};
