#pragma once

#include "core/results.h"
#include "core/state.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::core {

// What the router told about itself at the last System read, and what discovery found: the
// interfaces, its uptime (kept current by the router status monitor), its description with the
// firmware lines, and the computer's, the router's and the WAN address. The System page shows
// it; the Debug page reads the description here.
class RouterInfo : public QObject {
    Q_OBJECT
public:
    // The description's caption, and the description before any read (sixty dashes).
    static const QString DescriptionCaption;
    static const QString NoDescription;

    explicit RouterInfo(QObject *parent = nullptr) : QObject(parent) {}

    // A System read that got answers: what it read, as the page shows it.
    void Take(const SystemFigures &figures);
    // A System read whose first request got no answer: what is shown is no longer current.
    void Unanswered();
    // The status monitor's reading of the uptime, or its reading that got no answer.
    void TakeUptime(std::int64_t ticks);
    void UptimeUnanswered();

    const InterfaceMap &Interfaces() const { return interfaces_; }

    // sysUpTime ticks, when one was read; whether the last reading of it failed (the status
    // monitor's); whether it is left from an earlier read.
    std::optional<std::int64_t> Uptime() const { return uptime_; }
    bool UptimeFailed() const { return uptimeFailed_; }
    bool UptimeStale() const { return uptimeStale_; }

    // The description as shown: the router's text, then each firmware line the maker's objects
    // gave ("Firmware: ...", "Build: ..."), appended to what was shown when the router gave no
    // text.
    const QString &Description() const { return description_; }
    bool DescriptionStale() const { return descriptionStale_; }

    // This computer's address towards the router, once looked up ("" when it has none).
    const std::optional<std::string> &LocalAddress() const { return localAddress_; }
    // Whether the next read should look it up: until one gave an address.
    bool WantsLocalAddress() const { return localAddress_.value_or(std::string()).empty(); }
    // The router's own and the WAN address, when read; whether the last walk for them failed.
    const std::optional<std::string> &RouterAddress() const { return routerAddress_; }
    bool AddressWalkFailed() const { return addressWalkFailed_; }
    const std::optional<std::string> &WanAddress() const { return wanAddress_; }
    // For a router that is not the designed model, what discovery found in one line ("" for
    // the designed model).
    const QString &DiscoverySummary() const { return discoverySummary_; }

    // The target changed: nothing read from the old router stays on screen.
    void Forget();

signals:
    void changed();

private:
    InterfaceMap interfaces_;
    std::optional<std::int64_t> uptime_;
    bool uptimeFailed_ = false;
    bool uptimeStale_ = false;
    QString description_ = NoDescription;
    bool descriptionStale_ = false;
    std::optional<std::string> localAddress_;
    std::optional<std::string> routerAddress_;
    bool addressWalkFailed_ = false;
    std::optional<std::string> wanAddress_;
    QString discoverySummary_;
};

} // namespace vantrel::core
