#include "snmp/tsnmpsend.h"

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

bool TSNMPSend::SplitTarget(const std::string &target, const std::string &defaultPort,
                            std::string &host, unsigned short &port) {
    const std::size_t colon = target.rfind(':');
    if (colon == std::string::npos) {
        host = target;
        return portNumber(defaultPort, port);
    }
    host = target.substr(0, colon);
    return portNumber(target.substr(colon + 1), port);
}

bool TSNMPSend::SendRequest() {
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
    if (!sock_.RecvDatagram(Buffer, Timeout, Cancel))
        return false;
    return Reply.DecodeBuf(Buffer);
}

} // namespace vantrel::snmp
