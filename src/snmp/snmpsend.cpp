#include "snmp/snmpsend.h"

#include "snmp/ber.h"

#include <unordered_map>

namespace vantrel::snmp {

bool SnmpGetValue(const std::string &oid, const std::string &community, const std::string &host,
                  std::string &value, const RequestOptions &options) {
    value.clear();
    TSNMPSend client;
    client.TargetHost = host;
    client.Timeout = options.timeoutMs;
    client.Cancel = options.cancel;
    client.Query.Clear();
    client.Query.Community = community;
    client.Query.PDUType = ber::GetRequest;
    client.Query.MIBAdd(oid, std::string(), ber::Null);
    if (!client.SendRequest())
        return false;
    if (options.errorStatus != nullptr)
        *options.errorStatus = client.Reply.ErrorStatus;
    for (const TSNMPMib &mib : client.Reply.MIBList) {
        if (mib.OID == oid) {
            value = mib.Value;
            break;
        }
    }
    return true;
}

bool SnmpGetNextValue(TSNMPSend &client, std::string &oid, const std::string &community,
                      std::string &value) {
    value.clear();
    client.Query.Clear();
    client.Query.ID = client.Query.ID + 1;
    client.Query.Community = community;
    client.Query.PDUType = ber::GetNextRequest;
    client.Query.MIBAdd(oid, std::string(), ber::Null);
    if (!client.SendRequest())
        return false;
    if (!client.Reply.MIBList.empty()) {
        oid = client.Reply.MIBList.front().OID;
        value = client.Reply.MIBList.front().Value;
    }
    return true;
}

namespace {

std::string trimmed(const std::string &s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ')
        ++b;
    while (e > b && s[e - 1] == ' ')
        --e;
    return s.substr(b, e - b);
}

// Values holding a control byte other than the tab become lowercase hexadecimal.
std::string walkValue(const std::string &value) {
    bool control = false;
    for (unsigned char c : value)
        if (c < 32 && c != 9)
            control = true;
    if (!control)
        return value;
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(value.size() * 2);
    for (unsigned char c : value) {
        hex += digits[c >> 4];
        hex += digits[c & 0x0F];
    }
    return hex;
}

std::string quoted(const std::string &value) {
    std::string out = "\"";
    for (char c : value) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

// Compares two dotted OID texts arc by arc as numbers, as agents order their objects.
bool oidAfter(const std::string &a, const std::string &b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        std::size_t ia = a.find('.', i), jb = b.find('.', j);
        if (ia == std::string::npos)
            ia = a.size();
        if (jb == std::string::npos)
            jb = b.size();
        while (i + 1 < ia && a[i] == '0') // arcs as digit strings, without leading zeros
            ++i;
        while (j + 1 < jb && b[j] == '0')
            ++j;
        if (ia - i != jb - j)
            return ia - i > jb - j;
        if (const int c = a.compare(i, ia - i, b, j, jb - j); c != 0)
            return c > 0;
        i = ia + 1;
        j = jb + 1;
    }
    return i < a.size() && j >= b.size(); // equal so far: the longer one comes after
}

std::string rowKey(const std::string &oid, const std::string &base) {
    const std::string marker = base + ".";
    const std::size_t at = oid.find(marker);
    const std::string rest = at == std::string::npos ? oid : oid.substr(at + marker.size());
    const std::size_t dot = rest.find('.');
    return dot == std::string::npos ? std::string() : trimmed(rest.substr(dot + 1));
}

} // namespace

bool SnmpWalkTable(const std::string &base, const std::string &community, const std::string &host,
                   std::vector<std::string> &rows, const RequestOptions &options) {
    rows.clear();
    TSNMPSend client;
    client.TargetHost = host;
    client.Timeout = options.timeoutMs;
    client.Cancel = options.cancel;
    std::unordered_map<std::string, std::size_t> keys; // row key -> line index
    std::string oid = base;
    bool ok;
    while (true) {
        const std::string previous = oid;
        std::string value;
        ok = SnmpGetNextValue(client, oid, community, value);
        // The walk left the subtree. The name must go on with a "." after the base: a plain
        // prefix test would take 1.3.6.1.2.1.20 for part of 1.3.6.1.2.1.2 and walk on into
        // another group. A failed step leaves oid as it was, so it still passes.
        if (oid != base && oid.compare(0, base.size() + 1, base + ".") != 0)
            break;
        // A reply that does not move forward (no binding, an agent repeating the request's
        // name at the end of its view, or one going back to an earlier object) would bring
        // the walk round again for ever. A failed step still adds its empty value to the line
        // of the last OID reached.
        const bool stuck = ok && !oidAfter(oid, previous);
        if (stuck)
            break;
        const std::string key = rowKey(oid, base);
        auto found = keys.find(key);
        if (found == keys.end()) {
            found = keys.emplace(key, rows.size()).first;
            rows.emplace_back();
        }
        std::string &line = rows[found->second];
        if (!line.empty())
            line += ',';
        line += quoted(walkValue(value));
        if (!ok)
            break;
    }
    return ok;
}

} // namespace vantrel::snmp
