#pragma once

#include "trigger.h"

class MainForm;
class QWidget;

// The IP page: statistics and the address, route and net-to-media tables.
class IpPage {
public:
    explicit IpPage(MainForm &form) : form_(form) {}
    QWidget *Build();
    void Bind();
    void IPClick(Trigger trigger);
    void IP_PageControlChange();

private:
    MainForm &form_;
};
