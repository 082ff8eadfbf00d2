#include "httpserver.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool waitReadable(int fd, int ms) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, ms) > 0;
}

void sendAll(int fd, const QByteArray &bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(fd, bytes.constData() + done, size_t(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return; // the client went away
        done += n;
    }
}

} // namespace

HttpServer::HttpServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    ::listen(listener_, 8);
    socklen_t len = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr *>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { run(); });
}

HttpServer::~HttpServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

QByteArray HttpServer::Base() const {
    return "http://127.0.0.1:" + QByteArray::number(port_);
}

void HttpServer::Serve(const QByteArray &path, const Response &response) {
    const std::lock_guard<std::mutex> lock(mutex_);
    routes_[path] = response;
}

void HttpServer::run() {
    while (!stop_) {
        if (!waitReadable(listener_, 20))
            continue;
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client < 0)
            continue;
        answer(client);
        ::close(client);
    }
}

void HttpServer::answer(int client) {
    QByteArray request;
    char buffer[4096];
    while (!request.contains("\r\n\r\n") && waitReadable(client, 2000)) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            return;
        request.append(buffer, n);
    }
    ++requests_;
    const QList<QByteArray> first = request.left(request.indexOf("\r\n")).split(' ');
    const QByteArray path = first.value(1);
    Response r;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        r = routes_.value(path, Response{"404 Not Found", {}, "no such file\n", 0});
    }
    const QByteArray head = "HTTP/1.0 " + r.status + "\r\nContent-Type: text/plain\r\n" +
                            r.headers + "Connection: close\r\n\r\n";
    if (r.stallMs == 0) {
        sendAll(client, head + r.body);
        return;
    }
    sendAll(client, head + r.body.left(4));
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(r.stallMs);
    while (!stop_ && std::chrono::steady_clock::now() < until) {
        if (waitReadable(client, 20) && ::recv(client, buffer, sizeof buffer, 0) <= 0)
            return; // the client gave up
    }
    sendAll(client, r.body.mid(4));
}
