#include "core/localaddress.h"

#include "snmp/client.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace vantrel::core {

namespace {

std::string dotted(const in_addr &address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

bool isLoopback(const in_addr &address) {
    return (ntohl(address.s_addr) >> 24) == 127;
}

// The local address the system would send from to reach address.
std::string routedFrom(const sockaddr_in &address) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::string();
    std::string result;
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&local), &length) == 0 &&
        local.sin_addr.s_addr != htonl(INADDR_ANY))
        result = dotted(local.sin_addr);
    ::close(fd);
    return result;
}

std::string firstInterfaceAddress() {
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0)
        return std::string();
    std::string result;
    for (ifaddrs *i = list; i != nullptr && result.empty(); i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK))
            continue;
        const in_addr address = reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr;
        if (!isLoopback(address))
            result = dotted(address);
    }
    ::freeifaddrs(list);
    return result;
}

} // namespace

std::string LocalAddressTowards(const std::string &target) {
    sockaddr_in router{};
    if (snmp::ResolveTarget(target, router)) {
        const std::string local = routedFrom(router);
        in_addr localAddress{};
        // A router reached through loopback (the router is this computer) is the one case
        // where the loopback address is the right answer.
        if (!local.empty() && inet_pton(AF_INET, local.c_str(), &localAddress) == 1 &&
            (!isLoopback(localAddress) || isLoopback(router.sin_addr)))
            return local;
    }
    return firstInterfaceAddress();
}

} // namespace vantrel::core
