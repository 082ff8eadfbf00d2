#pragma once

#include "trigger.h"

class MainForm;
class QWidget;

// The Debug page: raw dumps of the router into a log.
class DebugPage {
public:
    explicit DebugPage(MainForm &form) : form_(form) {}
    QWidget *Build();
    void Bind();
    void DebugEnter();
    void InterfaceTable_ButClick();
    void IPAddrTable_ButClick();
    void FirmwareVer_ButClick();

private:
    MainForm &form_;
};
