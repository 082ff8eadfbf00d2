#pragma once

#include "snmp/clientconfig.h"

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vantrel::snmp {

// The logic of one subtree walk without the network: it names the object to ask for next and
// takes each GETNEXT step's outcome, filling the caller's rows. The walk ends when a step leaves
// the subtree (success), fails, does not move forward, or would pass the bound on what one walk
// may hold (failure: an agent that never leaves the subtree must not grow the rows without end).
class TableWalk {
public:
    using Limits = WalkLimits; // values in all rows, bytes of all lines

    // Clears rows and starts the walk at base.
    TableWalk(std::string base, std::vector<std::string> &rows, Limits limits);
    TableWalk(std::string base, std::vector<std::string> &rows)
        : TableWalk(std::move(base), rows, Limits()) {}

    // The name the next GetNextRequest asks for.
    const std::string &Next() const { return next_; }
    // One step's outcome: ok, and the name and value it reached (the name unchanged and the
    // value empty for a failed step). True when the walk goes on.
    bool Step(bool ok, const std::string &oid, const std::string &value);
    // The walk's result once Step has returned false.
    bool Ok() const { return ok_; }
    std::size_t Values() const { return values_; }
    std::size_t Bytes() const { return bytes_; }

    // True when OID text a comes after b in the agents' order (arc by arc, as numbers).
    static bool OidAfter(const std::string &a, const std::string &b);

private:
    std::string base_;
    std::string next_;
    std::vector<std::string> &rows_;
    Limits limits_;
    std::unordered_map<std::string, std::size_t> keys_; // row key -> line index
    std::size_t values_ = 0;
    std::size_t bytes_ = 0;
    bool ok_ = true;
};

} // namespace vantrel::snmp
