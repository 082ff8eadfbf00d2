#pragma once

#include "monitors/alerts.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;

namespace vantrel::historyview {

// "Alerts": each alert's switch, and the noise margin's threshold.
class AlertsDialog : public QDialog {
    Q_OBJECT
public:
    AlertsDialog(const monitors::Alerts::Settings &settings, QWidget *parent = nullptr);
    monitors::Alerts::Settings Settings() const;

private:
    QCheckBox *link_;
    QCheckBox *margin_;
    QDoubleSpinBox *threshold_;
    QCheckBox *quota_;
    QCheckBox *router_;
};

} // namespace vantrel::historyview
