#pragma once
// The three ways the program has always read the router, over SNMP v1: one GET, one GETNEXT
// step, and a walk of a subtree into text lines. host is a dotted IPv4 address or a host name,
// optionally followed by ":port" (default 161). Values are byte strings and may hold any byte.
// Thin wrappers over Client, kept until their callers use it directly.

#include "snmp/client.h"

#include <string>
#include <vector>

namespace vantrel::snmp {

// One GetRequest for oid, from a fresh socket, with request id 1. ok false: no reply,
// unresolvable target, undecodable reply; value is then empty. An agent's error answer gives ok
// true with the empty value.
bool SnmpGetValue(const std::string &oid, const std::string &community, const std::string &host,
                  std::string &value, const RequestOptions &options = {});

// One GetNextRequest for oid through client; on success oid becomes the reply's first binding.
bool SnmpGetNextValue(Client &client, std::string &oid, std::string &value);

// Walks the subtree under base into rows (see WalkTable), its steps carrying request ids 2, 3,
// and so on from one socket. A walk that would hold more than 100,000 values or 64 MB of lines
// stops there and fails, keeping the rows read so far.
bool SnmpWalkTable(const std::string &base, const std::string &community, const std::string &host,
                   std::vector<std::string> &rows, const RequestOptions &options = {});

} // namespace vantrel::snmp
