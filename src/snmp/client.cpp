#include "snmp/client.h"

#include <chrono>

namespace vantrel::snmp {

namespace {
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

bool Client::SplitTarget(const std::string &target, const std::string &defaultPort,
                         std::string &host, unsigned short &port) {
    const std::size_t colon = target.rfind(':');
    if (colon == std::string::npos) {
        host = target;
        return portNumber(defaultPort, port);
    }
    host = target.substr(0, colon);
    return portNumber(target.substr(colon + 1), port);
}

bool Client::SendRequest() {
    Reply.Clear();
    Buffer.clear();
    if (!sock_.IsOpen()) {
        std::string host;
        unsigned short port = 0;
        if (!SplitTarget(TargetHost, TargetPort, host, port) || !sock_.Connect(host, port))
            return false;
    }
    if (!sock_.SendDatagram(Query.EncodeBuf()))
        return false;
    // Only the answer to this request counts: a duplicate of an earlier answer, junk or another
    // message is ignored and the wait goes on for what is left of the time-out.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(Timeout < 0 ? 0 : Timeout);
    while (true) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (!sock_.RecvDatagram(Buffer, left.count() > 0 ? int(left.count()) : 0, Cancel))
            return false;
        if (Reply.DecodeBuf(Buffer) && Reply.IsReplyTo(Query))
            return true;
        Reply.Clear();
        if (Clock::now() >= deadline)
            return false;
    }
}

} // namespace vantrel::snmp
