#include "snmp/snmpsend.h"

namespace vantrel::snmp {

namespace {

ClientConfig v1(const std::string &host, const std::string &community,
                const RequestOptions &options) {
    ClientConfig config;
    config.target = host;
    config.community = community;
    config.timeoutMs = options.timeoutMs;
    config.cancel = options.cancel;
    return config;
}

} // namespace

bool SnmpGetValue(const std::string &oid, const std::string &community, const std::string &host,
                  std::string &value, const RequestOptions &options) {
    value.clear();
    Client client(v1(host, community, options));
    const Response r = client.Get({oid});
    if (options.outcome != nullptr)
        *options.outcome = r.outcome;
    if (!r.Answered())
        return false;
    if (options.errorStatus != nullptr)
        *options.errorStatus = r.errorStatus;
    for (const VarBind &b : r.bindings) {
        if (b.oid == oid) {
            value = ValueText(b);
            break;
        }
    }
    return true;
}

bool SnmpGetNextValue(Client &client, std::string &oid, std::string &value) {
    value.clear();
    const Response r = client.GetNext({oid});
    if (!r.Answered())
        return false;
    if (!r.bindings.empty()) {
        oid = r.bindings.front().oid;
        value = ValueText(r.bindings.front());
    }
    return true;
}

bool SnmpWalkTable(const std::string &base, const std::string &community, const std::string &host,
                   std::vector<std::string> &rows, const RequestOptions &options) {
    Client client(v1(host, community, options));
    client.SetNextRequestId(2);
    return WalkTable(client, base, rows, {}, options.outcome);
}

} // namespace vantrel::snmp
