#pragma once

#include <QString>
#include <string>
#include <vector>

class MainForm;
class RouterQuery;
class QWidget;

// The System page: the query target, the router's uptime, description and firmware, the three
// addresses, and interface discovery into the window's InterfaceMap.
class SystemPage {
public:
    explicit SystemPage(MainForm &form) : form_(form) {}
    QWidget *Build();
    void Bind();

    void GenSysInfoClick();
    void GenSysInfoDeafults_ButClick();

    static const char *const DefaultHost;
    static const char *const DefaultCommunity;

private:
    void discover(RouterQuery &query, int count);
    // The computer's, the router's and the WAN address; false when the update ended on a
    // failed walk.
    bool fillAddresses(RouterQuery &query);
    QString waitForLocalAddress();

    MainForm &form_;
};
