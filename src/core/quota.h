#pragma once
// The monthly data-quota account and the texts of byte amounts.

#include <QLocale>
#include <QString>
#include <string>

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

// A byte amount (decimal text) in ISP gigabytes when it is more than one, else in ISP megabytes:
// four decimals, rounded, no digit before the separator below one, the regional decimal
// separator, " GB" or " MB" after it: 2147483648 gives 2.0000 GB, 524288 gives .5000 MB. A text
// that is no number throws ConvertError; a zero definition throws "Division by zero".
QString AmountText(const std::string &bytes, double bytesPerGB, double bytesPerMB,
                   const QLocale &locale = QLocale());
// A byte amount in ISP megabytes with the same pattern and no unit: 1610612736 gives 1536.0000.
QString MegabyteText(const std::string &bytes, double bytesPerMB,
                     const QLocale &locale = QLocale());

// Bytes used so far: the amount entered at "Calculate" plus the counters' growth since.
double UsedBytes(const QuotaAccount &account, bool downloadOnly);

// "MBUsed" as the account has it: megabytes used so far with four decimals ("." as the
// separator, the one the start-up "Calculate" reads back), or an empty text when the account has
// no good figure (no successful "Calculate" with a quota, or a failed last reading), so that
// the stored value is kept.
QString UsedMegabytesText(const QuotaAccount &account, bool downloadOnly);

} // namespace vantrel::core
