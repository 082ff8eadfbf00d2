#include "fakerouterlink.h"

#include <algorithm>
#include <cstdlib>

using vantrel::core::Answer;
using vantrel::core::Binding;

namespace {

// The arcs of a dotted name, for ordering names as an agent does.
std::vector<unsigned long> arcs(const std::string &oid) {
    std::vector<unsigned long> out;
    const char *p = oid.c_str();
    while (*p != '\0') {
        char *end = nullptr;
        out.push_back(std::strtoul(p, &end, 10));
        p = *end == '.' ? end + 1 : end;
        if (end == p && *p != '\0')
            break;
    }
    return out;
}

} // namespace

void FakeRouterLink::Script(const std::string &oid, std::vector<Reply> replies) {
    std::deque<Reply> &queue = scripts[oid];
    queue.insert(queue.end(), replies.begin(), replies.end());
}

void FakeRouterLink::SetWalk(const std::string &base, std::vector<std::string> rows,
                             bool complete) {
    walks[base] = WalkRows{std::move(rows), complete};
}

Answer FakeRouterLink::Get(const std::string &oid, std::string &value) {
    requests.push_back(oid);
    value.clear();
    if (cancelled)
        return Answer::None;
    auto script = scripts.find(oid);
    if (script != scripts.end() && !script->second.empty()) {
        const Reply reply = script->second.front();
        script->second.pop_front();
        value = reply.value;
        return reply.answer;
    }
    if (silent.count(oid) != 0)
        return Answer::None;
    const auto found = values.find(oid);
    if (found == values.end())
        return Answer::Error;
    value = found->second;
    return Answer::Value;
}

bool FakeRouterLink::Walk(const std::string &base, std::vector<std::string> &rows) {
    requests.push_back(base);
    const auto found = walks.find(base);
    rows = found != walks.end() ? found->second.rows : std::vector<std::string>();
    return found == walks.end() || found->second.complete;
}

void FakeRouterLink::SetBindingWalk(const std::string &base, std::vector<Binding> bindings,
                                    bool complete) {
    bindingWalks[base] = BindingWalk{std::move(bindings), complete};
}

Answer FakeRouterLink::GetBinding(const std::string &oid, Binding &binding) {
    std::string value;
    const Answer answer = Get(oid, value);
    const auto type = types.find(oid);
    binding = Binding{
        oid, answer == Answer::Value ? (type != types.end() ? type->second : 0x04) : 0x05, value};
    return answer;
}

bool FakeRouterLink::WalkBindings(const std::string &base, std::vector<Binding> &bindings) {
    requests.push_back(base);
    bindings.clear();
    if (cancelled)
        return false;
    const auto found = bindingWalks.find(base);
    if (found != bindingWalks.end()) {
        bindings = found->second.bindings;
        return found->second.complete;
    }
    const std::string prefix = base + ".";
    for (const auto &[oid, value] : values)
        if (oid.compare(0, prefix.size(), prefix) == 0) {
            const auto type = types.find(oid);
            bindings.push_back(Binding{oid, type != types.end() ? type->second : 0x04, value});
        }
    std::sort(bindings.begin(), bindings.end(),
              [](const Binding &a, const Binding &b) { return arcs(a.oid) < arcs(b.oid); });
    return true;
}
