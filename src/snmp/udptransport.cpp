#include "snmp/udptransport.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <memory>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vantrel::snmp {

namespace {

constexpr std::size_t LargestDatagram = 65536;

// Room for the largest datagram, one for each thread: a read takes it whole, and only what
// the read fills is copied out.
char *receiveBuffer() {
    thread_local std::unique_ptr<char[]> buffer(new char[LargestDatagram]);
    return buffer.get();
}

bool portNumber(const std::string &text, unsigned short &port) {
    if (text.empty() || text.size() > 5)
        return false;
    unsigned long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + unsigned(c - '0');
    }
    if (v < 1 || v > 65535)
        return false;
    port = static_cast<unsigned short>(v);
    return true;
}

} // namespace

UdpTransport::~UdpTransport() {
    Close();
}

void UdpTransport::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool UdpTransport::SplitTarget(const std::string &target, const std::string &defaultPort,
                               std::string &host, unsigned short &port) {
    const std::size_t colon = target.rfind(':');
    if (colon == std::string::npos) {
        host = target;
        return portNumber(defaultPort, port);
    }
    host = target.substr(0, colon);
    return portNumber(target.substr(colon + 1), port);
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

bool UdpTransport::Connect(const sockaddr_in &address) {
    Close();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return false;
    if (::connect(fd_, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        Close();
        return false;
    }
    remote_ = address;
    return true;
}

bool UdpTransport::Send(const char *data, std::size_t length) {
    if (fd_ < 0)
        return false;
    ssize_t sent;
    do {
        sent = ::send(fd_, data, length, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(length);
}

UdpTransport::Wait UdpTransport::Receive(std::string &data, Deadline deadline,
                                         const CancelToken *cancel) {
    data.clear();
    if (fd_ < 0)
        return Wait::Failed;
    if (cancel != nullptr && cancel->Cancelled())
        return Wait::Cancelled;
    char *const buffer = receiveBuffer();
    pollfd p[2] = {{fd_, POLLIN, 0}, {cancel != nullptr ? cancel->Fd() : -1, POLLIN, 0}};
    while (true) {
        // An interrupted wait goes on for what is left of the time-out, not for all of it again.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const int ready =
            ::poll(p, 2, left.count() > 0 ? int(std::min<long long>(left.count(), 1 << 30)) : 0);
        if (ready < 0 && errno != EINTR)
            return Wait::Failed;
        if (cancel != nullptr && cancel->Cancelled())
            return Wait::Cancelled;
        if (ready == 0)
            return Wait::TimedOut;
        if (ready < 0 || !(p[0].revents & (POLLIN | POLLERR)))
            continue;
        const ssize_t got = ::recv(fd_, buffer, LargestDatagram, MSG_DONTWAIT);
        if (got > 0) {
            data.assign(buffer, static_cast<std::size_t>(got));
            return Wait::Datagram;
        }
        if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return Wait::Failed; // a socket error, as after a port-unreachable, or an empty
                                 // datagram
    }
}

} // namespace vantrel::snmp
