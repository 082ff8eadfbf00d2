#include "adslpage.h"

#include "mainform.h"
#include "routerquery.h"
#include "snmp/convert.h"
#include "textoutput.h"
#include "widgets.h"

#include <QColor>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace vantrel::snmp;

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

// One figure of the page: the object read, how it is shown, and the labels that show it.
struct AdslRow {
    const char *oid; // the WAN status row appends the WAN interface's row number
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

// In the order the router is asked.
const AdslRow kRows[] = {
    {"1.3.6.1.2.1.10.94.1.1.4.1.2.2", Display::Rate, Section::Down, 0, "DnSpeed_Label",
     "Speed: ", "DnSpeedVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.2.1.7.2", Display::Power, Section::Down, 3, "DnTxPower_Label",
     "TxPower:", "DnTxPowerVal_Label", kDashes7},
    {"1.3.6.1.2.1.10.94.1.1.3.1.4.2", Display::Margin, Section::Down, 2, "DnSNR_Label",
     "SNR: ", "DnSNRVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.3.1.5.2", Display::Attenuation, Section::Down, 1, "DnAtt_Label",
     "Attenuation: ", "DnAttVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.5.1.2.2", Display::Rate, Section::Up, 0, "UpSpeed_Label",
     "Speed: ", "UpSpeedVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.2.1.4.2", Display::Decibel, Section::Up, 2, "UpSNR_Label",
     "SNR: ", "UpSNRVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.2.1.5.2", Display::Decibel, Section::Up, 1, "UpAtt_Label",
     "Attenuation: ", "UpAttVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.3.1.7.2", Display::Power, Section::Up, 3, "UpTxPower_Label",
     "TxPower:", "UpTxPowerVal_Label", kDashes7},
    {"1.3.6.1.2.1.2.2.1.8.", Display::LinkStatus, Section::Link, 0, "Status_Label",
     "Status: ", "StatusVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.1.1.1.2", Display::Coding, Section::Link, 1, "Coding_Label",
     "Coding:", "CodingVal_Label", kDashes6},
    {"1.3.6.1.4.1.763.3.2.2.2", Display::Verbatim, Section::Link, 2, "Modulation_Label",
     "Modulation:", "ModulationVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.1.1.2.2", Display::LineType, Section::Link, 3, "Mode_Label",
     "Type:", "ModeVal_Label", kDashes7},
    {"1.3.6.1.2.1.10.94.1.1.7.1.1.2", Display::Verbatim, Section::Seconds, 0, "LOFS_Label",
     "Loss of framing seconds:", "LOSFSVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.7.1.2.2", Display::Verbatim, Section::Seconds, 1, "LOSSS_Label",
     "Loss of signal seconds:", "LOSSSVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.7.1.3.2", Display::Verbatim, Section::Seconds, 2, "LOPS_Label",
     "Loss of power seconds:", "LOPSVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.7.1.4.2", Display::Verbatim, Section::Seconds, 3, "ES_Label",
     "Total errored seconds:", "ESVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.7.1.16.2", Display::Verbatim, Section::Seconds, 4, "CurDayES_Label",
     "Current day error seconds:", "CurDayESVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.7.1.21.2", Display::Verbatim, Section::Seconds, 5, "PrevDayES_Label",
     "Previous day error seconds:", "PrevDayESVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.11.1.3.2", Display::Verbatim, Section::Blocks, 0, "DnCorrBlks_Label",
     "Corrected blocks (Down):", "DnCorrBlksVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.11.1.4.2", Display::Verbatim, Section::Blocks, 1, "DnUncorrBlks_Label",
     "Uncorrected blocks (Down):", "DnUncorrBlksVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.10.1.3.2", Display::Verbatim, Section::Blocks, 2, "UpCorrBlks_Label",
     "Corrected blocks (Up):", "UpCorrBlksVal_Label", kDashes6},
    {"1.3.6.1.2.1.10.94.1.1.10.1.4.2", Display::Verbatim, Section::Blocks, 3, "UpUnCorrBlks_Label",
     "Uncorrected blocks (Up):", "UpUnCorrBlksVal_Label", kDashes6},
};

// Asked only when the line type says interleaved.
const char kInterleaveDelay[] = "1.3.6.1.2.1.10.94.1.1.4.1.1.2";

const int kInfoHelp = 130;
const int kLogHelp = 131;

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);

// Noise margin in tenths of a dB: below 11 dB is poor, above 19 dB is good.
QColor marginColour(double r) {
    if (r < 110)
        return kRed;
    return r <= 190 ? kYellow : kGreen;
}

// Attenuation in tenths of a dB: below 41 dB is good, above 49 dB is poor.
QColor attenuationColour(double r) {
    if (r < 410)
        return kGreen;
    return r <= 490 ? kYellow : kRed;
}

// A line loses about 13.81 dB per km, so the downstream attenuation gives the line's length.
QString distanceText(double r) {
    if (r > 0)
        return QString::asprintf("%0.2f km", (r / 13.81) / 10);
    return QString::fromLatin1(kDashes6);
}

QString decibels(double r) {
    return QString::fromStdString(FloatToStr(r / 10.0)) + QStringLiteral(" dB");
}

QLabel *heading(QWidget *parent, const char *name, const QString &text) {
    QLabel *label = MakeLabel(parent, name, text);
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
    QLabel *label = MakeValueLabel(parent, name, QString::fromLatin1(placeholder));
    SetLabelTextColour(label, Qt::black);
    label->setContentsMargins(3, 0, 3, 0);
    label->setMinimumWidth(1); // a long reply is cut, not widening its column
    return label;
}

// One block of the page: an optional heading over the caption/value pairs of a section, in a
// column of its own, so a long reply is cut at the column's edge instead of moving the others.
QWidget *sectionColumn(QWidget *parent, Section section, const char *headingName,
                       const char *headingText) {
    auto *column = new QWidget(parent);
    column->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *grid = new QGridLayout(column);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(8);
    int first = 0;
    if (headingName != nullptr) {
        grid->addWidget(heading(column, headingName, QString::fromLatin1(headingText)), 0, 0, 1, 2);
        first = 1;
    }
    for (const AdslRow &row : kRows) {
        if (row.section != section)
            continue;
        grid->addWidget(MakeLabel(column, row.captionName, QString::fromLatin1(row.caption)),
                        first + row.slot, 0, Qt::AlignLeft | Qt::AlignTop);
        QLabel *value = valueLabel(column, row.valueName, row.placeholder);
        // An interleaved line shows its delay on a second line; the room is kept for it so
        // the page does not move when it appears.
        if (row.display == Display::LineType)
            value->setMinimumHeight(2 * value->fontMetrics().lineSpacing());
        grid->addWidget(value, first + row.slot, 1, Qt::AlignLeft | Qt::AlignTop);
    }
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(grid->rowCount(), 1);
    return column;
}

QWidget *buildInfoSheet() {
    auto *sheet = new QWidget;
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(12, 12, 12, 8);
    layout->setSpacing(12);

    // Downstream, upstream and link information side by side.
    auto *top = new QHBoxLayout;
    top->setSpacing(14);
    top->addWidget(sectionColumn(sheet, Section::Down, "DownHeading_Label", "Downstream"), 1);
    top->addWidget(sectionColumn(sheet, Section::Up, "UpspdHeading_Label", "Upstream"), 1);
    top->addWidget(sectionColumn(sheet, Section::Link, "LinkHeading_Label", "Link Information"), 1);
    layout->addLayout(top);
    layout->addWidget(separator(sheet));

    auto *distance = new QHBoxLayout;
    distance->addWidget(
        MakeLabel(sheet, "DistanceLabel", QStringLiteral("Approximate distance from exchange: ")));
    distance->addWidget(valueLabel(sheet, "DistanceVal_Label", kDashes6));
    distance->addStretch(1);
    layout->addLayout(distance);
    layout->addWidget(separator(sheet));

    // The line's error counters: seconds on the left, blocks on the right.
    auto *counters = new QHBoxLayout;
    counters->setSpacing(14);
    counters->addWidget(sectionColumn(sheet, Section::Seconds, nullptr, nullptr), 1);
    counters->addWidget(sectionColumn(sheet, Section::Blocks, nullptr, nullptr), 1);
    layout->addLayout(counters);
    layout->addStretch(1);
    return sheet;
}

QWidget *buildLogSheet() {
    auto *sheet = new QWidget;
    auto *layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(8, 8, 8, 8);
    // The user may annotate the log, so it stays editable.
    layout->addWidget(MakeMemo(sheet, "LinkLog_Memo", false, false), 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(MakeButton(sheet, "ClearLog_But", QStringLiteral("Clear log")));
    buttons->addWidget(MakeButton(sheet, "SaveLog_But", QStringLiteral("Save log")));
    layout->addLayout(buttons);
    return sheet;
}

// Converts one reply as its row says and writes it into the row's label.
void show(MainForm &form, const AdslRow &row, const std::string &reply, RouterQuery &query) {
    QLabel *label = form.Label(row.valueName);
    switch (row.display) {
    case Display::Rate: {
        const std::int32_t bps = StrToInt(reply.empty() ? std::string("0") : reply);
        label->setText(QString::number(bps / 1000) + QStringLiteral(" Kbps"));
        break;
    }
    case Display::Power:
        label->setText(QString::number(StrToInt(reply) / 10) + QStringLiteral(" dBm"));
        break;
    case Display::Margin: {
        const double r = StrToFloat(reply);
        label->setText(decibels(r));
        SetLabelBackground(label, marginColour(r));
        break;
    }
    case Display::Attenuation: {
        const double r = StrToFloat(reply);
        label->setText(decibels(r));
        SetLabelBackground(label, attenuationColour(r));
        form.Label("DistanceVal_Label")->setText(distanceText(r));
        break;
    }
    case Display::Decibel:
        label->setText(decibels(StrToFloat(reply)));
        break;
    case Display::LinkStatus:
        if (reply == "1") {
            label->setText(QStringLiteral("Up"));
            SetLabelBackground(label, kGreen);
        } else if (reply == "3") {
            label->setText(QStringLiteral("Training"));
            SetLabelBackground(label, kYellow);
        } else {
            label->setText(QStringLiteral("Down"));
            SetLabelBackground(label, kRed);
        }
        break;
    case Display::Coding:
        if (reply == "1")
            label->setText(QStringLiteral("other"));
        else if (reply == "2")
            label->setText(QStringLiteral("dmt"));
        else if (reply == "3")
            label->setText(QStringLiteral("cap"));
        else
            label->setText(QStringLiteral("qam"));
        break;
    case Display::LineType:
        if (reply == "1") {
            label->setText(QStringLiteral("noChannel"));
        } else if (reply == "2") {
            label->setText(QStringLiteral("Fast"));
        } else if (reply == "3") {
            std::string delay;
            if (query.Get(kInterleaveDelay, delay))
                label->setText(QStringLiteral("Interleaved\rDelay ") + RouterText(delay) +
                               QStringLiteral("ms"));
            else
                label->setText(QStringLiteral("Interleaved"));
        } else if (reply == "4") {
            label->setText(QStringLiteral("Fast/Interleaved"));
        } else if (reply == "5") {
            label->setText(QStringLiteral("Fast + Interleaved"));
        }
        // Any other type leaves the label as it was.
        break;
    case Display::Verbatim:
        label->setText(RouterText(reply));
        break;
    }
}

} // namespace

QWidget *AdslPage::Build() {
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *tabs = new QTabWidget(page);
    tabs->setObjectName(QStringLiteral("ADSL_PageControl"));
    QWidget *info = buildInfoSheet();
    info->setObjectName(QStringLiteral("ADSLInfo_TabSheet"));
    QWidget *log = buildLogSheet();
    log->setObjectName(QStringLiteral("ADSLLogTabSheet"));
    tabs->addTab(info, QStringLiteral("Connection Info"));
    tabs->addTab(log, QStringLiteral("Connection Log"));
    layout->addWidget(tabs);
    return page;
}

void AdslPage::Bind() {
    QObject::connect(form_.Control<QTabWidget>("ADSL_PageControl"), &QTabWidget::currentChanged,
                     &form_, [this] { form_.Run([this] { ADSL_PageControlChange(); }); });
}

void AdslPage::ADSLClick(Trigger trigger) {
    const bool button = trigger == Trigger::PushButton;
    RouterQuery query(form_, button ? -1 : kInfoHelp);
    if (!button)
        form_.Control<QTabWidget>("ADSL_PageControl")->setCurrentIndex(ConnectionInfo);

    // The cursor, the status text and the log's scroll position are put right also when a
    // reply that is not a number ends the update; the error then goes on to the error box.
    auto finish = [this, &query] {
        query.Ready();
        TextOutput::ScrollMemo(form_.Memo("LinkLog_Memo"), TextOutput::ScrollTo::End);
    };
    try {
        for (const AdslRow &row : kRows) {
            std::string oid = row.oid;
            if (row.display == Display::LinkStatus)
                oid += form_.Interfaces.WanRow;
            std::string reply;
            // A row the router does not answer keeps what it showed; the others go on.
            if (query.Get(oid, reply))
                show(form_, row, reply, query);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void AdslPage::ADSL_PageControlChange() {
    const bool log = form_.Control<QTabWidget>("ADSL_PageControl")->currentIndex() == ConnectionLog;
    form_.SetHelpContext(log ? kLogHelp : kInfoHelp);
    form_.GetValuesButton()->setEnabled(!log);
    if (log)
        TextOutput::ScrollMemo(form_.Memo("LinkLog_Memo"), TextOutput::ScrollTo::End);
}
