#pragma once

#include "core/routeraccess.h"
#include "core/state.h"

#include <string>
#include <vector>

namespace vantrel::core {

// One variable binding as the router gave it: the object's name, the BER tag its value came with
// (Counter32 0x41, Gauge32 0x42, TimeTicks 0x43, Counter64 0x46, INTEGER 0x02, OCTET STRING
// 0x04, IpAddress 0x40, ...) and the value as the program shows it: numbers in decimal (counters
// and gauges unsigned), addresses dotted, strings as their bytes.
struct Binding {
    std::string oid;
    int type = 0x05;
    std::string value;
};

// How one GET came back.
enum class Answer {
    None,  // no reply (time-out, unreachable, cancelled, undecodable)
    Error, // the agent answered with an error status: it lacks the object
    Value, // the agent answered with the object's value
};

// What a query sees of the router: one request at a time to the current target, read afresh
// before every request. Queries run on the router model's worker thread; a test may run them
// directly on a link of its own.
class RouterLink {
public:
    virtual ~RouterLink() = default;
    // One GET. value is empty unless the answer is Value.
    virtual Answer Get(const std::string &oid, std::string &value) = 0;
    // One GET that keeps the type of the value: binding is the agent's (with its name) when the
    // answer is Value, and holds the object asked for otherwise.
    virtual Answer GetBinding(const std::string &oid, Binding &binding) = 0;
    // A walk of the subtree under base, its bindings in the router's order (within the same
    // bounds as Walk); false when a step failed, with what was read before it.
    virtual bool WalkBindings(const std::string &base, std::vector<Binding> &bindings) = 0;
    // A walk of the subtree under base into rows (one line per row key, values in double
    // quotes); false when a step failed, with the rows read so far.
    virtual bool Walk(const std::string &base, std::vector<std::string> &rows) = 0;
    // True once the query has been abandoned (the window closes, the target changed): every
    // further request fails at once.
    virtual bool Cancelled() const = 0;
    // Why the last request that failed got no answer (None when not known), and the same as the
    // user reads it.
    virtual LinkFailure Failure() const { return LinkFailure::None; }
    virtual std::string FailureReason() const { return std::string(); }
    // The interface map that discovery writes and the other queries read.
    virtual InterfaceMap &Interfaces() = 0;
    // This computer's IPv4 address towards the router, in dotted form ("" when none).
    virtual std::string LocalAddress() = 0;

    // A GET that only tells whether a value came.
    bool GetValue(const std::string &oid, std::string &value) {
        return Get(oid, value) == Answer::Value;
    }
    // A GET that succeeds with any answer, as most pages take it: an agent's error answer
    // counts as success with the empty text.
    bool GetAny(const std::string &oid, std::string &value) {
        return Get(oid, value) != Answer::None;
    }
};

} // namespace vantrel::core
