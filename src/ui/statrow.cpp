#include "ui/statrow.h"

#include "core/bytetext.h"
#include "ui/pagecontext.h"
#include "ui/routerquery.h"
#include "ui/widgets.h"

#include <QGridLayout>
#include <QLabel>

namespace vantrel::ui {

std::string CaptionLabelName(const StatRow &row) {
    return row.captionName ? std::string(row.captionName) : ui::ObjectPair(row.object).captionName;
}

std::string ValueLabelName(const StatRow &row) {
    return row.valueName ? std::string(row.valueName) : ui::ObjectPair(row.object).valueName;
}

QString CaptionText(const StatRow &row) {
    return QString::fromLatin1(row.object) + QLatin1Char(':');
}

QString DisplayText(Display display, const std::string &reply) {
    switch (display) {
    case Display::YesNo:
        return reply == "1" ? QStringLiteral("Yes") : QStringLiteral("No");
    case Display::RtoAlgorithm: {
        static const char *const words[] = {"other", "constant", "rsre", "vanj"};
        for (int i = 0; i < 4; ++i)
            if (reply == std::to_string(i + 1))
                return QString::fromLatin1(words[i]);
        return core::RouterText(reply);
    }
    case Display::Reply:
        break;
    }
    return core::RouterText(reply);
}

std::vector<std::string> StatOids(const StatTable &rows) {
    std::vector<std::string> oids;
    for (const StatRow &row : rows)
        oids.push_back(row.oid);
    return oids;
}

std::vector<QLabel *> AddStatRows(QGridLayout *grid, QWidget *parent, const StatTable &rows,
                                  const QString &placeholder, int columns) {
    std::vector<QLabel *> labels;
    const int perColumn = int((rows.size() + size_t(columns) - 1) / size_t(columns));
    for (int i = 0; i < int(rows.size()); ++i) {
        const StatRow &row = rows[size_t(i)];
        const int r = i % perColumn;
        const int c = (i / perColumn) * 3; // caption, value, gap
        grid->addWidget(ui::MakeLabel(parent, CaptionLabelName(row).c_str(), CaptionText(row)), r,
                        c);
        QLabel *value = ui::MakeValueLabel(parent, ValueLabelName(row).c_str(), placeholder);
        grid->addWidget(value, r, c + 1);
        labels.push_back(value);
    }
    // Equal value columns, and the spare width split between the gaps after each pair so the
    // columns spread over the page.
    for (int k = 0; k < columns; ++k) {
        grid->setColumnMinimumWidth(k * 3 + 1, 110);
        grid->setColumnMinimumWidth(k * 3 + 2, 24);
        grid->setColumnStretch(k * 3 + 2, 1);
    }
    grid->setRowStretch(perColumn, 1);
    return labels;
}

bool ShowStatRows(ui::PageContext &context, const StatTable &rows,
                  const std::vector<QLabel *> &labels, const core::RowReadings &readings) {
    if (!ui::RouterQuery::Answered(context, readings.head.outcome, labels.front())) {
        for (std::size_t i = 1; i < labels.size(); ++i)
            ui::SetStale(labels[i], true);
        return false;
    }
    for (std::size_t i = 0; i < rows.size() && i < readings.replies.size(); ++i) {
        const std::optional<std::string> &reply = readings.replies[i];
        if (reply)
            labels[i]->setText(DisplayText(rows[i].display, *reply));
        ui::SetStale(labels[i], !reply);
    }
    return true;
}

} // namespace vantrel::ui
