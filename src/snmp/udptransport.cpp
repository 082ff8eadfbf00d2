#include "snmp/udptransport.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vantrel::snmp {

UdpTransport::~UdpTransport() {
    CloseSocket();
}

void UdpTransport::CloseSocket() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool UdpTransport::Resolve(const std::string &host, sockaddr_in &address) {
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    if (host.find('\0') != std::string::npos)
        return false;
    if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo *result = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || result == nullptr)
        return false;
    bool found = false;
    for (addrinfo *ai = result; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addrlen >= sizeof(sockaddr_in)) {
            address.sin_addr = reinterpret_cast<const sockaddr_in *>(ai->ai_addr)->sin_addr;
            found = true;
            break;
        }
    }
    freeaddrinfo(result);
    return found;
}

bool UdpTransport::Connect(const std::string &host, unsigned short port) {
    CloseSocket();
    sockaddr_in address{};
    if (!Resolve(host, address))
        return false;
    address.sin_port = htons(port);
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return false;
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        CloseSocket();
        return false;
    }
    remote_ = address;
    return true;
}

bool UdpTransport::SendDatagram(const std::string &data) {
    if (fd_ < 0)
        return false;
    ssize_t sent;
    do {
        sent = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(data.size());
}

bool UdpTransport::RecvDatagram(std::string &data, int timeoutMs, const CancelToken *cancel) {
    data.clear();
    if (fd_ < 0 || (cancel != nullptr && cancel->Cancelled()))
        return false;
    pollfd p[2] = {{fd_, POLLIN, 0}, {cancel != nullptr ? cancel->Fd() : -1, POLLIN, 0}};
    int ready;
    // An interrupted wait goes on for what is left of the time-out, not for all of it again.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    do {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        ready = ::poll(p, 2, left.count() > 0 ? int(left.count()) : 0);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0 || (cancel != nullptr && cancel->Cancelled()) || !(p[0].revents & POLLIN))
        return false;
    data.resize(65536); // room for the largest UDP datagram, so one read takes it whole
    socklen_t len = sizeof sender_;
    ssize_t got;
    do {
        got = ::recvfrom(fd_, &data[0], data.size(), MSG_DONTWAIT,
                         reinterpret_cast<sockaddr *>(&sender_), &len);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        data.clear(); // error, as after an ICMP port-unreachable, or a readable empty socket
        return false;
    }
    data.resize(static_cast<std::size_t>(got));
    return true;
}

} // namespace vantrel::snmp
