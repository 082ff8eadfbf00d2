#pragma once

#include "trigger.h"

class MainForm;
class QWidget;

// The Interfaces page: LAN, WAN and USB interface figures.
class InterfacesPage {
public:
    explicit InterfacesPage(MainForm &form) : form_(form) {}
    QWidget *Build();
    void Bind();
    void InterfacesClick();
    void Interfaces_TimerTimer();

private:
    MainForm &form_;
};
