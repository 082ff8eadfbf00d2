#pragma once

#include <QString>
#include <QStringList>

class MainForm;
class QObject;
class QPagedPaintDevice;
class QPaintDevice;
class QPlainTextEdit;

// Save, print, copy and clear for the six text boxes, each handler choosing its box by the
// button that sent it; and the scroll to a box's first or last page.
class TextOutput {
public:
    explicit TextOutput(MainForm &form) : form_(form) {}
    // Connects every save, print, copy and clear button that exists in the window.
    void Bind();

    void GenericSave_ButClick(QObject *sender);
    void GenericPrint_ButClick(QObject *sender);
    void GenericCopy_ButClick(QObject *sender);
    void GenericClear_ButClick(QObject *sender);
    // The close-time offer: the connection log under the proposed name "vantrel_connection".
    void SaveConnectionLogAtClose();

    enum class ScrollTo { Start, End };
    static void ScrollMemo(QPlainTextEdit *memo, ScrollTo where);

    // The lines of a box as the user counts them: its text blocks, without a last block that
    // is empty (so an empty box has no lines and a box ending in a line break no extra one).
    static QStringList MemoLines(const QPlainTextEdit *memo);
    // Appends one line after the box's last line; line breaks inside text (CR LF, CR or LF)
    // start further lines.
    static void AppendLine(QPlainTextEdit *memo, const QString &text);
    // The bytes of a saved file: every line in the local 8-bit encoding followed by CR LF.
    static QByteArray FileBytes(const QStringList &lines);

    // Prints lines as plain text on device with its default font, as one job: each line at
    // the left edge of the printable area, the first at its top, lines wider than the area
    // broken at the last character that fits, line height = text height + 2 device pixels, a
    // new page when the next line would come within two line heights of the bottom, tabs at
    // multiples of eight average character widths. pager turns the pages (normally the same
    // object as device); without one (an image) only the first page is drawn and later ones
    // are only counted. Only pages firstPage to lastPage (0: to the end) are drawn, the pages
    // before them are laid out but use no sheet. Returns the number of pages laid out, or -1
    // when painting could not start or a page could not be turned; the job is ended in every
    // case.
    static int PrintLines(QPaintDevice &device, QPagedPaintDevice *pager, const QStringList &lines,
                          int firstPage = 1, int lastPage = 0);

private:
    struct Route;
    static const Route kRoutes[];
    enum class Column { Save, Print, Copy, Clear };
    const Route *routeOf(QObject *sender, Column column) const;
    // Asks for a file name and writes memo into it; false when cancelled or not written.
    bool saveMemo(QPlainTextEdit *memo, const QString &proposedName, bool addDescription);
    // Replaces fileName with lines atomically; false with the system's reason when it failed.
    static bool writeFile(const QString &fileName, const QStringList &lines, QString &reason);

    MainForm &form_;
};
