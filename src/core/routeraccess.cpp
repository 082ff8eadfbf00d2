#include "core/routeraccess.h"

#include <array>
#include <utility>

namespace vantrel::core {

namespace {

template <class T, std::size_t N>
QString textOf(const std::array<std::pair<T, const char *>, N> &table, T value) {
    for (const auto &[v, text] : table)
        if (v == value)
            return QString::fromLatin1(text);
    return QString();
}

template <class T, std::size_t N>
std::optional<T> parse(const std::array<std::pair<T, const char *>, N> &table,
                       const QString &text) {
    const QString trimmed = text.trimmed();
    for (const auto &[v, name] : table)
        if (trimmed.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return v;
    return std::nullopt;
}

using A = RouterAccess;
const std::array<std::pair<A::Version, const char *>, 3> kVersions{
    {{A::Version::V1, "1"}, {A::Version::V2c, "2c"}, {A::Version::V3, "3"}}};
const std::array<std::pair<A::Level, const char *>, 3> kLevels{
    {{A::Level::NoAuthNoPriv, "noAuthNoPriv"},
     {A::Level::AuthNoPriv, "authNoPriv"},
     {A::Level::AuthPriv, "authPriv"}}};
const std::array<std::pair<A::Auth, const char *>, 4> kAuths{{{A::Auth::Sha, "SHA"},
                                                              {A::Auth::Sha256, "SHA-256"},
                                                              {A::Auth::Sha512, "SHA-512"},
                                                              {A::Auth::Md5, "MD5"}}};
const std::array<std::pair<A::Privacy, const char *>, 2> kPrivacies{
    {{A::Privacy::Aes, "AES"}, {A::Privacy::Des, "DES"}}};

// Digits and dots only (with an optional ":port"): meant as an address, not a name.
bool looksNumeric(const std::string &target) {
    const std::string host = target.substr(0, target.find(':'));
    for (const char c : host)
        if ((c < '0' || c > '9') && c != '.')
            return false;
    return true;
}

} // namespace

QString VersionText(RouterAccess::Version version) {
    return textOf(kVersions, version);
}
QString LevelText(RouterAccess::Level level) {
    return textOf(kLevels, level);
}
QString AuthText(RouterAccess::Auth auth) {
    return textOf(kAuths, auth);
}
QString PrivacyText(RouterAccess::Privacy privacy) {
    return textOf(kPrivacies, privacy);
}
std::optional<RouterAccess::Version> ParseVersion(const QString &text) {
    return parse(kVersions, text);
}
std::optional<RouterAccess::Level> ParseLevel(const QString &text) {
    return parse(kLevels, text);
}
std::optional<RouterAccess::Auth> ParseAuth(const QString &text) {
    return parse(kAuths, text);
}
std::optional<RouterAccess::Privacy> ParsePrivacy(const QString &text) {
    return parse(kPrivacies, text);
}

bool IsRefusal(LinkFailure failure) {
    switch (failure) {
    case LinkFailure::Authentication:
    case LinkFailure::UnknownUser:
    case LinkFailure::SecurityLevel:
    case LinkFailure::Decryption:
    case LinkFailure::TimeWindow:
    case LinkFailure::UnknownEngine:
    case LinkFailure::AgentReport:
        return true;
    default:
        return false;
    }
}

QString FailureText(LinkFailure failure, const std::string &target, int timeoutMs) {
    switch (failure) {
    case LinkFailure::None:
        return QString();
    case LinkFailure::NoAnswer:
        return QStringLiteral("no answer within %1 s").arg((timeoutMs + 500) / 1000);
    case LinkFailure::BadTarget:
        return looksNumeric(target) ? QStringLiteral("not a valid address")
                                    : QStringLiteral("the name does not resolve");
    case LinkFailure::Unreachable:
        return QStringLiteral("the port is closed (the computer refused it)");
    case LinkFailure::Authentication:
        return QStringLiteral(
            "the router refused the authentication: check the user name and passphrase");
    case LinkFailure::UnknownUser:
        return QStringLiteral("the router knows no such user: check the user name");
    case LinkFailure::SecurityLevel:
        return QStringLiteral(
            "the router does not offer this security level to the user: check the security level");
    case LinkFailure::Decryption:
        return QStringLiteral("decryption failed: check the privacy passphrase and protocol");
    case LinkFailure::TimeWindow:
        return QStringLiteral("the router kept refusing the request's time (not in its time "
                              "window)");
    case LinkFailure::UnknownEngine:
        return QStringLiteral("the router named no SNMP v3 engine");
    case LinkFailure::Credentials:
        return QStringLiteral("the user name or a passphrase cannot be used (a passphrase needs "
                              "at least 8 characters, a user name at most 32)");
    case LinkFailure::AgentReport:
        return QStringLiteral("the router reported an error instead of an answer");
    case LinkFailure::TooLarge:
        return QStringLiteral("the table is too large");
    }
    return QString();
}

} // namespace vantrel::core
