#include "snmp/canceltoken.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace vantrel::snmp {

CancelToken::CancelToken() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CancelToken::~CancelToken() {
    if (fd_ >= 0)
        ::close(fd_);
}

void CancelToken::Cancel() {
    cancelled_ = true;
    if (fd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
    }
}

void CancelToken::Reset() {
    cancelled_ = false;
    if (fd_ >= 0) {
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = ::read(fd_, &count, sizeof count);
    }
}

} // namespace vantrel::snmp
