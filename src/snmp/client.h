#pragma once
// The SNMP client the program reads the router with, and the one header the rest of the program
// includes: SNMP v1, v2c or v3 (user-based security) to one target; Get, GetNext, GetBulk and
// subtree walks that return typed variable bindings; the text the program shows for a value and
// for the lines of a walk.

#include "snmp/canceltoken.h"
#include "snmp/clientconfig.h"
#include "snmp/outcome.h"
#include "snmp/varbind.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <string>
#include <vector>

namespace vantrel::snmp {

class UdpTransport;
class UsmSession;
struct Pdu;
namespace ber {
class Writer;
}

// What a request brought back.
struct Response {
    Outcome outcome = Outcome::NoAnswer;
    int errorStatus = 0; // the agent's error status (0, tooBig 1, noSuchName 2, genErr 5...)
    int errorIndex = 0;
    std::vector<VarBind> bindings;

    bool Answered() const { return outcome == Outcome::Ok; }
    // The binding the agent gave oid a value in: null when it answered with an error status,
    // with an exception (noSuchObject, noSuchInstance) or without a binding of that name.
    const VarBind *Value(const std::string &oid) const;
};

struct WalkResult {
    Outcome outcome = Outcome::NoAnswer; // Ok when the walk reached the end of the subtree
    std::vector<VarBind> bindings;       // in the agent's order, also those before a failure
};

// One client for one target and set of credentials. Keep it for as long as they hold: it keeps
// its socket and request ids, and for v3 the agent's engine and the keys localised to it
// (clients made with the same configuration share those, so a client per request also works,
// at the cost of a socket each). Not for use from two threads at once.
class Client {
public:
    explicit Client(ClientConfig config);
    ~Client();
    Client(const Client &) = delete;
    Client &operator=(const Client &) = delete;

    const ClientConfig &Config() const { return config_; }

    Response Get(const std::vector<std::string> &oids);
    Response GetNext(const std::vector<std::string> &oids);
    // v2c and v3 only (Unsupported over v1).
    Response GetBulk(const std::vector<std::string> &oids, int nonRepeaters, int maxRepetitions);

    // Walks the subtree under base in the agent's order, handing each binding to visit, which
    // returns false to stop there. v1 steps with GetNext; v2c and v3 with GetBulk, in batches
    // that shrink on tooBig or a lost answer, down to GetNext. The walk ends, with Ok, where the
    // agent leaves the subtree, reaches the end of its view, answers with an error status or
    // stops moving forward.
    Outcome Walk(const std::string &base, const std::function<bool(const VarBind &)> &visit,
                 const WalkLimits &limits = {});
    WalkResult Walk(const std::string &base, const WalkLimits &limits = {});

    // The request id the next request carries; each request takes the one after. A new client
    // starts at 1.
    void SetNextRequestId(std::int32_t id) { nextId_ = id; }

private:
    using Deadline = std::chrono::steady_clock::time_point;
    Response request(Pdu pdu);
    Response exchangeCommunity(Pdu pdu, Deadline deadline);
    Response exchangeV3(Pdu pdu, Deadline deadline);
    Outcome discover(Deadline deadline);
    Outcome open();
    std::int32_t takeId();

    ClientConfig config_;
    std::unique_ptr<UdpTransport> transport_;
    std::unique_ptr<ber::Writer> writer_; // kept with its room from one request to the next
    std::string datagram_;
    std::shared_ptr<UsmSession> session_;
    std::int32_t nextId_ = 1;
    int bulkBatch_ = 0; // the batch walks start with, once a tooBig has shrunk it
};

// The IPv4 address and port a target text ("host" or "host:port", port 161 by default) names:
// a dotted address as it is, a host name through the resolver's first IPv4 address. False when
// it names none.
bool ResolveTarget(const std::string &target, sockaddr_in &address);

// The lines of a table as the program has always shown them: one line per row key (the part of
// each name behind base and one more arc), each value's text in double quotes (inner double
// quotes doubled, values holding a control byte other than the tab in lowercase hexadecimal),
// joined by ",". A walk that fails adds an empty value to the line of the last name reached (or
// makes the one line "" when it failed at once); one that passes the limits stops there. True
// when the walk reached the end of the subtree. outcome, when given, receives how the walk ended.
bool WalkTable(Client &client, const std::string &base, std::vector<std::string> &rows,
               const WalkLimits &limits = {}, Outcome *outcome = nullptr);
// The same lines for a walk already made.
bool WalkLines(const std::string &base, const WalkResult &walk, std::vector<std::string> &rows,
               const WalkLimits &limits = {});

} // namespace vantrel::snmp
