// libFuzzer target for the settings file. Any bytes load and save back byte for byte; a value
// read and written back unchanged leaves the bytes alone; a value written reads back as written
// and leaves every other value as it was; and load, save, load gives the same values.

#include "core/inifile.h"
#include "property.h"

#include <QString>
#include <QStringList>
#include <cstdint>

using vantrel::core::IniFile;

namespace {

const char *const kSections[] = {"System Info Settings", "Options", "Quota", "Program"};
const char *const kKeys[] = {"IP", "Community", "Link check", "Data", "Name"};
constexpr int kNames = 4 * 5;

QString section(int name) {
    return QString::fromLatin1(kSections[name / 5]);
}
QString key(int name) {
    return QString::fromLatin1(kKeys[name % 5]);
}

// Every value of the known names; "\x01" stands for a missing one.
QStringList values(const IniFile &ini) {
    QStringList out;
    for (int n = 0; n < kNames; ++n)
        out << ini.Read(section(n), key(n), QStringLiteral("\x01"));
    return out;
}

// A value as the program writes one: printable, Latin-1 and beyond, no blanks at the ends.
QString valueFrom(const std::uint8_t *data, std::size_t size) {
    QString v;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        if (b >= 0x21 && b <= 0x7E)
            v += QChar(b);
        else if (b >= 0xC0)
            v += QChar(0x100 + b); // letters beyond Latin-1
        else if (b >= 0xA1)
            v += QChar(b);
        else if (i > 0 && i + 1 < size)
            v += QLatin1Char(' ');
        else
            v += QLatin1Char('_');
    }
    return v;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t fileSize = std::min<std::size_t>(size - 2, (data[0] << 8) | data[1]);
    const QByteArray file(reinterpret_cast<const char *>(data) + 2, qsizetype(fileSize));
    const std::uint8_t *ops = data + 2 + fileSize;
    std::size_t opsLeft = size - 2 - fileSize;

    IniFile ini;
    ini.SetText(file);
    check(ini.Text() == file);
    QStringList expected = values(ini);

    // Unchanged values written back leave the bytes as they were.
    for (int n = 0; n < kNames; ++n)
        if (expected[n] != QStringLiteral("\x01") && expected[n].size() < IniFile::MaxValueLength)
            ini.Write(section(n), key(n), expected[n]);
    check(ini.Text() == file);

    // Writes, at most 32: an op is a name byte, a length byte and the value's bytes.
    for (int op = 0; op < 32 && opsLeft >= 2; ++op) {
        const int name = ops[0] % kNames;
        const bool upper = ops[0] & 0x80;
        const std::size_t length = std::min<std::size_t>(opsLeft - 2, ops[1] % 64);
        const QString value = valueFrom(ops + 2, length);
        const QString s = upper ? section(name).toUpper() : section(name).toLower();
        const QString k = upper ? key(name).toLower() : key(name).toUpper();
        ini.Write(s, k, value);
        expected[name] = value;
        check(values(ini) == expected);
        ops += 2 + length;
        opsLeft -= 2 + length;
    }

    // Saved and loaded again: the same bytes, the same values.
    const QByteArray saved = ini.Text();
    IniFile again;
    again.SetText(saved);
    check(again.Text() == saved);
    check(values(again) == expected);
    return 0;
}
