#include "fakerouterlink.h"

using vantrel::core::Answer;

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
