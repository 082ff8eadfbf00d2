#pragma once
// Which version of the program is the latest published one: one HTTP GET of a three-line text
// file, its lines, and the message that compares it with the running version.
//
// The file: line 1 the latest version ("major.minor.release.build"), line 2 its release date,
// line 3 (optional) when a next version is expected. A run of CR and LF bytes, however long,
// is one line break; anything after the third line is ignored.

#include <QByteArray>
#include <QString>
#include <atomic>
#include <stdexcept>

namespace vantrel::version {

struct WebVersionInfo {
    QString version;
    QString releaseDate;
    QString nextVersionNote;
};

// Bounds on one fetch, so that a silent or hostile server cannot hold the check for ever or
// fill the memory.
struct FetchLimits {
    long connectTimeoutMs = 10000;
    long totalTimeoutMs = 10000;
    qint64 maxBytes = 64 * 1024;
    qint64 maxHeaderBytes = 64 * 1024; // of the reply's header lines, all together
    long maxRedirects = 3;
};

// A failed fetch or an unusable file; what() is the text shown to the user.
class UpdateCheckError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One line from position on: the bytes up to the next CR, LF or the end, then every CR and LF
// that follows is stepped over. At the end of the body every further call yields "".
QString NextTextLine(const QByteArray &body, qsizetype &position);

// The three lines of a version file (each "" when the file does not supply it).
WebVersionInfo ParseVersionFile(const QByteArray &body);

// One GET of base + path (http or https only), split into its three lines. Throws
// UpdateCheckError when the request fails, the server answers with an error status, the body
// exceeds limits.maxBytes or the headers limits.maxHeaderBytes, a time-out passes, or *cancel
// becomes true. Blocks; safe to run on any thread.
WebVersionInfo FetchVersionFile(const QString &base, const QString &path,
                                const FetchLimits &limits = {},
                                const std::atomic<bool> *cancel = nullptr);

// True when text has the form of a version: four dot-separated decimal numbers, optionally
// followed by blanks.
bool LooksLikeVersion(const QString &text);

// Two versions in order of their four numbers (0.1.0.10 is later than 0.1.0.9; blanks after
// the last number do not count). A text that is no version is ordered as plain text on the
// character codes, a prefix first. <0, 0 or >0.
int CompareVersions(const QString &a, const QString &b);

// The message shown for the running version against the published one; lines are separated
// by a carriage return. website is the bare host name named by the "newer version" message.
QString UpdateMessage(const QString &running, const WebVersionInfo &web, const QString &website);

// Fetch, check and compose: the message, or UpdateCheckError with the text to report. A file
// whose first line is not a version (an empty body, an error page served as a success) is
// reported as an error rather than compared.
QString CheckForUpdate(const QString &base, const QString &path, const QString &running,
                       const QString &website, const FetchLimits &limits = {},
                       const std::atomic<bool> *cancel = nullptr);

} // namespace vantrel::version
