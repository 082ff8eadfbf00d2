#pragma once

#include "snmp/outcome.h"

#include <atomic>

namespace vantrel::snmp {

// Lets another thread end a request that is waiting for its reply: the wait watches the token's
// descriptor beside the socket, so a cancelled request fails at once instead of running out its
// time-out. One token may serve many requests; Reset() arms it again.
class CancelToken {
public:
    CancelToken();
    ~CancelToken();
    CancelToken(const CancelToken &) = delete;
    CancelToken &operator=(const CancelToken &) = delete;

    void Cancel();
    void Reset();
    bool Cancelled() const { return cancelled_.load(); }
    // Readable while cancelled; -1 when the system gave no descriptor (then only the flag
    // counts, checked between waits).
    int Fd() const { return fd_; }

private:
    int fd_ = -1;
    std::atomic<bool> cancelled_{false};
};

// How long a request waits for its reply, and what may end the wait early.
struct RequestOptions {
    static constexpr int DefaultTimeoutMs = 5000;
    int timeoutMs = DefaultTimeoutMs;
    const CancelToken *cancel = nullptr;
    // When given, a GET stores the error status of the reply here (0 for a value, 2 for
    // noSuchName...), so a caller can tell an object the agent lacks from an empty value.
    int *errorStatus = nullptr;
    // When given, how the request (or the walk) ended, so a caller can tell the user why it
    // failed.
    Outcome *outcome = nullptr;
};

} // namespace vantrel::snmp
