#pragma once

#include "snmp/canceltoken.h"
#include "snmp/message.h"
#include "snmp/udptransport.h"

#include <string>

namespace vantrel::snmp {

// One SNMP client: a target, a query and a reply record, and the socket it sends from. The
// socket is created on the first send and closed when the client is discarded, so all requests
// of one client go out from the same local port.
class Client {
public:
    std::string TargetHost;         // dotted IPv4 or host name, optionally with ":port"
    std::string TargetPort = "161"; // used when TargetHost names no port
    int Timeout = RequestOptions::DefaultTimeoutMs; // milliseconds to wait for a reply
    const CancelToken *Cancel = nullptr;            // ends a wait early when cancelled
    Message Query;
    Message Reply;
    std::string Buffer; // the last datagram received

    // Encodes Query, sends it to the target and waits for its answer, which is decoded into
    // Reply; datagrams that are not that answer are ignored. False on time-out, cancel, a
    // socket error or an unreachable target.
    bool SendRequest();

    // Splits "host" or "host:port" into host and port; false for a port outside 1 to 65535.
    static bool SplitTarget(const std::string &target, const std::string &defaultPort,
                            std::string &host, unsigned short &port);

private:
    UdpTransport sock_;
};

} // namespace vantrel::snmp
