// The client against the in-process loopback agent: codec throughput, one GET against a bare
// UDP round trip of the same bytes to the same agent, and long walks over v1 and v2c.
//   bench_snmp --benchmark_filter=GetOverBare
// BareRoundTrip is what the network and the agent cost alone: a socket opened once sends the
// very datagram a GET sends and waits for the answer. The GETs' times over it are what the
// client adds: the encoding, the wait, the strict reply checks and, for the program's GET, a
// socket of its own. GetOverBare takes turns between the two, so that a busy machine slows
// both alike, and reports the ratio.

#include "agent/loopbackagent.h"
#include "snmp/ber.h"
#include "snmp/client.h"
#include "snmp/message.h"
#include "snmp/snmpsend.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace vantrel::snmp;
using namespace vantrel::tools;

namespace {

const char *const Community = "vormel";
const char *const SysDescr = "1.3.6.1.2.1.1.1.0";
const char *const Column = "1.3.6.1.2.1.4.22.1.2";
const int WalkRows = 20000;

// The answer to a GET of sysDescr, as a router sends it.
std::string typicalReply() {
    return EncodeGetResponse(Community, 1, 0, 0, SysDescr,
                             {ber::OctetString, "ADSL Router 4-port, firmware 3.4.2 build 117"});
}

void EncodeGet(benchmark::State &state) {
    Message query;
    query.community = Community;
    query.pdu = Pdu::Request(ber::GetRequest, 1, {"1.3.6.1.2.1.1.3.0"});
    for (auto _ : state)
        benchmark::DoNotOptimize(query.Encode());
    state.SetItemsProcessed(state.iterations()); // items/s = messages per second
}
BENCHMARK(EncodeGet);

void DecodeReply(benchmark::State &state) {
    const std::string datagram = typicalReply();
    Message reply;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reply.Decode(datagram));
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
        agent.SetString(std::string(Column) + "." + index, std::string(mac, 6));
    }
    agent.SetInteger("1.3.6.1.2.1.4.22.1.4.2.10.0.0.0", 3); // where the walk leaves the column
}

// One agent for the round-trip benchmarks, so that each runs against the same one.
LoopbackAgent &sharedAgent() {
    static LoopbackAgent agent(Community);
    static const bool started = [] {
        agent.SetString(SysDescr, "ADSL Router 4-port, firmware 3.4.2 build 117");
        agent.SetCounter64("1.3.6.1.2.1.31.1.1.1.6.2", 1234567890123ull);
        return agent.Start();
    }();
    (void)started;
    return agent;
}

ClientConfig configFor(const LoopbackAgent &agent, Version version) {
    ClientConfig config;
    config.target = agent.Host();
    config.version = version;
    config.community = Community;
    return config;
}

// A socket opened once that sends the very datagram of a GET and waits for the answer: what the
// network and the agent cost alone.
class BareClient {
public:
    explicit BareClient(const LoopbackAgent &agent) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(agent.Port());
        if (fd_ >= 0 &&
            ::connect(fd_, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
        Message query;
        query.community = Community;
        query.pdu = Pdu::Request(ber::GetRequest, 1, {SysDescr});
        datagram_ = query.Encode();
    }
    ~BareClient() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool RoundTrip() {
        pollfd p{fd_, POLLIN, 0};
        return fd_ >= 0 && ::send(fd_, datagram_.data(), datagram_.size(), 0) > 0 &&
               ::poll(&p, 1, 5000) == 1 && ::recv(fd_, answer_, sizeof answer_, 0) > 0;
    }

private:
    int fd_ = -1;
    std::string datagram_;
    char answer_[2048];
};

void BareRoundTrip(benchmark::State &state) {
    BareClient bare(sharedAgent());
    for (auto _ : state)
        if (!bare.RoundTrip()) {
            state.SkipWithError("no answer");
            break;
        }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BareRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The program's GET: a fresh socket for every request.
void V1Get(benchmark::State &state) {
    LoopbackAgent &agent = sharedAgent();
    std::string value;
    for (auto _ : state)
        if (!SnmpGetValue(SysDescr, Community, agent.Host(), value)) {
            state.SkipWithError("no answer");
            break;
        }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(V1Get)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A client kept from one GET to the next, over v1 and over v2c.
void KeptClientGet(benchmark::State &state) {
    Client client(configFor(sharedAgent(), state.range(0) == 1 ? Version::V1 : Version::V2c));
    const std::string oid = state.range(0) == 1 ? SysDescr : "1.3.6.1.2.1.31.1.1.1.6.2";
    for (auto _ : state)
        if (!client.Get({oid}).Value(oid)) {
            state.SkipWithError("no answer");
            break;
        }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(KeptClientGet)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A GET against the bare round trip, measured in turns of 200 each so that both meet the same
// load of the machine; the ratio is the median of the turns' ratios. Arg 0: the program's GET
// (a fresh socket each), 1: a kept v1 client, 2: a kept v2c client.
void GetOverBare(benchmark::State &state) {
    LoopbackAgent &agent = sharedAgent();
    BareClient bare(agent);
    const int mode = int(state.range(0));
    Client client(configFor(agent, mode == 2 ? Version::V2c : Version::V1));
    std::string value;
    const auto get = [&] {
        if (mode == 0)
            return SnmpGetValue(SysDescr, Community, agent.Host(), value);
        return client.Get({SysDescr}).Value(SysDescr) != nullptr;
    };
    using Clock = std::chrono::steady_clock;
    std::vector<double> ratios;
    double bareTotal = 0, oursTotal = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int i = 0; i < 200; ++i)
            if (!bare.RoundTrip())
                state.SkipWithError("no answer");
        const auto t1 = Clock::now();
        for (int i = 0; i < 200; ++i)
            if (!get())
                state.SkipWithError("no answer");
        const auto t2 = Clock::now();
        const double b = std::chrono::duration<double, std::micro>(t1 - t0).count() / 200;
        const double o = std::chrono::duration<double, std::micro>(t2 - t1).count() / 200;
        bareTotal += b;
        oursTotal += o;
        ratios.push_back(o / b);
    }
    std::sort(ratios.begin(), ratios.end());
    const double n = double(state.iterations());
    state.counters["bare_us"] = bareTotal / n;
    state.counters["get_us"] = oursTotal / n;
    state.counters["ratio"] = ratios.empty() ? 0 : ratios[ratios.size() / 2];
}
BENCHMARK(GetOverBare)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void walk(benchmark::State &state, Version version) {
    LoopbackAgent agent(Community);
    fillColumn(agent);
    if (!agent.Start()) {
        state.SkipWithError("the loopback agent did not start");
        return;
    }
    std::vector<std::string> rows;
    for (auto _ : state) {
        agent.ClearRequests();
        Client client(configFor(agent, version));
        if (!WalkTable(client, Column, rows) || rows.size() != WalkRows) {
            state.SkipWithError("the walk failed");
            return;
        }
    }
    state.counters["rows"] = double(rows.size());
    state.counters["round_trips"] = double(agent.RequestCount());
}

void Walk20000(benchmark::State &state) {
    walk(state, Version::V1);
}
BENCHMARK(Walk20000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BulkWalk20000(benchmark::State &state) {
    walk(state, Version::V2c);
}
BENCHMARK(BulkWalk20000)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
