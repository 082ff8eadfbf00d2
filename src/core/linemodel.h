#pragma once

#include "core/results.h"

#include <QObject>

namespace vantrel::core {

// The ADSL line as its last reading found it: every figure typed, each one nothing where the
// router did not report it that time. The ADSL page shows the readings it asked for.
class LineModel : public QObject {
    Q_OBJECT
public:
    explicit LineModel(QObject *parent = nullptr) : QObject(parent) {}

    const AdslFigures &Figures() const { return figures_; }
    // A reading of the line; its head says who asked and how it ended.
    void Take(const AdslFigures &figures) {
        figures_ = figures;
        emit changed(figures_);
    }

signals:
    void changed(const vantrel::core::AdslFigures &figures);

private:
    AdslFigures figures_;
};

} // namespace vantrel::core
