#pragma once

#include <QString>
#include <string>
#include <vector>

class MainForm;
class QLabel;
class QWidget;

// The pattern every page handler follows when it talks to the router: busy text and hourglass,
// help topic, focus to the page control, a probe whose failure is reported, each request with
// the target read afresh from the System page, and the normal cursor at the end, also when a
// conversion error leaves the handler.
class RouterQuery {
public:
    static const QString BusyText;
    static const QString ReadyText;
    static const QString ErrorText;
    static const QString GetFailed;

    enum Option { NoFocus = 1, NoHourglass = 2 };
    // helpContext < 0 leaves the help topic alone.
    RouterQuery(MainForm &form, int helpContext, int options = 0);
    ~RouterQuery();
    RouterQuery(const RouterQuery &) = delete;
    RouterQuery &operator=(const RouterQuery &) = delete;

    bool Get(const std::string &oid, std::string &value) const;
    bool Walk(const std::string &base, std::vector<std::string> &rows) const;
    // The first request: on failure "Get failed" goes into failControl (a QLabel or QLineEdit,
    // when given), then the error text, the normal cursor and the beep.
    bool Probe(const std::string &oid, std::string &value, QWidget *failControl);
    // Reports a failed router: error text, normal cursor, beep.
    void Fail();
    // Normal cursor and " Ready".
    void Ready();

    // Focus to the page control when the window is visible and the focus is elsewhere.
    static void MoveFocus(MainForm &form);
    // The error text, the normal cursor and the beep, for callers outside a query.
    static void ReportFailure(MainForm &form);

private:
    MainForm &form_;
};
