#pragma once

#include "core/tablequeries.h"
#include "ui/tablebox.h"

#include <QObject>
#include <QString>
#include <functional>
#include <string>

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace vantrel::core {
class RouterInfo;
}

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::pages {

// The Debug page: raw dumps of the router into a log.
class DebugPage : public QObject {
    Q_OBJECT
public:
    // info: the router's description, which the log's save and "Firmware Info" add.
    DebugPage(ui::PageContext &context, const core::RouterInfo &info)
        : context_(context), info_(info) {}
    QWidget *Build();

    void DebugEnter();
    void InterfaceTable_ButClick();
    void IPAddrTable_ButClick();
    void FirmwareVer_ButClick();
    QWidget *Widget() const { return page_; }

private:
    // One raw dump: the subtree walked and the heading it gets in the log.
    void dump(const std::string &base, const QString &heading);
    // before: the log when the dump was asked; after: it with the dump, made off the window's
    // thread.
    void render(const core::DumpReading &d, const QString &heading);

    ui::PageContext &context_;
    const core::RouterInfo &info_;
    QWidget *page_ = nullptr;
    QPlainTextEdit *log_ = nullptr;
    QPushButton *interfaceTable_ = nullptr;
    QPushButton *ipTable_ = nullptr;
    QPushButton *firmware_ = nullptr;
};

} // namespace vantrel::pages
