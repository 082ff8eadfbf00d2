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
#include <QTextDocument>
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

// The lines a dump adds to a log that holds `log` (raw text, blocks apart by paragraph
// separators): a line holding one space when the log is not empty, the heading, a line holding
// one space, the lines read, and a mark where the router stopped answering.
QString dumpLines(const QString &log, const QString &heading, const core::TableWalk &walk) {
    QStringList lines;
    if (!log.isEmpty())
        lines << QStringLiteral(" ");
    lines << heading << QStringLiteral(" ");
    if (!walk.rows.empty())
        lines << walk.text;
    if (!walk.complete)
        lines << QStringLiteral("(The router stopped answering here.)");
    return lines.join(QLatin1Char('\n'));
}

// The log with the dump's lines after its last line (or in its last line, when that is empty).
QString withDump(const QString &log, const QString &lines) {
    if (log.isEmpty() || log.endsWith(QChar::ParagraphSeparator))
        return log + lines;
    return log + QLatin1Char('\n') + lines;
}

} // namespace

void DebugPage::dump(const std::string &base, const QString &heading) {
    // No help topic and no focus move: the page keeps what showing it set.
    RouterQuery::Begin(context_, -1, RouterQuery::NoFocus);
    // A long dump is laid into the log's next document on the router model's thread, from the
    // log as it is now; it is used if the log has not changed meanwhile.
    struct Result {
        core::ResultHead head;
        core::DumpReading dump;
        ui::TableBox::Document log;
    };
    const QString log = log_->document()->toRawText();
    const core::ResultHead head;
    context_.Router().Submit<Result>(
        QStringLiteral("page:Debug ") + heading, core::RouterModel::KindOf(head), head,
        [oid = base, log, heading, look = ui::TableBox::LookOf(log_)](core::RouterLink &link) {
            Result r;
            r.dump = core::ReadDump(link, oid);
            r.head = r.dump.head;
            if (!r.head.outcome.cancelled && (r.dump.walk.complete || !r.dump.walk.rows.empty()))
                r.log = ui::TableBox::MakeDocument(
                    withDump(log, dumpLines(log, heading, r.dump.walk)), look);
            return r;
        },
        [this, heading, log](Result &r) {
            r.dump.head = r.head;
            context_.Run([this, &r, &heading, &log] { render(r.dump, heading, log, r.log); });
        });
}

void DebugPage::render(const core::DumpReading &d, const QString &heading, const QString &before,
                       const ui::TableBox::Document &after) {
    if (d.head.outcome.cancelled) {
        context_.SetStatus(RouterQuery::ReadyText);
        return;
    }
    // A walk that read nothing leaves the log as it was; one cut short still adds what it
    // read, marked, so a saved log never passes a part for the whole.
    if (after) {
        const QString now = log_->document()->toRawText();
        if (now == before)
            ui::TableBox::Show(log_, after);
        else
            ui::TextOutput::AppendLine(log_, dumpLines(now, heading, d.walk));
    }
    if (d.walk.complete)
        context_.SetStatus(RouterQuery::ReadyText);
    else
        ui::TableBox::ReportFailedWalk(context_, !d.walk.rows.empty(), QStringLiteral("log"),
                                       false);
    ui::TextOutput::ScrollMemo(log_, ui::TextOutput::ScrollTo::Start);
}

void DebugPage::FirmwareVer_ButClick() {
    // No query: the description as the System page last showed it, one line per CR LF part.
    ui::TextOutput::AppendLine(log_,
                               QStringLiteral("Firmware information\n\n") + info_.Description());
}

} // namespace vantrel::pages
