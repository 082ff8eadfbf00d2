#include "pages/adslpage.h"

#include "core/bytetext.h"
#include "core/convert.h"
#include "core/linemodel.h"
#include "core/routermodel.h"
#include "ui/pagecontext.h"
#include "ui/routerquery.h"
#include "ui/textoutput.h"
#include "ui/widgets.h"

#include <QColor>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vantrel::pages {

using core::AdslRow;
namespace RouterQuery = ui::RouterQuery;

namespace {

// How a reply becomes the text and colour of its label.
enum class Display {
    Rate,        // bits per second -> whole Kbps; an empty reply counts as 0
    Power,       // tenths of a dBm -> whole dBm
    Margin,      // tenths of a dB -> dB, background graded as a noise margin
    Attenuation, // tenths of a dB -> dB, graded as an attenuation, then the distance estimate
    Decibel,     // tenths of a dB -> dB
    LinkStatus,  // ifOperStatus -> Up / Training / Down with its colour
    Coding,      // adslLineCoding -> its name
    LineType,    // adslLineType -> its name; interleaved lines also show their delay
    Verbatim,    // the reply as it came
};

// Where a row's labels sit on the page.
enum class Section { Down, Up, Link, Seconds, Blocks };

// One figure of the page: how it is shown, and the labels that show it. In the order of the
// figures (AdslRow), which is the order the router is asked.
struct AdslLabel {
    Display display;
    Section section;
    int slot; // line within its section
    const char *captionName;
    const char *caption;
    const char *valueName;
    const char *placeholder;
};

const char kDashes6[] = "------";
const char kDashes7[] = "-------";

const AdslLabel kLabels[core::AdslRowCount] = {
    {Display::Rate, Section::Down, 0, "DnSpeed_Label", "Speed: ", "DnSpeedVal_Label", kDashes6},
    {Display::Power, Section::Down, 3, "DnTxPower_Label", "TxPower:", "DnTxPowerVal_Label",
     kDashes7},
    {Display::Margin, Section::Down, 2, "DnSNR_Label", "SNR: ", "DnSNRVal_Label", kDashes6},
    {Display::Attenuation, Section::Down, 1, "DnAtt_Label", "Attenuation: ", "DnAttVal_Label",
     kDashes6},
    {Display::Rate, Section::Up, 0, "UpSpeed_Label", "Speed: ", "UpSpeedVal_Label", kDashes6},
    {Display::Decibel, Section::Up, 2, "UpSNR_Label", "SNR: ", "UpSNRVal_Label", kDashes6},
    {Display::Decibel, Section::Up, 1, "UpAtt_Label", "Attenuation: ", "UpAttVal_Label", kDashes6},
    {Display::Power, Section::Up, 3, "UpTxPower_Label", "TxPower:", "UpTxPowerVal_Label", kDashes7},
    {Display::LinkStatus, Section::Link, 0, "Status_Label", "Status: ", "StatusVal_Label",
     kDashes6},
    {Display::Coding, Section::Link, 1, "Coding_Label", "Coding:", "CodingVal_Label", kDashes6},
    {Display::Verbatim, Section::Link, 2, "Modulation_Label", "Modulation:", "ModulationVal_Label",
     kDashes6},
    {Display::LineType, Section::Link, 3, "Mode_Label", "Type:", "ModeVal_Label", kDashes7},
    {Display::Verbatim, Section::Seconds, 0, "LOFS_Label",
     "Loss of framing seconds:", "LOSFSVal_Label", kDashes6},
    {Display::Verbatim, Section::Seconds, 1, "LOSSS_Label",
     "Loss of signal seconds:", "LOSSSVal_Label", kDashes6},
    {Display::Verbatim, Section::Seconds, 2, "LOPS_Label",
     "Loss of power seconds:", "LOPSVal_Label", kDashes6},
    {Display::Verbatim, Section::Seconds, 3, "ES_Label", "Total errored seconds:", "ESVal_Label",
     kDashes6},
    {Display::Verbatim, Section::Seconds, 4, "CurDayES_Label",
     "Current day error seconds:", "CurDayESVal_Label", kDashes6},
    {Display::Verbatim, Section::Seconds, 5, "PrevDayES_Label",
     "Previous day error seconds:", "PrevDayESVal_Label", kDashes6},
    {Display::Verbatim, Section::Blocks, 0, "DnCorrBlks_Label",
     "Corrected blocks (Down):", "DnCorrBlksVal_Label", kDashes6},
    {Display::Verbatim, Section::Blocks, 1, "DnUncorrBlks_Label",
     "Uncorrected blocks (Down):", "DnUncorrBlksVal_Label", kDashes6},
    {Display::Verbatim, Section::Blocks, 2, "UpCorrBlks_Label",
     "Corrected blocks (Up):", "UpCorrBlksVal_Label", kDashes6},
    {Display::Verbatim, Section::Blocks, 3, "UpUnCorrBlks_Label",
     "Uncorrected blocks (Up):", "UpUnCorrBlksVal_Label", kDashes6},
};

const int kInfoHelp = 130;
const int kLogHelp = 131;

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);

QColor colourOf(core::Grade grade) {
    switch (grade) {
    case core::Grade::Good:
        return kGreen;
    case core::Grade::Fair:
        return kYellow;
    case core::Grade::Poor:
        break;
    }
    return kRed;
}

QColor colourOf(core::LinkState state) {
    switch (state) {
    case core::LinkState::Up:
        return kGreen;
    case core::LinkState::Testing:
        return kYellow;
    case core::LinkState::Down:
    case core::LinkState::Other:
        break;
    }
    return kRed;
}

// The distance from the downstream attenuation, with two decimals.
QString distanceText(double tenths) {
    if (const std::optional<double> km = core::DistanceKm(tenths))
        return QString::asprintf("%0.2f km", *km);
    return QString::fromLatin1(kDashes6);
}

QString decibels(double r) {
    return QString::fromStdString(core::FloatToStr(r / 10.0)) + QStringLiteral(" dB");
}

QLabel *heading(QWidget *parent, const char *name, const QString &text) {
    QLabel *label = ui::MakeLabel(parent, name, text);
    QFont font = label->font();
    font.setBold(true);
    font.setUnderline(true);
    label->setFont(font);
    return label;
}

QFrame *separator(QWidget *parent) {
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// A value label as the page shows it: bold black text that keeps its size, so the colour
// grading covers the text and a little margin only.
QLabel *valueLabel(QWidget *parent, const char *name, const char *placeholder) {
    QLabel *label = ui::MakeValueLabel(parent, name, QString::fromLatin1(placeholder));
    ui::SetLabelTextColour(label, Qt::black);
    label->setContentsMargins(3, 0, 3, 0);
    return label;
}

// The longest texts a row may show, so the page keeps room for them.
const char *longestText(Display display) {
    switch (display) {
    case Display::Rate:
        return "99999 Kbps";
    case Display::Power:
        return "-99 dBm";
    case Display::Margin:
    case Display::Attenuation:
    case Display::Decibel:
        return "-99.9 dB";
    case Display::LinkStatus:
        return "Training";
    case Display::Coding:
        return "other";
    case Display::LineType:
        return "Fast + Interleaved\rDelay 64ms";
    case Display::Verbatim:
        break;
    }
    return "4294967295";
}

} // namespace

const QString AdslPage::NotReportedText = QStringLiteral("not reported");

AdslPage::AdslPage(ui::PageContext &context, const core::LineModel &line) : context_(context) {
    // The page shows the readings it asked for; the recorder's come to the model too.
    connect(&line, &core::LineModel::changed, this, [this](const core::AdslFigures &f) {
        if (f.head.requester == core::Requester::Page)
            context_.Run([this, &f] { render(f); });
    });
}

QWidget *AdslPage::Build(QWidget *logSheet) {
    page_ = new QWidget;
    auto *layout = new QVBoxLayout(page_);
    layout->setContentsMargins(4, 4, 4, 4);
    tabs_ = new QTabWidget(page_);
    tabs_->setObjectName(QStringLiteral("ADSL_PageControl"));

    // "Connection Info": downstream, upstream and link information side by side, the distance,
    // then the line's error counters: seconds on the left, blocks on the right.
    auto *info = new QWidget;
    info->setObjectName(QStringLiteral("ADSLInfo_TabSheet"));
    auto *infoLayout = new QVBoxLayout(info);
    infoLayout->setContentsMargins(12, 12, 12, 8);
    infoLayout->setSpacing(12);
    auto column = [this, info](Section section, const char *headingName, const char *headingText) {
        auto *box = new QWidget(info);
        auto *grid = new QGridLayout(box);
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(8);
        int first = 0;
        if (headingName != nullptr) {
            grid->addWidget(heading(box, headingName, QString::fromLatin1(headingText)), 0, 0, 1,
                            2);
            first = 1;
        }
        for (int i = 0; i < core::AdslRowCount; ++i) {
            const AdslLabel &row = kLabels[i];
            if (row.section != section)
                continue;
            grid->addWidget(ui::MakeLabel(box, row.captionName, QString::fromLatin1(row.caption)),
                            first + row.slot, 0, Qt::AlignLeft | Qt::AlignTop);
            QLabel *value = valueLabel(box, row.valueName, row.placeholder);
            value->setProperty("longestText", QString::fromLatin1(longestText(row.display)));
            // An interleaved line shows its delay on a second line; the room is kept for it
            // so the page does not move when it appears.
            if (row.display == Display::LineType)
                value->setMinimumHeight(2 * value->fontMetrics().lineSpacing());
            grid->addWidget(value, first + row.slot, 1, Qt::AlignLeft | Qt::AlignTop);
            values_[std::size_t(i)] = value;
        }
        grid->setColumnStretch(1, 1);
        grid->setRowStretch(grid->rowCount(), 1);
        return box;
    };
    auto *top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(column(Section::Down, "DownHeading_Label", "Downstream"), 1);
    top->addWidget(column(Section::Up, "UpspdHeading_Label", "Upstream"), 1);
    top->addWidget(column(Section::Link, "LinkHeading_Label", "Link Information"), 1);
    infoLayout->addLayout(top);
    infoLayout->addWidget(separator(info));
    auto *distance = new QHBoxLayout;
    distance->addWidget(ui::MakeLabel(info, "DistanceLabel",
                                      QStringLiteral("Approximate distance from exchange: ")));
    distance_ = valueLabel(info, "DistanceVal_Label", kDashes6);
    distance_->setProperty("longestText", QStringLiteral("999.99 km"));
    distance->addWidget(distance_);
    distance->addStretch(1);
    // The line's story over time has a window of its own.
    QPushButton *history = ui::MakeButton(info, "History_But", QStringLiteral("Line history..."));
    connect(history, &QPushButton::clicked, this, [this] {
        if (OnShowHistory)
            context_.Run(OnShowHistory);
    });
    distance->addWidget(history);
    infoLayout->addLayout(distance);
    infoLayout->addWidget(separator(info));
    auto *counters = new QHBoxLayout;
    counters->setSpacing(14);
    counters->addWidget(column(Section::Seconds, nullptr, nullptr), 1);
    counters->addWidget(column(Section::Blocks, nullptr, nullptr), 1);
    infoLayout->addLayout(counters);
    infoLayout->addStretch(1);
    values_[std::size_t(AdslRow::Modulation)]->setProperty("longestText",
                                                           QStringLiteral("ADSL2+ Annex M"));

    tabs_->addTab(info, QStringLiteral("Connection Info"));
    tabs_->addTab(logSheet, QStringLiteral("Connection Log"));
    layout->addWidget(tabs_);
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this] { context_.Run([this] { ADSL_PageControlChange(); }); });
    return page_;
}

void AdslPage::ADSLClick(core::Trigger trigger) {
    const bool button = trigger == core::Trigger::PushButton;
    RouterQuery::Begin(context_, button ? -1 : kInfoHelp);
    if (!button)
        tabs_->setCurrentIndex(ConnectionInfo);
    core::ResultHead head;
    head.trigger = trigger;
    context_.Router().RefreshAdsl(head);
}

void AdslPage::render(const core::AdslFigures &f) {
    // The cursor, the status text and the log's scroll position are put right also when a
    // reply that is not a number ended the update; the error then goes on to the error box.
    const bool answered = RouterQuery::Answered(context_, f.head.outcome, values_[0]);
    for (int i = 0; i < core::AdslRowCount; ++i) {
        const auto row = static_cast<AdslRow>(i);
        if (f.Has(row))
            show(row, f);
        else if (f.head.outcome.Completed() && f.NotReported(row))
            showNotReported(row);
        // A row the router did not give keeps what it showed, greyed.
        else if (!(i == 0 && f.head.outcome.probeFailed))
            setStale(row, true);
    }
    if (ScrollLog)
        ScrollLog();
    if (answered)
        RouterQuery::Finish(context_, f.head.outcome);
}

void AdslPage::setStale(AdslRow row, bool stale) {
    ui::SetStale(values_[std::size_t(row)], stale);
    // The distance is the downstream attenuation's.
    if (row == AdslRow::DownAttenuation)
        ui::SetStale(distance_, stale);
}

// A figure this router does not report (or reported as a value it cannot have): said so,
// greyed, never as dashes or 0.
void AdslPage::showNotReported(AdslRow row) {
    QLabel *label = values_[std::size_t(row)];
    label->setText(NotReportedText);
    setStale(row, true);
    if (row == AdslRow::DownAttenuation)
        distance_->setText(NotReportedText);
}

// Writes one figure into the row's label as the row shows it.
void AdslPage::show(AdslRow row, const core::AdslFigures &f) {
    QLabel *label = values_[std::size_t(row)];
    ui::SetStale(label, false);
    switch (row) {
    case AdslRow::DownRate:
    case AdslRow::UpRate: {
        const std::int32_t bps = row == AdslRow::DownRate ? *f.downRate : *f.upRate;
        // A VDSL2 line's 100 Mbit/s and more in Mbps, in the room of "99999 Kbps".
        if (bps >= 100000000)
            label->setText(QString::asprintf("%.1f Mbps", bps / 1e6));
        else
            label->setText(QString::number(bps / 1000) + QStringLiteral(" Kbps"));
        break;
    }
    case AdslRow::DownPower:
    case AdslRow::UpPower: {
        const std::int32_t tenths = row == AdslRow::DownPower ? *f.downPower : *f.upPower;
        label->setText(QString::number(tenths / 10) + QStringLiteral(" dBm"));
        break;
    }
    case AdslRow::DownMargin:
        label->setText(decibels(*f.downMargin));
        ui::SetLabelBackground(label, colourOf(core::MarginGrade(*f.downMargin)));
        break;
    case AdslRow::DownAttenuation:
        label->setText(decibels(*f.downAttenuation));
        ui::SetLabelBackground(label, colourOf(core::AttenuationGrade(*f.downAttenuation)));
        distance_->setText(distanceText(*f.downAttenuation));
        ui::SetStale(distance_, false);
        break;
    case AdslRow::UpMargin:
    case AdslRow::UpAttenuation:
        label->setText(decibels(*f.Number(row)));
        break;
    case AdslRow::LinkStatus:
        label->setText(QString::fromLatin1(core::LineStatusWord(f.link->state)));
        ui::SetLabelBackground(label, colourOf(f.link->state));
        break;
    case AdslRow::Coding:
        label->setText(QString::fromLatin1(core::LineCodingName(*f.coding)));
        break;
    case AdslRow::Modulation:
        label->setText(core::RouterText(*f.modulation));
        break;
    case AdslRow::LineType:
        // A type the page does not name leaves the label as it was.
        if (const char *name = core::ChannelTypeName(*f.channel)) {
            QString text = QString::fromLatin1(name);
            if (*f.channel == core::ChannelType::Interleaved && f.delay)
                text +=
                    QStringLiteral("\rDelay ") + core::RouterText(*f.delay) + QStringLiteral("ms");
            label->setText(text);
        }
        break;
    default:
        label->setText(core::RouterText(f.Count(row)->text));
        break;
    }
}

void AdslPage::ADSL_PageControlChange() {
    const bool log = tabs_->currentIndex() == ConnectionLog;
    context_.SetHelpContext(log ? kLogHelp : kInfoHelp);
    context_.SetUpdateEnabled(!log);
    if (log && ScrollLog)
        ScrollLog();
}

} // namespace vantrel::pages
