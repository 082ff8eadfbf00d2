#pragma once

#include "snmp/canceltoken.h"

#include <chrono>
#include <netinet/in.h>
#include <string>

namespace vantrel::snmp {

// A blocking IPv4 UDP socket connected to its remote address, so that an ICMP port-unreachable
// for a request fails the wait at once instead of running out the time-out.
class UdpTransport {
public:
    using Deadline = std::chrono::steady_clock::time_point;
    enum class Wait { Datagram, TimedOut, Failed, Cancelled };

    UdpTransport() = default;
    ~UdpTransport();
    UdpTransport(const UdpTransport &) = delete;
    UdpTransport &operator=(const UdpTransport &) = delete;

    // Connects a fresh socket to address; false when that fails.
    bool Connect(const sockaddr_in &address);
    bool Send(const std::string &data) { return Send(data.data(), data.size()); }
    bool Send(const char *data, std::size_t length);
    // Waits until deadline for one datagram and reads it whole. Failed: a socket error, as
    // after an ICMP port-unreachable, or a readable socket without data.
    Wait Receive(std::string &data, Deadline deadline, const CancelToken *cancel = nullptr);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    const sockaddr_in &RemoteAddress() const { return remote_; }

    // host text to an IPv4 address; false when it does not resolve to one.
    static bool Resolve(const std::string &host, sockaddr_in &address);
    // Splits "host" or "host:port" into host and port; false for a port outside 1 to 65535.
    static bool SplitTarget(const std::string &target, const std::string &defaultPort,
                            std::string &host, unsigned short &port);

private:
    int fd_ = -1;
    sockaddr_in remote_{};
};

} // namespace vantrel::snmp
