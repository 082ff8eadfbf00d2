#include "debugpage.h"

#include "mainform.h"
#include "routerquery.h"
#include "widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

namespace {

constexpr int kHelpDebug = 210;

struct ButtonDef {
    const char *name;
    const char *caption;
    const char *oid = nullptr;     // the subtree a dump walks
    const char *heading = nullptr; // the log line above the dump
};
// The dumps, then the log commands (the latter bound by TextOutput).
const ButtonDef kDumpButtons[] = {
    {"InterfaceTable_But", "Interface table", "1.3.6.1.2.1.2", "Dump of raw Interface table"},
    {"IPAddrTable_But", "IP table", "1.3.6.1.2.1.4", "Dump of raw IP address table"},
    {"FirmwareVer_But", "Firmware Info", nullptr, "Firmware information"},
};
const ButtonDef kLogButtons[] = {
    {"DebugLogClear_But", "Clear log"},
    {"DebugLogCopy_But", "Copy log"},
    {"SaveDebugLog_But", "Save log"},
    {"DebugPrint_But", "Print log"},
};

} // namespace

QWidget *DebugPage::Build() {
    auto *page = new QWidget;
    auto *layout = new QHBoxLayout(page);

    auto *logColumn = new QVBoxLayout;
    QLabel *heading = MakeLabel(page, "DebugLogHeading_Label", QStringLiteral("Debug log"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    logColumn->addWidget(heading);
    logColumn->addWidget(MakeMemo(page, "DebugLog_Memo", true, true), 1);
    layout->addLayout(logColumn, 1);

    auto *buttonColumn = new QVBoxLayout;
    buttonColumn->addSpacing(heading->sizeHint().height() + logColumn->spacing());
    for (const ButtonDef &b : kDumpButtons)
        buttonColumn->addWidget(MakeButton(page, b.name, QString::fromLatin1(b.caption)));
    buttonColumn->addStretch(1);
    for (const ButtonDef &b : kLogButtons)
        buttonColumn->addWidget(MakeButton(page, b.name, QString::fromLatin1(b.caption)));
    layout->addLayout(buttonColumn);
    return page;
}

void DebugPage::Bind() {
    // Connected after the window's own page-change handlers, so the disabled "&Update" button
    // is what remains when the Debug page shows.
    QTabWidget *pages = form_.PageControl();
    QObject::connect(pages, &QTabWidget::currentChanged, &form_, [this, pages] {
        QWidget *page = pages->currentWidget();
        if (page != nullptr && page->objectName() == QLatin1String("Debug"))
            form_.Run([this] { DebugEnter(); });
    });
}

void DebugPage::DebugEnter() {
    RouterQuery::MoveFocus(form_);
    form_.GetValuesButton()->setEnabled(false);
    form_.SetHelpContext(kHelpDebug);
}

void DebugPage::InterfaceTable_ButClick() {}
void DebugPage::IPAddrTable_ButClick() {}
void DebugPage::FirmwareVer_ButClick() {}
