#pragma once

#include "snmp/canceltoken.h"

#include <chrono>
#include <netinet/in.h>
#include <string>

namespace vantrel::snmp {

// A blocking IPv4 UDP socket connected to its remote address, so that an ICMP port-unreachable
// for a request fails the wait at once instead of running out the time-out.
//
// Every transport gets a socket no request has used, so a late answer to an earlier request can
// never reach it. Making and closing a socket costs about as much as the round trip itself, so
// each thread keeps one socket made ahead for the last target and closes used ones later: both
// happen while a request waits for its answer, not before it is sent or after it is answered.
class UdpTransport {
public:
    using Deadline = std::chrono::steady_clock::time_point;
    enum class Wait { Datagram, TimedOut, Failed, Cancelled };

    UdpTransport() = default;
    ~UdpTransport();
    UdpTransport(const UdpTransport &) = delete;
    UdpTransport &operator=(const UdpTransport &) = delete;

    // Connects a socket no request has used to address; false when that fails.
    bool Connect(const sockaddr_in &address);
    // Sends one datagram; the first from a socket also makes this thread's next one ahead.
    bool Send(const std::string &data);
    // Waits until deadline for one datagram and reads it whole. Failed: a socket error, as
    // after an ICMP port-unreachable, or a readable socket without data.
    Wait Receive(std::string &data, Deadline deadline, const CancelToken *cancel = nullptr);
    // Gives the socket up; it is closed at this thread's next send, or when the thread ends.
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
    bool sent_ = false; // the socket has sent before
};

} // namespace vantrel::snmp
