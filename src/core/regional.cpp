#include "core/regional.h"

#include <QLocale>
#include <vector>

namespace vantrel::core {

QString ShortDateText(const QDate &date) {
    return QLocale().toString(date, QLocale::ShortFormat);
}

QString WithoutTimeZone(const QString &format) {
    // The format as pieces: runs of one field letter, and literal text (quoted or not).
    struct Piece {
        QString text;
        bool field;
    };
    std::vector<Piece> pieces;
    for (int i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            int end = i + 1;
            while (end < format.size()) {
                if (format.at(end) == QLatin1Char('\'')) {
                    if (end + 1 < format.size() && format.at(end + 1) == QLatin1Char('\''))
                        end += 2; // a doubled quote stands for itself
                    else
                        break;
                } else {
                    ++end;
                }
            }
            pieces.push_back({format.mid(i, end + 1 - i), false});
            i = end + 1;
        } else if (c.isLetter() && c.unicode() < 128) {
            int end = i;
            while (end < format.size() && format.at(end) == c)
                ++end;
            pieces.push_back({format.mid(i, end - i), true});
            i = end;
        } else {
            pieces.push_back({QString(c), false});
            ++i;
        }
    }
    // Literal text that only frames the zone: blanks and brackets, never words (a unit such as
    // the Korean seconds sign stays with its field).
    auto frames = [](const Piece &p) {
        if (p.field)
            return false;
        for (const QChar c : p.text)
            if (c != QLatin1Char('\'') && !c.isSpace() && !c.isPunct())
                return false;
        return true;
    };
    // The zone goes with the literal text that frames it: before it back to the field or word
    // before, after it up to the next field or word.
    std::size_t i = 0;
    while (i < pieces.size()) {
        if (!pieces[i].field || !pieces[i].text.startsWith(QLatin1Char('t'))) {
            ++i;
            continue;
        }
        std::size_t from = i;
        while (from > 0 && frames(pieces[from - 1]))
            --from;
        std::size_t to = i + 1;
        while (to < pieces.size() && frames(pieces[to]))
            ++to;
        const bool fieldBefore = from > 0;
        const bool fieldAfter = to < pieces.size();
        if (fieldBefore && fieldAfter)
            from = i; // in the middle: one separator stays
        pieces.erase(pieces.begin() + std::ptrdiff_t(from), pieces.begin() + std::ptrdiff_t(to));
        i = from;
    }
    QString out;
    for (const Piece &p : pieces)
        out += p.text;
    return out.trimmed();
}

QString LongTimeText(const QTime &time) {
    QString format = WithoutTimeZone(QLocale().timeFormat(QLocale::LongFormat));
    if (!format.contains(QLatin1Char('s')))
        format = QStringLiteral("HH:mm:ss");
    return QLocale().toString(time, format);
}

QString DateTimeText(const QDateTime &when) {
    const QString date = ShortDateText(when.date());
    const QTime t = when.time();
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return date;
    return date + QLatin1Char(' ') + LongTimeText(when.time());
}

} // namespace vantrel::core
