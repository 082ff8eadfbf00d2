#pragma once

#include "app/settingsstore.h"
#include "core/trigger.h"

#include <QObject>
#include <QString>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

namespace vantrel::app {
class PageContext;
}

namespace vantrel::pages {

class QuotaScale;

// The Quota page: the monthly data-quota account.
class QuotaPage : public QObject, public app::SettingsPart {
    Q_OBJECT
public:
    explicit QuotaPage(app::PageContext &context);
    QWidget *Build();

    void QuotaClick(core::Trigger trigger);
    void CalcQuota_ButClick();
    void Quota_TimerTimer();

    bool DownloadOnly() const;
    // The amount left as the page shows it (the tray's tooltip reads it).
    QString QuotaLeftText() const;
    QWidget *Widget() const { return page_; }

    void ApplySettings(const core::SettingsFile::LoadResult &loaded) override;
    void CollectSettings(core::SettingsValues &values) override;

private:
    app::PageContext &context_;
    QWidget *page_ = nullptr;
    QuotaScale *scale_ = nullptr;
    QLabel *percentUsed_ = nullptr;
    QLabel *quotaRemaining_ = nullptr;
    QLineEdit *gbQuota_ = nullptr;
    QLineEdit *mbUsed_ = nullptr;
    QLineEdit *gbytes_ = nullptr;
    QLineEdit *mbytes_ = nullptr;
    QLineEdit *resetDay_ = nullptr;
    QSpinBox *dayUpDown_ = nullptr;
    QLabel *lastResetDate_ = nullptr;
    QPushButton *calculate_ = nullptr;
    QPushButton *redefineGB_ = nullptr;
    QPushButton *redefineMB_ = nullptr;
    QRadioButton *downOnly_ = nullptr;
    QRadioButton *downUp_ = nullptr;
    QString mbUsedAtLoad_ = QStringLiteral("0"); // "MBUsed" as read at start-up
};

} // namespace vantrel::pages
