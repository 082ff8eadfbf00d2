#include "core/inifile.h"

#include "snmp/convert.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>

namespace vantrel::core {

using namespace vantrel::snmp;

namespace {

const char kBom[] = "\xEF\xBB\xBF";

// "[name]" with optional blanks around the brackets; text after "]" is ignored.
bool parseSection(const QByteArray &line, QString &name) {
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return false;
    const int close = t.indexOf(']');
    if (close < 0)
        return false;
    name = QString::fromUtf8(t.mid(1, close - 1).trimmed());
    return true;
}

// "key=value"; comment lines (";" or "#") and lines without "=" are no keys.
bool parseKey(const QByteArray &line, QString &key, QByteArray *value = nullptr) {
    const QByteArray t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#') || t.startsWith('['))
        return false;
    const int eq = t.indexOf('=');
    if (eq <= 0)
        return false;
    key = QString::fromUtf8(t.left(eq).trimmed());
    if (value != nullptr)
        *value = t.mid(eq + 1).trimmed();
    return !key.isEmpty();
}

bool sameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A line break inside a name or value would split it into lines the next read sees as keys or
// sections of their own.
QByteArray oneLine(const QString &text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', ' ');
    bytes.replace('\n', ' ');
    return bytes;
}

} // namespace

bool IniFile::Load(const QString &path) {
    lines_.clear();
    bom_ = false;
    QFile file(path);
    if (!file.exists())
        return true;
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    if (text.startsWith(kBom)) {
        bom_ = true;
        text.remove(0, 3);
    }
    if (text.isEmpty())
        return true;
    if (text.endsWith('\n'))
        text.chop(1);
    for (QByteArray &line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines_.push_back(std::move(line));
    }
    return true;
}

QByteArray IniFile::Text() const {
    QByteArray out;
    if (bom_)
        out += kBom;
    for (const QByteArray &line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

bool IniFile::Save(const QString &path) const {
    // QSaveFile writes a temporary file beside the target, syncs it and renames it over the
    // target only when everything was written; it refuses targets that are not writable.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = Text();
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

int IniFile::findSection(const QString &section) const {
    QString name;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (parseSection(lines_[i], name) && sameName(name, section))
            return int(i);
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const {
    QString name;
    int i = sectionLine + 1;
    while (i < int(lines_.size()) && !parseSection(lines_[size_t(i)], name))
        ++i;
    return i;
}

int IniFile::findKey(int sectionLine, const QString &key) const {
    const int end = sectionEnd(sectionLine);
    QString name;
    for (int i = sectionLine + 1; i < end; ++i)
        if (parseKey(lines_[size_t(i)], name) && sameName(name, key))
            return i;
    return -1;
}

QString IniFile::Read(const QString &section, const QString &key, const QString &def) const {
    const int s = findSection(section);
    if (s < 0)
        return def;
    const int k = findKey(s, key);
    if (k < 0)
        return def;
    QString name;
    QByteArray raw;
    parseKey(lines_[size_t(k)], name, &raw);
    QString value = QString::fromUtf8(raw);
    if (value.size() > MaxValueLength) {
        value.truncate(MaxValueLength);
        if (value.back().isHighSurrogate())
            value.chop(1); // never leave half a character
    }
    return value;
}

QByteArray IniFile::ReadBytes(const QString &section, const QString &key,
                              const QByteArray &def) const {
    const int s = findSection(section);
    const int k = s < 0 ? -1 : findKey(s, key);
    if (k < 0)
        return def;
    QString name;
    QByteArray raw;
    parseKey(lines_[size_t(k)], name, &raw);
    return raw.left(MaxValueLength);
}

int IniFile::ReadInteger(const QString &section, const QString &key, int def) const {
    const QString text = Read(section, key, QString());
    const std::int64_t v = StrToInt64Def(text.toStdString(), std::int64_t(def));
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return def;
    return int(v);
}

bool IniFile::ReadBool(const QString &section, const QString &key) const {
    return ReadInteger(section, key, 0) != 0;
}

void IniFile::Write(const QString &section, const QString &key, const QString &value) {
    const QByteArray line = oneLine(key) + '=' + oneLine(value);
    const int s = findSection(section);
    if (s < 0) {
        lines_.push_back('[' + oneLine(section) + ']');
        lines_.push_back(line);
        return;
    }
    const int k = findKey(s, key);
    if (k >= 0) {
        lines_[size_t(k)] = line;
        return;
    }
    // After the section's last non-blank line, so blank lines before the next section stay
    // where they are.
    int at = sectionEnd(s);
    while (at > s + 1 && lines_[size_t(at - 1)].trimmed().isEmpty())
        --at;
    lines_.insert(lines_.begin() + at, line);
}

} // namespace vantrel::core
