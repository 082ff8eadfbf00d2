#pragma once
// A router for the queries without any network: each GET takes the next scripted answer for its
// object, then the object's value (or the agent's error answer when it has none); walks give the
// rows set for their base. Every request is recorded, in order.

#include "core/routerlink.h"

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

class FakeRouterLink : public vantrel::core::RouterLink {
public:
    // One answer to a GET: nothing (no reply), the agent's error answer, or a value.
    struct Reply {
        vantrel::core::Answer answer = vantrel::core::Answer::Value;
        std::string value;
    };
    static Reply Silent() { return {vantrel::core::Answer::None, {}}; }
    static Reply Error() { return {vantrel::core::Answer::Error, {}}; }
    static Reply Value(std::string value) {
        return {vantrel::core::Answer::Value, std::move(value)};
    }

    void Set(const std::string &oid, const std::string &value) { values[oid] = value; }
    // Every GET of oid gets no reply (the router is silent for it).
    void Silence(const std::string &oid) { silent[oid] = true; }
    // The next GETs of oid get these answers, then the value again.
    void Script(const std::string &oid, std::vector<Reply> replies);
    void SetWalk(const std::string &base, std::vector<std::string> rows, bool complete = true);

    vantrel::core::Answer Get(const std::string &oid, std::string &value) override;
    bool Walk(const std::string &base, std::vector<std::string> &rows) override;
    bool Cancelled() const override { return cancelled; }
    vantrel::core::InterfaceMap &Interfaces() override { return map; }
    std::string LocalAddress() override { return localAddress; }

    std::map<std::string, std::string> values;
    std::map<std::string, bool> silent;
    std::map<std::string, std::deque<Reply>> scripts;
    struct WalkRows {
        std::vector<std::string> rows;
        bool complete = true;
    };
    std::map<std::string, WalkRows> walks;
    std::vector<std::string> requests; // the GETs' objects and the walks' bases, in order
    vantrel::core::InterfaceMap map;
    bool cancelled = false;
    std::string localAddress = "192.168.1.2";
};
