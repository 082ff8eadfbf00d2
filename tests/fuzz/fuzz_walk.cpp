// libFuzzer target for the walk logic, driven through a fake transport: each step's answer is
// made from the input (a name near the one asked, or anywhere; a value; a failed step now and
// then), sent through the message encoder and decoder as an agent's reply would be, and handed
// to the walk. Whatever the agent does, the rows only grow, no name is asked for twice, the
// bound on what a walk holds is kept and the walk ends.

#include "property.h"
#include "snmp/message.h"
#include "snmp/tablewalk.h"
#include "snmp/varbind.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

using namespace vantrel::snmp;

namespace {

class Input {
public:
    Input(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    unsigned Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    std::string Bytes(std::size_t n) {
        n = std::min(n, size_ - std::min(pos_, size_));
        std::string out(reinterpret_cast<const char *>(data_) + pos_, n);
        pos_ += n;
        return out;
    }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The name an agent answers with, chosen by the input relative to the name asked.
std::string answerName(Input &in, const std::string &asked, const std::string &base) {
    const unsigned how = in.Byte();
    const std::string arc = std::to_string(in.Byte() % 8);
    switch (how % 6) {
    case 0: // one level deeper
        return asked + "." + arc;
    case 1: { // the next sibling: the last arc plus some
        const std::size_t dot = asked.rfind('.');
        const unsigned long last = std::stoul(asked.substr(dot + 1));
        return asked.substr(0, dot + 1) + std::to_string(last + in.Byte() % 3);
    }
    case 2: // a column and index under the base
        return base + "." + arc + "." + std::to_string(in.Byte());
    case 3: // the base itself, or a neighbour sharing its digits
        return (how & 0x40) ? base : base + arc;
    case 4: // back to an earlier object
        return base.substr(0, base.rfind('.'));
    default: // any text
        return in.Bytes(in.Byte() % 24);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    const std::string base = (in.Byte() & 1) ? "1.3.6.1.2.1.4.20" : "1.3.6.1.2.1.2.2.1.2";
    TableWalk::Limits limits;
    limits.values = 1 + in.Byte() % 64;
    limits.bytes = 1 + in.Byte() * 16;
    std::vector<std::string> rows{"stale"};
    TableWalk walk(base, rows, limits);
    check(rows.empty());

    std::set<std::string> asked;
    std::int32_t id = 1;
    bool goesOn = true;
    for (std::size_t step = 0; goesOn; ++step) {
        check(step <= limits.values + 1); // every step that goes on holds one more value
        const std::string name = walk.Next();
        check(asked.insert(name).second); // no name is asked for twice
        const std::vector<std::string> before = rows;

        // The agent's answer, as the client would take it from the wire.
        bool ok = !in.Empty() && (in.Byte() & 0x0F) != 0;
        std::string oid = name, value;
        if (ok) {
            Message reply;
            reply.pdu.type = 0xA2;
            reply.pdu.requestId = ++id;
            if (in.Byte() & 0x07)
                reply.pdu.bindings.push_back(
                    VarBind{answerName(in, name, base), 0x04, in.Bytes(in.Byte() % 40)});
            // A name with an arc beyond 32 bits makes a reply the client refuses: it waits on
            // and the step fails.
            Message decoded;
            ok = decoded.Decode(reply.Encode());
            if (ok && !decoded.pdu.bindings.empty()) {
                oid = decoded.pdu.bindings.front().oid;
                value = ValueText(decoded.pdu.bindings.front());
            }
        }
        goesOn = walk.Step(ok, oid, value);

        // Rows only grow: no line goes away and every line keeps what it held.
        check(rows.size() >= before.size());
        for (std::size_t i = 0; i < before.size(); ++i)
            check(rows[i].compare(0, before[i].size(), before[i]) == 0);
        std::size_t bytes = 0;
        for (const std::string &line : rows)
            bytes += line.size();
        check(bytes == walk.Bytes());
        check(walk.Values() <= limits.values && walk.Bytes() <= limits.bytes);
        if (goesOn)
            check(ok && walk.Ok() && walk.Next() == oid && rows != before);
        if (!ok)
            check(!goesOn && !walk.Ok());
    }
    return 0;
}
