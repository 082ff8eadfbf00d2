#pragma once

#include <QWidget>
#include <vector>

class QLabel;
class QProgressBar;

namespace vantrel::pages {

// The quota bar with its scale: the marks "-- 25" ... "-- 95" stand beside the bar at the
// heights of their percentages, whatever the bar's height.
class QuotaScale : public QWidget {
    Q_OBJECT
public:
    explicit QuotaScale(QWidget *parent = nullptr);
    QProgressBar *Bar() const { return bar_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Mark {
        int percent;
        QLabel *label;
    };
    void placeMarks();

    QProgressBar *bar_;
    std::vector<Mark> marks_;
};

} // namespace vantrel::pages
