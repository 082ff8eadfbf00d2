#pragma once

class MainForm;

// Keeps the System page's uptime current while that page shows.
class RouterStatusMonitor {
public:
    explicit RouterStatusMonitor(MainForm &form) : form_(form) {}
    void Bind();
    void RouterStatus_TimerTimer();

private:
    MainForm &form_;
};
