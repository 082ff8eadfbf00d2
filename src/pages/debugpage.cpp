#include "pages/debugpage.h"

#include "core/oids.h"
#include "core/routerinfo.h"
#include "core/routermodel.h"
#include "ui/pagecontext.h"
#include "ui/routerquery.h"
#include "ui/tablebox.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

namespace vantrel::pages {

namespace RouterQuery = ui::RouterQuery;

namespace {
constexpr int kHelpDebug = 210;
} // namespace

QWidget *DebugPage::Build() {
    page_ = new QWidget;
    auto *layout = new QHBoxLayout(page_);

    auto *logColumn = new QVBoxLayout;
    QLabel *heading = ui::MakeLabel(page_, "DebugLogHeading_Label", QStringLiteral("Debug log"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    logColumn->addWidget(heading);
    log_ = ui::TableBox::MakeBox(page_, "DebugLog_Memo");
    logColumn->addWidget(log_, 1);
    layout->addLayout(logColumn, 1);

    auto *buttonColumn = new QVBoxLayout;
    buttonColumn->addSpacing(heading->sizeHint().height() + logColumn->spacing());
    interfaceTable_ =
        ui::MakeButton(page_, "InterfaceTable_But", QStringLiteral("Interface table"));
    ipTable_ = ui::MakeButton(page_, "IPAddrTable_But", QStringLiteral("IP table"));
    firmware_ = ui::MakeButton(page_, "FirmwareVer_But", QStringLiteral("Firmware Info"));
    for (QPushButton *b : {interfaceTable_, ipTable_, firmware_})
        buttonColumn->addWidget(b);
    buttonColumn->addStretch(1);

    ui::TextOutput::Box box;
    box.memo = log_;
    box.proposedName = QStringLiteral("vantrel_debuglog");
    box.clear = ui::MakeButton(page_, "DebugLogClear_But", QStringLiteral("Clear log"));
    box.copy = ui::MakeButton(page_, "DebugLogCopy_But", QStringLiteral("Copy log"));
    box.save = ui::MakeButton(page_, "SaveDebugLog_But", QStringLiteral("Save log"));
    box.print = ui::MakeButton(page_, "DebugPrint_But", QStringLiteral("Print log"));
    // A saved debug log ends with the router description (it stays in the box too); its CR LF
    // pairs become lines of their own.
    box.beforeSave = [this] {
        ui::TextOutput::AppendLine(log_, QStringLiteral(" "));
        ui::TextOutput::AppendLine(log_, core::RouterInfo::DescriptionCaption + QLatin1Char(' ') +
                                             info_.Description());
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
    dump(core::oid::Interfaces, QStringLiteral("Dump of raw Interface table"));
}

void DebugPage::IPAddrTable_ButClick() {
    dump(core::oid::Ip, QStringLiteral("Dump of raw IP address table"));
}

namespace {

// The lines a dump adds to the log: a line holding one space when the log is not empty, the
// heading, a line holding one space, the lines read, and a mark where the router stopped
// answering.
QString dumpLines(bool logEmpty, const QString &heading, const core::TableWalk &walk) {
    QStringList lines;
    if (!logEmpty)
        lines << QStringLiteral(" ");
    lines << heading << QStringLiteral(" ");
    if (!walk.rows.empty())
        lines << walk.text;
    if (!walk.complete)
        lines << QStringLiteral("(The router stopped answering here.)");
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void DebugPage::dump(const std::string &base, const QString &heading) {
    // No help topic and no focus move: the page keeps what showing it set.
    RouterQuery::Begin(context_, -1, RouterQuery::NoFocus);
    // The dump's text is made on the router model's thread; the window adds it to the log.
    const core::ResultHead head;
    context_.Router().Submit<core::DumpReading>(
        QStringLiteral("page:Debug ") + heading, core::RouterModel::KindOf(head), head,
        [oid = base](core::RouterLink &link) { return core::ReadDump(link, oid); },
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
    // read, marked, so a saved log never passes a part for the whole. The log shows what was
    // added, from its first line.
    if (d.walk.complete || !d.walk.rows.empty())
        ui::TableBox::AppendShown(log_, dumpLines(log_->document()->isEmpty(), heading, d.walk));
    if (d.walk.complete)
        context_.SetStatus(RouterQuery::ReadyText);
    else
        ui::TableBox::ReportFailedWalk(context_, !d.walk.rows.empty(), QStringLiteral("log"),
                                       false);
}

void DebugPage::FirmwareVer_ButClick() {
    // No query: the description as the System page last showed it, one line per CR LF part.
    ui::TableBox::AppendShown(log_,
                              QStringLiteral("Firmware information\n\n") + info_.Description());
}

} // namespace vantrel::pages
