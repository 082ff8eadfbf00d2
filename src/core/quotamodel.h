#pragma once

#include "core/grading.h"
#include "core/quota.h"
#include "core/quotaqueries.h"
#include "core/savedcounters.h"

#include <QDate>
#include <QObject>
#include <QString>

namespace vantrel::core {

class Clock;

// The monthly data-quota account as every part sees it: the counts, the allowance and the
// ISP's definitions, what share is shown and its level, the amount left, the forecast, the
// reset day and the last reset. The Quota page shows it and feeds it the readings its queries
// bring; the tray, the alerts, the metrics and the settings read it here, never from a widget.
class QuotaModel : public QObject {
    Q_OBJECT
public:
    // The texts before there is anything to say.
    static const QString NoAmountText;    // "----": no amount left computed yet
    static const QString NoResetDateText; // "------": never reset

    explicit QuotaModel(const Clock &clock, QObject *parent = nullptr);

    const QuotaAccount &Account() const { return account_; }

    // Whether uploads count too (the page's choice between its two buttons).
    bool DownloadOnly() const { return downloadOnly_; }
    void SetDownloadOnly(bool downloadOnly);
    // The ISP's gigabyte and megabyte in bytes ("Redefine", and the settings).
    void SetBytesPerGB(double bytes);
    void SetBytesPerMB(double bytes);

    // The reset day of each month (0: never) and the date of the last reset as it is shown and
    // stored (the regional short date, NoResetDateText before any).
    int ResetDay() const { return resetDay_; }
    void SetResetDay(int day);
    const QString &LastResetDate() const { return lastResetDate_; }
    // The stored date: a reset that ran today is not made again.
    void RestoreLastResetDate(const QString &date);
    bool ResetDoneToday() const { return resetDoneToday_; }

    // "MBUsed" as the settings held it at start-up; the save keeps it while the account is not
    // running.
    void RestoreStoredUsed(const QString &megabytes) { storedUsed_ = megabytes; }
    // "MBUsed" for the save.
    QString UsedToStore() const;

    // The counters saved at the last close, as the settings hold them: the first reading counts
    // from them what crossed the interface while the program was closed. Their texts for the
    // save: the counters the stored amount was counted to (those loaded while the account has
    // not run).
    void RestoreCounters(const SavedCounters::Texts &texts);
    SavedCounters::Texts CountersToStore() const;
    // Another router or interface: the next reading counts afresh.
    void StartAfresh();
    // The objects the next reading asks for.
    const QuotaObjects &Objects() const { return objects_; }

    // A "Calculate" got an answer: the growth starts from the reading (carryOn: the start-up
    // "Calculate", which keeps what crossed while the program was closed). Then the allowance
    // and the amount used, each set when its text converted.
    void Calculated(const QuotaReading &reading, bool carryOn = false);
    void SetAllowance(double bytes);
    void SetUsedAtCalculate(double bytes);
    // The figures of a "Calculate" are all in: the views may show them.
    void Announce();
    // A "Calculate" got no answer; until one gets an answer, each refresh makes it again.
    void CalculateFailed();
    bool CalculateMissed() const { return calculateMissed_ && !account_.Calculated; }
    // A refresh's reading, or a refresh that got no answer.
    void Take(const QuotaReading &reading);
    void ReadingFailed();

    // The share used as the bar shows it (0 to 100), when the bar was ever set; the level of
    // the bar; the amount left ("x.xxxx GB", with the share left when only downloads count).
    int BarPercent() const { return barPercent_; }
    bool PercentShown() const { return percentShown_; }
    QuotaLevel Level() const { return QuotaLevelOf(barPercent_); }
    QString LeftText() const { return leftText_; }
    // Computes what is shown from the account. mayLower: a button press may move the bar down,
    // a timer or a page selection never does. False when the share cannot be computed (an
    // allowance of 0 bytes): nothing changes.
    bool Show(bool mayLower);

    // Why the account shows no amount (an allowance or a gigabyte of 0), or empty.
    QString NothingShownText() const;

    // "At this rate: ... (from n hours of readings)" once the readings since the month began,
    // the last "Calculate" or the start span a few hours; empty otherwise.
    QString ForecastText() const;

    // The quota tick: true when the monthly reset is due today (the reset day, or a reset day
    // that passed while the program was not running).
    bool ResetDue(const QDate &today);
    // The monthly reset: nothing used this month, the bar at 0, today the last reset date.
    void StartMonth(const QDate &today);

signals:
    // Something the views show changed.
    void changed();
    // The monthly reset ran on date (the settings store it at once).
    void monthStarted(const QString &date);

private:
    const Clock &clock_;
    QuotaAccount account_;
    bool downloadOnly_ = true;
    int resetDay_ = 0;
    QString lastResetDate_ = NoResetDateText;
    bool resetDoneToday_ = false;
    bool calculateMissed_ = false;
    QString storedUsed_ = QStringLiteral("0");
    int barPercent_ = 0;
    bool percentShown_ = false;
    QString leftText_ = NoAmountText;
    QuotaObjects objects_;
    std::optional<Binding> highSpeed_, speed_; // the speeds as last read
    std::string wanRow_;
    std::optional<SavedCounters::Texts> restored_;
    // The forecast's rate: what was counted since the first reading on this router.
    std::optional<std::int64_t> rateFromMs_;
    std::int64_t lastReadingMs_ = 0;
    double rateFromIn_ = 0, rateFromOut_ = 0;

    // Stamps the reading with the time and fills in what is kept between readings.
    OctetReading prepare(const QuotaReading &reading);
    void noteReading(std::int64_t ms);
};

} // namespace vantrel::core
