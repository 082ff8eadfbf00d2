#pragma once

#include "trigger.h"

class MainForm;
class QWidget;

// The ADSL page: line figures on "Connection Info" and the connection log on its second tab.
class AdslPage {
public:
    explicit AdslPage(MainForm &form) : form_(form) {}
    QWidget *Build();
    void Bind();
    void ADSLClick(Trigger trigger);
    void ADSL_PageControlChange();

    // Sub-pages of ADSL_PageControl.
    enum SubPage { ConnectionInfo = 0, ConnectionLog = 1 };

private:
    MainForm &form_;
};
