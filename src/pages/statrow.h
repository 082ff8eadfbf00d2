#pragma once
// The rows of the statistics pages. One table per page names each object's OID, its caption and
// value labels and how its reply is shown; the same table lays out the page and drives its
// refresh.

#include <QString>
#include <string>
#include <vector>

class MainForm;
class QGridLayout;
class QWidget;
class RouterQuery;

// How a reply reaches its value label.
enum class Display {
    Reply,       // the text as it came
    YesNo,       // exactly "1" is "Yes", anything else "No"
    RtoAlgorithm // tcpRtoAlgorithm 1..4 as its word, anything else as it came
};

struct StatRow {
    const char *oid;    // exactly as sent
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

// Lays the rows out top to bottom in `columns` columns of caption and value label; value labels
// are bold and start with `placeholder`.
void AddStatRows(QGridLayout *grid, QWidget *parent, const StatTable &rows,
                 const QString &placeholder, int columns);

// Queries the rows in order: the first one probes the router (its failure shows "Get failed"
// in its label and ends the refresh with false), a later failure leaves its label as it was.
bool QueryStatRows(RouterQuery &query, MainForm &form, const StatTable &rows);
