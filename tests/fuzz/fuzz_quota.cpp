// libFuzzer target for the quota account's counting: the input plays a router's WAN counters
// through traffic, wraps, restarts, lost and mistyped answers, lies and the program closing and
// starting again (see countingwalk.h), and every reading is checked: the used amount never goes
// down, never grows by more than the interface could carry in the time that passed (with the
// slack stated there), and an honest router's octets are counted exactly.

#include "countingwalk.h"
#include "property.h"

#include <cstdint>
#include <cstdio>

namespace {

class Input {
public:
    Input(const std::uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    unsigned Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

private:
    const std::uint8_t *data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    Input in(data, size);
    vantrel::testing::CountingWalk<Input> walk(in);
    while (!in.Empty()) {
        const std::string broken = walk.Step();
        if (!broken.empty())
            std::fprintf(stderr, "%s\n", broken.c_str());
        check(broken.empty());
    }
    return 0;
}
