#pragma once
// The text boxes of the router's tables: the IP address, route and net-to-media tables, the UDP
// listener table and the raw dumps of the Debug page, made from the lines of table walks (one
// or more values per line, each in double quotes). The whole text of a box is made at once,
// off the window's thread, so a table of thousands of rows costs the window one replacement
// of the box's text.

#include "core/routerlink.h"

#include <QString>
#include <string>
#include <vector>

namespace vantrel::core {

// The values of one walk line: "a","b""c" gives a and b"c. A line that is not in that form is
// one value, its double quotes dropped.
std::vector<std::string> WalkLineValues(const std::string &line);

// One value as a table cell shows it: its text without double quotes, or, when it holds a
// control character other than a tab or a line or paragraph separator that would break the
// box's lines, its bytes in lowercase hexadecimal (two digits per byte, as the walk gives
// other control bytes).
QString CellText(const std::string &value);
// A walk line as a cell: its values as above, joined by ",".
QString LineCellText(const std::string &line);
// A walk line as the raw dump shows it: each value in double quotes (inner ones doubled),
// joined by ","; values that would break the line in hexadecimal.
QString DumpLineText(const std::string &line);

enum class IpTable { Address, Route, NetToMedia };

// The text of an IP table box from the bindings of a walk of the table at base: one entry per
// row, each field on a line with its caption right-aligned to the table's colon column, a line
// holding one space after every entry. The rows are the indexes of the first column, in the
// router's order, and each field is the cell of its column at that row's index, so neither the
// number of columns the router gives nor a missing cell can shift a value; a field that the walk
// did not reach (it stopped part-way) is left out.
QString IpTableText(IpTable table, const std::string &base, const std::vector<Binding> &bindings);

// The UDP listener box: the heading " Address<tab>Port", one line per listener pairing the two
// walks by position (as far as both reach), and a line holding one space.
QString UdpListenerText(const std::vector<std::string> &addresses,
                        const std::vector<std::string> &ports);

// The lines of a raw dump, joined by line breaks.
QString DumpText(const std::vector<std::string> &lines);

} // namespace vantrel::core
