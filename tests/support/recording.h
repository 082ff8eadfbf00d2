#pragma once
// A router recording (.snmprec) as the program would read it: each object's value rendered as
// the client renders a reply, walks in the agent's order, GETs that find nothing for an object
// the router lacks. No network: the tests of discovery and the line figures read it directly.

#include "agent/loopbackagent.h"
#include "core/discovery.h"
#include "snmp/ber.h"

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel::testsupport {

class Recording {
public:
    // The recording's folder in the source tree.
    static std::string Path(const std::string &name) {
        return std::string(VANTREL_ROUTERS_DIR) + "/" + name + ".snmprec";
    }

    // False, with the reason, when the file cannot be read or a line is not an object.
    bool Load(const std::string &path, std::string *error) {
        std::string text;
        if (!tools::LoopbackAgent::ReadFile(path, text, error))
            return false;
        std::istringstream in(text);
        std::string line;
        int number = 0;
        while (tools::LoopbackAgent::NextSnmprecLine(in, line, number)) {
            std::string oid;
            tools::AgentValue value;
            std::vector<std::uint32_t> arcs;
            if (!tools::LoopbackAgent::ParseSnmprecLine(line, oid, value, error) ||
                !tools::LoopbackAgent::ParseOid(oid, arcs))
                return false;
            objects_[arcs] = {oid, snmp::ber::RenderValue(value.tag, value.content)};
        }
        return true;
    }

    // A GET: the value, or nothing for an object the router lacks (noSuchName).
    std::optional<std::string> Get(const std::string &oid) const {
        std::vector<std::uint32_t> arcs;
        if (!tools::LoopbackAgent::ParseOid(oid, arcs))
            return std::nullopt;
        const auto it = objects_.find(arcs);
        if (it == objects_.end())
            return std::nullopt;
        return it->second.value;
    }

    // The bindings a walk of base meets, in the agent's order.
    std::vector<core::WalkBinding> Walk(const std::string &base) const {
        std::vector<core::WalkBinding> bindings;
        const std::string prefix = base + ".";
        for (const auto &[arcs, object] : objects_)
            if (object.oid.compare(0, prefix.size(), prefix) == 0)
                bindings.push_back(object);
        return bindings;
    }

    // Every walk of a discovery, one after another.
    std::vector<core::WalkBinding> DiscoveryWalks() const {
        std::vector<core::WalkBinding> all;
        for (const std::string &base : core::DiscoveryWalkBases())
            for (core::WalkBinding &b : Walk(base))
                all.push_back(std::move(b));
        return all;
    }

private:
    std::map<std::vector<std::uint32_t>, core::WalkBinding> objects_;
};

} // namespace vantrel::testsupport
