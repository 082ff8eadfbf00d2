#include "version/webvercheck.h"

#include <QRegularExpression>
#include <QStringList>
#include <array>
#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace vantrel::version {

namespace {

bool isLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// libcurl's global state is set up once, before the first handle, whatever thread asks first.
void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Transfer {
    QByteArray body;
    qint64 maxBytes = 0;
    bool tooLarge = false;
    qint64 headerBytes = 0;
    qint64 maxHeaderBytes = 0;
    bool headersTooLarge = false;
    bool headersEnded = false; // the blank line after the last header of the final reply
    const std::atomic<bool> *cancel = nullptr;
};

// Each header line of each reply (a redirect's too), as libcurl has read it.
size_t header(char *data, size_t size, size_t count, void *user) {
    auto *t = static_cast<Transfer *>(user);
    const size_t n = size * count;
    t->headerBytes += qint64(n);
    if (t->headerBytes > t->maxHeaderBytes) {
        t->headersTooLarge = true;
        return 0;
    }
    t->headersEnded = n <= 2 && (n == 0 || data[0] == '\r' || data[0] == '\n');
    return n;
}

size_t receive(char *data, size_t size, size_t count, void *user) {
    auto *t = static_cast<Transfer *>(user);
    const size_t n = size * count;
    if (qint64(t->body.size()) + qint64(n) > t->maxBytes) {
        t->tooLarge = true;
        return 0; // stops the transfer with a write error
    }
    t->body.append(data, qsizetype(n));
    return n;
}

// Called by libcurl at least once a second while a transfer runs, also while it connects.
int progress(void *user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto *t = static_cast<const Transfer *>(user);
    return t->cancel != nullptr && t->cancel->load() ? 1 : 0;
}

QString sizeText(qint64 bytes) {
    return bytes % 1024 == 0 ? QStringLiteral("%1 KiB").arg(bytes / 1024)
                             : QStringLiteral("%1 bytes").arg(bytes);
}

} // namespace

QString NextTextLine(const QByteArray &body, qsizetype &position) {
    const qsizetype size = body.size();
    if (position < 0 || position >= size) {
        position = size;
        return QString();
    }
    qsizetype end = position;
    while (end < size && !isLineBreak(body[end]))
        ++end;
    // One byte per character.
    const QString line = QString::fromLatin1(body.constData() + position, end - position);
    while (end < size && isLineBreak(body[end]))
        ++end;
    position = end;
    return line;
}

WebVersionInfo ParseVersionFile(const QByteArray &body) {
    WebVersionInfo info;
    if (body.isEmpty())
        return info;
    qsizetype position = 0;
    info.version = NextTextLine(body, position);
    info.releaseDate = NextTextLine(body, position);
    info.nextVersionNote = NextTextLine(body, position);
    return info;
}

WebVersionInfo FetchVersionFile(const QString &base, const QString &path, const FetchLimits &limits,
                                const std::atomic<bool> *cancel) {
    initCurl();
    const QString url = base + path;
    std::unique_ptr<CURL, void (*)(CURL *)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl)
        throw UpdateCheckError(QStringLiteral("Unable to fetch %1: the HTTP client could not start")
                                   .arg(url)
                                   .toStdString());
    Transfer transfer;
    transfer.maxBytes = limits.maxBytes;
    transfer.maxHeaderBytes = limits.maxHeaderBytes;
    transfer.cancel = cancel;
    char error[CURL_ERROR_SIZE] = {};
    const QByteArray urlBytes = url.toUtf8();
    CURL *h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, urlBytes.constData());
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L); // time-outs without signals: we run on a thread
    curl_easy_setopt(h, CURLOPT_DEFAULT_PROTOCOL, "http");
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L); // an error status is a failure, not a body
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(limits.maxBytes));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, header);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode code = curl_easy_perform(h);
    if (code != CURLE_OK) {
        QString reason;
        // libcurl refuses a single header line of more than 100 KiB as "out of memory",
        // before it reaches the header function.
        if (transfer.headersTooLarge || (code == CURLE_OUT_OF_MEMORY && !transfer.headersEnded))
            reason = QStringLiteral("the server's reply headers are too large (the limit is %1)")
                         .arg(sizeText(limits.maxHeaderBytes));
        else if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
            reason = QStringLiteral("the file is larger than %1").arg(sizeText(limits.maxBytes));
        else if (code == CURLE_ABORTED_BY_CALLBACK)
            reason = QStringLiteral("the check was cancelled");
        else if (error[0] != '\0')
            reason = QString::fromUtf8(error).trimmed();
        else
            reason = QString::fromUtf8(curl_easy_strerror(code));
        throw UpdateCheckError(
            QStringLiteral("Unable to fetch %1: %2").arg(url, reason).toStdString());
    }
    return ParseVersionFile(transfer.body);
}

bool LooksLikeVersion(const QString &text) {
    static const QRegularExpression shape(
        QStringLiteral("\\A[0-9]{1,5}\\.[0-9]{1,5}\\.[0-9]{1,5}\\.[0-9]{1,5}[ \\t]*\\z"));
    return shape.match(text).hasMatch();
}

namespace {

// The four numbers of a version text; false when it is none.
bool versionNumbers(const QString &text, std::array<int, 4> &numbers) {
    if (!LooksLikeVersion(text))
        return false;
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    for (std::size_t i = 0; i < numbers.size(); ++i)
        numbers[i] = parts[int(i)].toInt();
    return true;
}

} // namespace

int CompareVersions(const QString &a, const QString &b) {
    std::array<int, 4> x{}, y{};
    if (!versionNumbers(a, x) || !versionNumbers(b, y))
        return a.compare(b, Qt::CaseSensitive);
    return x < y ? -1 : (y < x ? 1 : 0);
}

QString UpdateMessage(const QString &running, const WebVersionInfo &web, const QString &website) {
    QStringList lines;
    const int order = CompareVersions(running, web.version);
    if (order < 0) {
        lines << QStringLiteral("You are using version ") + running + QLatin1Char('.') << QString()
              << QStringLiteral("A new version (") + web.version + QStringLiteral(") is available!")
              << QStringLiteral("It was released on ") + web.releaseDate + QLatin1Char('.')
              << QString()
              << QStringLiteral("Please visit the Vantrel web site at ") + website +
                     QStringLiteral(" soon to download it.");
    } else if (order == 0) {
        lines << QStringLiteral("You are already using the latest version (") + web.version +
                     QLatin1Char(')')
              << QStringLiteral("which was released on ") + web.releaseDate + QLatin1Char('.');
        if (web.nextVersionNote.size() >= 5)
            lines << QString()
                  << QStringLiteral("A new version is expected ") + web.nextVersionNote;
    } else {
        lines << QStringLiteral("You are already using a later version (") + running +
                     QLatin1Char(')')
              << QStringLiteral("than the version (") + web.version +
                     QStringLiteral(") which is publicly")
              << QStringLiteral("available!");
    }
    return lines.join(QLatin1Char('\r'));
}

QString CheckForUpdate(const QString &base, const QString &path, const QString &running,
                       const QString &website, const FetchLimits &limits,
                       const std::atomic<bool> *cancel) {
    const WebVersionInfo web = FetchVersionFile(base, path, limits, cancel);
    if (!LooksLikeVersion(web.version))
        throw UpdateCheckError(QStringLiteral("The file %1 does not start with a version number")
                                   .arg(base + path)
                                   .toStdString());
    return UpdateMessage(running, web, website);
}

} // namespace vantrel::version
