#pragma once

#include <string>

namespace vantrel::core {

// This computer's IPv4 address towards the router at target ("host" or "host:port"): the local
// address of a UDP socket connected to the router (connecting sends nothing), else the first
// address of an interface that is up and not loopback, else "". A loopback address comes back
// only when the router itself is on loopback. May block on the resolver: not for the window's
// thread.
std::string LocalAddressTowards(const std::string &target);

} // namespace vantrel::core
