// Codec throughput and the cost of a long walk against the in-process loopback agent.
//   bench_snmp --benchmark_filter=Walk
// The walk reports its round trips; compare its time with RoundTrip times that count to see
// that a walk costs its round trips and nothing that grows faster.

#include "agent/loopbackagent.h"
#include "snmp/ber.h"
#include "snmp/message.h"
#include "snmp/snmpsend.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace vantrel::snmp;
using namespace vantrel::tools;

namespace {

const char *const Community = "vormel";
const int WalkRows = 20000;

// The answer to a GET of sysDescr, as a router sends it.
std::string typicalReply() {
    return EncodeGetResponse(Community, 1, 0, 0, "1.3.6.1.2.1.1.1.0",
                             {ber::OctetString, "ADSL Router 4-port, firmware 3.4.2 build 117"});
}

void EncodeGet(benchmark::State &state) {
    Message query;
    query.Community = Community;
    query.PDUType = ber::GetRequest;
    query.MIBAdd("1.3.6.1.2.1.1.3.0", std::string(), ber::Null);
    for (auto _ : state)
        benchmark::DoNotOptimize(query.EncodeBuf());
    state.SetItemsProcessed(state.iterations()); // items/s = messages per second
}
BENCHMARK(EncodeGet);

void DecodeReply(benchmark::State &state) {
    const std::string datagram = typicalReply();
    Message reply;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reply.DecodeBuf(datagram));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DecodeReply);

// A 20,000-row ipNetToMediaPhysAddress column: hardware addresses, each with a row of its own.
void fillColumn(LoopbackAgent &agent) {
    for (int i = 0; i < WalkRows; ++i) {
        const std::string index = "2.10." + std::to_string(i / 65536) + "." +
                                  std::to_string(i / 256 % 256) + "." + std::to_string(i % 256);
        const char mac[6] = {0x00, 0x0E, 0x50, char(i >> 16), char(i >> 8), char(i)};
        agent.SetString("1.3.6.1.2.1.4.22.1.2." + index, std::string(mac, 6));
    }
    agent.SetInteger("1.3.6.1.2.1.4.22.1.4.2.10.0.0.0", 3); // where the walk leaves the column
}

void Walk20000(benchmark::State &state) {
    LoopbackAgent agent(Community);
    fillColumn(agent);
    if (!agent.Start()) {
        state.SkipWithError("the loopback agent did not start");
        return;
    }
    std::vector<std::string> rows;
    for (auto _ : state) {
        agent.ClearRequests();
        if (!SnmpWalkTable("1.3.6.1.2.1.4.22.1.2", Community, agent.Host(), rows) ||
            rows.size() != WalkRows) {
            state.SkipWithError("the walk failed");
            return;
        }
    }
    state.counters["rows"] = double(rows.size());
    state.counters["round_trips"] = double(agent.RequestCount());
}
BENCHMARK(Walk20000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// One GETNEXT step through a kept client: what each round trip of the walk costs.
void RoundTrip(benchmark::State &state) {
    LoopbackAgent agent(Community);
    fillColumn(agent);
    if (!agent.Start()) {
        state.SkipWithError("the loopback agent did not start");
        return;
    }
    Client client;
    client.TargetHost = agent.Host();
    for (auto _ : state) {
        std::string oid = "1.3.6.1.2.1.4.22.1.2.2.10.0.39";
        std::string value;
        if (!SnmpGetNextValue(client, oid, Community, value)) {
            state.SkipWithError("no answer");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
