#include "pages/debugpage.h"

#include "app/pagecontext.h"
#include "app/routerquery.h"
#include "app/textoutput.h"
#include "app/widgets.h"
#include "core/routermodel.h"
#include "pages/tablebox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace vantrel::pages {

namespace RouterQuery = app::RouterQuery;

namespace {
constexpr int kHelpDebug = 210;
} // namespace

QWidget *DebugPage::Build() {
    page_ = new QWidget;
    auto *layout = new QHBoxLayout(page_);

    auto *logColumn = new QVBoxLayout;
    QLabel *heading = app::MakeLabel(page_, "DebugLogHeading_Label", QStringLiteral("Debug log"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    logColumn->addWidget(heading);
    log_ = app::MakeMemo(page_, "DebugLog_Memo", true, true);
    logColumn->addWidget(log_, 1);
    layout->addLayout(logColumn, 1);

    auto *buttonColumn = new QVBoxLayout;
    buttonColumn->addSpacing(heading->sizeHint().height() + logColumn->spacing());
    interfaceTable_ =
        app::MakeButton(page_, "InterfaceTable_But", QStringLiteral("Interface table"));
    ipTable_ = app::MakeButton(page_, "IPAddrTable_But", QStringLiteral("IP table"));
    firmware_ = app::MakeButton(page_, "FirmwareVer_But", QStringLiteral("Firmware Info"));
    for (QPushButton *b : {interfaceTable_, ipTable_, firmware_})
        buttonColumn->addWidget(b);
    buttonColumn->addStretch(1);

    app::TextOutput::Box box;
    box.memo = log_;
    box.proposedName = QStringLiteral("vantrel_debuglog");
    box.clear = app::MakeButton(page_, "DebugLogClear_But", QStringLiteral("Clear log"));
    box.copy = app::MakeButton(page_, "DebugLogCopy_But", QStringLiteral("Copy log"));
    box.save = app::MakeButton(page_, "SaveDebugLog_But", QStringLiteral("Save log"));
    box.print = app::MakeButton(page_, "DebugPrint_But", QStringLiteral("Print log"));
    // A saved debug log ends with the router description (it stays in the box too); its CR LF
    // pairs become lines of their own.
    box.beforeSave = [this] {
        app::TextOutput::AppendLine(log_, QStringLiteral(" "));
        app::TextOutput::AppendLine(log_, (DescriptionCaption ? DescriptionCaption() : QString()) +
                                              QLatin1Char(' ') +
                                              (Description ? Description() : QString()));
    };
    for (QPushButton *b : {box.clear, box.copy, box.save, box.print})
        buttonColumn->addWidget(b);
    layout->addLayout(buttonColumn);
    context_.Output().Register(box);

    connect(interfaceTable_, &QPushButton::clicked, this,
            [this] { context_.Run([this] { InterfaceTable_ButClick(); }); });
    connect(ipTable_, &QPushButton::clicked, this,
            [this] { context_.Run([this] { IPAddrTable_ButClick(); }); });
    connect(firmware_, &QPushButton::clicked, this,
            [this] { context_.Run([this] { FirmwareVer_ButClick(); }); });
    return page_;
}

void DebugPage::DebugEnter() {
    context_.MoveFocus();
    context_.SetUpdateEnabled(false);
    context_.SetHelpContext(kHelpDebug);
}

void DebugPage::InterfaceTable_ButClick() {
    dump("1.3.6.1.2.1.2", QStringLiteral("Dump of raw Interface table"));
}

void DebugPage::IPAddrTable_ButClick() {
    dump("1.3.6.1.2.1.4", QStringLiteral("Dump of raw IP address table"));
}

void DebugPage::dump(const char *base, const QString &heading) {
    // No help topic and no focus move: the page keeps what showing it set.
    RouterQuery::Begin(context_, -1, RouterQuery::NoFocus);
    const core::ResultHead head;
    context_.Router().Submit<core::DumpReading>(
        QStringLiteral("page:Debug ") + heading, core::RouterModel::KindOf(head), head,
        [oid = std::string(base)](core::RouterLink &link) { return core::ReadDump(link, oid); },
        [this, heading](core::DumpReading &d) {
            context_.Run([this, &d, &heading] { render(d, heading); });
        });
}

void DebugPage::render(const core::DumpReading &d, const QString &heading) {
    if (d.head.outcome.cancelled) {
        context_.SetStatus(RouterQuery::ReadyText);
        return;
    }
    // A walk that read nothing leaves the log as it was; one cut short still adds what it
    // read, marked, so a saved log never passes a part for the whole.
    const bool anyRead = !d.walk.rows.empty();
    if (d.walk.complete || anyRead) {
        QStringList lines;
        if (!log_->document()->isEmpty())
            lines << QStringLiteral(" ");
        lines << heading << QStringLiteral(" ");
        if (anyRead)
            lines << d.walk.text;
        if (!d.walk.complete)
            lines << QStringLiteral("(The router stopped answering here.)");
        app::TextOutput::AppendLine(log_, lines.join(QLatin1Char('\n')));
    }
    if (d.walk.complete)
        context_.SetStatus(RouterQuery::ReadyText);
    else
        TableBox::ReportFailedWalk(context_, anyRead, QStringLiteral("log"), false);
    app::TextOutput::ScrollMemo(log_, app::TextOutput::ScrollTo::Start);
}

void DebugPage::FirmwareVer_ButClick() {
    // No query: the description as the System page last showed it, one line per CR LF part.
    app::TextOutput::AppendLine(log_, QStringLiteral("Firmware information\n\n") +
                                          (Description ? Description() : QString()));
}

} // namespace vantrel::pages
