#include "ippage.h"

#include "mainform.h"

#include <QWidget>

QWidget *IpPage::Build() {
    return new QWidget;
}

void IpPage::Bind() {}
void IpPage::IPClick(Trigger) {}
void IpPage::IP_PageControlChange() {}
