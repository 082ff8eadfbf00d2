#pragma once
// Small builders for the window's controls, so that every page names and styles its labels,
// buttons and text boxes the same way.

#include <QString>
#include <string>
#include <vector>

class QColor;
class QGridLayout;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class QTimer;

namespace vantrel::ui {

// A label of plain text: what it shows is never read as markup.
QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text);
// A value label: bold, starting with its placeholder of dashes.
QLabel *MakeValueLabel(QWidget *parent, const char *name, const QString &placeholder);
QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption);
QGroupBox *MakeGroup(QWidget *parent, const char *name, const QString &caption);
// A multi-line text box in the fixed-pitch font.
QPlainTextEdit *MakeMemo(QWidget *parent, const char *name, bool readOnly, bool wordWrap);

// One caption/value pair of a page.
struct PairRow {
    const char *captionName;
    QString caption;
    const char *valueName;
    QString tooltip; // on the caption label; empty for none
};

// Lays out pairs top to bottom in `columns` columns of caption and value labels.
void AddPairs(QGridLayout *grid, QWidget *parent, const std::vector<PairRow> &rows,
              const QString &placeholder, int columns = 1, int firstRow = 0);

// Pairs named after MIB objects: caption "<Object>L_Label" showing "<Object>:" and value
// "<Object>_Label".
struct ObjectPairNames {
    std::string captionName;
    std::string valueName;
};
ObjectPairNames ObjectPair(const std::string &object);

// Sets a label's background colour (the Fusion style shows it everywhere).
void SetLabelBackground(QLabel *label, const QColor &colour);
// Sets a label's text colour (the greyed colour of a stale value stays the style's).
void SetLabelTextColour(QLabel *label, const QColor &colour);

// A value that a failed refresh left as it was is drawn greyed, its text unchanged, until a
// refresh gives it a fresh value again.
void SetStale(QWidget *control, bool stale);
bool IsStale(const QWidget *control);

// A timer as the window's timers behave: enabling a running timer does not restart it, and a
// stopped timer keeps its interval.
void SetTimerEnabled(QTimer *timer, bool enabled);

} // namespace vantrel::ui
