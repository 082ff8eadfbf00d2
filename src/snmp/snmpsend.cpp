#include "snmp/snmpsend.h"

#include "snmp/ber.h"
#include "snmp/tablewalk.h"

namespace vantrel::snmp {

bool SnmpGetValue(const std::string &oid, const std::string &community, const std::string &host,
                  std::string &value, const RequestOptions &options) {
    value.clear();
    Client client;
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
    for (const VarBind &mib : client.Reply.MIBList) {
        if (mib.OID == oid) {
            value = mib.Value;
            break;
        }
    }
    return true;
}

bool SnmpGetNextValue(Client &client, std::string &oid, const std::string &community,
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

bool SnmpWalkTable(const std::string &base, const std::string &community, const std::string &host,
                   std::vector<std::string> &rows, const RequestOptions &options) {
    TableWalk walk(base, rows);
    Client client;
    client.TargetHost = host;
    client.Timeout = options.timeoutMs;
    client.Cancel = options.cancel;
    while (true) {
        std::string oid = walk.Next();
        std::string value;
        const bool ok = SnmpGetNextValue(client, oid, community, value);
        if (!walk.Step(ok, oid, value))
            return walk.Ok();
    }
}

} // namespace vantrel::snmp
