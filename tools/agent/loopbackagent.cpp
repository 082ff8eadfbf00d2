#include "agent/loopbackagent.h"

#include "snmp/ber.h"
#include "snmp/message.h"

#include <algorithm>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace vantrel::tools {

namespace ber = vantrel::snmp::ber;
using vantrel::snmp::Message;
using vantrel::snmp::Pdu;
using vantrel::snmp::VarBind;

LoopbackAgent::LoopbackAgent(std::string community) : community_(std::move(community)) {}

LoopbackAgent::~LoopbackAgent() {
    Stop();
}

std::string LoopbackAgent::Host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

void LoopbackAgent::SetCommunity(const std::string &community) {
    std::lock_guard<std::mutex> lock(mutex_);
    community_ = community;
}

void LoopbackAgent::SetMaxResponseSize(std::size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    maxResponseSize_ = bytes;
}

bool LoopbackAgent::Start(unsigned short port) {
    Stop();
    fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        return false;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK); // loopback only, never another address
    addr.sin_port = htons(port);
    socklen_t len = sizeof addr;
    if (::bind(fd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr *>(&addr), &len) != 0) {
        ::close(fd_);
        fd_ = -1;
        return false;
    }
    port_ = ntohs(addr.sin_port);
    stop_ = false;
    thread_ = std::thread([this] { run(); });
    return true;
}

void LoopbackAgent::Stop() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

void LoopbackAgent::run() {
    std::string datagram(65536, '\0');
    while (!stop_) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 50) <= 0)
            continue;
        sockaddr_in from{};
        socklen_t len = sizeof from;
        const ssize_t got = ::recvfrom(fd_, &datagram[0], datagram.size(), 0,
                                       reinterpret_cast<sockaddr *>(&from), &len);
        if (got < 0)
            continue;
        for (const std::string &reply :
             answer(datagram.substr(0, static_cast<std::size_t>(got)), ntohs(from.sin_port)))
            ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr *>(&from), len);
    }
}

namespace {

const int TooBig = 1;
const int NoSuchName = 2;

using Binding = std::pair<std::string, AgentValue>;

std::string encodeResponse(int version, const std::string &community, std::int32_t id,
                           int errorStatus, int errorIndex, const std::string &bindings) {
    const std::string pdu = ber::EncodeItem(ber::Integer, ber::IntegerContent(id)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(errorStatus)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(errorIndex)) +
                            ber::EncodeItem(ber::Sequence, bindings);
    return ber::EncodeItem(ber::Sequence,
                           ber::EncodeItem(ber::Integer, ber::IntegerContent(version)) +
                               ber::EncodeItem(ber::OctetString, community) +
                               ber::EncodeItem(ber::GetResponse, pdu));
}

std::string encodeBinding(const std::string &oid, const AgentValue &value) {
    return ber::EncodeItem(ber::Sequence, ber::EncodeItem(ber::ObjectId, ber::OidContent(oid)) +
                                              ber::EncodeItem(value.tag, value.content));
}

std::string encodeBindings(const std::vector<Binding> &bindings) {
    std::string out;
    for (const auto &[oid, value] : bindings)
        out += encodeBinding(oid, value);
    return out;
}

// base.1.(n+1) for a request base.1.n, base.1.1 for anything else under base: always a new,
// larger name, each a row of its own.
std::string endlessName(const std::string &base, const std::string &request) {
    std::uint64_t n = 0;
    const std::string column = base + ".1.";
    if (request.compare(0, column.size(), column) == 0)
        for (std::size_t i = column.size(); i < request.size() && request[i] != '.'; ++i)
            n = n * 10 + unsigned(request[i] - '0');
    return column + std::to_string(n + 1);
}

AgentValue exception(int tag) {
    return AgentValue{tag, std::string()};
}

} // namespace

std::string EncodeGetResponse(const std::string &community, std::int32_t id, int errorStatus,
                              int errorIndex, const std::string &oid, const AgentValue &value,
                              int version) {
    return encodeResponse(version, community, id, errorStatus, errorIndex,
                          encodeBinding(oid, value));
}

std::optional<LoopbackAgent::Entry> LoopbackAgent::nextAfter(const std::string &oid,
                                                             bool v1) const {
    std::vector<std::uint32_t> arcs;
    if (!ParseOid(oid, arcs))
        return std::nullopt;
    if (endless_) {
        const std::string &base = endless_->first;
        if (oid == base || oid.compare(0, base.size() + 1, base + ".") == 0)
            return Entry{endlessName(base, oid), endless_->second};
    }
    for (auto it = mib_.upper_bound(arcs); it != mib_.end(); ++it)
        if (!v1 || it->second.value.tag != ber::Counter64) // v1 cannot carry a Counter64
            return it->second;
    return std::nullopt;
}

std::vector<std::string> LoopbackAgent::answer(const std::string &datagram,
                                               unsigned short sourcePort) {
    Message request;
    if (!request.Decode(datagram) || request.version < 0 || request.version > 1 ||
        request.pdu.bindings.empty())
        return {};
    const bool v1 = request.version == 0;
    const Pdu &pdu = request.pdu;
    const std::string oid = pdu.bindings.front().oid;
    const AgentValue null{ber::Null, std::string()};

    std::optional<AgentFault> fault;
    std::vector<Binding> served; // the answer's bindings
    int errorStatus = 0, errorIndex = 0;
    bool silentScript = false;
    Hook hook;
    std::size_t maxSize = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hook = hook_;
        maxSize = maxResponseSize_;
        requests_.push_back(AgentRequest{pdu.type, pdu.requestId, request.community, oid,
                                         request.version, int(pdu.bindings.size()),
                                         pdu.type == ber::GetBulkRequest ? pdu.MaxRepetitions() : 0,
                                         sourcePort});
        const int number = static_cast<int>(requests_.size());
        if (request.community != community_)
            return {}; // an agent drops a request with a wrong community
        if (auto f = requestFaults_.find(number); f != requestFaults_.end())
            fault = f->second;
        else if (auto g = oidFaults_.find(oid); g != oidFaults_.end())
            fault = g->second;

        // v1 ends at the first binding it has no value for: noSuchName, naming its place.
        const auto missing = [&](std::size_t i, const std::string &name, int v2Exception) {
            if (v1 && errorStatus == 0) {
                errorStatus = NoSuchName;
                errorIndex = int(i) + 1;
            }
            served.emplace_back(name, exception(v2Exception));
        };
        if (pdu.type == ber::GetRequest) {
            auto script = scripts_.find(oid);
            for (std::size_t i = 0; i < pdu.bindings.size(); ++i) {
                const std::string &name = pdu.bindings[i].oid;
                std::vector<std::uint32_t> arcs;
                if (i == 0 && script != scripts_.end() && !script->second.empty()) {
                    const auto next = script->second.front();
                    script->second.erase(script->second.begin());
                    if (next)
                        served.emplace_back(name, *next);
                    else
                        silentScript = true;
                } else if (auto it = ParseOid(name, arcs) ? mib_.find(arcs) : mib_.end();
                           it != mib_.end() && !(v1 && it->second.value.tag == ber::Counter64)) {
                    served.emplace_back(name, it->second.value);
                } else {
                    // noSuchInstance where the object's column holds other rows.
                    const std::string column = name.substr(0, name.rfind('.'));
                    const auto near = nextAfter(column, false);
                    const bool inColumn =
                        near && near->oid.compare(0, column.size() + 1, column + ".") == 0;
                    missing(i, name, inColumn ? ber::NoSuchInstance : ber::NoSuchObject);
                }
            }
        } else if (pdu.type == ber::GetNextRequest) {
            for (std::size_t i = 0; i < pdu.bindings.size(); ++i) {
                if (auto next = nextAfter(pdu.bindings[i].oid, v1))
                    served.emplace_back(next->oid, next->value);
                else
                    missing(i, pdu.bindings[i].oid, ber::EndOfMibView);
            }
        } else if (pdu.type == ber::GetBulkRequest && !v1) {
            // The non-repeaters once, then the rest round after round until every one of them
            // has reached the end of the MIB.
            const std::size_t count = pdu.bindings.size();
            const std::size_t nonRepeaters =
                std::min<std::size_t>(count, std::size_t(std::max(0, pdu.NonRepeaters())));
            const int repetitions = std::max(0, pdu.MaxRepetitions());
            std::vector<std::string> last;
            for (std::size_t i = 0; i < count; ++i) {
                if (i < nonRepeaters) {
                    auto next = nextAfter(pdu.bindings[i].oid, false);
                    served.emplace_back(
                        next ? Binding{next->oid, next->value}
                             : Binding{pdu.bindings[i].oid, exception(ber::EndOfMibView)});
                } else {
                    last.push_back(pdu.bindings[i].oid);
                }
            }
            for (int r = 0; r < repetitions && !last.empty(); ++r) {
                bool any = false;
                for (std::string &name : last) {
                    auto next = nextAfter(name, false);
                    if (next) {
                        any = true;
                        served.emplace_back(next->oid, next->value);
                        name = next->oid;
                    } else {
                        served.emplace_back(name, exception(ber::EndOfMibView));
                    }
                }
                if (!any)
                    break;
            }
        } else {
            return {}; // only GET, GETNEXT and (over v2c) GETBULK are served
        }
    }
    if (silentScript)
        return {};
    if (hook)
        for (auto &[name, value] : served)
            if (value.tag < ber::NoSuchObject || value.tag > ber::EndOfMibView)
                hook(name, value);

    // The answer a working agent sends: the values, or v1's noSuchName echoing the request.
    std::string normal;
    const auto echo = [&](int status, int index) {
        std::string bindings;
        for (const VarBind &b : pdu.bindings)
            bindings += encodeBinding(b.oid, null);
        return encodeResponse(request.version, request.community, pdu.requestId, status, index,
                              bindings);
    };
    if (errorStatus != 0) {
        normal = echo(errorStatus, errorIndex);
    } else {
        normal = encodeResponse(request.version, request.community, pdu.requestId, 0, 0,
                                encodeBindings(served));
        if (normal.size() > maxSize && pdu.type == ber::GetBulkRequest) {
            // Fewer repetitions, from the end, until the answer fits.
            while (!served.empty() && normal.size() > maxSize) {
                served.pop_back();
                normal = encodeResponse(request.version, request.community, pdu.requestId, 0, 0,
                                        encodeBindings(served));
            }
        } else if (normal.size() > maxSize) {
            normal = v1 ? echo(TooBig, 0)
                        : encodeResponse(request.version, request.community, pdu.requestId, TooBig,
                                         0, std::string());
        }
    }
    if (!fault)
        return {normal};
    switch (fault->kind) {
    case FaultKind::Silent:
        return {};
    case FaultKind::ErrorStatus:
        return {echo(fault->errorStatus, 1)};
    case FaultKind::OtherRequestId:
        if (!served.empty() && errorStatus == 0)
            return {encodeResponse(request.version, request.community, fault->requestId, 0, 0,
                                   encodeBindings(served))};
        return {encodeResponse(request.version, request.community, fault->requestId, NoSuchName, 1,
                               encodeBinding(oid, null))};
    case FaultKind::Raw:
        return {fault->raw};
    case FaultKind::Twice:
        return {normal, normal};
    case FaultKind::JunkFirst:
        return {fault->raw, normal};
    case FaultKind::Bindings:
        return {
            encodeResponse(request.version, request.community, pdu.requestId, 0, 0, fault->raw)};
    }
    return {normal};
}

bool LoopbackAgent::ParseOid(const std::string &text, std::vector<std::uint32_t> &arcs) {
    arcs.clear();
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t dot = text.find('.', start);
        const std::string arc = text.substr(start, dot - start);
        if (arc.empty() || arc.size() > 10)
            return false;
        std::uint64_t v = 0;
        for (char c : arc) {
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + unsigned(c - '0');
        }
        if (v > 0xFFFFFFFFu)
            return false;
        arcs.push_back(static_cast<std::uint32_t>(v));
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return !arcs.empty();
}

void LoopbackAgent::Set(const std::string &oid, AgentValue value) {
    std::vector<std::uint32_t> arcs;
    if (!ParseOid(oid, arcs))
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    mib_[arcs] = Entry{oid, std::move(value)};
}

void LoopbackAgent::SetInteger(const std::string &oid, std::int64_t v) {
    Set(oid, {ber::Integer, ber::IntegerContent(v)});
}
void LoopbackAgent::SetString(const std::string &oid, const std::string &bytes) {
    Set(oid, {ber::OctetString, bytes});
}
void LoopbackAgent::SetCounter(const std::string &oid, std::uint64_t v) {
    Set(oid, {ber::Counter, ber::UnsignedContent(v)});
}
void LoopbackAgent::SetGauge(const std::string &oid, std::uint64_t v) {
    Set(oid, {ber::Gauge, ber::UnsignedContent(v)});
}
void LoopbackAgent::SetTimeTicks(const std::string &oid, std::uint64_t v) {
    Set(oid, {ber::TimeTicks, ber::UnsignedContent(v)});
}
void LoopbackAgent::SetIpAddress(const std::string &oid, const std::string &dotted) {
    in_addr a{};
    if (inet_pton(AF_INET, dotted.c_str(), &a) != 1)
        return;
    Set(oid, {ber::IpAddress, std::string(reinterpret_cast<const char *>(&a), 4)});
}
void LoopbackAgent::SetObjectId(const std::string &oid, const std::string &value) {
    Set(oid, {ber::ObjectId, ber::OidContent(value)});
}
void LoopbackAgent::SetNull(const std::string &oid) {
    Set(oid, {ber::Null, std::string()});
}
void LoopbackAgent::SetCounter64(const std::string &oid, std::uint64_t v) {
    Set(oid, {ber::Counter64, ber::UnsignedContent(v)});
}

void LoopbackAgent::Remove(const std::string &oid) {
    std::vector<std::uint32_t> arcs;
    if (!ParseOid(oid, arcs))
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    mib_.erase(arcs);
}

void LoopbackAgent::Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    mib_.clear();
}

std::optional<AgentValue> LoopbackAgent::Get(const std::string &oid) const {
    std::vector<std::uint32_t> arcs;
    if (!ParseOid(oid, arcs))
        return std::nullopt;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = mib_.find(arcs);
    if (it == mib_.end())
        return std::nullopt;
    return it->second.value;
}

void LoopbackAgent::Script(const std::string &oid, std::vector<std::optional<AgentValue>> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    scripts_[oid] = std::move(answers);
}

void LoopbackAgent::SetEndless(const std::string &base, AgentValue value) {
    std::lock_guard<std::mutex> lock(mutex_);
    endless_.emplace(base, std::move(value));
}

void LoopbackAgent::SetFault(const std::string &oid, AgentFault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    oidFaults_[oid] = std::move(fault);
}

void LoopbackAgent::SetRequestFault(int requestNumber, AgentFault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    requestFaults_[requestNumber] = std::move(fault);
}

void LoopbackAgent::ClearFaults() {
    std::lock_guard<std::mutex> lock(mutex_);
    oidFaults_.clear();
    requestFaults_.clear();
    scripts_.clear();
    endless_.reset();
}

void LoopbackAgent::SetHook(Hook hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
}

int LoopbackAgent::RequestCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(requests_.size());
}

std::vector<AgentRequest> LoopbackAgent::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LoopbackAgent::ClearRequests() {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.clear();
    requestFaults_.clear(); // request numbers count from the last clear
}

namespace {

bool hexBytes(const std::string &hex, std::string &out) {
    if (hex.size() % 2 != 0)
        return false;
    out.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int v = 0;
        for (std::size_t k = i; k < i + 2; ++k) {
            const char c = hex[k];
            v <<= 4;
            if (c >= '0' && c <= '9')
                v |= c - '0';
            else if (c >= 'a' && c <= 'f')
                v |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                v |= c - 'A' + 10;
            else
                return false;
        }
        out += char(v);
    }
    return true;
}

// Decimal digits, with a leading minus sign when allowed, within -max-1 .. max.
bool decimal(const std::string &text, bool allowSign, std::uint64_t max, std::int64_t &signedOut,
             std::uint64_t &unsignedOut) {
    std::size_t i = 0;
    const bool negative = allowSign && !text.empty() && text[0] == '-';
    if (negative || (allowSign && !text.empty() && text[0] == '+'))
        i = 1;
    if (i >= text.size())
        return false;
    std::uint64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        const unsigned digit = unsigned(text[i] - '0');
        if (v > (max + (negative ? 1 : 0) - digit) / 10)
            return false;
        v = v * 10 + digit;
    }
    unsignedOut = v;
    signedOut = negative ? static_cast<std::int64_t>(~v + 1) : static_cast<std::int64_t>(v);
    return true;
}

} // namespace

bool LoopbackAgent::ParseWireOid(const std::string &text, std::vector<std::uint32_t> &arcs) {
    if (!ParseOid(text, arcs) || arcs.size() < 2 || arcs[0] > 2 || (arcs[0] < 2 && arcs[1] >= 40))
        return false;
    return std::uint64_t(arcs[0]) * 40 + arcs[1] <= 0xFFFFFFFFu;
}

bool LoopbackAgent::ParseSnmprecLine(const std::string &line, std::string &oid, AgentValue &value,
                                     std::string *error) {
    auto fail = [&](const std::string &why) {
        if (error)
            *error = why;
        return false;
    };
    // OID|tag|value: the value is everything behind the second bar, bars and all.
    const std::size_t bar1 = line.find('|');
    const std::size_t bar2 = bar1 == std::string::npos ? bar1 : line.find('|', bar1 + 1);
    if (bar2 == std::string::npos)
        return fail("expected OID|tag|value");
    oid = line.substr(0, bar1);
    std::string tagText = line.substr(bar1 + 1, bar2 - bar1 - 1);
    std::string text = line.substr(bar2 + 1);
    std::vector<std::uint32_t> arcs;
    if (!ParseWireOid(oid, arcs))
        return fail("bad OID '" + oid + "'");
    // A tag with an "x" behind it carries its value in hexadecimal: the same value, spelt as
    // the hexadecimal of its bytes (recorders use it for values with bytes that are no text).
    const bool hex = !tagText.empty() && tagText.back() == 'x';
    if (hex)
        tagText.pop_back();
    std::int64_t number = 0;
    std::uint64_t unsignedNumber = 0;
    // A tag byte whose number bits are all set opens a tag of more than one byte: no value.
    if (!decimal(tagText, false, 255, number, unsignedNumber) || (number & 0x1F) == 0x1F)
        return fail("bad tag '" + tagText + "'");
    value.tag = static_cast<int>(number);
    if (hex) {
        std::string bytes;
        if (!hexBytes(text, bytes))
            return fail("bad hexadecimal value '" + text + "'");
        text = bytes;
    }
    switch (value.tag) {
    case ber::Integer:
        if (!decimal(text, true, 2147483647u, number, unsignedNumber))
            return fail("bad INTEGER '" + text + "'");
        value.content = ber::IntegerContent(number);
        return true;
    case ber::Counter:
    case ber::Gauge:
    case ber::TimeTicks:
    case ber::Counter64:
        if (!decimal(text, false, value.tag == ber::Counter64 ? ~std::uint64_t(0) : 0xFFFFFFFFu,
                     number, unsignedNumber))
            return fail("bad unsigned value '" + text + "'");
        value.content = ber::UnsignedContent(unsignedNumber);
        return true;
    case ber::IpAddress: {
        // Dotted, or the address's four bytes as they are: some recorders write it so.
        in_addr a{};
        if (text.size() == 4)
            value.content = text;
        else if (text.find('\0') == std::string::npos && inet_pton(AF_INET, text.c_str(), &a) == 1)
            value.content.assign(reinterpret_cast<const char *>(&a), 4);
        else
            return fail("bad IpAddress '" + text + "'");
        return true;
    }
    case ber::ObjectId:
        if (!ParseWireOid(text, arcs))
            return fail("bad OBJECT IDENTIFIER '" + text + "'");
        value.content = ber::OidContent(text);
        return true;
    case ber::Null:
        value.content.clear();
        return true;
    default:
        value.content = text; // OCTET STRING, Opaque and the rest: the bytes as they stand
        return true;
    }
}

bool LoopbackAgent::NextSnmprecLine(std::istream &in, std::string &line, int &number) {
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            return true;
    }
    return false;
}

bool LoopbackAgent::LoadSnmprec(const std::string &text, std::string *error) {
    std::map<std::vector<std::uint32_t>, Entry> mib;
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (NextSnmprecLine(in, line, number)) {
        std::string oid, why;
        AgentValue value;
        if (!ParseSnmprecLine(line, oid, value, &why)) {
            if (error)
                *error = "line " + std::to_string(number) + ": " + why;
            return false;
        }
        std::vector<std::uint32_t> arcs;
        ParseWireOid(oid, arcs);
        mib[arcs] = Entry{oid, value};
    }
    std::lock_guard<std::mutex> lock(mutex_);
    mib_ = std::move(mib);
    return true;
}

bool LoopbackAgent::ReadFile(const std::string &path, std::string &text, std::string *error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}

bool LoopbackAgent::LoadSnmprecFile(const std::string &path, std::string *error) {
    std::string text;
    return ReadFile(path, text, error) && LoadSnmprec(text, error);
}

} // namespace vantrel::tools
