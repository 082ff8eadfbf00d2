// The client against net-snmp's snmpd on loopback (started here by the agent tests' fixture):
//   - a GetBulk walk of snmpd's mib-2 against snmpbulkwalk with the same max-repetitions (25),
//     and against our own v1 walk, which asks for one value per round trip;
//   - a v3 authPriv GET (SHA-256, AES) after discovery against a v2c GET.
// snmpbulkwalk's time is that of the whole process, start-up included; SnmpToolStartUp is the
// same tool walking an empty subtree, which is what start-up alone costs. The GETs report the
// processor time each costs our client and the agent (client_cpu_us, agent_cpu_us), which
// tell where the difference between the versions lies.
//   bench_snmpd --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "snmp/client.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace vantrel::snmp;

namespace {

const char *const MibTwo = "1.3.6.1.2.1";

// The private snmpd for the whole run.
class Agent {
public:
    Agent() {
        char pattern[] = "/tmp/vantrel-bench-snmpd-XXXXXX";
        if (!::mkdtemp(pattern))
            return;
        dir_ = pattern;
        if (run({"bash", VANTREL_SNMPD_FIXTURE, "start", dir_, VANTREL_SNMPD, VANTREL_SNMPGET},
                true) != 0)
            return;
        std::ifstream portFile(dir_ + "/port");
        std::string port;
        portFile >> port;
        if (!port.empty())
            host_ = "127.0.0.1:" + port;
        ::setenv("SNMPCONFPATH", dir_.c_str(), 1); // the tools read no user or system files
        ::setenv("SNMP_PERSISTENT_DIR", (dir_ + "/client").c_str(), 1);
    }
    ~Agent() {
        if (!dir_.empty()) {
            run({"bash", VANTREL_SNMPD_FIXTURE, "stop", dir_}, true);
            run({"rm", "-rf", dir_}, true);
        }
    }
    const std::string &Host() const { return host_; }
    // The agent's processor time so far, in seconds.
    double CpuSeconds() const {
        std::ifstream pidFile(dir_ + "/pid");
        std::string pid;
        pidFile >> pid;
        std::ifstream stat("/proc/" + pid + "/stat");
        std::string field;
        double ticks = 0;
        for (int i = 1; i <= 15 && stat >> field; ++i)
            if (i >= 14) // utime and stime, after a command name without blanks
                ticks += std::stod(field);
        return ticks / double(::sysconf(_SC_CLK_TCK));
    }

    // Runs a program with its output thrown away; its exit status.
    static int run(const std::vector<std::string> &args, bool quiet) {
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        if (quiet)
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        if (spawned != 0 || ::waitpid(pid, &status, 0) != pid)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    std::string dir_;
    std::string host_;
};

Agent &agent() {
    static Agent a;
    return a;
}

ClientConfig configFor(Version version) {
    ClientConfig c;
    c.target = agent().Host();
    c.version = version;
    c.community = "vormel";
    c.user = "privSHA256AES";
    c.securityLevel = SecurityLevel::AuthPriv;
    c.authProtocol = AuthProtocol::Sha256;
    c.authPassphrase = "privSHA256AES-auth";
    c.privProtocol = PrivProtocol::Aes128;
    c.privPassphrase = "privSHA256AES-priv";
    return c;
}

void walk(benchmark::State &state, Version version) {
    if (agent().Host().empty()) {
        state.SkipWithError("snmpd did not start");
        return;
    }
    std::size_t values = 0;
    for (auto _ : state) {
        Client client(configFor(version));
        const WalkResult result = client.Walk(MibTwo);
        if (result.outcome != Outcome::Ok) {
            state.SkipWithError("the walk failed");
            return;
        }
        values = result.bindings.size();
    }
    state.counters["values"] = double(values);
}

void OurBulkWalk(benchmark::State &state) {
    walk(state, Version::V2c);
}
BENCHMARK(OurBulkWalk)->Unit(benchmark::kMillisecond)->UseRealTime();

void OurV1Walk(benchmark::State &state) {
    walk(state, Version::V1);
}
BENCHMARK(OurV1Walk)->Unit(benchmark::kMillisecond)->UseRealTime();

void snmpBulkWalk(benchmark::State &state, const char *base) {
    if (agent().Host().empty()) {
        state.SkipWithError("snmpd did not start");
        return;
    }
    for (auto _ : state)
        if (Agent::run({VANTREL_SNMPBULKWALK, "-v2c", "-c", "vormel", "-Cr25", "-m", "", "-On",
                        "-r", "0", "-t", "3", agent().Host(), base},
                       false) != 0) {
            state.SkipWithError("snmpbulkwalk failed");
            return;
        }
}

void SnmpBulkWalk(benchmark::State &state) {
    snmpBulkWalk(state, MibTwo);
}
BENCHMARK(SnmpBulkWalk)->Unit(benchmark::kMillisecond)->UseRealTime();

void SnmpToolStartUp(benchmark::State &state) {
    snmpBulkWalk(state, "1.3.6.1.2.1.1.9.1.2.1");
}
BENCHMARK(SnmpToolStartUp)->Unit(benchmark::kMillisecond)->UseRealTime();

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void get(benchmark::State &state, Version version) {
    if (agent().Host().empty()) {
        state.SkipWithError("snmpd did not start");
        return;
    }
    Client client(configFor(version));
    const std::string oid = "1.3.6.1.2.1.1.5.0";
    if (!client.Get({oid}).Value(oid)) { // discovery, for v3
        state.SkipWithError("no answer");
        return;
    }
    const double agentBefore = agent().CpuSeconds();
    const double clientBefore = cpuSeconds();
    for (auto _ : state)
        if (!client.Get({oid}).Value(oid)) {
            state.SkipWithError("no answer");
            return;
        }
    const double n = double(state.iterations());
    state.counters["client_cpu_us"] = (cpuSeconds() - clientBefore) * 1e6 / n;
    state.counters["agent_cpu_us"] = (agent().CpuSeconds() - agentBefore) * 1e6 / n;
    state.SetItemsProcessed(state.iterations());
}

void V2cGet(benchmark::State &state) {
    get(state, Version::V2c);
}
BENCHMARK(V2cGet)->Unit(benchmark::kMicrosecond)->UseRealTime();

void V3AuthPrivGet(benchmark::State &state) {
    get(state, Version::V3);
}
BENCHMARK(V3AuthPrivGet)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The two GETs in turns of 100 each, so that a busy machine slows both alike; the ratio is the
// median of the turns' ratios.
void V3OverV2c(benchmark::State &state) {
    if (agent().Host().empty()) {
        state.SkipWithError("snmpd did not start");
        return;
    }
    Client v2c(configFor(Version::V2c)), v3(configFor(Version::V3));
    const std::string oid = "1.3.6.1.2.1.1.5.0";
    if (!v2c.Get({oid}).Value(oid) || !v3.Get({oid}).Value(oid)) {
        state.SkipWithError("no answer");
        return;
    }
    using Clock = std::chrono::steady_clock;
    std::vector<double> ratios;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        for (int i = 0; i < 100; ++i)
            v2c.Get({oid});
        const auto t1 = Clock::now();
        for (int i = 0; i < 100; ++i)
            v3.Get({oid});
        const auto t2 = Clock::now();
        ratios.push_back(std::chrono::duration<double>(t2 - t1).count() /
                         std::chrono::duration<double>(t1 - t0).count());
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["ratio"] = ratios[ratios.size() / 2];
}
BENCHMARK(V3OverV2c)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
