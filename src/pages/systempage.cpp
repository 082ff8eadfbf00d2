#include "pages/systempage.h"

#include "core/bytetext.h"
#include "core/queries.h"
#include "core/routerinfo.h"
#include "core/routermodel.h"
#include "core/settingsmodel.h"
#include "core/uptime.h"
#include "pages/interfaceschooser.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"
#include "ui/widgets.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vantrel::pages {

using ui::RouterQuery::GetFailed;
namespace RouterQuery = ui::RouterQuery;

const char *const SystemPage::DefaultHost = "192.168.1.253";
const char *const SystemPage::DefaultCommunity = "vormel";

namespace {

constexpr int kHelpSystem = 110;

QLineEdit *addressBox(QWidget *parent, QHBoxLayout *row, const char *group, const char *caption,
                      const char *edit) {
    QGroupBox *box = ui::MakeGroup(parent, group, QString::fromLatin1(caption));
    auto *layout = new QVBoxLayout(box);
    auto *line = new QLineEdit(box);
    line->setObjectName(QString::fromLatin1(edit));
    line->setReadOnly(true);
    layout->addWidget(line);
    row->addWidget(box);
    return line;
}

} // namespace

SystemPage::SystemPage(ui::PageContext &context, core::RouterInfo &info,
                       core::SettingsModel &settings)
    : context_(context), info_(info), settings_(settings) {
    connect(&context_.Router(), &core::RouterModel::systemRead, this,
            [this](const core::SystemFigures &f) {
                if (f.head.requester != core::Requester::Monitor)
                    context_.Run([this, &f] { render(f); });
            });
    connect(&info_, &core::RouterInfo::changed, this, [this] { show(); });
}

QWidget *SystemPage::Build() {
    page_ = new QWidget;
    auto *layout = new QVBoxLayout(page_);

    QGroupBox *comms =
        ui::MakeGroup(page_, "CommsSettings_GroupBox", QStringLiteral(" Communication settings "));
    auto *commsLayout = new QGridLayout(comms);
    ip_ = new QLineEdit(comms);
    ip_->setObjectName(QStringLiteral("IPaddress_Edit"));
    community_ = new QLineEdit(QString::fromLatin1(DefaultCommunity), comms);
    community_->setObjectName(QStringLiteral("community_edit"));
    QLabel *ipLabel =
        ui::MakeLabel(comms, "IPaddress_EditLabel", QStringLiteral("Router IP address"));
    QLabel *communityLabel =
        ui::MakeLabel(comms, "community_editLabel", QStringLiteral("Router SNMP community name"));
    ipLabel->setBuddy(ip_);
    communityLabel->setBuddy(community_);
    defaults_ = ui::MakeButton(comms, "GenSysInfoDeafults_But", QStringLiteral("Reset defaults"));
    commsLayout->addWidget(ipLabel, 0, 0);
    commsLayout->addWidget(communityLabel, 0, 1);
    commsLayout->addWidget(ip_, 1, 0);
    commsLayout->addWidget(community_, 1, 1);
    commsLayout->addWidget(defaults_, 1, 2);
    reason_ = ui::MakeLabel(comms, "Reason_Label", QString());
    reason_->setWordWrap(true);
    reason_->hide();
    commsLayout->addWidget(reason_, 2, 0, 1, 3);
    layout->addWidget(comms);

    QGroupBox *router = ui::MakeGroup(page_, "SysStatus_GroupBox", QStringLiteral(" Router "));
    auto *routerLayout = new QGridLayout(router);
    QLabel *upCaption = ui::MakeLabel(router, "RouterUp_Label", QStringLiteral("Uptime: "));
    uptime_ = ui::MakeValueLabel(router, "Uptime_Label", QStringLiteral("----"));
    uptime_->setProperty("longestText", QStringLiteral("497 days 02 hours 27 mins 52 secs"));
    descriptionCaption_ = ui::MakeLabel(router, "Desc_Label", core::RouterInfo::DescriptionCaption);
    description_ = ui::MakeValueLabel(router, "RouterDesc_Label", info_.Description());
    description_->setWordWrap(true);
    description_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    description_->setMinimumHeight(110);
    for (QLabel *l : {upCaption, uptime_, descriptionCaption_, description_})
        l->setProperty("helpContext", 100);
    routerLayout->addWidget(upCaption, 0, 0);
    routerLayout->addWidget(uptime_, 0, 1);
    routerLayout->addWidget(descriptionCaption_, 1, 0, Qt::AlignLeft | Qt::AlignTop);
    routerLayout->addWidget(description_, 1, 1);
    // A router found by walking its tables: what was found, and the user's choice.
    discoveryCaption_ = ui::MakeLabel(router, "Discovery_Label", QStringLiteral("Interfaces: "));
    discovery_ = ui::MakeValueLabel(router, "DiscoveryVal_Label", QString());
    discovery_->setWordWrap(true);
    chooseInterfaces_ = ui::MakeButton(router, "Interfaces_But", QStringLiteral("Interfaces..."));
    // In a widget of its own: a hidden row must not take the caption column's share of the width.
    auto *discoveryBox = new QWidget(router);
    auto *discoveryRow = new QHBoxLayout(discoveryBox);
    discoveryRow->setContentsMargins(0, 0, 0, 0);
    discoveryRow->addWidget(discovery_, 1);
    discoveryRow->addWidget(chooseInterfaces_, 0, Qt::AlignTop);
    routerLayout->addWidget(discoveryCaption_, 2, 0, Qt::AlignLeft | Qt::AlignTop);
    routerLayout->addWidget(discoveryBox, 2, 1);
    for (QWidget *w :
         {static_cast<QWidget *>(discoveryCaption_), static_cast<QWidget *>(discovery_),
          static_cast<QWidget *>(chooseInterfaces_), discoveryBox})
        w->hide();
    connect(chooseInterfaces_, &QPushButton::clicked, this,
            [this] { context_.Run([this] { ChooseInterfaces(); }); });
    routerLayout->setColumnStretch(1, 1);
    routerLayout->setRowStretch(1, 1); // the description takes the room, the uptime stays put
    routerLayout->setVerticalSpacing(10);
    layout->addWidget(router, 1);

    auto *addresses = new QHBoxLayout;
    pcIp_ = addressBox(page_, addresses, "PCIP_GBox", " Computer IP address ", "PCIP_Edit");
    routerIp_ =
        addressBox(page_, addresses, "RouterIP_GBox", " Router IP address ", "RouterIP_Edit");
    wanIp_ = addressBox(page_, addresses, "WanIP_GBox", " WAN IP address ", "WanIP_Edit");
    layout->addLayout(addresses);

    connect(defaults_, &QPushButton::clicked, this,
            [this] { context_.Run([this] { GenSysInfoDeafults_ButClick(); }); });
    for (QLineEdit *edit : {ip_, community_}) {
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this] { targetEdited(); });
    }
    connect(&settings_, &core::SettingsModel::changed, this, [this](core::Setting setting) {
        if (setting == core::Setting::Target) {
            showTarget();
            forgetOldRouter();
        }
    });
    shownIp_ = settings_.Values().Ip;
    targetEdited();
    return page_;
}

bool SystemPage::eventFilter(QObject *watched, QEvent *event) {
    if ((watched == ip_ || watched == community_) && OnTargetFocus) {
        if (event->type() == QEvent::FocusIn)
            context_.Run([this] { OnTargetFocus(true); });
        else if (event->type() == QEvent::FocusOut)
            context_.Run([this] { OnTargetFocus(false); });
    }
    return QObject::eventFilter(watched, event);
}

void SystemPage::targetEdited() {
    if (!showingTarget_)
        settings_.SetTarget(ip_->text(), community_->text());
}

void SystemPage::showTarget() {
    showingTarget_ = true;
    if (ip_->text() != settings_.Values().Ip)
        ip_->setText(settings_.Values().Ip);
    if (community_->text() != settings_.Values().Community)
        community_->setText(settings_.Values().Community);
    showingTarget_ = false;
}

void SystemPage::forgetOldRouter() {
    if (settings_.Values().Ip == shownIp_)
        return;
    shownIp_ = settings_.Values().Ip;
    // What was read belongs to the old router: it goes, rather than staying greyed.
    info_.Forget();
    uptime_->setText(QStringLiteral("----"));
    ui::SetStale(uptime_, false);
    routerIp_->clear();
    wanIp_->clear();
}

void SystemPage::ChooseInterfaces() {
    const core::InterfaceMap &map = info_.Interfaces();
    const core::SettingsValues &v = settings_.Values();
    auto *dialog = new InterfacesChooser(map.Found, map.Discovered ? &*map.Discovered : nullptr,
                                         v.LineInterface, v.WanInterface, v.LanInterface, page_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        settings_.SetInterfaceChoice(dialog->Line(), dialog->Wan(), dialog->Lan());
        context_.Run([this] { GenSysInfoClick(); });
    });
    dialog->open();
}

void SystemPage::GenSysInfoDeafults_ButClick() {
    ip_->setText(QString::fromLatin1(DefaultHost));
    community_->setText(QString::fromLatin1(DefaultCommunity));
}

void SystemPage::GenSysInfoClick(core::Requester requester, bool resetWanRow) {
    RouterQuery::Begin(context_, kHelpSystem);
    core::SystemRequest request;
    request.resetWanRow = resetWanRow;
    // The computer's address is looked up once per run, until it gave one.
    request.wantLocalAddress = info_.WantsLocalAddress();
    fillChoice(request);
    core::ResultHead head;
    head.requester = requester;
    context_.Router().RefreshSystem(request, head);
}

void SystemPage::RetryStartupRead() {
    RouterQuery::Begin(context_, -1, RouterQuery::NoFocus);
    core::SystemRequest request;
    request.wantLocalAddress = info_.WantsLocalAddress();
    fillChoice(request);
    core::ResultHead head;
    head.requester = core::Requester::Startup;
    head.trigger = core::Trigger::Timer;
    context_.Router().RefreshSystem(request, head, core::RouterModel::JobKind::Background);
}

void SystemPage::fillChoice(core::SystemRequest &request) const {
    const core::SettingsValues &v = settings_.Values();
    const auto index = [](const QString &text) -> std::optional<std::int64_t> {
        bool ok = false;
        const qlonglong value = text.trimmed().toLongLong(&ok);
        if (!ok || value < 1 || value > 2147483647)
            return std::nullopt;
        return value;
    };
    request.choice.line = index(v.LineInterface);
    request.choice.wan = index(v.WanInterface);
    request.choice.lan = index(v.LanInterface);
    request.routerAddress = v.Ip.toStdString();
}

void SystemPage::render(const core::SystemFigures &f) {
    if (f.head.outcome.probeFailed && !f.head.outcome.failure.empty()) {
        reason_->setText(QStringLiteral("Reason: ") +
                         QString::fromStdString(f.head.outcome.failure));
        reason_->show();
    } else if (!f.head.outcome.probeFailed && !f.head.outcome.cancelled) {
        reason_->hide();
    }
    if (f.head.outcome.probeFailed) {
        startupMissed_ = startupMissed_ || f.head.requester == core::Requester::Startup;
        // A retry from a timer fails quietly: no beep every few seconds while the router is off.
        if (f.head.trigger == core::Trigger::Timer) {
            context_.SetStatus(RouterQuery::ErrorText);
            return;
        }
    } else if (!f.head.outcome.cancelled) {
        startupMissed_ = false;
    }
    if (!RouterQuery::Answered(context_, f.head.outcome, nullptr)) {
        if (f.head.outcome.probeFailed)
            info_.Unanswered();
        return;
    }
    for (const std::string &message : f.missing)
        context_.Prompt().Message(QStringLiteral("Vantrel"), QString::fromStdString(message));
    info_.Take(f);
    if (f.addressesReached && f.addressWalkFailed) {
        RouterQuery::ReportFailure(context_);
        return;
    }
    // A router found by walking: one line in the status bar instead of a box per interface.
    if (!f.discoverySummary.empty() && f.head.outcome.Completed()) {
        context_.SetStatus(QStringLiteral(" Interfaces: ") +
                           QString::fromStdString(f.discoverySummary));
        return;
    }
    RouterQuery::Finish(context_, f.head.outcome);
}

void SystemPage::show() {
    if (info_.UptimeFailed())
        uptime_->setText(RouterQuery::GetFailed);
    else if (info_.Uptime())
        uptime_->setText(QString::fromStdString(core::UptimeText(*info_.Uptime())));
    ui::SetStale(uptime_, info_.UptimeStale());
    description_->setText(info_.Description());
    ui::SetStale(description_, info_.DescriptionStale());
    if (info_.LocalAddress() && pcIp_->text().isEmpty())
        pcIp_->setText(QString::fromStdString(*info_.LocalAddress()));
    if (info_.AddressWalkFailed())
        routerIp_->setText(GetFailed);
    else if (info_.RouterAddress())
        routerIp_->setText(core::RouterText(*info_.RouterAddress()));
    if (info_.WanAddress())
        wanIp_->setText(core::RouterText(*info_.WanAddress()));
    const bool discovered = !info_.DiscoverySummary().isEmpty();
    discovery_->setText(info_.DiscoverySummary());
    for (QWidget *w :
         {static_cast<QWidget *>(discoveryCaption_), static_cast<QWidget *>(discovery_),
          static_cast<QWidget *>(chooseInterfaces_), discovery_->parentWidget()})
        w->setVisible(discovered);
}

} // namespace vantrel::pages
