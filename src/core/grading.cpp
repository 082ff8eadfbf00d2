#include "core/grading.h"

namespace vantrel::core {

namespace {

// A reply that is the decimal text of a number exactly as an agent renders an INTEGER: digits
// without leading zeros, a minus sign before negative ones.
std::optional<long long> exactCode(const std::string &reply) {
    std::size_t i = reply.size() > 1 && reply[0] == '-' ? 1 : 0;
    const std::size_t digits = reply.size() - i;
    if (digits == 0 || digits > 18 || (digits > 1 && reply[i] == '0'))
        return std::nullopt;
    long long value = 0;
    for (; i < reply.size(); ++i) {
        if (reply[i] < '0' || reply[i] > '9')
            return std::nullopt;
        value = value * 10 + (reply[i] - '0');
    }
    return reply[0] == '-' ? -value : value;
}

} // namespace

LinkState LinkStateOfCode(long long code) {
    switch (code) {
    case 1:
        return LinkState::Up;
    case 2:
        return LinkState::Down;
    case 3:
        return LinkState::Testing;
    default:
        return LinkState::Other;
    }
}

LinkState LinkStateOf(const std::string &reply) {
    const std::optional<long long> code = exactCode(reply);
    return code ? LinkStateOfCode(*code) : LinkState::Other;
}

const char *LineStatusWord(LinkState state) {
    switch (state) {
    case LinkState::Up:
        return "Up";
    case LinkState::Testing:
        return "Training";
    case LinkState::Down:
    case LinkState::Other:
        break;
    }
    return "Down";
}

const char *InterfaceStatusWord(LinkState state) {
    switch (state) {
    case LinkState::Up:
        return "UP";
    case LinkState::Down:
        return "DOWN";
    case LinkState::Testing:
        return "TESTING";
    case LinkState::Other:
        break;
    }
    return nullptr;
}

LineCoding LineCodingOf(const std::string &reply) {
    switch (exactCode(reply).value_or(0)) {
    case 1:
        return LineCoding::Other;
    case 2:
        return LineCoding::Dmt;
    case 3:
        return LineCoding::Cap;
    default:
        return LineCoding::Qam;
    }
}

const char *LineCodingName(LineCoding coding) {
    switch (coding) {
    case LineCoding::Other:
        return "other";
    case LineCoding::Dmt:
        return "dmt";
    case LineCoding::Cap:
        return "cap";
    case LineCoding::Qam:
        break;
    }
    return "qam";
}

ChannelType ChannelTypeOf(const std::string &reply) {
    switch (exactCode(reply).value_or(0)) {
    case 1:
        return ChannelType::NoChannel;
    case 2:
        return ChannelType::Fast;
    case 3:
        return ChannelType::Interleaved;
    case 4:
        return ChannelType::FastOrInterleaved;
    case 5:
        return ChannelType::FastAndInterleaved;
    default:
        return ChannelType::Unknown;
    }
}

const char *ChannelTypeName(ChannelType type) {
    switch (type) {
    case ChannelType::NoChannel:
        return "noChannel";
    case ChannelType::Fast:
        return "Fast";
    case ChannelType::Interleaved:
        return "Interleaved";
    case ChannelType::FastOrInterleaved:
        return "Fast/Interleaved";
    case ChannelType::FastAndInterleaved:
        return "Fast + Interleaved";
    case ChannelType::Unknown:
        break;
    }
    return nullptr;
}

Grade MarginGrade(double tenths) {
    if (tenths < 110)
        return Grade::Poor;
    return tenths <= 190 ? Grade::Fair : Grade::Good;
}

Grade AttenuationGrade(double tenths) {
    if (tenths < 410)
        return Grade::Good;
    return tenths <= 490 ? Grade::Fair : Grade::Poor;
}

std::optional<double> DistanceKm(double attenuationTenths) {
    if (!(attenuationTenths > 0))
        return std::nullopt;
    return (attenuationTenths / 13.81) / 10;
}

QuotaLevel QuotaLevelOf(int percent) {
    if (percent >= QuotaCriticalPercent)
        return QuotaLevel::Critical;
    return percent >= QuotaHighPercent ? QuotaLevel::High : QuotaLevel::Normal;
}

std::optional<TrayLights> TrayLightsFor(bool answered, LinkState state, QuotaLevel quota) {
    if (!answered)
        return TrayLights::NoAnswer;
    switch (state) {
    case LinkState::Up:
        switch (quota) {
        case QuotaLevel::Critical:
            return TrayLights::UpCritical;
        case QuotaLevel::High:
            return TrayLights::UpHigh;
        case QuotaLevel::Normal:
            break;
        }
        return TrayLights::Up;
    case LinkState::Down:
        return TrayLights::Down;
    case LinkState::Testing:
        return TrayLights::Training;
    case LinkState::Other:
        break;
    }
    return std::nullopt;
}

} // namespace vantrel::core
