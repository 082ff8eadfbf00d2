#include "historyview/alertsdialog.h"

#include "core/grading.h"
#include "monitors/linkwatch.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vantrel::historyview {

namespace {

QCheckBox *check(QWidget *parent, const char *name, const QString &caption, bool on) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(on);
    return box;
}

} // namespace

AlertsDialog::AlertsDialog(const monitors::Alerts::Settings &settings, QWidget *parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("AlertsDialog"));
    setWindowTitle(QStringLiteral("Alerts"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Tell me on the desktop when"), this));
    auto *grid = new QGridLayout;
    link_ = check(this, "LinkAlert_Check", QStringLiteral("the link drops and comes back"),
                  settings.link);
    grid->addWidget(link_, 0, 0, 1, 3);
    router_ = check(this, "RouterAlert_Check",
                    QStringLiteral("the router stops answering for %1 polls, and answers again")
                        .arg(monitors::LinkWatch::SilentPolls),
                    settings.router);
    margin_ = check(this, "MarginAlert_Check", QStringLiteral("a noise margin stays below"),
                    settings.margin);
    threshold_ = new QDoubleSpinBox(this);
    threshold_->setObjectName(QStringLiteral("MarginThreshold_Spin"));
    threshold_->setRange(0, 30);
    threshold_->setSingleStep(0.5);
    threshold_->setDecimals(1);
    threshold_->setSuffix(QStringLiteral(" dB"));
    threshold_->setValue(settings.marginDb);
    grid->addWidget(margin_, 1, 0);
    grid->addWidget(threshold_, 1, 1);
    grid->addWidget(
        new QLabel(QStringLiteral("for %1 samples in a row").arg(monitors::Alerts::MarginSamples),
                   this),
        1, 2);
    quota_ = check(this, "QuotaAlert_Check",
                   QStringLiteral("the data quota passes %1 %, %2 % and 100 %")
                       .arg(core::QuotaHighPercent)
                       .arg(core::QuotaCriticalPercent),
                   settings.quota);
    grid->addWidget(quota_, 2, 0, 1, 3);
    grid->addWidget(router_, 3, 0, 1, 3);
    layout->addLayout(grid);
    connect(margin_, &QCheckBox::toggled, threshold_, &QWidget::setEnabled);
    threshold_->setEnabled(settings.margin);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("AlertsButtons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

monitors::Alerts::Settings AlertsDialog::Settings() const {
    monitors::Alerts::Settings s;
    s.link = link_->isChecked();
    s.margin = margin_->isChecked();
    s.marginDb = threshold_->value();
    s.quota = quota_->isChecked();
    s.router = router_->isChecked();
    return s;
}

} // namespace vantrel::historyview
