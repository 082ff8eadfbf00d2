#include "adslpage.h"

#include "mainform.h"

#include <QWidget>

QWidget *AdslPage::Build() {
    return new QWidget;
}

void AdslPage::Bind() {}
void AdslPage::ADSLClick(Trigger) {}
void AdslPage::ADSL_PageControlChange() {}
