#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace vantrel::historyview {

// "Serve metrics": whether the metrics endpoint runs, and where it listens.
class MetricsDialog : public QDialog {
    Q_OBJECT
public:
    struct Choice {
        bool serve = false;
        QString address;
        int port = 0;
    };
    explicit MetricsDialog(const Choice &choice, QWidget *parent = nullptr);
    Choice Chosen() const;

private:
    QCheckBox *serve_;
    QLineEdit *address_;
    QSpinBox *port_;
};

} // namespace vantrel::historyview
