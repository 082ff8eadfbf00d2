#include "pages/interfacespage.h"

#include "app/pagecontext.h"
#include "app/widgets.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <algorithm>

namespace vantrel::pages {

using namespace app;

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

// One figure of the three groups: its ifTable column ("1.3.6.1.2.1.2.2.1." + column + "." +
// row), caption and hint, and the labels of each group (none where the group lacks it).
struct Figure {
    int column;
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
    {8,
     "Status: ",
     "Operational status",
     Show::Status,
     {"LANStatus_Label", "LANStatusVal_Label"},
     {"USBStatus_Label", "USBStatusVal_Label"},
     {"ATMWANStatus_Label", "ATMWANStatusVal_Label"}},
    {4,
     "MTU size: ",
     "Largest datagram which can be sent/received",
     Show::Reply,
     {"LANMtu_Label", "LANMtuVal_Label"},
     {"USBMtu_Label", "USBMtuVal_Label"},
     {nullptr, nullptr}},
    {10,
     "IN:",
     "Total bytes received including framing characters",
     Show::Amount,
     {"LANBytesIn_Label", "LANBytesInVal_Label"},
     {"USBBytesIn_Label", "USBBytesInVal_Label"},
     {"INATMWAN_Label", "ATMWANBytesIn_Label"}},
    {16,
     "OUT:",
     "Total bytes transmitted including framing characters",
     Show::Amount,
     {"LANBytesOut_Label", "LANBytesOutVal_Label"},
     {"USBBytesOut_Label", "USBBytesOutVal_Label"},
     {"OutATMWAN_Label", "ATMWANBytesOut_Label"}},
    {14,
     "InErrors:",
     kHintErrors,
     Show::Reply,
     {"LANInErrPkts_Label", "LANInErrPktsVal_Label"},
     {"USBInErrPkts_Label", "USBInErrPktsVal_Label"},
     {"ATMWANErrPkts_Label", "ATMWANInErrs_Label"}},
    {15,
     "InUnknownProtocols:",
     nullptr,
     Show::Reply,
     {"LANInU_Label", "LANInUVal_Label"},
     {"USBInU_Label", "USBInUVal_Label"},
     {"ATMWANInU_Label", "ATMWANInUVal_Label"}},
    {20,
     "OutErrors:",
     kHintErrors,
     Show::Reply,
     {"LANOutErrPkts_Label", "LANOutErrPktsVal_Label"},
     {"USBOutErrPkts_Label", "USBOutErrPktsVal_Label"},
     {"ATMWANOutErrPkts_Label", "ATMWANOutErrs_Label"}},
    {21,
     "OutQLen:",
     nullptr,
     Show::Reply,
     {"LANOutQLen_Label", "LANOutQLenVal_Label"},
     {"USBOutQLen_Label", "USBOutQLenVal_Label"},
     {"ATMWANOutQLenL_Label", "ATMWANOutQLen_Label"}},
};
constexpr int kLeftFigures = 4;

// The groups in the order the page shows and queries them.
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

// The refresh and the interfaces timer come with the interface figures' query.
void InterfacesPage::InterfacesClick() {}
void InterfacesPage::Interfaces_TimerTimer() {}

} // namespace vantrel::pages
