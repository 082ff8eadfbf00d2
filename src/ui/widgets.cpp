#include "ui/widgets.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace vantrel::ui {

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text) {
    auto *label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    // A label may show what the router says: markup in it shows as its characters.
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QLabel *MakeValueLabel(QWidget *parent, const char *name, const QString &placeholder) {
    QLabel *label = MakeLabel(parent, name, placeholder);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption) {
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QGroupBox *MakeGroup(QWidget *parent, const char *name, const QString &caption) {
    auto *group = new QGroupBox(caption, parent);
    group->setObjectName(QString::fromLatin1(name));
    return group;
}

QPlainTextEdit *MakeMemo(QWidget *parent, const char *name, bool readOnly, bool wordWrap) {
    auto *memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setReadOnly(readOnly);
    memo->setLineWrapMode(wordWrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    return memo;
}

void AddPairs(QGridLayout *grid, QWidget *parent, const std::vector<PairRow> &rows,
              const QString &placeholder, int columns, int firstRow) {
    const int perColumn = int((rows.size() + size_t(columns) - 1) / size_t(columns));
    for (int i = 0; i < int(rows.size()); ++i) {
        const PairRow &row = rows[size_t(i)];
        const int r = firstRow + i % perColumn;
        const int c = (i / perColumn) * 2;
        QLabel *caption = MakeLabel(parent, row.captionName, row.caption);
        if (!row.tooltip.isEmpty())
            caption->setToolTip(row.tooltip);
        grid->addWidget(caption, r, c);
        grid->addWidget(MakeValueLabel(parent, row.valueName, placeholder), r, c + 1);
    }
}

ObjectPairNames ObjectPair(const std::string &object) {
    return {object + "L_Label", object + "_Label"};
}

void SetLabelBackground(QLabel *label, const QColor &colour) {
    QPalette palette = label->palette();
    // A stale (disabled) label is greyed on the plain background: an alarm colour belongs to
    // the current reading only.
    palette.setColor(QPalette::Active, QPalette::Window, colour);
    palette.setColor(QPalette::Inactive, QPalette::Window, colour);
    palette.setColor(QPalette::Disabled, QPalette::Window,
                     QPalette().color(QPalette::Disabled, QPalette::Window));
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

void SetLabelTextColour(QLabel *label, const QColor &colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    label->setPalette(palette);
}

void SetStale(QWidget *control, bool stale) {
    // A disabled control is drawn in the style's greyed text; nothing else changes.
    if (control != nullptr)
        control->setEnabled(!stale);
}

bool IsStale(const QWidget *control) {
    return control != nullptr && !control->isEnabled();
}

void SetTimerEnabled(QTimer *timer, bool enabled) {
    if (!enabled)
        timer->stop();
    else if (!timer->isActive())
        timer->start();
}

} // namespace vantrel::ui
