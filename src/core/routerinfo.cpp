#include "core/routerinfo.h"

#include "core/bytetext.h"

namespace vantrel::core {

const QString RouterInfo::DescriptionCaption = QStringLiteral("Description: ");
const QString RouterInfo::NoDescription = QString(60, QLatin1Char('-'));

namespace {

// What goes in front of each firmware value appended to the description.
const char *const kFirmwarePrefix[] = {"\r\nFirmware: ", " ", "\r\nBuild: ", "\r\n"};

} // namespace

void RouterInfo::Take(const SystemFigures &f) {
    interfaces_ = f.interfaces;
    discoverySummary_ = QString::fromStdString(f.discoverySummary);
    if (f.uptime) {
        uptime_ = f.uptime;
        uptimeFailed_ = false;
    }
    uptimeStale_ = !f.uptime;
    if (f.description)
        description_ = RouterText(*f.description);
    // The firmware lines are appended to whatever the description shows.
    for (std::size_t i = 0; i < f.firmware.size(); ++i)
        if (f.firmware[i])
            description_ += QString::fromLatin1(kFirmwarePrefix[i]) + RouterText(*f.firmware[i]);
    // A read that a reply which is no number ended leaves the description as it was, current.
    descriptionStale_ = !f.description && f.head.outcome.conversionError.empty();
    if (f.addressesReached) {
        if (f.localAddress && WantsLocalAddress())
            localAddress_ = f.localAddress;
        addressWalkFailed_ = f.addressWalkFailed;
        if (!f.addressWalkFailed) {
            if (f.routerAddress)
                routerAddress_ = f.routerAddress;
            if (f.wanAddress)
                wanAddress_ = f.wanAddress;
        }
    }
    emit changed();
}

void RouterInfo::Forget() {
    interfaces_ = InterfaceMap{};
    uptime_.reset();
    uptimeFailed_ = uptimeStale_ = false;
    description_ = NoDescription;
    descriptionStale_ = false;
    routerAddress_.reset();
    wanAddress_.reset();
    addressWalkFailed_ = false;
    discoverySummary_.clear();
    emit changed();
}

void RouterInfo::Unanswered() {
    uptimeStale_ = true;
    descriptionStale_ = true;
    emit changed();
}

void RouterInfo::TakeUptime(std::int64_t ticks) {
    uptime_ = ticks;
    uptimeFailed_ = false;
    uptimeStale_ = false;
    emit changed();
}

void RouterInfo::UptimeUnanswered() {
    uptimeFailed_ = true;
    uptimeStale_ = false;
    emit changed();
}

} // namespace vantrel::core
