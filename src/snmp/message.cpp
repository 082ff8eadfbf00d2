#include "snmp/message.h"

#include "snmp/ber.h"

namespace vantrel::snmp {

void Message::Clear() {
    Version = 0;
    Community.clear();
    PDUType = 0;
    ErrorStatus = 0;
    ErrorIndex = 0;
    MIBList.clear();
}

void Message::MIBAdd(const std::string &oid, const std::string &value, int valueType) {
    MIBList.push_back(VarBind{oid, value, valueType});
}

std::string Message::EncodeBuf() const {
    std::string bindings;
    for (const VarBind &mib : MIBList)
        bindings += ber::EncodeItem(
            ber::Sequence,
            ber::EncodeItem(ber::ObjectId, ber::OidContent(mib.OID)) +
                ber::EncodeItem(mib.ValueType, ber::ValueContent(mib.ValueType, mib.Value)));
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

// Reads the items of one message in order, each of them required to lie wholly inside its
// enclosing item.
class Items {
public:
    Items(const std::string &buffer, std::size_t end) : buf_(buffer), end_(end) {}

    // The next item, which must carry tag (any tag when tag is 0); its content in content.
    bool Take(int tag, std::string &content, int *gotTag = nullptr) {
        int t = 0;
        std::size_t at = 0, length = 0;
        if (!ber::ReadItem(buf_, pos_, end_, t, at, length) || (tag != 0 && t != tag))
            return false;
        if (gotTag != nullptr)
            *gotTag = t;
        content.assign(buf_, at, length);
        return true;
    }
    // An INTEGER that fits 32 bits.
    bool TakeInt(std::int64_t &value) {
        std::string content;
        return Take(ber::Integer, content) && ber::IntegerValue(content, value) &&
               value >= INT32_MIN && value <= INT32_MAX;
    }
    // Enters a constructed item: the items read next are its content, which must then be
    // read to its end.
    bool Enter(int tag, int *gotTag = nullptr) {
        int t = 0;
        std::size_t at = 0, length = 0;
        std::size_t pos = pos_;
        if (!ber::ReadItem(buf_, pos, end_, t, at, length) || !(t & 0x20) || (tag != 0 && t != tag))
            return false;
        if (gotTag != nullptr)
            *gotTag = t;
        pos_ = at;
        end_ = at + length;
        return true;
    }
    bool AtEnd() const { return pos_ == end_; }
    std::size_t End() const { return end_; }
    void Leave(std::size_t outerEnd) { end_ = outerEnd; }

private:
    const std::string &buf_;
    std::size_t pos_ = 0;
    std::size_t end_;
};

} // namespace

bool Message::DecodeBuf(const std::string &buffer) {
    Clear();
    if (!decode(buffer)) {
        Clear();
        return false;
    }
    return true;
}

bool Message::decode(const std::string &buffer) {
    // Bytes behind the message are not read; everything inside it must be well-formed.
    Items items(buffer, buffer.size());
    std::int64_t version = 0, id = 0, status = 0, index = 0;
    if (!items.Enter(ber::Sequence) || !items.TakeInt(version) ||
        !items.Take(ber::OctetString, Community))
        return false;
    const std::size_t messageEnd = items.End();
    if (!items.Enter(0, &PDUType) || items.End() != messageEnd || !items.TakeInt(id) ||
        !items.TakeInt(status) || !items.TakeInt(index) || !items.Enter(ber::Sequence) ||
        items.End() != messageEnd)
        return false;
    Version = int(version);
    ID = std::int32_t(id);
    ErrorStatus = int(status);
    ErrorIndex = int(index);
    while (!items.AtEnd()) {
        if (!items.Enter(ber::Sequence))
            return false;
        VarBind mib;
        std::string name, content;
        if (!items.Take(ber::ObjectId, name) || !ber::OidText(name, mib.OID) ||
            !items.Take(0, content, &mib.ValueType) || !items.AtEnd())
            return false;
        std::string oidValue;
        if (mib.ValueType == ber::ObjectId && !ber::OidText(content, oidValue))
            return false; // an object identifier value is held to the same rules as a name
        mib.Value = ber::RenderValue(mib.ValueType, content);
        MIBList.push_back(std::move(mib));
        items.Leave(messageEnd); // back in the binding list, which ends with the message
    }
    return true;
}

bool Message::IsReplyTo(const Message &query) const {
    return PDUType == ber::GetResponse && Version == query.Version &&
           Community == query.Community && ID == query.ID;
}

} // namespace vantrel::snmp
