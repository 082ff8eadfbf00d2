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

private:
    MainForm &form_;
};
