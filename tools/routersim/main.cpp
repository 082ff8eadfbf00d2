// vantrel-routersim: a simulated ADSL router for demonstrations and tests, answering SNMP v1 on
// 127.0.0.1 only. SIGUSR1 restarts it as a real router restarts: uptime and counters from zero.
//
// Exit status: 0 after SIGINT or SIGTERM, 1 when the port cannot be bound, 2 for a bad command
// line or a bad profile.

#include "routersim/routersimulation.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace vantrel::tools;

namespace {

const char *const Name = "vantrel-routersim";

const char *const Usage =
    "usage: vantrel-routersim [--port N] [--community TEXT] [--profile PATH]\n"
    "                         [--drop-every SECONDS] [--drop-length SECONDS]\n"
    "                         [--drop-if IFINDEX[,IFINDEX...]] [--traffic-if IFINDEX[,...]]\n"
    "  --port N               UDP port on 127.0.0.1 (default 16161; 0 picks a free one)\n"
    "  --community TEXT       community the agent answers (default vormel)\n"
    "  --profile PATH         .snmprec profile (default the demo router)\n"
    "  --drop-every SECONDS   one link drop per period, the first within a minute\n"
    "                         (default 180; 0 keeps the link up)\n"
    "  --drop-length SECONDS  how long each drop lasts (default 20)\n"
    "  --drop-if IFINDEX      the interface(s) whose ifOperStatus drops (the ifTable row; may be\n"
    "                         given again). Default: the WAN rows (ifDescr ATM, RFC-2364) of the\n"
    "                         demo router; in any other profile the DSL line (by ifType) and the\n"
    "                         interfaces stacked on it, or its PPP, ATM and channel interfaces\n"
    "  --traffic-if IFINDEX   the interface(s) whose octet and packet counters grow while the\n"
    "                         link is up (default: the same interfaces as the drops)\n"
    "Signals: SIGINT or SIGTERM stop it; SIGUSR1 restarts the router as a real one restarts:\n"
    "  sysUpTime and every counter start again from zero (kill -USR1 <pid>).\n";

struct Options {
    unsigned short port = 16161;
    std::string community = "vormel";
    std::string profile;
    long dropEvery = 180;
    long dropLength = 20;
    std::vector<int> dropRows;
    std::vector<int> trafficRows;
};

bool fileExists(const std::string &path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// An installed copy sits in share/vantrel beside bin; a build finds the profile in its sources.
std::string defaultProfile() {
    char exe[4096];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        std::string dir(exe, static_cast<std::size_t>(n));
        dir.erase(dir.find_last_of('/') == std::string::npos ? 0 : dir.find_last_of('/'));
        const std::string installed = dir + "/../share/vantrel/router.snmprec";
        if (fileExists(installed))
            return installed;
    }
    return VANTREL_DEMO_PROFILE;
}

bool number(const std::string &text, long max, long &out) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::strtol(text.c_str(), nullptr, 10);
    return out <= max;
}

// "4" or "4,5,7" added to rows; false for anything else.
bool rowList(const std::string &text, std::vector<int> &rows) {
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        long n = 0;
        if (!number(text.substr(start, comma - start), 2147483647L, n) || n < 1)
            return false;
        rows.push_back(static_cast<int>(n));
        start = comma + 1;
    }
    return true;
}

// Fills options; false with a message for anything it does not understand.
bool parse(int argc, char **argv, Options &options, std::string &error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        const std::size_t eq = arg.find('=');
        bool hasValue = false;
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg.erase(eq);
            hasValue = true;
        }
        if (arg == "--help" || arg == "-h") {
            error.clear();
            return false;
        }
        if (arg != "--port" && arg != "--community" && arg != "--profile" &&
            arg != "--drop-every" && arg != "--drop-length" && arg != "--drop-if" &&
            arg != "--traffic-if") {
            error = "unknown option '" + arg + "'";
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        long n = 0;
        if (arg == "--port") {
            if (!number(value, 65535, n)) {
                error = "--port wants a number from 0 to 65535, not '" + value + "'";
                return false;
            }
            options.port = static_cast<unsigned short>(n);
        } else if (arg == "--community") {
            options.community = value;
        } else if (arg == "--profile") {
            options.profile = value;
        } else if (arg == "--drop-if" || arg == "--traffic-if") {
            if (!rowList(value, arg == "--drop-if" ? options.dropRows : options.trafficRows)) {
                error = arg + " wants interface numbers (ifIndex) such as 4 or 4,5, not '" + value +
                        "'";
                return false;
            }
        } else if (!number(value, 100000000, n)) {
            error = arg + " wants a whole number of seconds, not '" + value + "'";
            return false;
        } else {
            (arg == "--drop-every" ? options.dropEvery : options.dropLength) = n;
        }
    }
    if (options.dropEvery > 0 && options.dropLength >= options.dropEvery) {
        error = "a drop must be shorter than the period between drops";
        return false;
    }
    return true;
}

// LoopbackAgent only says that it could not bind; a second bind tells why.
std::string bindError(unsigned short port) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return std::strerror(errno);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    std::string why = "unknown error";
    if (::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0)
        why = std::strerror(errno);
    ::close(fd);
    return why;
}

std::string rowText(const std::vector<int> &rows) {
    std::string text;
    for (int row : rows)
        text += (text.empty() ? "" : ", ") + std::to_string(row);
    return text;
}

long seconds(std::chrono::milliseconds ms) {
    return static_cast<long>((ms.count() + 999) / 1000);
}

} // namespace

int main(int argc, char **argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // one line at a time, also into a pipe

    Options options;
    std::string error;
    if (!parse(argc, argv, options, error)) {
        if (error.empty()) {
            std::fputs(Usage, stdout);
            return 0;
        }
        std::fprintf(stderr, "%s: %s\n%s", Name, error.c_str(), Usage);
        return 2;
    }
    if (options.profile.empty())
        options.profile = defaultProfile();

    // Block the stop signals before the agent thread exists, so that only sigtimedwait below
    // receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    RouterSimulation::Schedule schedule;
    schedule.every = std::chrono::seconds(options.dropEvery);
    schedule.length = std::chrono::seconds(options.dropLength);
    RouterSimulation sim(schedule);
    if (!sim.LoadProfile(options.profile, &error)) {
        std::fprintf(stderr, "%s: bad profile %s: %s\n", Name, options.profile.c_str(),
                     error.c_str());
        return 2;
    }
    for (const std::vector<int> *rows : {&options.dropRows, &options.trafficRows})
        for (int row : *rows)
            if (!sim.HasRow(row)) {
                std::fprintf(stderr, "%s: the profile %s has no interface %d\n", Name,
                             options.profile.c_str(), row);
                return 2;
            }
    sim.SetDropRows(options.dropRows);
    sim.SetTrafficRows(options.trafficRows);
    if (!sim.Start(options.port, options.community)) {
        std::fprintf(stderr, "%s: cannot listen on 127.0.0.1:%u: %s\n", Name, options.port,
                     bindError(options.port).c_str());
        return 1;
    }

    std::printf("%s: serving %s on 127.0.0.1:%u, community %s\n", Name, options.profile.c_str(),
                sim.Port(), options.community.c_str());
    std::fflush(stdout); // whoever started us may be waiting for the port

    const std::vector<int> &link = sim.LinkRows();
    // The demo router's own WAN rows keep their name; any other rows are "the link".
    const char *const what = link == sim.WanRows() ? "WAN link" : "link";
    const auto &drops = sim.DropSchedule();
    if (link.empty())
        std::printf("%s: the profile has no ATM, RFC-2364 or DSL line interface; no link drops\n",
                    Name);
    else if (sim.NextChangeAt(sim.Elapsed()).count() < 0)
        std::printf("%s: %s (ifTable rows %s) stays up\n", Name, what, rowText(link).c_str());
    else
        std::printf("%s: %s (ifTable rows %s) drops for %ld s every %ld s, first in %ld s\n", Name,
                    what, rowText(link).c_str(), static_cast<long>(drops.length.count()),
                    static_cast<long>(drops.every.count()), static_cast<long>(drops.first.count()));
    if (!sim.TrafficRows().empty() && sim.TrafficRows() != link)
        std::printf("%s: traffic counted on ifTable rows %s\n", Name,
                    rowText(sim.TrafficRows()).c_str());
    std::printf("%s: send SIGUSR1 (kill -USR1 %ld) to restart the router\n", Name,
                static_cast<long>(::getpid()));

    bool up = sim.LinkUp();
    for (;;) {
        const timespec tick{0, 200 * 1000 * 1000};
        const int got = sigtimedwait(&stopSignals, nullptr, &tick);
        if (got == SIGINT || got == SIGTERM)
            break;
        if (got == SIGUSR1) {
            sim.Restart();
            std::printf("%s: restarted at %ld s: uptime and counters from zero\n", Name,
                        static_cast<long>(sim.Elapsed().count() / 1000));
        }
        // The agent records every request for tests; a long run must not keep them all.
        sim.Agent().ClearRequests();
        const auto now = sim.Elapsed();
        if (link.empty() || sim.LinkUpAt(now) == up)
            continue;
        up = !up;
        const long next = seconds(sim.NextChangeAt(now) - now);
        if (up)
            std::printf("%s: %s up (ifOperStatus 1) at %ld s, next drop in %ld s\n", Name, what,
                        static_cast<long>(now.count() / 1000), next);
        else
            std::printf("%s: %s down (ifOperStatus 2) at %ld s, back up in %ld s\n", Name, what,
                        static_cast<long>(now.count() / 1000), next);
    }
    sim.Stop();
    std::printf("%s: stopped\n", Name);
    return 0;
}
