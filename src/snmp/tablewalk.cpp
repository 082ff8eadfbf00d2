#include "snmp/tablewalk.h"

#include "snmp/client.h"

namespace vantrel::snmp {

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

std::string rowKey(const std::string &oid, const std::string &base) {
    const std::string marker = base + ".";
    const std::size_t at = oid.find(marker);
    const std::string rest = at == std::string::npos ? oid : oid.substr(at + marker.size());
    const std::size_t dot = rest.find('.');
    return dot == std::string::npos ? std::string() : trimmed(rest.substr(dot + 1));
}

} // namespace

TableWalk::TableWalk(std::string base, std::vector<std::string> &rows, Limits limits)
    : base_(std::move(base)), next_(base_), rows_(rows), limits_(limits) {
    rows_.clear();
}

bool TableWalk::OidAfter(const std::string &a, const std::string &b) {
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

bool TableWalk::Step(bool ok, const std::string &oid, const std::string &value) {
    ok_ = ok;
    // The walk left the subtree. The name must go on with a "." after the base: a plain prefix
    // test would take 1.3.6.1.2.1.20 for part of 1.3.6.1.2.1.2 and walk on into another group.
    // A failed step leaves the name as it was, so it still passes.
    if (oid != base_ && oid.compare(0, base_.size() + 1, base_ + ".") != 0)
        return false;
    // A reply that does not move forward (no binding, an agent repeating the request's name at
    // the end of its view, or one going back to an earlier object) would bring the walk round
    // again for ever. A failed step still adds its empty value to the line of the last name.
    if (ok && !OidAfter(oid, next_))
        return false;
    const std::string key = rowKey(oid, base_);
    const std::string text = quoted(walkValue(value));
    auto found = keys_.find(key);
    const bool newLine = found == keys_.end();
    const std::size_t added = text.size() + (newLine || rows_[found->second].empty() ? 0 : 1);
    if (values_ >= limits_.values || added > limits_.bytes - bytes_) {
        ok_ = false; // more than one walk may hold: the rows so far stay, the walk failed
        return false;
    }
    if (newLine) {
        found = keys_.emplace(key, rows_.size()).first;
        rows_.emplace_back();
    }
    std::string &line = rows_[found->second];
    if (!line.empty())
        line += ',';
    line += text;
    ++values_;
    bytes_ += added;
    next_ = oid;
    return ok;
}

namespace {

// The lines once the walk has ended: a walk that failed adds its empty value to the line of the
// last name reached; one that passed the limits adds nothing.
bool finish(TableWalk &lines, Outcome outcome) {
    if (outcome == Outcome::Ok)
        return true;
    if (outcome != Outcome::WalkTooLarge)
        lines.Step(false, lines.Next(), std::string());
    return false;
}

} // namespace

bool WalkTable(Client &client, const std::string &base, std::vector<std::string> &rows,
               const WalkLimits &limits, Outcome *outcome) {
    TableWalk lines(base, rows, limits);
    bool full = false;
    const Outcome ended = client.Walk(
        base,
        [&](const VarBind &b) {
            full = !lines.Step(true, b.oid, ValueText(b));
            return !full;
        },
        limits);
    if (outcome != nullptr)
        *outcome = full ? Outcome::WalkTooLarge : ended;
    return full ? lines.Ok() : finish(lines, ended);
}

bool WalkLines(const std::string &base, const WalkResult &walk, std::vector<std::string> &rows,
               const WalkLimits &limits) {
    TableWalk lines(base, rows, limits);
    for (const VarBind &b : walk.bindings)
        if (!lines.Step(true, b.oid, ValueText(b)))
            return lines.Ok();
    return finish(lines, walk.outcome);
}

} // namespace vantrel::snmp
