#pragma once

#include "trigger.h"

class MainForm;
class QWidget;

// The ICMP, TCP, UDP and SNMP statistics pages.
class ProtocolPages {
public:
    explicit ProtocolPages(MainForm &form) : form_(form) {}
    QWidget *BuildIcmp();
    QWidget *BuildTcp();
    QWidget *BuildUdp();
    QWidget *BuildSnmp();
    void Bind();
    void ICMPClick();
    void TCPClick();
    void UDPClick();
    void SNMPClick();

private:
    MainForm &form_;
};
