#include "core/tabletext.h"

#include "core/bytetext.h"

#include <algorithm>
#include <cstdint>

namespace vantrel::core {

namespace {

// Fields whose number is shown as a word.
enum class Word { None, RouteType, RouteProto, MediaType };

struct Field {
    int column; // MIB-II column number minus one
    const char *caption;
    Word word = Word::None;
};

// How a table's walk is laid out and shown.
struct Layout {
    int minColumns; // values per row the walk may give
    int maxColumns;
    bool firstColumnIsAddress; // else an ifIndex
    std::vector<Field> fields;
};

const Layout &layoutOf(IpTable table) {
    // Captions right-aligned to the table's colon column (15, 14 and 19 characters).
    static const Layout address{5,
                                5,
                                true,
                                {{0, "           IP: "},
                                 {1, "    Interface: "},
                                 {2, "  Subnet mask: "},
                                 {3, "    Broadcast: "},
                                 {4, " ReAsmMaxSize: "}}};
    // ipRouteEntry has thirteen columns; agents that leave out ipRouteMetric5 and ipRouteInfo
    // give eleven or twelve. The page shows the first eleven.
    static const Layout route{11,
                              13,
                              true,
                              {{0, " Destination: "},
                               {1, "   Interface: "},
                               {2, "     Metric1: "},
                               {6, "     NextHop: "},
                               {7, "        Type: ", Word::RouteType},
                               {8, "       Proto: ", Word::RouteProto},
                               {9, "         Age: "},
                               {10, "        Mask: "}}};
    static const Layout media{4,
                              4,
                              false,
                              {{0, "        Interface: "},
                               {1, " Physical address: "},
                               {2, "      Net address: "},
                               {3, "             Type: ", Word::MediaType}}};
    switch (table) {
    case IpTable::Address:
        return address;
    case IpTable::Route:
        return route;
    case IpTable::NetToMedia:
        break;
    }
    return media;
}

// Words by the number between the double quotes of the raw line.
const char *wordOf(Word word, const std::string &line) {
    static const char *const routeTypes[] = {"other", "invalid", "direct", "indirect"};
    static const char *const routeProtos[] = {"other",     "local",     "netmgmt", "icmp",  "egp",
                                              "ggp",       "hello",     "rip",     "is-is", "es-is",
                                              "ciscoIgrp", "bbnSpfIgp", "ospf",    "bgp"};
    static const char *const mediaTypes[] = {"other", "invalid", "dynamic", "static"};
    const char *const *words = nullptr;
    int count = 0;
    switch (word) {
    case Word::RouteType:
        words = routeTypes;
        count = 4;
        break;
    case Word::RouteProto:
        words = routeProtos;
        count = 14;
        break;
    case Word::MediaType:
        words = mediaTypes;
        count = 4;
        break;
    case Word::None:
        return nullptr;
    }
    for (int i = 0; i < count; ++i)
        if (line == "\"" + std::to_string(i + 1) + "\"")
            return words[i];
    return nullptr;
}

// The digits between the double quotes of a raw line, when it is a number of up to maxDigits
// digits without leading zeros.
bool quotedNumber(const std::string &line, std::size_t maxDigits, std::uint64_t &number) {
    if (line.size() < 3 || line.front() != '"' || line.back() != '"')
        return false;
    const std::size_t digits = line.size() - 2;
    if (digits > maxDigits || (digits > 1 && line[1] == '0'))
        return false;
    number = 0;
    for (std::size_t i = 1; i + 1 < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9')
            return false;
        number = number * 10 + std::uint64_t(line[i] - '0');
    }
    return true;
}

// An IpAddress value as the walk gives it: "a.b.c.d".
bool isAddress(const std::string &line) {
    if (line.size() < 9 || line.front() != '"' || line.back() != '"')
        return false;
    int parts = 0;
    std::size_t start = 1;
    while (start < line.size()) {
        std::size_t end = line.find('.', start);
        if (end == std::string::npos)
            end = line.size() - 1;
        std::uint64_t part = 0;
        if (!quotedNumber("\"" + line.substr(start, end - start) + "\"", 3, part) || part > 255)
            return false;
        ++parts;
        start = end + 1;
    }
    return parts == 4;
}

// An ifIndex value: a whole number from 0 to 2147483647.
bool isIfIndex(const std::string &line) {
    std::uint64_t number = 0;
    return quotedNumber(line, 10, number) && number <= 2147483647u;
}

// A tab keeps its line (the boxes show it as a tab, as the walk's text leaves it); every other
// control character, and the line and paragraph separators, would break it.
bool breaksLine(const QString &text) {
    for (const QChar c : text)
        if ((c.category() == QChar::Other_Control && c != QLatin1Char('\t')) ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return true;
    return false;
}

QString hexText(const std::string &bytes) {
    static const char digits[] = "0123456789abcdef";
    QString out;
    out.reserve(qsizetype(bytes.size() * 2));
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        out += QLatin1Char(digits[b >> 4]);
        out += QLatin1Char(digits[b & 15]);
    }
    return out;
}

// A box's text, built a line at a time.
class Lines {
public:
    void Add(const QString &line) {
        if (any_)
            text_ += QLatin1Char('\n');
        any_ = true;
        text_ += line;
    }
    void Reserve(std::size_t characters) { text_.reserve(qsizetype(characters)); }
    QString Text() const { return text_; }

private:
    QString text_;
    bool any_ = false;
};

} // namespace

std::vector<std::string> WalkLineValues(const std::string &line) {
    std::vector<std::string> values;
    std::size_t i = 0;
    const std::size_t n = line.size();
    auto asOne = [&line] {
        std::string v = line;
        v.erase(std::remove(v.begin(), v.end(), '"'), v.end());
        return std::vector<std::string>{v};
    };
    while (true) {
        if (i >= n || line[i] != '"')
            return asOne();
        std::string value;
        ++i;
        while (true) {
            if (i >= n)
                return asOne();
            if (line[i] == '"') {
                if (i + 1 < n && line[i + 1] == '"') {
                    value += '"';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            value += line[i++];
        }
        values.push_back(std::move(value));
        if (i == n)
            return values;
        if (line[i] != ',')
            return asOne();
        ++i;
    }
}

namespace {

// The text of a value, or its bytes in hexadecimal when the text would break the line.
QString safeText(const std::string &value) {
    const QString text = RouterText(value);
    return breaksLine(text) ? hexText(value) : text;
}

// The values of a walk line, each shown by show, joined by ",".
template <class Show> QString joinedValues(const std::string &line, Show show) {
    QString text;
    bool first = true;
    for (const std::string &value : WalkLineValues(line)) {
        if (!first)
            text += QLatin1Char(',');
        first = false;
        text += show(value);
    }
    return text;
}

} // namespace

QString CellText(const std::string &value) {
    return safeText(value).remove(QLatin1Char('"'));
}

QString LineCellText(const std::string &line) {
    return joinedValues(line, CellText);
}

QString DumpLineText(const std::string &line) {
    return joinedValues(line, [](const std::string &value) {
        return QLatin1Char('"') + safeText(value).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
               QLatin1Char('"');
    });
}

std::size_t IpTableRows(IpTable table, const std::vector<std::string> &lines, bool complete) {
    const Layout &layout = layoutOf(table);
    const std::size_t n = lines.size();
    // The first column's values have a shape of their own (addresses, or small numbers
    // before hardware addresses), so where they end the second column begins.
    std::size_t run = 0;
    while (run < n && (layout.firstColumnIsAddress ? isAddress(lines[run]) : isIfIndex(lines[run])))
        ++run;
    if (complete) {
        if (layout.minColumns == layout.maxColumns)
            return n / std::size_t(layout.minColumns);
        if (run > 0 && n % run == 0 && n / run >= std::size_t(layout.minColumns) &&
            n / run <= std::size_t(layout.maxColumns))
            return run;
        return n / std::size_t(layout.maxColumns);
    }
    return run > 0 ? run : n / std::size_t(layout.maxColumns);
}

QString IpTableText(IpTable table, const std::vector<std::string> &lines, bool complete) {
    const Layout &layout = layoutOf(table);
    const std::size_t rows = IpTableRows(table, lines, complete);
    Lines text;
    text.Reserve(rows * layout.fields.size() * 32);
    for (std::size_t i = 0; i < rows; ++i) {
        for (const Field &field : layout.fields) {
            const std::size_t at = i + std::size_t(field.column) * rows;
            if (at >= lines.size())
                continue;
            const char *word = wordOf(field.word, lines[at]);
            text.Add(QLatin1String(field.caption) +
                     (word != nullptr ? QLatin1String(word) : LineCellText(lines[at])));
        }
        text.Add(QStringLiteral(" "));
    }
    return text.Text();
}

QString UdpListenerText(const std::vector<std::string> &addresses,
                        const std::vector<std::string> &ports) {
    Lines text;
    text.Add(QStringLiteral(" Address\tPort"));
    // A walk cut short leaves the other's later lines without a partner: they are left out.
    const std::size_t rows = std::min(addresses.size(), ports.size());
    for (std::size_t i = 0; i < rows; ++i)
        text.Add(QLatin1Char(' ') + LineCellText(addresses[i]) + QLatin1Char('\t') +
                 LineCellText(ports[i]));
    text.Add(QStringLiteral(" "));
    return text.Text();
}

QString DumpText(const std::vector<std::string> &lines) {
    Lines text;
    for (const std::string &line : lines)
        text.Add(DumpLineText(line));
    return text.Text();
}

} // namespace vantrel::core
