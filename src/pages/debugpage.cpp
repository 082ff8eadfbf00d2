#include "debugpage.h"

#include "mainform.h"

#include <QWidget>

QWidget *DebugPage::Build() {
    return new QWidget;
}

void DebugPage::Bind() {}
void DebugPage::DebugEnter() {}
void DebugPage::InterfaceTable_ButClick() {}
void DebugPage::IPAddrTable_ButClick() {}
void DebugPage::FirmwareVer_ButClick() {}
