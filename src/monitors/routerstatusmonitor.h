#pragma once

class MainForm;

// Keeps the System page's uptime current while that page shows, and switches itself off when
// the router stops answering.
class RouterStatusMonitor {
public:
    explicit RouterStatusMonitor(MainForm &form) : form_(form) {}
    void Bind();
    void RouterStatus_TimerTimer();

private:
    MainForm &form_;
    bool ticking_ = false;
};
