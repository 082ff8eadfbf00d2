#pragma once
// How the program reaches the router's agent beside its address and community: the SNMP
// version and, for v3, the user and its security. Stored in [System Info Settings].

#include <QString>
#include <optional>
#include <string>

namespace vantrel::core {

struct RouterAccess {
    enum class Version { V1, V2c, V3 };
    enum class Level { NoAuthNoPriv, AuthNoPriv, AuthPriv };
    enum class Auth { Sha, Sha256, Sha512, Md5 };
    enum class Privacy { Aes, Des };

    Version version = Version::V1;
    QString user;
    Level level = Level::NoAuthNoPriv;
    Auth auth = Auth::Sha;
    Privacy privacy = Privacy::Aes;
    QString authPassphrase;
    QString privacyPassphrase;

    bool operator==(const RouterAccess &o) const {
        return version == o.version && user == o.user && level == o.level && auth == o.auth &&
               privacy == o.privacy && authPassphrase == o.authPassphrase &&
               privacyPassphrase == o.privacyPassphrase;
    }
    bool operator!=(const RouterAccess &o) const { return !(*this == o); }
    // Whether the security level asks for the passphrases.
    bool UsesAuth() const { return version == Version::V3 && level != Level::NoAuthNoPriv; }
    bool UsesPrivacy() const { return version == Version::V3 && level == Level::AuthPriv; }
};

// The texts the settings file holds ("1", "2c", "3"; "noAuthNoPriv", ...; "SHA", "SHA-256",
// "SHA-512", "MD5"; "AES", "DES") and back. A text is matched without regard to case; one that
// is none of them gives nothing (the reader then keeps the default).
QString VersionText(RouterAccess::Version version);
QString LevelText(RouterAccess::Level level);
QString AuthText(RouterAccess::Auth auth);
QString PrivacyText(RouterAccess::Privacy privacy);
std::optional<RouterAccess::Version> ParseVersion(const QString &text);
std::optional<RouterAccess::Level> ParseLevel(const QString &text);
std::optional<RouterAccess::Auth> ParseAuth(const QString &text);
std::optional<RouterAccess::Privacy> ParsePrivacy(const QString &text);

// Why a request to the router failed, as the link saw it.
enum class LinkFailure {
    None,
    NoAnswer,       // nothing came back within the time-out
    BadTarget,      // the address text names no host
    Unreachable,    // the computer refused the datagram (nothing listens on the port)
    Authentication, // wrong user name or passphrase
    UnknownUser,
    SecurityLevel, // the user is not set up for the security level asked for
    Decryption,    // wrong privacy passphrase or protocol
    TimeWindow,    // the agent's clock kept refusing the request
    UnknownEngine, // the agent named no v3 engine
    Credentials,   // a user name or passphrase that cannot be used (too short, too long)
    AgentReport,   // some other v3 report instead of an answer
    TooLarge,      // a walk passed its bounds
};

// A v3 agent's refusal (a report), as opposed to silence or a fault on this side of the wire.
bool IsRefusal(LinkFailure failure);

// The reason as the status bar's tooltip and the System page show it; target (the address
// text) tells a name that does not resolve from an address that is not valid. Empty for None.
QString FailureText(LinkFailure failure, const std::string &target, int timeoutMs);

} // namespace vantrel::core
