#pragma once

#include "core/state.h"

#include <string>
#include <vector>

namespace vantrel::core {

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
    // A walk of the subtree under base into rows (one line per row key, values in double
    // quotes); false when a step failed, with the rows read so far.
    virtual bool Walk(const std::string &base, std::vector<std::string> &rows) = 0;
    // True once the query has been abandoned (the window closes, the target changed): every
    // further request fails at once.
    virtual bool Cancelled() const = 0;
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
