#include "core/inifile.h"

#include "core/convert.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::core {

namespace {

const char kBom[] = "\xEF\xBB\xBF";

bool ascii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
}

// UTF-8 when the bytes are valid UTF-8, else Latin-1, which every byte sequence is.
QString decoded(QByteArrayView bytes) {
    if (ascii(bytes))
        return QString::fromLatin1(bytes); // the common case, read the same either way
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

// Lines are looked at through views, so finding a key copies nothing.

// "[name]" with optional blanks around the brackets; text after "]" is ignored.
bool parseSection(QByteArrayView line, QByteArrayView &name) {
    const QByteArrayView t = line.trimmed();
    if (!t.startsWith('['))
        return false;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return false;
    name = t.sliced(1, close - 1).trimmed();
    return true;
}

// "key=value"; comment lines (";" or "#") and lines without "=" are no keys.
bool parseKey(QByteArrayView line, QByteArrayView &key, QByteArrayView *value = nullptr) {
    const QByteArrayView t = line.trimmed();
    if (t.isEmpty() || t.startsWith(';') || t.startsWith('#') || t.startsWith('['))
        return false;
    const qsizetype eq = t.indexOf('=');
    if (eq <= 0)
        return false;
    key = t.first(eq).trimmed();
    if (value != nullptr)
        *value = t.sliced(eq + 1).trimmed();
    return !key.isEmpty();
}

// The value of a key's line.
QByteArrayView valueOf(QByteArrayView line) {
    QByteArrayView key, value;
    parseKey(line, key, &value);
    return value;
}

// Names match without regard to case.
bool sameName(QByteArrayView bytes, const QString &name) {
    if (ascii(bytes))
        return name.compare(QLatin1StringView(bytes.data(), bytes.size()), Qt::CaseInsensitive) ==
               0;
    return decoded(bytes).compare(name, Qt::CaseInsensitive) == 0;
}

// A line break inside a name or value would split it into lines the next read sees as keys or
// sections of their own.
QByteArray oneLine(QByteArray bytes) {
    bytes.replace('\r', ' ');
    bytes.replace('\n', ' ');
    return bytes;
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Creates folder and the folders above it that are missing, each with mode 0700; 0 or errno.
int makeFolder(const QByteArray &folder) {
    struct stat st {};
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    const int slash = folder.lastIndexOf('/');
    if (slash > 0)
        if (const int error = makeFolder(folder.left(slash)); error != 0)
            return error;
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

bool writeAll(int fd, const QByteArray &bytes) {
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

// A save writes "<name>.saving-XXXXXX" and renames it over the file; older versions wrote
// "<name>.XXXXXX". A save that was killed half-way leaves its temporary file behind.
const char kTemporaryMark[] = ".saving-";
// Younger than this, a temporary file may belong to a save running right now.
constexpr std::time_t kStaleSecs = 60;

bool temporaryOf(const QString &candidate, const QString &name) {
    if (!candidate.startsWith(name + QLatin1Char('.')))
        return false;
    const QString rest = candidate.mid(name.size());
    static const QRegularExpression ours(QStringLiteral("\\A\\.saving-[A-Za-z0-9]{6}\\z"));
    if (ours.match(rest).hasMatch())
        return true;
    // The older name: mkstemp's six random letters and digits, which a word a user gives a copy
    // ("backup", "Before", "OLD") or a date is not.
    static const QRegularExpression random(QStringLiteral("\\A\\.[A-Za-z0-9]{6}\\z"));
    static const QRegularExpression word(
        QStringLiteral("\\A\\.(?:[a-z]{6}|[A-Z]{6}|[A-Z][a-z]{5}|[0-9]{6})\\z"));
    return random.match(rest).hasMatch() && !word.match(rest).hasMatch();
}

// Removes the temporary files of our own saves of target that were interrupted.
void removeStaleTemporaries(const QString &folder, const QString &name) {
    const QDir dir(folder);
    const std::time_t now = std::time(nullptr);
    const QStringList entries =
        dir.entryList({name + QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (!temporaryOf(entry, name))
            continue;
        const QByteArray file = QFile::encodeName(dir.filePath(entry));
        struct stat st {};
        if (::lstat(file.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid() &&
            now - st.st_mtime >= kStaleSecs)
            ::unlink(file.constData());
    }
}

} // namespace

bool IniFile::Load(const QString &path) {
    SetText(QByteArray());
    QFile file(path);
    if (!file.exists())
        return true;
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    SetText(text);
    return true;
}

void IniFile::SetText(const QByteArray &bytes) {
    lines_.clear();
    newLineEnd_ = "\n";
    bom_ = bytes.startsWith(kBom);
    const qsizetype n = bytes.size();
    qsizetype start = bom_ ? 3 : 0;
    bool first = true;
    for (qsizetype i = start; i < n; ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r')
            continue;
        const qsizetype endLength = bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n' ? 2 : 1;
        Line line{bytes.mid(start, i - start), bytes.mid(i, endLength)};
        if (first)
            newLineEnd_ = line.end;
        first = false;
        lines_.push_back(std::move(line));
        i += endLength - 1;
        start = i + 1;
    }
    if (start < n)
        lines_.push_back(Line{bytes.mid(start), QByteArray()});
}

QByteArray IniFile::Text() const {
    QByteArray out;
    if (bom_)
        out += kBom;
    for (const Line &line : lines_) {
        out += line.text;
        out += line.end;
    }
    return out;
}

bool IniFile::Save(const QString &path, QString *error) const {
    auto fail = [error](int reason) {
        if (error != nullptr)
            *error = systemReason(reason);
        return false;
    };
    // A link is followed, so the file it names is replaced and the link stays.
    QFileInfo info(path);
    if (info.isSymLink()) {
        const QString canonical = info.canonicalFilePath(); // empty for a dangling link
        info = QFileInfo(canonical.isEmpty() ? info.symLinkTarget() : canonical);
    }
    if (info.exists() && !info.isFile())
        return fail(EISDIR);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    if (const int reason = makeFolder(folder); reason != 0)
        return fail(reason);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    // An existing file keeps its permissions; a new one is private, as it holds the community.
    mode_t mode = 0600;
    struct stat st {};
    if (::stat(target.constData(), &st) == 0) {
        if (::access(target.constData(), W_OK) != 0)
            return fail(errno);
        mode = st.st_mode & 07777;
    }
    removeStaleTemporaries(info.absolutePath(), info.fileName());
    QByteArray temporary = target + kTemporaryMark + "XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    // Unbuffered: every failed write (a full disk, a size limit) is seen here, not lost in a
    // flush whose result nobody checks.
    int reason = 0;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, Text()) || ::fsync(fd) != 0)
        reason = errno;
    if (::close(fd) != 0 && reason == 0)
        reason = errno;
    if (reason == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        reason = errno;
    if (reason != 0) {
        ::unlink(temporary.constData());
        return fail(reason);
    }
    // The rename itself reaches the disk with the folder.
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

int IniFile::findSection(const QString &section) const {
    QByteArrayView name;
    for (size_t i = 0; i < lines_.size(); ++i)
        if (parseSection(lines_[i].text, name) && sameName(name, section))
            return int(i);
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const {
    QByteArrayView name;
    int i = sectionLine + 1;
    while (i < int(lines_.size()) && !parseSection(lines_[size_t(i)].text, name))
        ++i;
    return i;
}

int IniFile::findKey(int sectionLine, const QString &key) const {
    const int end = sectionEnd(sectionLine);
    QByteArrayView name;
    for (int i = sectionLine + 1; i < end; ++i)
        if (parseKey(lines_[size_t(i)].text, name) && sameName(name, key))
            return i;
    return -1;
}

int IniFile::lineOf(const QString &section, const QString &key) const {
    const int s = findSection(section);
    return s < 0 ? -1 : findKey(s, key);
}

QByteArray IniFile::ReadBytes(const QString &section, const QString &key,
                              const QByteArray &def) const {
    const int k = lineOf(section, key);
    if (k < 0)
        return def;
    return valueOf(lines_[size_t(k)].text).toByteArray();
}

QString IniFile::Read(const QString &section, const QString &key, const QString &def) const {
    const int k = lineOf(section, key);
    if (k < 0)
        return def;
    QString value = decoded(valueOf(lines_[size_t(k)].text));
    if (value.size() > MaxValueLength) {
        value.truncate(MaxValueLength);
        if (value.back().isHighSurrogate())
            value.chop(1); // never leave half a character
    }
    return value;
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
    if (const int k = lineOf(section, key);
        k >= 0 && decoded(valueOf(lines_[size_t(k)].text)) == value)
        return; // unchanged: its bytes stay as they are
    WriteBytes(section, key, value.toUtf8());
}

void IniFile::insertLine(int at, const QByteArray &text) {
    // Only the last line can lack its line end; a line behind it needs one.
    if (at > 0 && lines_[size_t(at - 1)].end.isEmpty())
        lines_[size_t(at - 1)].end = newLineEnd_;
    lines_.insert(lines_.begin() + at, Line{text, newLineEnd_});
}

void IniFile::WriteBytes(const QString &section, const QString &key, const QByteArray &value) {
    const QByteArray line = oneLine(key.toUtf8()) + '=' + oneLine(value);
    const int s = findSection(section);
    if (s < 0) {
        insertLine(int(lines_.size()), '[' + oneLine(section.toUtf8()) + ']');
        insertLine(int(lines_.size()), line);
        return;
    }
    const int k = findKey(s, key);
    if (k >= 0) {
        lines_[size_t(k)].text = line;
        return;
    }
    // After the section's last non-blank line, so blank lines before the next section stay
    // where they are.
    int at = sectionEnd(s);
    while (at > s + 1 && lines_[size_t(at - 1)].text.trimmed().isEmpty())
        --at;
    insertLine(at, line);
}

} // namespace vantrel::core
