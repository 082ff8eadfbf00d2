#include "core/tabletext.h"

#include "core/bytetext.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <unordered_map>

namespace vantrel::core {

namespace {

// Fields whose number is shown as a word.
enum class Word { None, RouteType, RouteProto, MediaType };

struct Field {
    int column; // MIB-II column number minus one
    const char *caption;
    Word word = Word::None;
};

// How a table is shown.
struct Layout {
    std::vector<Field> fields;
};

const Layout &layoutOf(IpTable table) {
    // Captions right-aligned to the table's colon column (15, 14 and 19 characters).
    static const Layout address{{{0, "           IP: "},
                                 {1, "    Interface: "},
                                 {2, "  Subnet mask: "},
                                 {3, "    Broadcast: "},
                                 {4, " ReAsmMaxSize: "}}};
    // ipRouteEntry has thirteen columns (agents may leave out the last ones); the page shows
    // some of the first eleven.
    static const Layout route{{{0, " Destination: "},
                               {1, "   Interface: "},
                               {2, "     Metric1: "},
                               {6, "     NextHop: "},
                               {7, "        Type: ", Word::RouteType},
                               {8, "       Proto: ", Word::RouteProto},
                               {9, "         Age: "},
                               {10, "        Mask: "}}};
    static const Layout media{{{0, "        Interface: "},
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

// Words by the number the value is, as its exact text ("01" is no number of the list).
const char *wordOf(Word word, const std::string &value) {
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
        if (value == std::to_string(i + 1))
            return words[i];
    return nullptr;
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

QString IpTableText(IpTable table, const std::string &base, const std::vector<Binding> &bindings) {
    const Layout &layout = layoutOf(table);
    // The cells by column (numbered from 1, as in the OID) and row index.
    const std::string entry = base + ".1.";
    std::map<int, std::unordered_map<std::string, const std::string *>> cells;
    std::vector<std::string> rows;
    for (const Binding &b : bindings) {
        if (b.oid.compare(0, entry.size(), entry) != 0)
            continue;
        const std::size_t dot = b.oid.find('.', entry.size());
        if (dot == std::string::npos)
            continue;
        int column = 0;
        try {
            column = std::stoi(b.oid.substr(entry.size(), dot - entry.size()));
        } catch (const std::exception &) {
            continue;
        }
        std::string index = b.oid.substr(dot + 1);
        if (column == 1)
            rows.push_back(index);
        cells[column].emplace(std::move(index), &b.value);
    }
    Lines text;
    text.Reserve(rows.size() * layout.fields.size() * 32);
    for (const std::string &index : rows) {
        for (const Field &field : layout.fields) {
            const auto column = cells.find(field.column + 1);
            if (column == cells.end())
                continue;
            const auto cell = column->second.find(index);
            if (cell == column->second.end())
                continue;
            const std::string &value = *cell->second;
            const char *word = wordOf(field.word, value);
            text.Add(QLatin1String(field.caption) +
                     (word != nullptr ? QLatin1String(word) : CellText(value)));
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
