#include "version/linklabel.h"

#include <QApplication>
#include <QMouseEvent>

namespace vantrel::version {

const QColor LinkLabel::Normal(0, 0, 255);
const QColor LinkLabel::Hover(255, 0, 0);

LinkLabel::LinkLabel(QWidget *parent, bool hover) : QLabel(parent), hover_(hover) {
    if (hover_)
        setTextColour(Normal);
}

LinkLabel::~LinkLabel() {
    restoreCursor();
}

QColor LinkLabel::TextColour() const {
    return palette().color(QPalette::WindowText);
}

void LinkLabel::setTextColour(const QColor &colour) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

void LinkLabel::restoreCursor() {
    if (handShown_) {
        QApplication::restoreOverrideCursor();
        handShown_ = false;
    }
}

void LinkLabel::enterEvent(QEnterEvent *event) {
    QLabel::enterEvent(event);
    if (!hover_)
        return;
    if (!handShown_) { // never stacked twice
        QApplication::setOverrideCursor(Qt::PointingHandCursor);
        handShown_ = true;
    }
    setTextColour(Hover);
}

void LinkLabel::leaveEvent(QEvent *event) {
    QLabel::leaveEvent(event);
    if (!hover_)
        return;
    restoreCursor();
    setTextColour(Normal);
}

void LinkLabel::hideEvent(QHideEvent *event) {
    QLabel::hideEvent(event);
    restoreCursor();
    if (hover_)
        setTextColour(Normal);
}

void LinkLabel::mousePressEvent(QMouseEvent *event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

} // namespace vantrel::version
