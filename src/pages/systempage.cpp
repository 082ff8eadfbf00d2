#include "systempage.h"

#include "mainform.h"
#include "routerquery.h"
#include "snmp/convert.h"
#include "snmp/uptime.h"
#include "widgets.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

using namespace vantrel::snmp;

const char *const SystemPage::DefaultHost = "192.168.1.253";
const char *const SystemPage::DefaultCommunity = "vormel";

namespace {

const char kIfNumber[] = "1.3.6.1.2.1.2.1.0";
const char kIfDescr[] = "1.3.6.1.2.1.2.2.1.2.";
const char kIfIndex[] = "1.3.6.1.2.1.2.2.1.1.";
const char kSysUpTime[] = "1.3.6.1.2.1.1.3.0";
const char kSysDescr[] = "1.3.6.1.2.1.1.1.0";
const char kAdEntIfIndex[] = "1.3.6.1.2.1.4.20.1.2";
const char kAdEntAddr[] = "1.3.6.1.2.1.4.20.1.1";

// The router maker's firmware objects and what goes in front of each value.
const struct {
    const char *oid;
    const char *prefix;
} kFirmware[] = {
    {"1.3.6.1.4.1.763.3.1.2.0", "\r\nFirmware: "},
    {"1.3.6.1.4.1.763.3.1.3.0", " "},
    {"1.3.6.1.4.1.763.3.1.4.0", "\r\nBuild: "},
    {"1.3.6.1.4.1.763.3.1.5.0", "\r\n"},
};

std::string unquoted(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '"'), s.end());
    return s;
}

QLineEdit *addressBox(QWidget *parent, QVBoxLayout *column, const char *group, const char *caption,
                      const char *edit) {
    QGroupBox *box = MakeGroup(parent, group, QString::fromLatin1(caption));
    auto *layout = new QVBoxLayout(box);
    auto *line = new QLineEdit(box);
    line->setObjectName(QString::fromLatin1(edit));
    line->setReadOnly(true);
    layout->addWidget(line);
    column->addWidget(box);
    return line;
}

} // namespace

QWidget *SystemPage::Build() {
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    QGroupBox *comms =
        MakeGroup(page, "CommsSettings_GroupBox", QStringLiteral(" Communication settings "));
    auto *commsLayout = new QGridLayout(comms);
    auto *ip = new QLineEdit(comms);
    ip->setObjectName(QStringLiteral("IPaddress_Edit"));
    auto *community = new QLineEdit(QString::fromLatin1(DefaultCommunity), comms);
    community->setObjectName(QStringLiteral("community_edit"));
    QLabel *ipLabel = MakeLabel(comms, "IPaddress_EditLabel", QStringLiteral("Router IP address"));
    QLabel *communityLabel =
        MakeLabel(comms, "community_editLabel", QStringLiteral("Router SNMP community name"));
    ipLabel->setBuddy(ip);
    communityLabel->setBuddy(community);
    commsLayout->addWidget(ipLabel, 0, 0);
    commsLayout->addWidget(communityLabel, 0, 1);
    commsLayout->addWidget(ip, 1, 0);
    commsLayout->addWidget(community, 1, 1);
    commsLayout->addWidget(
        MakeButton(comms, "GenSysInfoDeafults_But", QStringLiteral("Reset defaults")), 1, 2);
    layout->addWidget(comms);

    QGroupBox *router = MakeGroup(page, "SysStatus_GroupBox", QStringLiteral(" Router "));
    auto *routerLayout = new QGridLayout(router);
    QLabel *upCaption = MakeLabel(router, "RouterUp_Label", QStringLiteral("Uptime: "));
    QLabel *uptime = MakeValueLabel(router, "Uptime_Label", QStringLiteral("----"));
    QLabel *descCaption = MakeLabel(router, "Desc_Label", QStringLiteral("Description: "));
    QLabel *desc = MakeValueLabel(router, "RouterDesc_Label", QString(60, QLatin1Char('-')));
    desc->setWordWrap(true);
    desc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    desc->setMinimumHeight(110);
    for (QLabel *l : {upCaption, uptime, descCaption, desc})
        l->setProperty("helpContext", 100);
    routerLayout->addWidget(upCaption, 0, 0);
    routerLayout->addWidget(uptime, 0, 1);
    routerLayout->addWidget(descCaption, 1, 0, Qt::AlignLeft | Qt::AlignTop);
    routerLayout->addWidget(desc, 1, 1);
    routerLayout->setColumnStretch(1, 1);
    routerLayout->setRowStretch(1, 1); // the description takes the room, the uptime stays put
    routerLayout->setVerticalSpacing(10);
    layout->addWidget(router, 1);

    auto *addresses = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    auto *middle = new QVBoxLayout;
    auto *right = new QVBoxLayout;
    addressBox(page, left, "PCIP_GBox", " Computer IP address ", "PCIP_Edit");
    addressBox(page, middle, "RouterIP_GBox", " Router IP address ", "RouterIP_Edit");
    addressBox(page, right, "WanIP_GBox", " WAN IP address ", "WanIP_Edit");
    addresses->addLayout(left);
    addresses->addLayout(middle);
    addresses->addLayout(right);
    layout->addLayout(addresses);
    return page;
}

void SystemPage::Bind() {
    QObject::connect(form_.Button("GenSysInfoDeafults_But"), &QPushButton::clicked, &form_,
                     [this] { form_.Run([this] { GenSysInfoDeafults_ButClick(); }); });
}

void SystemPage::GenSysInfoDeafults_ButClick() {
    form_.Edit("IPaddress_Edit")->setText(QString::fromLatin1(DefaultHost));
    form_.Edit("community_edit")->setText(QString::fromLatin1(DefaultCommunity));
}

void SystemPage::GenSysInfoClick() {
    RouterQuery query(form_, 110);
    std::string value;
    if (!query.Probe(kIfNumber, value, nullptr))
        return;
    discover(query, StrToInt(value));

    if (query.Get(kSysUpTime, value))
        form_.Label("Uptime_Label")->setText(QString::fromStdString(UptimeText(value)));
    QLabel *desc = form_.Label("RouterDesc_Label");
    if (query.Get(kSysDescr, value))
        desc->setText(RouterText(value));
    for (const auto &line : kFirmware)
        if (query.Get(line.oid, value))
            desc->setText(desc->text() + QString::fromLatin1(line.prefix) + RouterText(value));

    if (fillAddresses(query))
        query.Ready();
}

void SystemPage::discover(RouterQuery &query, int count) {
    InterfaceMap &map = form_.Interfaces;
    struct Search {
        const char *descr;
        std::string *row;
        std::string *ifIndex;
        const char *missing; // message when the row is still "0"; nullptr for none
    };
    const Search searches[] = {
        {"Bridge", &map.BridgeRow, &map.BridgeIfIndex, "Error: Unable to find Bridge interface"},
        {"Ethernet", &map.LanRow, &map.LanIfIndex, "Error: Unable to find LAN interface"},
        {"ATM", &map.WanRow, &map.WanIfIndex, "Error: Unable to find ATM interface"},
        // A PPP-over-ATM interface, when the router has one, carries the WAN traffic.
        {"RFC-2364", &map.WanRow, &map.WanIfIndex, nullptr},
        {"Ethernet over USB", &map.UsbRow, &map.UsbIfIndex, "Error: Unable to find USB interface"},
    };
    for (const Search &search : searches) {
        std::string descr;
        for (int n = 1; n <= count; ++n) {
            if (!query.Get(kIfDescr + std::to_string(n), descr) || descr != search.descr)
                continue;
            *search.row = std::to_string(n);
            std::string index;
            query.Get(kIfIndex + *search.row, index); // empty text on failure
            *search.ifIndex = index;
            break;
        }
        if (search.missing != nullptr && *search.row == "0")
            form_.prompter().Message(QStringLiteral("Vantrel"),
                                     QString::fromLatin1(search.missing));
    }
}

QString SystemPage::waitForLocalAddress() {
    if (!form_.services().localAddress)
        return QString();
    // The lookup repeats every 500 ms on its own thread; the window keeps handling its events
    // meanwhile, and gives up after a bounded wait so a host without an address cannot hang it.
    struct Shared {
        std::mutex mutex;
        QString result;
        std::atomic<bool> done{false};
        std::atomic<bool> stop{false};
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, lookup = form_.services().localAddress] {
        while (!shared->stop) {
            const QString address = lookup();
            if (!address.isEmpty()) {
                std::lock_guard<std::mutex> lock(shared->mutex);
                shared->result = address;
                shared->done = true;
                return;
            }
            for (int i = 0; i < 10 && !shared->stop; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }).detach();
    QElapsedTimer waited;
    waited.start();
    while (!shared->done && waited.elapsed() < form_.services().localAddressWaitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!shared->done)
            QThread::msleep(10);
    }
    shared->stop = true;
    std::lock_guard<std::mutex> lock(shared->mutex);
    return shared->result;
}

bool SystemPage::fillAddresses(RouterQuery &query) {
    QLineEdit *pc = form_.Edit("PCIP_Edit");
    if (pc->text().isEmpty())
        pc->setText(waitForLocalAddress());

    QLineEdit *routerIp = form_.Edit("RouterIP_Edit");
    std::vector<std::string> ifIndexes;
    if (!query.Walk(kAdEntIfIndex, ifIndexes)) {
        routerIp->setText(RouterQuery::GetFailed);
        query.Fail();
        return false;
    }
    if (ifIndexes.empty())
        return true;
    std::vector<std::string> addresses;
    query.Walk(kAdEntAddr, addresses);
    for (auto &line : ifIndexes)
        line = unquoted(line);
    for (auto &line : addresses)
        line = unquoted(line);

    // Both walks key their lines by the same table index, so line i of one belongs to line i of
    // the other. No bridge address (no bridge row found): the box stays empty.
    std::string lan;
    const InterfaceMap &map = form_.Interfaces;
    for (size_t i = 0; i < ifIndexes.size() && i < addresses.size(); ++i)
        if (ifIndexes[i] == map.BridgeIfIndex) {
            lan = addresses[i];
            break;
        }
    routerIp->setText(RouterText(lan));

    // The WAN address: the one on the WAN interface; else the last one that is not the LAN
    // address; else the last one.
    std::string wan;
    bool found = false;
    for (size_t i = 0; i < ifIndexes.size() && i < addresses.size(); ++i)
        if (!map.WanIfIndex.empty() && ifIndexes[i] == map.WanIfIndex) {
            wan = addresses[i];
            found = true;
            break;
        }
    for (size_t i = addresses.size(); !found && i-- > 0;)
        if (!addresses[i].empty() && addresses[i] != lan) {
            wan = addresses[i];
            found = true;
        }
    if (!found && !addresses.empty())
        wan = addresses.back();
    form_.Edit("WanIP_Edit")->setText(RouterText(wan));
    return true;
}
