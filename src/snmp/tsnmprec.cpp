#include "snmp/tsnmprec.h"

#include "snmp/ber.h"
#include "snmp/convert.h"

namespace vantrel::snmp {

void TSNMPRec::Clear() {
    Version = 0;
    Community.clear();
    PDUType = 0;
    ErrorStatus = 0;
    ErrorIndex = 0;
    MIBList.clear();
}

void TSNMPRec::MIBAdd(const std::string &oid, const std::string &value, int valueType) {
    MIBList.push_back(TSNMPMib{oid, value, valueType});
}

std::string TSNMPRec::EncodeBuf() const {
    std::string bindings;
    for (const TSNMPMib &mib : MIBList) {
        // Requests carry NULL values; anything else is sent as an OCTET STRING.
        const std::string value = mib.ValueType == ber::Null
                                      ? ber::EncodeItem(ber::Null, std::string())
                                      : ber::EncodeItem(ber::OctetString, mib.Value);
        bindings += ber::EncodeItem(
            ber::Sequence, ber::EncodeItem(ber::ObjectId, ber::OidContent(mib.OID)) + value);
    }
    const std::string pdu = ber::EncodeItem(ber::Integer, ber::IntegerContent(ID)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(ErrorStatus)) +
                            ber::EncodeItem(ber::Integer, ber::IntegerContent(ErrorIndex)) +
                            ber::EncodeItem(ber::Sequence, bindings);
    return ber::EncodeItem(ber::Sequence,
                           ber::EncodeItem(ber::Integer, ber::IntegerContent(Version)) +
                               ber::EncodeItem(ber::OctetString, Community) +
                               ber::EncodeItem(PDUType, pdu));
}

namespace {
int number(const std::string &text) {
    return static_cast<int>(StrToInt64Def(text, 0));
}
} // namespace

bool TSNMPRec::DecodeBuf(const std::string &buffer) {
    Clear();
    if (buffer.size() < 2 || !(static_cast<unsigned char>(buffer[0]) & 0x20))
        return false;
    std::size_t pos = 0;
    int tag = 0;
    std::size_t length = 0;
    if (!ber::ReadHeader(buffer, pos, buffer.size(), tag, length))
        return false;
    if (buffer.size() - 2 < length) // not length + 2, which wraps for a huge declared length
        return false;
    ber::Reader reader(buffer, pos, pos + length);
    Version = number(reader.Next());
    Community = reader.Next();
    reader.Next(PDUType);
    ID = static_cast<std::int32_t>(number(reader.Next()));
    ErrorStatus = number(reader.Next());
    ErrorIndex = number(reader.Next());
    reader.Next(); // the binding list header
    while (!reader.AtEnd()) {
        const std::size_t before = reader.Position();
        reader.Next(); // one binding header
        int oidTag = 0;
        TSNMPMib mib;
        mib.OID = reader.Next(oidTag);
        mib.Value = reader.Next(mib.ValueType);
        MIBList.push_back(mib);
        if (reader.Position() == before)
            break; // nothing more can be read
    }
    return true;
}

} // namespace vantrel::snmp
