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
    // A value with the type the agent gives it (a BER tag: 0x41 Counter32, 0x46 Counter64...);
    // values set without one come as OCTET STRING.
    void SetTyped(const std::string &oid, int type, const std::string &value) {
        values[oid] = value;
        types[oid] = type;
    }
    // The bindings a typed walk of base gives; without them, a typed walk gives the values set
    // under base, in the order of their names.
    void SetBindingWalk(const std::string &base, std::vector<vantrel::core::Binding> bindings,
                        bool complete = true);

    vantrel::core::Answer Get(const std::string &oid, std::string &value) override;
    bool Walk(const std::string &base, std::vector<std::string> &rows) override;
    vantrel::core::Answer GetBinding(const std::string &oid,
                                     vantrel::core::Binding &binding) override;
    bool WalkBindings(const std::string &base,
                      std::vector<vantrel::core::Binding> &bindings) override;
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
    std::map<std::string, int> types;
    struct BindingWalk {
        std::vector<vantrel::core::Binding> bindings;
        bool complete = true;
    };
    std::map<std::string, BindingWalk> bindingWalks;
    std::vector<std::string> requests; // the GETs' objects and the walks' bases, in order
    vantrel::core::InterfaceMap map;
    bool cancelled = false;
    std::string localAddress = "192.168.1.2";
};
