#pragma once
// The monthly data-quota account and the texts of byte amounts.

#include "core/octetaccount.h"

#include <QLocale>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::core {

// The account, in bytes. The used amount is the amount entered at "Calculate" plus what the
// octet account counted of the WAN counters since: wraps only where the line could have
// carried them, the growth across a restart of the agent, the counters since its boot after a
// restart of the router, nothing for a reading that is no counter or could not have crossed the
// line. So the used amount never goes down between two "Calculate"s or resets.
struct QuotaAccount {
    double InOctetsNow = 0; // last ifInOctets read; 0 after a reading that got no answer
    double OutOctetsNow = 0;
    double InOctetsBase = 0; // the octets counted up to the last "Calculate"
    double OutOctetsBase = 0;
    double QuotaBytes = 0;      // the full allowance
    double UsedAtCalcBytes = 0; // entered at the last "Calculate"; 0 after the monthly reset
    double BytesPerGB = 0;      // the ISP's own definitions
    double BytesPerMB = 0;

    double InGrowth = 0; // counted since the last "Calculate" or reset
    double OutGrowth = 0;
    bool Calculated = false;        // a "Calculate" got an answer since start-up
    bool LastReadingFailed = false; // the last refresh got no answer for ifInOctets

    // "Calculate": the growth starts again from zero at this reading. carryOn (the start-up
    // "Calculate"): what the reading counted since the counters saved at the last close (the
    // traffic while the program was closed) stays in the growth.
    void Capture(const OctetReading &reading, bool carryOn = false);
    // A refresh: adds what crossed the interface since the previous reading.
    void Take(const OctetReading &reading);
    // A refresh whose ifInOctets got no answer: the growth waits for the next good reading.
    void ReadingFailed();
    // The monthly reset: nothing used so far this month; the growth counts on from the last
    // reading, also when the reset's own "Calculate" gets no answer.
    void StartMonth();
    // Bytes used so far.
    double Used(bool downloadOnly) const;

    // The counters the growth was counted to, for the close; and at start, before the first
    // reading, the ones saved at the last close. Another router or interface starts afresh.
    std::optional<SavedCounters> SaveCounters() const { return octets_.Save(); }
    void RestoreCounters(const SavedCounters &saved) { octets_.Restore(saved); }
    void StartAfresh() { octets_.StartAfresh(); }
    // Octets counted since start-up, in each direction (never going down).
    double CountedIn() const { return double(octets_.InOctets()); }
    double CountedOut() const { return double(octets_.OutOctets()); }

private:
    void note(const OctetReading &reading);
    OctetAccount octets_;
};

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
