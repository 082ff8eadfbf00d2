#pragma once
// A small HTTP/1.0 server on 127.0.0.1 for the update-check tests: each path answers with a
// fixed response, one connection at a time, on a thread of its own.

#include <QByteArray>
#include <QMap>
#include <atomic>
#include <mutex>
#include <thread>

class HttpServer {
public:
    struct Response {
        QByteArray status = "200 OK";
        QByteArray headers; // extra header lines, each ending in CR LF
        QByteArray body;
        int stallMs = 0; // after the first bytes of the body, wait this long (or until the peer
                         // goes) before sending the rest
    };

    HttpServer();
    ~HttpServer();
    quint16 Port() const { return port_; }
    QByteArray Base() const; // "http://127.0.0.1:<port>"
    void Serve(const QByteArray &path, const Response &response);
    int Requests() const { return requests_; }

private:
    void run();
    void answer(int client);

    int listener_ = -1;
    quint16 port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::mutex mutex_;
    QMap<QByteArray, Response> routes_;
    std::thread thread_;
};
