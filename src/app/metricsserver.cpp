#include "app/metricsserver.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace vantrel::app {

namespace {

constexpr int kMaxRequestBytes = 8192;
// A client has this long to send its request, and this long in all before it is let go.
constexpr int kRequestTimeoutMs = 2000;
constexpr int kClientTimeoutMs = 5000;
// Connections open at once, in all and from one address. A new connection that finds no room
// makes it by closing the one that has waited longest without a request, so that idle clients
// can never lock a scraper out: a scraper sends its request at once.
constexpr int kMaxClients = 32;
constexpr int kMaxPerClient = 8;

const char kSince[] = "acceptedAt"; // a running number: the order connections came in
const char kAnswered[] = "answered";

// The value of header name (lower case, with its colon) in request, without blanks; nothing
// when the request has no such header.
std::optional<QByteArray> headerValue(const QByteArray &request, const QByteArray &name) {
    const QList<QByteArray> lines = request.split('\n');
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty())
            break;
        if (line.toLower().startsWith(name))
            return line.mid(name.size()).trimmed();
    }
    return std::nullopt;
}

// The host part of a Host header: without its port, an IPv6 literal without its brackets.
QString hostPart(const QByteArray &value) {
    QString host = QString::fromLatin1(value);
    if (host.startsWith(QLatin1Char('['))) {
        const qsizetype close = host.indexOf(QLatin1Char(']'));
        return close < 0 ? QString() : host.mid(1, close - 1);
    }
    if (host.count(QLatin1Char(':')) == 1)
        host.truncate(host.indexOf(QLatin1Char(':')));
    if (host.endsWith(QLatin1Char('.')))
        host.chop(1);
    return host;
}

using history::LineFigure;

QByteArray number(double v) {
    return QByteArray::number(v, 'g', 15);
}

// One metric family: its help, type and samples.
class Family {
public:
    Family(QByteArray &out, const char *name, const char *type, const char *help)
        : out_(out), name_(name), type_(type), help_(help) {}
    void Add(const std::optional<double> &value, const char *labels = nullptr) {
        if (!value)
            return;
        if (!headed_) {
            out_ += "# HELP " + name_ + ' ' + help_ + "\n# TYPE " + name_ + ' ' + type_ + '\n';
            headed_ = true;
        }
        out_ += name_;
        if (labels != nullptr)
            out_ += '{' + QByteArray(labels) + '}';
        out_ += ' ' + number(*value) + '\n';
    }

private:
    QByteArray &out_;
    QByteArray name_;
    QByteArray type_;
    QByteArray help_;
    bool headed_ = false;
};

} // namespace

QByteArray MetricsText(const MetricsSnapshot &s) {
    QByteArray out;
    if (s.linkUp)
        Family(out, "vantrel_link_up", "gauge", "Whether the ADSL link is up (1) or down (0).")
            .Add(*s.linkUp ? 1.0 : 0.0);
    if (s.sample) {
        const history::LineSample &sample = *s.sample;
        auto value = [&sample](LineFigure f) { return sample.Value(f); };
        // Rates arrive in bit/s; Prometheus counts in bytes.
        auto bytes = [&sample](LineFigure f) -> std::optional<double> {
            const std::optional<double> &bits = sample.Figure(f);
            return bits ? std::optional<double>(*bits / 8) : std::nullopt;
        };
        Family(out, "vantrel_sample_timestamp_seconds", "gauge",
               "When the latest sample was read, in seconds since 1970.")
            .Add(double(sample.time));
        if (sample.uptime)
            Family(out, "vantrel_router_uptime_seconds", "gauge", "The router's uptime.")
                .Add(double(*sample.uptime) / 100.0);
        const struct {
            const char *name;
            const char *type;
            const char *help;
            LineFigure down;
            LineFigure up;
            bool rate;
        } pairs[] = {
            {"vantrel_sync_rate_bytes_per_second", "gauge", "Sync rate of the ADSL line.",
             LineFigure::DownRate, LineFigure::UpRate, true},
            {"vantrel_snr_margin_db", "gauge", "Noise margin of the ADSL line in dB.",
             LineFigure::DownMargin, LineFigure::UpMargin, false},
            {"vantrel_attenuation_db", "gauge", "Attenuation of the ADSL line in dB.",
             LineFigure::DownAttenuation, LineFigure::UpAttenuation, false},
            {"vantrel_output_power_dbm", "gauge", "Transmit power in dBm.", LineFigure::DownPower,
             LineFigure::UpPower, false},
            {"vantrel_corrected_blocks_total", "counter", "Blocks corrected by the line's coding.",
             LineFigure::DownCorrected, LineFigure::UpCorrected, false},
            {"vantrel_uncorrected_blocks_total", "counter",
             "Blocks the line's coding could not correct.", LineFigure::DownUncorrected,
             LineFigure::UpUncorrected, false},
        };
        for (const auto &p : pairs) {
            Family family(out, p.name, p.type, p.help);
            family.Add(p.rate ? bytes(p.down) : value(p.down), "direction=\"down\"");
            family.Add(p.rate ? bytes(p.up) : value(p.up), "direction=\"up\"");
        }
        const struct {
            const char *name;
            const char *type;
            const char *help;
            LineFigure figure;
        } singles[] = {
            {"vantrel_loss_of_framing_seconds_total", "counter", "Seconds with loss of framing.",
             LineFigure::LossOfFraming},
            {"vantrel_loss_of_signal_seconds_total", "counter", "Seconds with loss of signal.",
             LineFigure::LossOfSignal},
            {"vantrel_loss_of_power_seconds_total", "counter", "Seconds with loss of power.",
             LineFigure::LossOfPower},
            {"vantrel_errored_seconds_total", "counter", "Errored seconds.",
             LineFigure::ErroredSeconds},
            {"vantrel_errored_seconds_today", "gauge", "Errored seconds of the current day.",
             LineFigure::ErroredToday},
            {"vantrel_errored_seconds_yesterday", "gauge", "Errored seconds of the previous day.",
             LineFigure::ErroredYesterday},
        };
        for (const auto &single : singles)
            Family(out, single.name, single.type, single.help).Add(value(single.figure));
    }
    Family(out, "vantrel_quota_used_bytes", "gauge", "Data used in the current quota cycle.")
        .Add(s.quotaUsedBytes);
    Family(out, "vantrel_quota_limit_bytes", "gauge", "The data quota.").Add(s.quotaBytes);
    if (s.quotaUsedBytes && s.quotaBytes && *s.quotaBytes > 0)
        Family(out, "vantrel_quota_used_ratio", "gauge", "Share of the data quota used.")
            .Add(*s.quotaUsedBytes / *s.quotaBytes);
    return out;
}

MetricsServer::MetricsServer(std::function<QByteArray()> body, QObject *parent)
    : QObject(parent), body_(std::move(body)), server_(new QTcpServer(this)) {
    server_->setMaxPendingConnections(kMaxClients);
    connect(server_, &QTcpServer::newConnection, this, [this] { accept(); });
}

bool MetricsServer::Start(const QString &address, quint16 port, QString *error) {
    Stop();
    QHostAddress host;
    if (!host.setAddress(address.trimmed())) {
        if (error != nullptr)
            *error = QStringLiteral("\"%1\" is not an IP address").arg(address);
        return false;
    }
    if (!server_->listen(host, port)) {
        if (error != nullptr)
            *error = server_->errorString();
        return false;
    }
    return true;
}

void MetricsServer::Stop() {
    server_->close();
}

bool MetricsServer::Listening() const {
    return server_->isListening();
}

quint16 MetricsServer::Port() const {
    return server_->serverPort();
}

void MetricsServer::accept() {
    while (QTcpSocket *socket = server_->nextPendingConnection()) {
        makeRoom(socket->peerAddress());
        socket->setParent(this);
        socket->setProperty(kSince, ++accepted_);
        // A client that says nothing, or too much, or too slowly, is let go.
        QPointer<QTcpSocket> guard(socket);
        QTimer::singleShot(kRequestTimeoutMs, socket, [guard] {
            if (guard && !guard->property(kAnswered).toBool())
                guard->abort();
        });
        QTimer::singleShot(kClientTimeoutMs, socket, [guard] {
            if (guard)
                guard->abort();
        });
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, socket, &QObject::deleteLater);
    }
}

int MetricsServer::Clients() const {
    int open = 0;
    for (const QTcpSocket *socket : findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly))
        if (socket->state() != QAbstractSocket::UnconnectedState)
            ++open;
    return open;
}

void MetricsServer::makeRoom(const QHostAddress &peer) {
    // The connections still open, and those of them that wait for a request, oldest first.
    QList<QTcpSocket *> open;
    for (QTcpSocket *socket : findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly))
        if (socket->state() != QAbstractSocket::UnconnectedState)
            open << socket;
    std::sort(open.begin(), open.end(), [](const QTcpSocket *a, const QTcpSocket *b) {
        return a->property(kSince).toLongLong() < b->property(kSince).toLongLong();
    });
    auto closeOldest = [&open](const std::function<bool(const QTcpSocket *)> &which) {
        for (int i = 0; i < open.size(); ++i) {
            if (!which(open[i]))
                continue;
            open[i]->abort();
            open.removeAt(i);
            return true;
        }
        return false;
    };
    auto waiting = [](const QTcpSocket *s) { return !s->property(kAnswered).toBool(); };
    const auto fromPeer = [&peer](const QTcpSocket *s) { return s->peerAddress() == peer; };
    if (std::count_if(open.begin(), open.end(), fromPeer) >= kMaxPerClient)
        closeOldest([&](const QTcpSocket *s) { return fromPeer(s) && waiting(s); }) ||
            closeOldest(fromPeer);
    if (open.size() >= kMaxClients)
        closeOldest(waiting) || closeOldest([](const QTcpSocket *) { return true; });
}

bool MetricsServer::hostAllowed(const QByteArray &value) const {
    const QString host = hostPart(value);
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
        host.compare(QHostInfo::localHostName(), Qt::CaseInsensitive) == 0)
        return true;
    // A page that rebinds its own name to this address still sends its own name: only an
    // address written out can be trusted to mean this server.
    QHostAddress address;
    if (!address.setAddress(host))
        return false;
    const QHostAddress bound = server_->serverAddress();
    return address.isEqual(bound, QHostAddress::TolerantConversion) || bound == QHostAddress::Any ||
           bound == QHostAddress::AnyIPv4 || bound == QHostAddress::AnyIPv6;
}

void MetricsServer::read(QTcpSocket *socket) {
    QByteArray request = socket->property("request").toByteArray();
    request += socket->readAll();
    if (request.size() > kMaxRequestBytes) {
        socket->abort();
        return;
    }
    socket->setProperty("request", request);
    if (request.contains("\r\n\r\n") || request.contains("\n\n"))
        answer(socket, request);
}

void MetricsServer::answer(QTcpSocket *socket, const QByteArray &request) {
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->setProperty(kAnswered, true);
    const QList<QByteArray> words = request.left(request.indexOf('\n')).trimmed().split(' ');
    QByteArray status = "200 OK";
    QByteArray body;
    const bool head = !words.isEmpty() && words[0] == "HEAD";
    QByteArray path = words.size() >= 2 ? words[1] : QByteArray();
    path = path.left(path.indexOf('?') < 0 ? path.size() : path.indexOf('?'));
    // HTTP/1.1 asks for a Host header; a browser always sends one.
    const std::optional<QByteArray> host = headerValue(request, "host:");
    if (words.size() != 3 || !words[2].startsWith("HTTP/") || (!host && words[2] != "HTTP/1.0")) {
        status = "400 Bad Request";
        body = "Bad request\n";
    } else if (host && !hostAllowed(*host)) {
        // A web page that had its own name point at this address (DNS rebinding) reads nothing.
        status = "403 Forbidden";
        body = "Forbidden: the Host header names another server\n";
    } else if (words[0] != "GET" && !head) {
        status = "405 Method Not Allowed";
        body = "Only GET\n";
    } else if (path != "/metrics" && path != "/") {
        status = "404 Not Found";
        body = "Not found: the metrics are at /metrics\n";
    } else {
        body = body_ ? body_() : QByteArray();
    }
    QByteArray reply = "HTTP/1.1 " + status +
                       "\r\nContent-Type: text/plain; version=0.0.4; charset=utf-8\r\n"
                       "Content-Length: " +
                       QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n";
    if (!head)
        reply += body;
    socket->write(reply);
    socket->disconnectFromHost();
}

} // namespace vantrel::app
