#pragma once

#include "history/historysample.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QHostAddress;
class QTcpServer;
class QTcpSocket;

namespace vantrel::app {

// What the metrics tell: the latest sample, the link, the quota.
struct MetricsSnapshot {
    std::optional<history::LineSample> sample;
    std::optional<bool> linkUp;
    std::optional<double> quotaUsedBytes;
    std::optional<double> quotaBytes;
};

// The snapshot in the Prometheus text exposition format (version 0.0.4).
QByteArray MetricsText(const MetricsSnapshot &snapshot);

// A small HTTP server that answers GET /metrics with the metrics text, so that an existing
// Prometheus can scrape and keep the line's figures. It listens on one address (127.0.0.1
// unless the user names another) and answers each request once, then closes. Clients that
// connect and say nothing cannot keep a scraper out (each gets two seconds, a few connections
// per address, and the longest waiting one makes room for a new one), and a request whose Host
// names another server (a web page using DNS rebinding) is refused.
class MetricsServer : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 9463;

    explicit MetricsServer(std::function<QByteArray()> body, QObject *parent = nullptr);

    // Listens on address:port (port 0: any free port); false with the reason when it cannot.
    bool Start(const QString &address, quint16 port, QString *error);
    void Stop();
    bool Listening() const;
    quint16 Port() const;
    // Connections open right now.
    int Clients() const;

private:
    void accept();
    void makeRoom(const QHostAddress &peer);
    bool hostAllowed(const QByteArray &hostHeader) const;
    void read(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QByteArray &request);

    std::function<QByteArray()> body_;
    QTcpServer *server_;
    qint64 accepted_ = 0;
};

} // namespace vantrel::app
