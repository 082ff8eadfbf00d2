// vantrel-hostile-agent: an SNMP agent on 127.0.0.1 that misbehaves on purpose, for checking
// that the program stays whole against it.
//   --mode endless  every GETNEXT answers a new, larger name inside the asked subtree, with a
//                   60 kB value: a walk that never ends by itself
//   --mode junk     every request gets datagrams that are no answer to it (junk, a reply to
//                   another request id, a reply one byte short), and never the answer
// Exit status 0 on SIGINT or SIGTERM, 1 when the port cannot be bound, 2 for a bad command line.

#include "agent/loopbackagent.h"
#include "snmp/ber.h"
#include "snmp/message.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

using namespace vantrel;

namespace {

volatile std::sig_atomic_t stopping = 0;

void stop(int) {
    stopping = 1;
}

std::string answerFor(const std::string &mode, const snmp::Message &request, int n,
                      std::vector<std::string> &extra) {
    const std::string oid =
        request.pdu.bindings.empty() ? std::string("1.3") : request.pdu.bindings[0].oid;
    if (mode == "endless" && request.pdu.type == snmp::ber::GetRequest) {
        // Plain numbers for the GETs, so the program goes on to its walks.
        const tools::AgentValue zero{snmp::ber::Integer, snmp::ber::IntegerContent(0)};
        return tools::EncodeGetResponse(request.community, request.pdu.requestId, 0, 0, oid, zero);
    }
    if (mode == "endless") {
        tools::AgentValue value{snmp::ber::OctetString, std::string(60000, 'x')};
        return tools::EncodeGetResponse(request.community, request.pdu.requestId, 0, 0,
                                        oid + "." + std::to_string(n % 1000 + 1), value);
    }
    const tools::AgentValue value{snmp::ber::Integer, snmp::ber::IntegerContent(1)};
    const std::string real =
        tools::EncodeGetResponse(request.community, request.pdu.requestId, 0, 0, oid, value);
    extra.push_back(
        tools::EncodeGetResponse(request.community, request.pdu.requestId + 1, 0, 0, oid, value));
    extra.push_back(real.substr(0, real.size() - 1));
    extra.push_back(std::string("\x30\x00", 2));
    return std::string(2000, '\xff');
}

} // namespace

int main(int argc, char **argv) {
    std::string mode = "endless";
    unsigned port = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--mode") == 0)
            mode = argv[i + 1];
        else if (std::strcmp(argv[i], "--port") == 0)
            port = unsigned(std::strtoul(argv[i + 1], nullptr, 10));
        else
            return 2;
    }
    if (mode != "endless" && mode != "junk")
        return 2;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        std::perror("vantrel-hostile-agent: bind");
        return 1;
    }
    std::signal(SIGTERM, stop);
    std::signal(SIGINT, stop);
    std::printf("vantrel-hostile-agent: %s on 127.0.0.1:%u\n", mode.c_str(),
                ntohs(address.sin_port));
    std::fflush(stdout);
    std::string buffer(65536, '\0');
    for (int n = 0; !stopping; ++n) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got = ::recvfrom(fd, &buffer[0], buffer.size(), 0,
                                       reinterpret_cast<sockaddr *>(&from), &fromLength);
        if (got <= 0)
            continue;
        snmp::Message request;
        if (!request.Decode(buffer.substr(0, std::size_t(got))))
            continue;
        std::vector<std::string> extra;
        const std::string first = answerFor(mode, request, n, extra);
        extra.insert(extra.begin(), first);
        for (const std::string &datagram : extra)
            ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr *>(&from),
                     fromLength);
    }
    ::close(fd);
    return 0;
}
