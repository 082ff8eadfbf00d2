#include "pages/interfacespage.h"

#include "core/bytetext.h"
#include "core/quota.h"
#include "core/quotamodel.h"
#include "core/routermodel.h"
#include "ui/pagecontext.h"
#include "ui/prompter.h"
#include "ui/routerquery.h"
#include "ui/widgets.h"

#include <QColor>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>
#include <exception>

namespace vantrel::pages {

using namespace ui;
using core::IfFigure;
using core::IfGroup;

namespace {

// How a column's reply is shown.
enum class Show {
    Status, // ifOperStatus as UP, DOWN or TESTING in its colour
    Reply,  // the text as it came
    Amount  // an octet counter in ISP gigabytes or megabytes
};

struct LabelPair {
    const char *caption;
    const char *value;
};

// One figure of the three groups (in core::IfFigure order): its caption and hint, and the
// labels of each group (none where the group lacks it).
struct Figure {
    const char *caption;
    const char *tooltip; // nullptr for none
    Show show;
    LabelPair lan;
    LabelPair usb;
    LabelPair wan;
};

const char kHintErrors[] = "Packets which contained errors preventing delivery";

// In query order; the first four stand in the left column of a group, the others in the right.
const Figure kFigures[] = {
    {"Status: ",
     "Operational status",
     Show::Status,
     {"LANStatus_Label", "LANStatusVal_Label"},
     {"USBStatus_Label", "USBStatusVal_Label"},
     {"ATMWANStatus_Label", "ATMWANStatusVal_Label"}},
    {"MTU size: ",
     "Largest datagram which can be sent/received",
     Show::Reply,
     {"LANMtu_Label", "LANMtuVal_Label"},
     {"USBMtu_Label", "USBMtuVal_Label"},
     {nullptr, nullptr}},
    {"IN:",
     "Total bytes received including framing characters",
     Show::Amount,
     {"LANBytesIn_Label", "LANBytesInVal_Label"},
     {"USBBytesIn_Label", "USBBytesInVal_Label"},
     {"INATMWAN_Label", "ATMWANBytesIn_Label"}},
    {"OUT:",
     "Total bytes transmitted including framing characters",
     Show::Amount,
     {"LANBytesOut_Label", "LANBytesOutVal_Label"},
     {"USBBytesOut_Label", "USBBytesOutVal_Label"},
     {"OutATMWAN_Label", "ATMWANBytesOut_Label"}},
    {"InErrors:",
     kHintErrors,
     Show::Reply,
     {"LANInErrPkts_Label", "LANInErrPktsVal_Label"},
     {"USBInErrPkts_Label", "USBInErrPktsVal_Label"},
     {"ATMWANErrPkts_Label", "ATMWANInErrs_Label"}},
    {"InUnknownProtocols:",
     nullptr,
     Show::Reply,
     {"LANInU_Label", "LANInUVal_Label"},
     {"USBInU_Label", "USBInUVal_Label"},
     {"ATMWANInU_Label", "ATMWANInUVal_Label"}},
    {"OutErrors:",
     kHintErrors,
     Show::Reply,
     {"LANOutErrPkts_Label", "LANOutErrPktsVal_Label"},
     {"USBOutErrPkts_Label", "USBOutErrPktsVal_Label"},
     {"ATMWANOutErrPkts_Label", "ATMWANOutErrs_Label"}},
    {"OutQLen:",
     nullptr,
     Show::Reply,
     {"LANOutQLen_Label", "LANOutQLenVal_Label"},
     {"USBOutQLen_Label", "USBOutQLenVal_Label"},
     {"ATMWANOutQLenL_Label", "ATMWANOutQLen_Label"}},
};
constexpr int kLeftFigures = 4;

// The groups in the order the page shows and queries them (core::IfGroup).
struct Group {
    const char *name;
    const char *caption; // before the first refresh adds the ifIndex
    LabelPair Figure::*labels;
};
const Group kGroups[] = {
    {"EthLAN_GBox", " Ethernet LAN interface ", &Figure::lan},
    {"USB_GBox", " Ethernet over USB interface ", &Figure::usb},
    {"ATMWAN_GBox", " WAN interface ", &Figure::wan},
};

constexpr int kHelpInterfaces = 140;
const QString kKey = QStringLiteral("page:Interfaces");

const QColor kUp(0, 128, 0);
const QColor kDown(255, 0, 0);
const QColor kTesting(255, 255, 0);

} // namespace

QWidget *InterfacesPage::Build() {
    page_ = new QWidget;
    QWidget *page = page_;
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(6);

    std::vector<QGridLayout *> grids;
    int captionWidth[2] = {0, 0};
    for (std::size_t g = 0; g < std::size(kGroups); ++g) {
        const Group &group = kGroups[g];
        QGroupBox *box = MakeGroup(page, group.name, QString::fromLatin1(group.caption));
        groups_[g] = box;
        auto *grid = new QGridLayout(box);
        grid->setContentsMargins(10, 6, 10, 6);
        grid->setHorizontalSpacing(8);
        grid->setVerticalSpacing(3);
        int rowOf[2] = {0, 0};
        for (int i = 0; i < int(std::size(kFigures)); ++i) {
            const Figure &figure = kFigures[i];
            const LabelPair &pair = figure.*group.labels;
            if (pair.caption == nullptr)
                continue;
            const int side = i < kLeftFigures ? 0 : 1;
            QLabel *caption = MakeLabel(box, pair.caption, QString::fromLatin1(figure.caption));
            if (figure.tooltip != nullptr)
                caption->setToolTip(QString::fromLatin1(figure.tooltip));
            captionWidth[side] = std::max(captionWidth[side], caption->sizeHint().width());
            grid->addWidget(caption, rowOf[side], side * 3);
            QLabel *value = MakeValueLabel(box, pair.value, QStringLiteral("----"));
            values_[g][std::size_t(i)] = value;
            grid->addWidget(value, rowOf[side]++, side * 3 + 1);
        }
        grids.push_back(grid);
        layout->addWidget(box);
    }
    // The same column widths in every group, so the three line up.
    for (QGridLayout *grid : grids) {
        grid->setColumnMinimumWidth(0, captionWidth[0]);
        grid->setColumnMinimumWidth(1, 130);
        grid->setColumnMinimumWidth(2, 16);
        grid->setColumnMinimumWidth(3, captionWidth[1]);
        grid->setColumnMinimumWidth(4, 130);
        grid->setColumnStretch(5, 1);
    }
    layout->addStretch(1);
    return page;
}

void InterfacesPage::setCaptions(const core::InterfaceMap &map) {
    const std::string *ifIndex[core::IfGroupCount] = {&map.LanIfIndex, &map.UsbIfIndex,
                                                      &map.WanIfIndex};
    for (int g = 0; g < core::IfGroupCount; ++g)
        groups_[std::size_t(g)]->setTitle(QString::fromLatin1(kGroups[g].caption) +
                                          QLatin1Char('[') + core::RouterText(*ifIndex[g]) +
                                          QStringLiteral("] "));
    // A router found by walking has no USB interface of the designed model's: no group of
    // dashes for it.
    groups_[std::size_t(IfGroup::Usb)]->setVisible(!map.Discovered || !map.UsbIfIndex.empty());
}

void InterfacesPage::InterfacesClick(core::Trigger trigger) {
    RouterQuery::Begin(context_, kHelpInterfaces);
    setCaptions(context_.Router().Interfaces());
    core::ResultHead head;
    head.trigger = trigger;
    context_.Router().Submit<core::InterfaceFigures>(
        kKey, core::RouterModel::KindOf(head), head,
        [](core::RouterLink &link) { return core::ReadInterfaces(link); },
        [this](core::InterfaceFigures &f) { context_.Run([this, &f] { render(f); }); });
}

void InterfacesPage::Interfaces_TimerTimer() {
    // The page is refreshed only while it shows, and never by a tick of a stopped timer.
    if (context_.IsActivePage(page_) && timer_ != nullptr && timer_->isActive())
        InterfacesClick(core::Trigger::Timer);
}

void InterfacesPage::setAllStale(bool stale) {
    for (auto &group : values_)
        for (QLabel *label : group)
            SetStale(label, stale);
}

void InterfacesPage::render(const core::InterfaceFigures &f) {
    // The captions as the query found the interfaces (discovery may have run before it).
    setCaptions(f.interfaces);
    QLabel *lanStatus = values_[0][0];
    if (!RouterQuery::Answered(context_, f.head.outcome, lanStatus)) {
        setAllStale(true);
        SetStale(lanStatus, false);
        return;
    }
    // Every value not refreshed below keeps its text, greyed.
    setAllStale(true);
    // The LAN group is unguarded: an amount that cannot be shown ends the refresh.
    showGroup(IfGroup::Lan, f.Group(IfGroup::Lan));
    if (!f.head.outcome.conversionError.empty()) {
        RouterQuery::Finish(context_, f.head.outcome);
        return;
    }
    // The USB and WAN groups report an error in a box of its own and go on.
    auto guarded = [this, &f](IfGroup group) {
        const core::InterfaceGroupReading &reading = f.Group(group);
        if (!reading.asked)
            return;
        try {
            showGroup(group, reading);
        } catch (const std::exception &e) {
            context_.Prompt().Message(QStringLiteral("Vantrel"), QString::fromStdString(e.what()));
            return;
        }
        if (!reading.error.empty())
            context_.Prompt().Message(QStringLiteral("Vantrel"),
                                      QString::fromStdString(reading.error));
    };
    guarded(IfGroup::Usb);
    if (f.wanStatusFailed) {
        QLabel *wanStatus = values_[std::size_t(IfGroup::Wan)][0];
        wanStatus->setText(RouterQuery::GetFailed);
        SetStale(wanStatus, false);
        RouterQuery::ReportFailure(context_);
        return;
    }
    guarded(IfGroup::Wan);
    RouterQuery::Finish(context_, f.head.outcome);
}

namespace {

// The colour of an interface's state.
QColor statusColour(core::LinkState state) {
    switch (state) {
    case core::LinkState::Up:
        return kUp;
    case core::LinkState::Down:
        return kDown;
    case core::LinkState::Testing:
    case core::LinkState::Other:
        break;
    }
    return kTesting;
}

} // namespace

void InterfacesPage::showGroup(IfGroup group, const core::InterfaceGroupReading &reading) {
    const std::size_t g = std::size_t(group);
    const core::QuotaAccount &quota = quota_.Account();
    for (int i = 0; i < core::IfFigureCount; ++i) {
        QLabel *label = values_[g][std::size_t(i)];
        const auto figure = IfFigure(i);
        if (label == nullptr)
            continue;
        switch (kFigures[i].show) {
        case Show::Status: {
            // A state the page has no word for leaves the label as it was.
            const char *word =
                reading.status ? core::InterfaceStatusWord(*reading.status) : nullptr;
            if (word == nullptr)
                continue;
            label->setText(QString::fromLatin1(word));
            SetLabelTextColour(label, statusColour(*reading.status));
            break;
        }
        case Show::Amount:
            if (!reading.Octets(figure))
                continue;
            label->setText(core::AmountText(double(*reading.Octets(figure)), quota.BytesPerGB,
                                            quota.BytesPerMB));
            break;
        case Show::Reply:
            if (!reading.Reply(figure))
                continue;
            label->setText(core::RouterText(*reading.Reply(figure)));
            break;
        }
        SetStale(label, false);
    }
}

} // namespace vantrel::pages
