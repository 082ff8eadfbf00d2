#pragma once

namespace vantrel::snmp {

// How a request ended. Only Ok carries the agent's answer, which may itself be an error status
// or exceptions; every other outcome is a distinct failure the caller can name to the user.
enum class Outcome {
    Ok,
    BadTarget,   // the target text names no host and port to send to
    NoAnswer,    // nothing that answers the request within the time-out
    Unreachable, // the socket failed, as when nothing listens on the agent's port
    Cancelled,
    Unsupported,  // a GetBulk over SNMP v1
    WalkTooLarge, // a walk passed 100,000 values or 64 MiB
    // SNMP v3
    UnusableCredentials,      // no user, a user name over 32 bytes, a passphrase under 8 bytes
    UnknownEngine,            // the agent named no engine, or disowned the one it named
    UnknownUser,              // the agent knows no such user
    UnsupportedSecurityLevel, // the user is not set up for the security level asked for
    AuthenticationFailed,     // the agent refused our digest, or its answer had a wrong one
    DecryptionFailed,         // the agent could not decrypt the request, or we its answer
    NotInTimeWindow,          // still outside the agent's time window after resynchronising
    AgentReport,              // any other report in place of an answer
};

} // namespace vantrel::snmp
