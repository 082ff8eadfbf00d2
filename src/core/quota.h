#pragma once
// The monthly data-quota account and the texts of byte amounts.

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::core {

// One reading of the WAN counters as the quota queries take it: the low 32 bits of ifInOctets
// and ifOutOctets, and the router's sysUpTime read after them. Nothing where a request got no
// answer, or (for the counters) where the reply was empty.
struct CounterSample {
    std::optional<std::uint32_t> inOctets;
    std::optional<std::uint32_t> outOctets;
    std::optional<std::uint32_t> uptime;
};

// The account, in bytes. The used amount is the amount entered at "Calculate" plus the counters'
// growth, added up reading by reading: a counter below its previous reading has wrapped past
// 2^32 when the router's uptime kept rising, and restarted from zero when it did not. So the
// used amount never goes down between two "Calculate"s or resets.
struct QuotaAccount {
    double InOctetsNow = 0; // last ifInOctets read; 0 after a reading that got no answer
    double OutOctetsNow = 0;
    double InOctetsBase = 0; // at the last "Calculate"
    double OutOctetsBase = 0;
    double QuotaBytes = 0;      // the full allowance
    double UsedAtCalcBytes = 0; // entered at the last "Calculate"; 0 after the monthly reset
    double BytesPerGB = 0;      // the ISP's own definitions
    double BytesPerMB = 0;

    double InGrowth = 0; // counted since the last "Calculate" or reset
    double OutGrowth = 0;
    bool Calculated = false;        // a "Calculate" got an answer since start-up
    bool LastReadingFailed = false; // the last refresh got no answer for ifInOctets

    // "Calculate": the sample becomes the baseline and the growth starts again from zero.
    void Capture(const CounterSample &sample);
    // A refresh: adds the growth since the previous reading.
    void Take(const CounterSample &sample);
    // A refresh whose ifInOctets got no answer: the growth waits for the next good reading.
    void ReadingFailed();
    // The monthly reset: nothing used so far this month; the growth counts on from the last
    // reading, also when the reset's own "Calculate" gets no answer.
    void StartMonth();
    // Bytes used so far.
    double Used(bool downloadOnly) const;

private:
    // The readings the next growth counts from.
    std::optional<std::uint32_t> inRef_;
    std::optional<std::uint32_t> outRef_;
    std::optional<std::uint32_t> uptimeRef_;
};

// How much a counter grew from ref to now. restarted: true, false, or unknown (no uptime to
// tell by); an unknown drop counts only what is certain, the new reading.
double CounterGrowth(std::uint32_t ref, std::uint32_t now, std::optional<bool> restarted);

// A counter reply as the account takes it: a 64-bit decimal integer of which the low 32 bits
// count; nothing for an empty reply. Anything else throws ConvertError.
std::optional<std::uint32_t> CounterValue(const std::string &reply);

// A byte amount (decimal text) in ISP gigabytes when it is more than one, else in ISP megabytes:
// four decimals, rounded, no digit before the separator below one, the regional decimal
// separator, " GB" or " MB" after it: 2147483648 gives 2.0000 GB, 524288 gives .5000 MB. A text
// that is no number throws ConvertError; a zero definition throws "Division by zero".
QString AmountText(const std::string &bytes, double bytesPerGB, double bytesPerMB,
                   const QLocale &locale = QLocale());
QString AmountText(double bytes, double bytesPerGB, double bytesPerMB,
                   const QLocale &locale = QLocale());
// A byte amount in ISP megabytes with the same pattern and no unit: 1610612736 gives 1536.0000.
QString MegabyteText(const std::string &bytes, double bytesPerMB,
                     const QLocale &locale = QLocale());

// Bytes used so far.
double UsedBytes(const QuotaAccount &account, bool downloadOnly);

// "MBUsed" as the account has it: megabytes used so far with four decimals ("." as the
// separator, the one the start-up "Calculate" reads back), or an empty text when the account is
// not running (no "Calculate" with an allowance got an answer since start-up), so that the
// stored value is kept. After a failed reading the figure is that of the last good one.
QString UsedMegabytesText(const QuotaAccount &account, bool downloadOnly);

} // namespace vantrel::core
