// The metrics endpoint against clients that misbehave: idle and half-open connections must not
// keep a scraper out, and a request for another host name (a web page using DNS rebinding) is
// refused. Every socket is on 127.0.0.1.

#include "app/metricsserver.h"

#include <QElapsedTimer>
#include <QTest>
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace vantrel::app;

namespace {

// A client socket connected to 127.0.0.1:port; the kernel completes the connection before the
// server has taken it.
int connectTo(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads what the server sends until it closes, letting the server's events run meanwhile;
// empty when nothing came within timeoutMs.
QByteArray replyOn(int fd, int timeoutMs) {
    QByteArray reply;
    bool closed = false;
    [[maybe_unused]] const bool ended = QTest::qWaitFor(
        [&] {
            char buffer[4096];
            for (;;) {
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n > 0) {
                    reply.append(buffer, n);
                    continue;
                }
                closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
                return closed;
            }
        },
        timeoutMs);
    return reply;
}

QByteArray fetch(quint16 port, const QByteArray &request, int timeoutMs = 1000) {
    const int fd = connectTo(port);
    if (fd < 0)
        return QByteArray();
    if (::send(fd, request.constData(), std::size_t(request.size()), MSG_NOSIGNAL) < 0) {
        ::close(fd);
        return QByteArray();
    }
    const QByteArray reply = replyOn(fd, timeoutMs);
    ::close(fd);
    return reply;
}

QByteArray metricsBody() {
    return "vantrel_link_up 1\n";
}

} // namespace

class TestMetricsServer : public QObject {
    Q_OBJECT
private slots:
    void hostHeader_data();
    void hostHeader();
    void scrapesGoOnBesideIdleClients();
    void silentClientIsLetGo();
};

void TestMetricsServer::hostHeader_data() {
    QTest::addColumn<QString>("bound");
    QTest::addColumn<QByteArray>("request"); // %PORT% stands for the server's port
    QTest::addColumn<QByteArray>("status");
    const QString loopback = QStringLiteral("127.0.0.1");
    QTest::addRow("the bound address") << loopback
                                       << QByteArray("GET /metrics HTTP/1.1\r\n"
                                                     "Host: 127.0.0.1:%PORT%\r\n\r\n")
                                       << QByteArray("200");
    QTest::addRow("localhost") << loopback
                               << QByteArray("GET /metrics HTTP/1.1\r\nHost: LocalHost.\r\n\r\n")
                               << QByteArray("200");
    // A web page whose name now points at 127.0.0.1 still sends its own name.
    QTest::addRow("a rebound name") << loopback
                                    << QByteArray("GET /metrics HTTP/1.1\r\n"
                                                  "Host: attacker.example:%PORT%\r\n\r\n")
                                    << QByteArray("403");
    QTest::addRow("another address")
        << loopback << QByteArray("GET /metrics HTTP/1.1\r\nHost: 192.0.2.10\r\n\r\n")
        << QByteArray("403");
    QTest::addRow("HTTP/1.1 without Host")
        << loopback << QByteArray("GET /metrics HTTP/1.1\r\n\r\n") << QByteArray("400");
    QTest::addRow("HTTP/1.0 without Host")
        << loopback << QByteArray("GET /metrics HTTP/1.0\r\n\r\n") << QByteArray("200");
    // Listening on every address, any address written out is this server.
    QTest::addRow("any address, a literal")
        << QStringLiteral("0.0.0.0")
        << QByteArray("GET /metrics HTTP/1.1\r\nHost: 192.0.2.10:%PORT%\r\n\r\n")
        << QByteArray("200");
    QTest::addRow("any address, a name")
        << QStringLiteral("0.0.0.0")
        << QByteArray("GET /metrics HTTP/1.1\r\nHost: attacker.example\r\n\r\n")
        << QByteArray("403");
}

void TestMetricsServer::hostHeader() {
    QFETCH(QString, bound);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    MetricsServer server(metricsBody);
    QString error;
    QVERIFY2(server.Start(bound, 0, &error), qPrintable(error));
    request.replace("%PORT%", QByteArray::number(server.Port()));
    const QByteArray reply = fetch(server.Port(), request);
    QVERIFY2(reply.startsWith("HTTP/1.1 " + status), reply.constData());
    QCOMPARE(reply.endsWith(metricsBody()), status == "200");
}

void TestMetricsServer::scrapesGoOnBesideIdleClients() {
    MetricsServer server(metricsBody);
    QVERIFY(server.Start(QStringLiteral("127.0.0.1"), 0, nullptr));
    // Forty programs connect and say nothing, or only half a request.
    std::vector<int> idle;
    for (int i = 0; i < 40; ++i) {
        const int fd = connectTo(server.Port());
        QVERIFY(fd >= 0);
        if (i % 2 == 1)
            ::send(fd, "GET /metrics HTTP/1.1\r\n", 23, MSG_NOSIGNAL);
        idle.push_back(fd);
        QTest::qWait(1);
    }
    QTest::qWait(50);
    int answered = 0;
    for (int i = 0; i < 10; ++i)
        if (fetch(server.Port(), "GET /metrics HTTP/1.1\r\nHost: localhost\r\n\r\n")
                .endsWith(metricsBody()))
            ++answered;
    QCOMPARE(answered, 10);
    QVERIFY2(server.Clients() <= 32, qPrintable(QString::number(server.Clients())));
    for (const int fd : idle)
        ::close(fd);
}

void TestMetricsServer::silentClientIsLetGo() {
    MetricsServer server(metricsBody);
    QVERIFY(server.Start(QStringLiteral("127.0.0.1"), 0, nullptr));
    const int fd = connectTo(server.Port());
    QVERIFY(fd >= 0);
    ::send(fd, "GET /metr", 9, MSG_NOSIGNAL);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(replyOn(fd, 4000), QByteArray()); // closed without an answer
    QVERIFY2(clock.elapsed() < 3000, "a client that never finishes its request is held long");
    ::close(fd);
    QTRY_COMPARE(server.Clients(), 0);
}

QTEST_GUILESS_MAIN(TestMetricsServer)
#include "tst_metricsserver.moc"
