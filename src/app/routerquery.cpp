#include "routerquery.h"

#include "mainform.h"
#include "snmp/snmpsend.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

using namespace vantrel::snmp;

const QString RouterQuery::BusyText = QStringLiteral(" Busy ... please wait");
const QString RouterQuery::ReadyText = QStringLiteral(" Ready");
const QString RouterQuery::ErrorText =
    QStringLiteral(" Error: Check IP address and/or SNMP community name");
const QString RouterQuery::GetFailed = QStringLiteral("Get failed");

RouterQuery::RouterQuery(MainForm &form, int helpContext, int options) : form_(form) {
    form_.SetStatus(BusyText);
    if (!(options & NoHourglass))
        form_.SetBusyCursor(true);
    if (helpContext >= 0)
        form_.SetHelpContext(helpContext);
    if (!(options & NoFocus))
        MoveFocus(form_);
}

RouterQuery::~RouterQuery() {
    form_.SetBusyCursor(false);
}

bool RouterQuery::Get(const std::string &oid, std::string &value) const {
    return SnmpGetValue(oid, form_.Community(), form_.Host(), value,
                        {form_.services().snmpTimeoutMs});
}

bool RouterQuery::Walk(const std::string &base, std::vector<std::string> &rows) const {
    return SnmpWalkTable(base, form_.Community(), form_.Host(), rows,
                         {form_.services().snmpTimeoutMs});
}

bool RouterQuery::Probe(const std::string &oid, std::string &value, QWidget *failControl) {
    if (Get(oid, value))
        return true;
    if (auto *label = qobject_cast<QLabel *>(failControl))
        label->setText(GetFailed);
    else if (auto *edit = qobject_cast<QLineEdit *>(failControl))
        edit->setText(GetFailed);
    Fail();
    return false;
}

void RouterQuery::Fail() {
    ReportFailure(form_);
}

void RouterQuery::Ready() {
    form_.SetBusyCursor(false);
    form_.SetStatus(ReadyText);
}

void RouterQuery::MoveFocus(MainForm &form) {
    if (!form.isVisible())
        return;
    QWidget *focus = QApplication::focusWidget();
    if (focus == nullptr || focus->objectName() != QLatin1String("PageControl"))
        form.PageControl()->setFocus();
}

void RouterQuery::ReportFailure(MainForm &form) {
    form.SetStatus(ErrorText);
    form.SetBusyCursor(false);
    form.prompter().Beep();
}
