#pragma once

#include "snmp/canceltoken.h"

#include <netinet/in.h>
#include <string>

namespace vantrel::snmp {

// A blocking IPv4 UDP socket connected to its remote address, so that an ICMP port-unreachable
// for a request fails the wait at once instead of running out the time-out.
class UdpTransport {
public:
    UdpTransport() = default;
    ~UdpTransport();
    UdpTransport(const UdpTransport &) = delete;
    UdpTransport &operator=(const UdpTransport &) = delete;

    // Resolves host (dotted IPv4 as it is, anything else through the resolver's first IPv4
    // address) and connects a fresh socket to it; false when either fails.
    bool Connect(const std::string &host, unsigned short port);
    bool SendDatagram(const std::string &data);
    // Waits up to timeoutMs for one datagram and reads it whole; false on time-out, error or
    // when cancel is cancelled before or during the wait.
    bool RecvDatagram(std::string &data, int timeoutMs, const CancelToken *cancel = nullptr);
    void CloseSocket();
    bool IsOpen() const { return fd_ >= 0; }
    const sockaddr_in &RemoteAddress() const { return remote_; }
    const sockaddr_in &LastSender() const { return sender_; }

    // host text to an IPv4 address; false when it does not resolve to one.
    static bool Resolve(const std::string &host, sockaddr_in &address);

private:
    int fd_ = -1;
    sockaddr_in remote_{};
    sockaddr_in sender_{};
};

} // namespace vantrel::snmp
