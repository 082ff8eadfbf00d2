#include "pages/quotascale.h"

#include "core/grading.h"
#include "ui/widgets.h"

#include <QColor>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>

namespace vantrel::pages {

using namespace vantrel::ui;

namespace {

constexpr int kBarWidth = 28;
constexpr int kGap = 2;

struct MarkDef {
    int percent;
    const char *name;
};
const MarkDef kMarks[] = {
    {95, "Bar95_Label"}, {85, "Bar85_Label"}, {75, "Bar75_Label"},
    {65, "Bar65_Label"}, {50, "Bar50_Label"}, {25, "Bar25_Label"},
};

// Green, yellow and red as the bar itself turns at the mark's level; the yellow is darkened,
// since pure yellow text cannot be read on the window's light grey.
QColor markColour(int percent) {
    switch (core::QuotaLevelOf(percent)) {
    case core::QuotaLevel::Critical:
        return QColor(255, 0, 0);
    case core::QuotaLevel::High:
        return QColor(176, 140, 0);
    case core::QuotaLevel::Normal:
        break;
    }
    return QColor(0, 128, 0);
}

} // namespace

QuotaScale::QuotaScale(QWidget *parent) : QWidget(parent) {
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("In_ProgressBar"));
    bar_->setOrientation(Qt::Vertical);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    for (const MarkDef &def : kMarks) {
        QLabel *label =
            MakeLabel(this, def.name, QStringLiteral("-- ") + QString::number(def.percent));
        SetLabelTextColour(label, markColour(def.percent));
        label->adjustSize();
        marks_.push_back({def.percent, label});
    }
}

QSize QuotaScale::sizeHint() const {
    return minimumSizeHint();
}

QSize QuotaScale::minimumSizeHint() const {
    int labelWidth = 0;
    for (const Mark &mark : marks_)
        labelWidth = std::max(labelWidth, mark.label->sizeHint().width());
    // Room for the marks 10 points apart without touching.
    const int labelHeight = marks_.empty() ? 0 : marks_.front().label->sizeHint().height();
    return {kBarWidth + kGap + labelWidth, labelHeight * 12};
}

void QuotaScale::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    placeMarks();
}

void QuotaScale::placeMarks() {
    bar_->setGeometry(0, 0, kBarWidth, height());
    const int top = 1; // the bar's frame
    const int span = height() - 2;
    for (const Mark &mark : marks_) {
        const int y = top + span * (100 - mark.percent) / 100;
        const int h = mark.label->sizeHint().height();
        mark.label->setGeometry(kBarWidth + kGap, y - h / 2, mark.label->sizeHint().width(), h);
    }
}

} // namespace vantrel::pages
