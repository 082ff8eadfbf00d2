#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QObject;
class QPagedPaintDevice;
class QPaintDevice;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace vantrel::ui {

class PageContext;

// Save, print, copy and clear for the text boxes the pages register, each handler choosing its
// box by the button that sent it; and the scroll to a box's first or last page.
class TextOutput {
public:
    explicit TextOutput(PageContext &context) : context_(context) {}

    // One text box and the buttons that serve it (nullptr: the box has none).
    struct Box {
        QPlainTextEdit *memo = nullptr;
        QString proposedName; // of a saved file, without extension
        QPushButton *save = nullptr;
        QPushButton *print = nullptr;
        QPushButton *copy = nullptr;
        QPushButton *clear = nullptr;
        std::function<void()> beforeSave; // after the dialog, before the file is written
        std::function<void()> saved;      // after a successful save
        std::function<void()> cleared;    // after the box was emptied
    };
    // Connects the box's buttons to the generic handlers.
    void Register(const Box &box);

    void GenericSave_ButClick(QObject *sender);
    void GenericPrint_ButClick(QObject *sender);
    void GenericCopy_ButClick(QObject *sender);
    void GenericClear_ButClick(QObject *sender);
    // Asks for a file name (proposing proposedName) and writes memo into it; false when the
    // user cancelled or the file could not be written (after the error box).
    bool SaveMemo(QPlainTextEdit *memo, const QString &proposedName);

    // The folder the save and print dialogs open in: the last one a file was saved to (while it
    // exists), at first the documents folder.
    QString DialogFolder() const;
    // The last folder a file was saved or printed to ("" before any), as the settings keep it.
    QString SaveFolder() const { return folder_; }
    void SetSaveFolder(const QString &folder) { folder_ = folder; }

    // The print dialog for printer, proposing to print to proposedName.pdf in DialogFolder()
    // when the last print went to a file or there is no printer to choose; a print to a file
    // makes its folder the last one used. False when the user cancelled.
    bool PrintDialog(QPrinter &printer, const QString &proposedName);

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

    // Replaces fileName with lines atomically; false with the system's reason when it failed.
    static bool WriteFile(const QString &fileName, const QStringList &lines, QString &reason);

private:
    enum class Column { Save, Print, Copy, Clear };
    const Box *boxOf(QObject *sender, Column column) const;
    bool save(const Box &box, const QString &proposedName);

    PageContext &context_;
    std::vector<Box> boxes_;
    QString folder_;
    bool printedToFile_ = false;
};

} // namespace vantrel::ui
