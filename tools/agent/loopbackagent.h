#pragma once
// An SNMP v1 and v2c agent on a 127.0.0.1 UDP port, serving a MIB of OID -> (tag, content bytes)
// on its own thread. It answers as a real agent does: over v1 GetRequest and GetNextRequest
// (noSuchName with error status 2 echoing the binding; noSuchName past the end of the MIB; no
// Counter64 values, which v1 cannot carry), over v2c also GetBulkRequest (the exceptions
// noSuchObject, noSuchInstance and endOfMibView in place of values). It ignores requests with
// another community, and can be told to misbehave for one OID or one request.

#include <atomic>
#include <cstdint>
#include <functional>
#include <istream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vantrel::tools {

struct AgentValue {
    int tag = 0x05;      // BER tag of the value
    std::string content; // BER content bytes
};

enum class FaultKind {
    Silent,         // no answer at all
    ErrorStatus,    // answer with this error status, echoing the binding with NULL
    OtherRequestId, // a normal answer carrying another request id
    Raw,            // send these bytes instead of an answer
    Twice,          // the normal answer, sent twice
    JunkFirst,      // send the raw bytes, then the normal answer
    Bindings,       // a GetResponse to the request whose binding list holds the raw bytes
};

struct AgentFault {
    FaultKind kind = FaultKind::Silent;
    int errorStatus = 0;
    std::int32_t requestId = 0;
    std::string raw;
};

// A GetResponse carrying one binding, as an agent sends it (version 0: v1, 1: v2c).
std::string EncodeGetResponse(const std::string &community, std::int32_t id, int errorStatus,
                              int errorIndex, const std::string &oid, const AgentValue &value,
                              int version = 0);

struct AgentRequest {
    int pduType = 0;
    std::int32_t id = 0;
    std::string community;
    std::string oid; // the first binding's
    int version = 0;
    int bindings = 0;
    int maxRepetitions = 0; // of a GetBulkRequest
    unsigned short sourcePort = 0;
};

class LoopbackAgent {
public:
    explicit LoopbackAgent(std::string community = "public");
    ~LoopbackAgent();
    LoopbackAgent(const LoopbackAgent &) = delete;
    LoopbackAgent &operator=(const LoopbackAgent &) = delete;

    // Binds 127.0.0.1:port (0 picks a free port) and starts answering.
    bool Start(unsigned short port = 0);
    void Stop();
    unsigned short Port() const { return port_; }
    // "127.0.0.1:<port>", the router address text that reaches this agent.
    std::string Host() const;
    void SetCommunity(const std::string &community);
    // The largest response it sends (default: what a datagram holds). A GetBulk answer is cut
    // to fit; any other answer that does not fit becomes tooBig.
    void SetMaxResponseSize(std::size_t bytes);

    // The MIB.
    void Set(const std::string &oid, AgentValue value);
    void SetInteger(const std::string &oid, std::int64_t v);
    void SetString(const std::string &oid, const std::string &bytes);
    void SetCounter(const std::string &oid, std::uint64_t v);
    void SetGauge(const std::string &oid, std::uint64_t v);
    void SetTimeTicks(const std::string &oid, std::uint64_t v);
    void SetIpAddress(const std::string &oid, const std::string &dotted);
    void SetObjectId(const std::string &oid, const std::string &value);
    void SetNull(const std::string &oid);
    void SetCounter64(const std::string &oid, std::uint64_t v);
    void Remove(const std::string &oid);
    void Clear();
    std::optional<AgentValue> Get(const std::string &oid) const;

    // Replaces the MIB with the objects of a ".snmprec" text (OID|tag|value lines).
    bool LoadSnmprec(const std::string &text, std::string *error = nullptr);
    bool LoadSnmprecFile(const std::string &path, std::string *error = nullptr);
    // The whole file as bytes; false (with the reason) when it cannot be read.
    static bool ReadFile(const std::string &path, std::string &text, std::string *error);
    // The next line of a ".snmprec" text that may hold an object: its CR taken off, empty and
    // '#' lines passed over; number counts every line read. False at the end of the text.
    static bool NextSnmprecLine(std::istream &in, std::string &line, int &number);
    static bool ParseSnmprecLine(const std::string &line, std::string &oid, AgentValue &value,
                                 std::string *error);

    // Scripted answers for one OID: each GET takes the next entry (nullopt: stay silent); once
    // the script is used up the MIB value is served again.
    void Script(const std::string &oid, std::vector<std::optional<AgentValue>> answers);

    // A subtree that never ends: a GETNEXT of base or of any name under it is answered with a
    // new, larger name under base (base.1.1, base.1.2, ...) carrying value.
    void SetEndless(const std::string &base, AgentValue value);

    // Faults for every request naming oid, or for the n-th request received (1-based).
    void SetFault(const std::string &oid, AgentFault fault);
    void SetRequestFault(int requestNumber, AgentFault fault);
    void ClearFaults();

    // Called for every object served, outside the agent's lock; may change the value (the
    // simulated router computes its live objects here).
    using Hook = std::function<void(const std::string &oid, AgentValue &value)>;
    void SetHook(Hook hook);

    int RequestCount() const;
    std::vector<AgentRequest> Requests() const;
    void ClearRequests();

    // Parses dotted text into arcs; false when an arc is not a number.
    static bool ParseOid(const std::string &text, std::vector<std::uint32_t> &arcs);
    // Like ParseOid, and the name is one that can go on the wire: at least two arcs, the first
    // 0 to 2, the second below 40 under 0 and 1, and the first two together within 32 bits.
    static bool ParseWireOid(const std::string &text, std::vector<std::uint32_t> &arcs);

private:
    struct Entry {
        std::string oid;
        AgentValue value;
    };
    void run();
    // The datagrams that answer one request, in the order they are sent.
    std::vector<std::string> answer(const std::string &datagram, unsigned short sourcePort);
    // The object after oid that a request of this version may see; nullopt past the end.
    std::optional<Entry> nextAfter(const std::string &oid, bool v1) const;

    mutable std::mutex mutex_;
    std::map<std::vector<std::uint32_t>, Entry> mib_;
    std::map<std::string, std::vector<std::optional<AgentValue>>> scripts_;
    std::map<std::string, AgentFault> oidFaults_;
    std::map<int, AgentFault> requestFaults_;
    std::vector<AgentRequest> requests_;
    std::optional<std::pair<std::string, AgentValue>> endless_;
    std::string community_;
    std::size_t maxResponseSize_ = 65507;
    Hook hook_;

    int fd_ = -1;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace vantrel::tools
