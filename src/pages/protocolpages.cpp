#include "protocolpages.h"

#include "mainform.h"

#include <QWidget>

QWidget *ProtocolPages::BuildIcmp() {
    return new QWidget;
}
QWidget *ProtocolPages::BuildTcp() {
    return new QWidget;
}
QWidget *ProtocolPages::BuildUdp() {
    return new QWidget;
}
QWidget *ProtocolPages::BuildSnmp() {
    return new QWidget;
}
void ProtocolPages::Bind() {}
void ProtocolPages::ICMPClick() {}
void ProtocolPages::TCPClick() {}
void ProtocolPages::UDPClick() {}
void ProtocolPages::SNMPClick() {}
