#pragma once

#include "trigger.h"

class MainForm;
class QWidget;

// The Quota page: the monthly data-quota account.
class QuotaPage {
public:
    explicit QuotaPage(MainForm &form) : form_(form) {}
    QWidget *Build();
    void Bind();
    void QuotaClick(Trigger trigger);
    void Quota_TimerTimer();

private:
    MainForm &form_;
};
