#pragma once

#include <QLabel>

namespace vantrel::version {

// A label that acts as a link: a click emits clicked(). With hover on, the mouse over it turns
// the text red and the application's cursor into the pointing hand, and leaving turns the text
// blue and puts the cursor back. The cursor is also put back when the label is hidden or
// destroyed under the mouse (the dialog closed by Enter), so no hand cursor is left behind.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    static const QColor Normal; // blue
    static const QColor Hover;  // red

    explicit LinkLabel(QWidget *parent = nullptr, bool hover = true);
    ~LinkLabel() override;

    QColor TextColour() const;
    bool HandCursorShown() const { return handShown_; }

signals:
    void clicked();

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void setTextColour(const QColor &colour);
    void restoreCursor();

    bool hover_;
    bool handShown_ = false;
    bool pressed_ = false;
};

} // namespace vantrel::version
