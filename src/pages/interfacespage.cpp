#include "interfacespage.h"

#include "mainform.h"

#include <QWidget>

QWidget *InterfacesPage::Build() {
    return new QWidget;
}

void InterfacesPage::Bind() {}
void InterfacesPage::InterfacesClick() {}
void InterfacesPage::Interfaces_TimerTimer() {}
