#pragma once

#include <string>

class MainForm;

// Polls the WAN link and logs each drop and return in the connection log.
class ConnectionMonitor {
public:
    explicit ConnectionMonitor(MainForm &form) : form_(form) {}
    void Bind();
    void Connect_TimerTimer();

private:
    MainForm &form_;
};
