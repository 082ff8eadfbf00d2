#pragma once
// The monthly data-quota account and the texts of byte amounts.

#include <QString>

namespace vantrel::core {

// The account, in bytes.
struct QuotaAccount {
    double InOctetsNow = 0;
    double OutOctetsNow = 0;
    double InOctetsBase = 0;
    double OutOctetsBase = 0;
    double QuotaBytes = 0;
    double UsedAtCalcBytes = 0;
    double BytesPerGB = 0;
    double BytesPerMB = 0;
};

// Bytes used so far: the amount entered at "Calculate" plus the counters' growth since.
double UsedBytes(const QuotaAccount &account, bool downloadOnly);

// "MBUsed" as the account has it: megabytes used so far with four decimals ("." as the
// separator, the one the start-up "Calculate" reads back), or an empty text when the account has
// no good figure (no successful "Calculate" with a quota, or a failed last reading), so that
// the stored value is kept.
QString UsedMegabytesText(const QuotaAccount &account, bool downloadOnly);

} // namespace vantrel::core
