#include "routerstatusmonitor.h"

#include "mainform.h"

void RouterStatusMonitor::Bind() {}
void RouterStatusMonitor::RouterStatus_TimerTimer() {}
