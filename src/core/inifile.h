#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace vantrel::core {

// An INI file with private-profile semantics: "[Section]" lines, "key=value" lines, section and
// key names matched without regard to case, values read trimmed and at most 2047 characters.
// Lines the program does not know (other sections and keys, comments, blank lines) are kept
// byte for byte and in place, with their own line ends (CR, LF or CR LF); a new key goes to the
// end of its section, a new section to the end of the file, each ended like the file's first
// line. Save replaces the file atomically, so a failed save leaves the old one whole.
class IniFile {
public:
    static constexpr int MaxValueLength = 2047;

    // Reads the file at path. A missing file is an empty file; false only when a file exists
    // there but cannot be read (the contents are then empty).
    bool Load(const QString &path);
    // Takes bytes as the file's contents.
    void SetText(const QByteArray &bytes);
    // Replaces the file at path: creates its folder (mode 0700) when missing, writes a
    // temporary file beside it without buffering, syncs it and renames it over the old one.
    // False when any step fails, with the system's reason in error; the old file is then
    // untouched and no temporary file is left. Temporary files that an interrupted save left
    // (a minute old or more) are removed first.
    bool Save(const QString &path, QString *error = nullptr) const;

    // The value as text: its bytes decoded as UTF-8 when they are valid UTF-8, else as Latin-1.
    QString Read(const QString &section, const QString &key, const QString &def) const;
    // The value's bytes as they stand in the file (trimmed, not cut).
    QByteArray ReadBytes(const QString &section, const QString &key, const QByteArray &def) const;
    // An integer value (decimal, or hexadecimal after "0x"); any other text gives def.
    int ReadInteger(const QString &section, const QString &key, int def) const;
    // Non-zero integer: true; zero, a missing key or a text that is no integer: false.
    bool ReadBool(const QString &section, const QString &key) const;
    // Writes value as UTF-8, except that a value equal to what the key's bytes decode to leaves
    // them as they are, so a value read and written back unchanged keeps its bytes (Latin-1
    // ones too).
    void Write(const QString &section, const QString &key, const QString &value);
    // Writes value's bytes as they are (line breaks in it become blanks).
    void WriteBytes(const QString &section, const QString &key, const QByteArray &value);

    // The file as Save writes it.
    QByteArray Text() const;

private:
    struct Line {
        QByteArray text;
        QByteArray end; // "\n", "\r\n", "\r", or empty for a last line without one
    };

    // Index of the "[section]" line, or -1.
    int findSection(const QString &section) const;
    // Index of the key's line inside the section that starts at sectionLine, or -1.
    int findKey(int sectionLine, const QString &key) const;
    // One past the last line of the section that starts at sectionLine.
    int sectionEnd(int sectionLine) const;
    // Index of the key's line, or -1.
    int lineOf(const QString &section, const QString &key) const;
    void insertLine(int at, const QByteArray &text);

    std::vector<Line> lines_;
    QByteArray newLineEnd_ = "\n"; // the end of the file's first line, for lines added
    bool bom_ = false;             // a UTF-8 byte order mark opened the file
};

} // namespace vantrel::core
