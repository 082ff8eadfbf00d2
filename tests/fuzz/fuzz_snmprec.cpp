// libFuzzer target for the recording loader of the loopback agent. A recording is either
// loaded whole or refused with the number of its first bad line; and every line it accepts
// becomes an object that the agent serves in a reply the client accepts, under the line's name,
// with a value that reads back as the line says.

#include "agent/loopbackagent.h"
#include "property.h"
#include "snmp/ber.h"
#include "snmp/client.h"
#include "snmp/message.h"

#include <cstdint>
#include <sstream>
#include <string>

using namespace vantrel::snmp;
using namespace vantrel::tools;

namespace {

// The line as the agent serves it, read back by the client's decoder.
void servedAsRecorded(const std::string &oid, const AgentValue &value) {
    Message reply;
    check(reply.Decode(EncodeGetResponse("public", 1, 0, 0, oid, value)));
    check(reply.pdu.bindings.size() == 1);
    const VarBind &b = reply.pdu.bindings[0];
    std::string canonical;
    check(ber::OidText(ber::OidContent(oid), canonical));
    check(b.oid == canonical);
    check(b.type == value.tag);
    check(b.value == value.content);
    switch (value.tag) {
    case ber::Integer:
    case ber::Counter:
    case ber::Gauge:
    case ber::TimeTicks:
        // Numbers fit their type: nothing is cut off when they are read.
        check(ber::ValueContent(value.tag, ValueText(b)) == value.content);
        break;
    case ber::IpAddress:
        check(value.content.size() == 4);
        break;
    default:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    LoopbackAgent agent;
    std::string error;
    const bool loaded = agent.LoadSnmprec(text, &error);

    // The lines one by one, split as the loader splits them.
    std::istringstream in(text);
    std::string line;
    int number = 0, firstBad = 0;
    while (LoopbackAgent::NextSnmprecLine(in, line, number)) {
        std::string oid, why;
        AgentValue value;
        if (LoopbackAgent::ParseSnmprecLine(line, oid, value, &why)) {
            servedAsRecorded(oid, value);
            if (firstBad == 0)
                check(agent.Get(oid).has_value() || !loaded);
        } else if (firstBad == 0) {
            firstBad = number;
            check(!why.empty());
            check(error == "line " + std::to_string(number) + ": " + why);
        }
    }
    check(loaded == (firstBad == 0));
    return 0;
}
