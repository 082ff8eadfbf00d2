#include "statrow.h"

#include "mainform.h"
#include "routerquery.h"
#include "widgets.h"

#include <QGridLayout>
#include <QLabel>

std::string CaptionLabelName(const StatRow &row) {
    return row.captionName ? std::string(row.captionName) : ObjectPair(row.object).captionName;
}

std::string ValueLabelName(const StatRow &row) {
    return row.valueName ? std::string(row.valueName) : ObjectPair(row.object).valueName;
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
        return RouterText(reply);
    }
    case Display::Reply:
        break;
    }
    return RouterText(reply);
}

void AddStatRows(QGridLayout *grid, QWidget *parent, const StatTable &rows,
                 const QString &placeholder, int columns) {
    const int perColumn = int((rows.size() + size_t(columns) - 1) / size_t(columns));
    for (int i = 0; i < int(rows.size()); ++i) {
        const StatRow &row = rows[size_t(i)];
        const int r = i % perColumn;
        const int c = (i / perColumn) * 3; // caption, value, gap
        grid->addWidget(MakeLabel(parent, CaptionLabelName(row).c_str(), CaptionText(row)), r, c);
        grid->addWidget(MakeValueLabel(parent, ValueLabelName(row).c_str(), placeholder), r, c + 1);
    }
    // Equal value columns, and the spare width split between the gaps after each pair so the
    // columns spread over the page.
    for (int k = 0; k < columns; ++k) {
        grid->setColumnMinimumWidth(k * 3 + 1, 110);
        grid->setColumnMinimumWidth(k * 3 + 2, 24);
        grid->setColumnStretch(k * 3 + 2, 1);
    }
    grid->setRowStretch(perColumn, 1);
}

bool QueryStatRows(RouterQuery &query, MainForm &form, const StatTable &rows) {
    std::string value;
    for (size_t i = 0; i < rows.size(); ++i) {
        const StatRow &row = rows[i];
        QLabel *label = form.Label(ValueLabelName(row).c_str());
        if (i == 0) {
            if (!query.Probe(row.oid, value, label))
                return false;
        } else if (!query.Get(row.oid, value)) {
            continue;
        }
        label->setText(DisplayText(row.display, value));
    }
    return true;
}
