#pragma once
// The rows of the statistics pages. One table per page names each object's OID, its caption and
// value labels and how its reply is shown; the same table lays out the page and drives its
// refresh.

#include "core/results.h"

#include <QString>
#include <string>
#include <vector>

class QGridLayout;
class QLabel;
class QWidget;

namespace vantrel::ui {
class PageContext;
}

namespace vantrel::ui {

// How a reply reaches its value label.
enum class Display {
    Reply,       // the text as it came
    YesNo,       // exactly "1" is "Yes", anything else "No"
    RtoAlgorithm // tcpRtoAlgorithm 1..4 as its word, anything else as it came
};

struct StatRow {
    std::string oid;    // as sent
    const char *object; // caption "<object>:", labels "<object>L_Label" and "<object>_Label"
    Display display = Display::Reply;
    const char *valueName = nullptr;   // only where the value label breaks that pattern
    const char *captionName = nullptr; // only where the caption label breaks it
};
using StatTable = std::vector<StatRow>;

std::string CaptionLabelName(const StatRow &row);
std::string ValueLabelName(const StatRow &row);
QString CaptionText(const StatRow &row);
QString DisplayText(Display display, const std::string &reply);
// The OIDs of the rows, in order.
std::vector<std::string> StatOids(const StatTable &rows);

// Lays the rows out top to bottom in `columns` columns of caption and value label; value labels
// are bold and start with `placeholder`. Returns the value labels in row order.
std::vector<QLabel *> AddStatRows(QGridLayout *grid, QWidget *parent, const StatTable &rows,
                                  const QString &placeholder, int columns);

// Shows what a refresh of the rows read: the first row probed (its failure shows "Get failed"
// in its label, the error text and the beep, and returns false); a later row that got no
// answer keeps its text, greyed.
bool ShowStatRows(ui::PageContext &context, const StatTable &rows,
                  const std::vector<QLabel *> &labels, const core::RowReadings &readings);

} // namespace vantrel::ui
