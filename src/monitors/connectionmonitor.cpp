#include "connectionmonitor.h"

#include "mainform.h"

void ConnectionMonitor::Bind() {}
void ConnectionMonitor::Connect_TimerTimer() {}
