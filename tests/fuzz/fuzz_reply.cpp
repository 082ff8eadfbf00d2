// libFuzzer target for everything that reads bytes from the network: the reply decoder, the
// BER item reader and the value rendering. Besides crashes and undefined behaviour it checks
// that whatever the decoder makes of a datagram can be sent again and read back unchanged.

#include "snmp/ber.h"
#include "snmp/convert.h"
#include "snmp/tsnmprec.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace vantrel::snmp;

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// OID texts as the decoder writes them (two or more decimal arcs without leading zeros, the
// second below 40) whose arcs fit in 32 bits, as SNMP requires, survive encoding unchanged.
bool canonicalOid(const std::string &oid) {
    std::size_t arcs = 0, start = 0;
    while (start <= oid.size()) {
        std::size_t dot = oid.find('.', start);
        if (dot == std::string::npos)
            dot = oid.size();
        const std::string arc = oid.substr(start, dot - start);
        if (arc.empty() || arc.size() > 10 || (arc.size() > 1 && arc[0] == '0'))
            return false;
        std::uint64_t v = 0;
        for (char c : arc) {
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + std::uint64_t(c - '0');
        }
        if (v > 0xFFFFFFFFu || (arcs == 1 && v >= 40))
            return false;
        ++arcs;
        start = dot + 1;
    }
    return arcs >= 2;
}

void readItems(const std::string &data) {
    ber::Reader reader(data, 0, data.size());
    for (std::size_t steps = 0; !reader.AtEnd(); ++steps) {
        check(steps <= data.size()); // every read moves on
        int tag = 0;
        reader.Next(tag);
        check(reader.Position() <= data.size());
    }
}

void renderAll(const std::string &content) {
    // Signed and unsigned values are whole decimal numbers in their 32-bit range.
    const std::int64_t i = StrToInt64(ber::RenderValue(ber::Integer, content));
    check(i >= INT32_MIN && i <= INT32_MAX);
    const std::int64_t u = StrToInt64(ber::RenderValue(ber::Counter, content));
    check(u >= 0 && u <= UINT32_MAX);
    ber::RenderValue(ber::IpAddress, content);
    ber::RenderValue(ber::ObjectId, content);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string datagram(reinterpret_cast<const char *>(data), size);
    readItems(datagram);
    renderAll(datagram);

    TSNMPRec reply;
    if (!reply.DecodeBuf(datagram))
        return 0;

    // Send what was read back out as a request and read it again.
    TSNMPRec again;
    again.Clear();
    again.ID = reply.ID;
    again.Community = reply.Community;
    again.PDUType = ber::GetNextRequest;
    for (const TSNMPMib &mib : reply.MIBList)
        if (canonicalOid(mib.OID))
            again.MIBAdd(mib.OID, std::string(), ber::Null);
    TSNMPRec back;
    check(back.DecodeBuf(again.EncodeBuf()));
    check(back.Community == again.Community);
    check(back.ID == again.ID);
    check(back.PDUType == ber::GetNextRequest);
    check(back.MIBList.size() == again.MIBList.size());
    for (std::size_t k = 0; k < back.MIBList.size(); ++k)
        check(back.MIBList[k].OID == again.MIBList[k].OID);
    return 0;
}
