#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace vantrel::core {

// An INI file with private-profile semantics: "[Section]" lines, "key=value" lines, section and
// key names matched without regard to case, values read trimmed and at most 2047 characters.
// Lines the program does not know (other sections and keys, comments, blank lines) are kept
// byte for byte and in place; a new key goes to the end of its section, a new section to the
// end of the file. Save replaces the file atomically, so a failed save leaves the old one whole.
class IniFile {
public:
    static constexpr int MaxValueLength = 2047;

    // Reads the file at path. A missing file is an empty file; false only when a file exists
    // there but cannot be read (the contents are then empty).
    bool Load(const QString &path);
    // Replaces the file at path (a temporary file in the same folder, synced, then renamed
    // over it); false when any step fails, and the old file is then untouched.
    bool Save(const QString &path) const;

    QString Read(const QString &section, const QString &key, const QString &def) const;
    // The value's bytes as they stand in the file (def when the key is missing).
    QByteArray ReadBytes(const QString &section, const QString &key, const QByteArray &def) const;
    // An integer value (decimal, or hexadecimal after "0x"); any other text gives def.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    // Non-zero integer: true; zero, a missing key or a text that is no integer: false.
    bool ReadBool(const QString &section, const QString &key) const;
    void Write(const QString &section, const QString &key, const QString &value);

    // The file as Save writes it (LF line ends).
    QByteArray Text() const;

private:
    // Index of the "[section]" line, or -1.
    int findSection(const QString &section) const;
    // Index of the key's line inside the section that starts at sectionLine, or -1.
    int findKey(int sectionLine, const QString &key) const;
    // One past the last line of the section that starts at sectionLine.
    int sectionEnd(int sectionLine) const;

    std::vector<QByteArray> lines_; // without line ends
    bool bom_ = false;              // a UTF-8 byte order mark opened the file
};

} // namespace vantrel::core
