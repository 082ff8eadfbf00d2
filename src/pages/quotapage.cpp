#include "quotapage.h"

#include "mainform.h"

#include <QWidget>

QWidget *QuotaPage::Build() {
    return new QWidget;
}

void QuotaPage::Bind() {}
void QuotaPage::QuotaClick(Trigger) {}
void QuotaPage::Quota_TimerTimer() {}
