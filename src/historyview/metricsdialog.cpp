#include "historyview/metricsdialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace vantrel::historyview {

MetricsDialog::MetricsDialog(const Choice &choice, QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("MetricsDialog"));
    setWindowTitle(QStringLiteral("Serve metrics"));
    auto *layout = new QVBoxLayout(this);
    serve_ = new QCheckBox(QStringLiteral("Serve the latest sample to Prometheus"), this);
    serve_->setObjectName(QStringLiteral("ServeMetrics_Check"));
    serve_->setChecked(choice.serve);
    layout->addWidget(serve_);
    auto *form = new QFormLayout;
    address_ = new QLineEdit(choice.address, this);
    address_->setObjectName(QStringLiteral("MetricsAddress_Edit"));
    address_->setToolTip(QStringLiteral("127.0.0.1 serves this computer only"));
    port_ = new QSpinBox(this);
    port_->setObjectName(QStringLiteral("MetricsPort_Spin"));
    port_->setRange(1, 65535);
    port_->setValue(choice.port);
    form->addRow(QStringLiteral("Address:"), address_);
    form->addRow(QStringLiteral("Port:"), port_);
    layout->addLayout(form);
    auto *note = new QLabel(this);
    note->setTextFormat(Qt::PlainText); // the address comes from the settings file
    auto updateNote = [this, note] {
        note->setText(QStringLiteral("Prometheus scrapes http://%1:%2/metrics")
                          .arg(address_->text().trimmed())
                          .arg(port_->value()));
    };
    updateNote();
    connect(address_, &QLineEdit::textChanged, note, updateNote);
    connect(port_, &QSpinBox::valueChanged, note, updateNote);
    layout->addWidget(note);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

MetricsDialog::Choice MetricsDialog::Chosen() const {
    return {serve_->isChecked(), address_->text().trimmed(), port_->value()};
}

} // namespace vantrel::historyview
