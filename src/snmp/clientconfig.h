#pragma once

#include "snmp/canceltoken.h"

#include <cstddef>
#include <string>

namespace vantrel::snmp {

enum class Version { V1, V2c, V3 };
enum class SecurityLevel { NoAuthNoPriv, AuthNoPriv, AuthPriv };
// HMAC-MD5-96 and HMAC-SHA-96, and the SHA-2 family: HMAC-128-SHA-224, HMAC-192-SHA-256,
// HMAC-256-SHA-384 and HMAC-384-SHA-512.
enum class AuthProtocol { Md5, Sha1, Sha224, Sha256, Sha384, Sha512 };
// DES-CBC and AES-128-CFB.
enum class PrivProtocol { Des, Aes128 };

// What the client needs to reach the agent, filled from the program's settings. The community
// counts for v1 and v2c, the user and what follows it for v3 only; the passphrases only as far
// as the security level asks for them.
struct ClientConfig {
    std::string target; // dotted IPv4 address or host name, optionally ":port" (default 161)
    Version version = Version::V1;
    std::string community;
    std::string user;
    SecurityLevel securityLevel = SecurityLevel::NoAuthNoPriv;
    AuthProtocol authProtocol = AuthProtocol::Sha1;
    std::string authPassphrase;
    PrivProtocol privProtocol = PrivProtocol::Aes128;
    std::string privPassphrase;

    int timeoutMs = RequestOptions::DefaultTimeoutMs; // the longest wait for one answer
    const CancelToken *cancel = nullptr;              // ends a wait early when cancelled
    int maxRepetitions = 25; // the GetBulk batch a v2c or v3 walk starts with
};

// What one walk may hold at most, so that an agent that never leaves the subtree cannot grow it
// without end.
struct WalkLimits {
    std::size_t values = 100000;          // values in all
    std::size_t bytes = 64 * 1024 * 1024; // bytes of all values (of all lines, for text lines)
};

} // namespace vantrel::snmp
