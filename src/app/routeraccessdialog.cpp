#include "app/routeraccessdialog.h"

#include "app/mainform.h"
#include "app/secretstore.h"
#include "core/routermodel.h"
#include "core/settingsmodel.h"
#include "ui/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

namespace vantrel::app {

namespace {

using core::RouterAccess;

QComboBox *combo(QWidget *parent, const char *name, const QStringList &items) {
    auto *box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->addItems(items);
    return box;
}

QLineEdit *passphraseEdit(QWidget *parent, const char *name, const QString &text) {
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

// The combo items in the order of each enumeration.
const QStringList kVersions{QStringLiteral("1"), QStringLiteral("2c"), QStringLiteral("3")};
const QStringList kLevels{QStringLiteral("noAuthNoPriv"), QStringLiteral("authNoPriv"),
                          QStringLiteral("authPriv")};
const QStringList kAuths{QStringLiteral("SHA"), QStringLiteral("SHA-256"),
                         QStringLiteral("SHA-512"), QStringLiteral("MD5")};
constexpr int kStoreWaitMs = 3000;

const QStringList kPrivacies{QStringLiteral("AES"), QStringLiteral("DES")};

} // namespace

RouterAccessDialog::RouterAccessDialog(const RouterAccess &access, bool passphrasesInFile,
                                       core::RouterModel &router, const std::string &community,
                                       QWidget *parent)
    : QDialog(parent), router_(router), community_(community) {
    setObjectName(QStringLiteral("RouterAccessDialog"));
    setWindowTitle(QStringLiteral("Router access"));
    auto *form = new QFormLayout;
    version_ = combo(this, "Version_Combo", kVersions);
    version_->setCurrentIndex(int(access.version));
    user_ = new QLineEdit(access.user, this);
    user_->setObjectName(QStringLiteral("User_Edit"));
    level_ = combo(this, "Level_Combo", kLevels);
    level_->setCurrentIndex(int(access.level));
    auth_ = combo(this, "Auth_Combo", kAuths);
    auth_->setCurrentIndex(int(access.auth));
    privacy_ = combo(this, "Privacy_Combo", kPrivacies);
    privacy_->setCurrentIndex(int(access.privacy));
    authPass_ = passphraseEdit(this, "AuthPass_Edit", access.authPassphrase);
    privPass_ = passphraseEdit(this, "PrivPass_Edit", access.privacyPassphrase);
    form->addRow(QStringLiteral("SNMP &version:"), version_);
    form->addRow(QStringLiteral("&User:"), user_);
    form->addRow(QStringLiteral("&Security level:"), level_);
    form->addRow(QStringLiteral("&Authentication:"), auth_);
    form->addRow(QStringLiteral("Authentication &passphrase:"), authPass_);
    form->addRow(QStringLiteral("P&rivacy:"), privacy_);
    form->addRow(QStringLiteral("Privacy pa&ssphrase:"), privPass_);

    inFile_ = new QCheckBox(QStringLiteral("Keep the passphrases in the settings file"), this);
    inFile_->setObjectName(QStringLiteral("InFile_Check"));
    inFile_->setChecked(passphrasesInFile);
    storeText_ = new QLabel(this);
    storeText_->setObjectName(QStringLiteral("Store_Label"));
    storeText_->setWordWrap(true);

    find_ = new QPushButton(QStringLiteral("&Find out"), this);
    find_->setObjectName(QStringLiteral("FindOut_But"));
    find_->setToolTip(QStringLiteral("Ask the router with the community over SNMP v2c, then v1"));
    found_ = new QLabel(this);
    found_->setObjectName(QStringLiteral("FindOut_Label"));
    found_->setWordWrap(true);
    auto *findRow = new QHBoxLayout;
    findRow->addWidget(find_);
    findRow->addWidget(found_, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("Buttons"));
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(inFile_);
    layout->addWidget(storeText_);
    layout->addLayout(findRow);
    layout->addWidget(buttons);
    setMinimumWidth(420);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(find_, &QPushButton::clicked, this, &RouterAccessDialog::findOut);
    for (QComboBox *box : {version_, level_})
        connect(box, &QComboBox::currentIndexChanged, this, &RouterAccessDialog::updateEnabled);
    connect(inFile_, &QCheckBox::toggled, this, &RouterAccessDialog::updateEnabled);
    updateEnabled();
}

RouterAccess RouterAccessDialog::Access() const {
    RouterAccess a;
    a.version = RouterAccess::Version(version_->currentIndex());
    a.user = user_->text();
    a.level = RouterAccess::Level(level_->currentIndex());
    a.auth = RouterAccess::Auth(auth_->currentIndex());
    a.privacy = RouterAccess::Privacy(privacy_->currentIndex());
    if (a.UsesAuth())
        a.authPassphrase = authPass_->text();
    if (a.UsesPrivacy())
        a.privacyPassphrase = privPass_->text();
    return a;
}

bool RouterAccessDialog::PassphrasesInFile() const {
    return inFile_->isChecked() && Access().UsesAuth();
}

void RouterAccessDialog::SetStore(Store store) {
    store_ = store;
    updateEnabled();
}

void RouterAccessDialog::updateEnabled() {
    const RouterAccess a = Access();
    const bool v3 = a.version == RouterAccess::Version::V3;
    user_->setEnabled(v3);
    level_->setEnabled(v3);
    auth_->setEnabled(a.UsesAuth());
    authPass_->setEnabled(a.UsesAuth());
    privacy_->setEnabled(a.UsesPrivacy());
    privPass_->setEnabled(a.UsesPrivacy());
    inFile_->setEnabled(a.UsesAuth());
    // Without a secret store the file is the only place that outlasts the run: offered once.
    if (store_ == Store::Unavailable && a.UsesAuth() && !fileOffered_) {
        fileOffered_ = true;
        inFile_->setChecked(true);
    }
    QString text;
    if (!a.UsesAuth())
        text = QString();
    else if (inFile_->isChecked())
        text = QStringLiteral("The passphrases are stored in plain text in the settings file, "
                              "which only your user account may read.");
    else if (store_ == Store::Asking)
        text = QStringLiteral("Looking for the desktop's secret store...");
    else if (store_ == Store::Available)
        text = QStringLiteral("The passphrases are kept in the desktop's secret store.");
    else
        text = QStringLiteral("No secret service answers on this desktop: keep the passphrases "
                              "in the settings file (in plain text), or they last only until "
                              "Vantrel closes.");
    storeText_->setText(text);
    storeText_->setVisible(!text.isEmpty());
}

QString RouterAccessDialog::ProbeText(const core::AccessProbe &probe) {
    if (probe.head.outcome.cancelled)
        return QString();
    if (probe.v2c)
        return probe.counters64
                   ? QStringLiteral("SNMP v2c answers, with 64-bit counters (ifHCInOctets).")
                   : QStringLiteral("SNMP v2c answers, without 64-bit counters.");
    if (probe.v1)
        return QStringLiteral("Only SNMP v1 answers (no 64-bit counters).");
    return QStringLiteral("Neither SNMP v2c nor v1 answers with this community: %1.")
        .arg(probe.failure);
}

void RouterAccessDialog::findOut() {
    found_->setText(QStringLiteral("Asking the router..."));
    find_->setEnabled(false);
    core::ResultHead head;
    head.requester = core::Requester::Monitor;
    QPointer<RouterAccessDialog> self(this);
    const bool queued =
        router_.FindAccess(community_, head, [self](const core::AccessProbe &probe) {
            if (!self)
                return;
            self->find_->setEnabled(true);
            self->found_->setText(ProbeText(probe));
            // What answered is proposed; nothing is kept before OK.
            if (probe.v2c || probe.v1)
                self->version_->setCurrentIndex(probe.v2c ? 1 : 0);
        });
    if (!queued)
        find_->setEnabled(true);
}

RouterAccessControl::RouterAccessControl(MainForm &form, core::SettingsModel &settings)
    : QObject(&form), form_(form), settings_(settings), store_(new SecretStore(this)) {
    QAction *action = form.SubMenu("Options1")->addAction(QStringLiteral("Router access..."));
    action->setObjectName(QStringLiteral("RouterAccess1"));
    connect(action, &QAction::triggered, this, [this] { form_.Run([this] { OpenDialog(); }); });
    // Every request goes out with the access the settings hold.
    connect(&settings, &core::SettingsModel::changed, this, [this](core::Setting s) {
        if (s == core::Setting::Access)
            form_.Router().SetAccess(settings_.Access());
    });
}

RouterAccessControl::~RouterAccessControl() = default;

void RouterAccessControl::LoadPassphrases(std::function<void()> ready) {
    const RouterAccess access = settings_.Access();
    if (!access.UsesAuth() || settings_.Values().PassphrasesInFile) {
        ready();
        return;
    }
    // A secret service that is slow to answer holds the first query back a few seconds at most.
    auto once = std::make_shared<std::function<void()>>(std::move(ready));
    auto run = [once] {
        if (*once) {
            const std::function<void()> go = std::move(*once);
            *once = nullptr;
            go();
        }
    };
    QTimer::singleShot(kStoreWaitMs, this, run);
    QPointer<RouterAccessControl> self(this);
    store_->Read(settings_.Values().Ip, access.user,
                 [self, run](bool, bool found, const SecretStore::Passphrases &p, const QString &) {
                     if (!self)
                         return;
                     if (found) {
                         RouterAccess a = self->settings_.Access();
                         a.authPassphrase = p.auth;
                         a.privacyPassphrase = p.privacy;
                         self->settings_.SetAccess(a, false);
                     }
                     run();
                 });
}

void RouterAccessControl::OpenDialog() {
    const core::SettingsValues &v = settings_.Values();
    RouterAccessDialog dialog(v.Access, v.PassphrasesInFile, form_.Router(),
                              settings_.CommunityBytes(), &form_);
    dialog_ = &dialog;
    QPointer<RouterAccessDialog> open(&dialog);
    store_->Read(v.Ip, v.Access.user.isEmpty() ? QStringLiteral("-") : v.Access.user,
                 [open](bool available, bool, const SecretStore::Passphrases &, const QString &) {
                     if (open)
                         open->SetStore(available ? RouterAccessDialog::Store::Available
                                                  : RouterAccessDialog::Store::Unavailable);
                 });
    const int result = dialog.exec();
    dialog_ = nullptr;
    if (result == QDialog::Accepted)
        accept(dialog.Access(), dialog.PassphrasesInFile());
}

void RouterAccessControl::accept(const RouterAccess &access, bool inFile) {
    const QString host = settings_.Values().Ip;
    if (access.UsesAuth() && !inFile) {
        const SecretStore::Passphrases p{access.authPassphrase, access.privacyPassphrase};
        QPointer<RouterAccessControl> self(this);
        store_->Write(host, access.user, p, [self](bool stored, const QString &error) {
            if (self && !stored)
                self->form_.Prompt().Warning(
                    QStringLiteral("Router access"),
                    QStringLiteral("The passphrases could not be kept in the desktop's secret "
                                   "store (%1). They are used until Vantrel closes.")
                        .arg(error));
        });
    } else if (access.UsesAuth()) {
        store_->Remove(host, access.user);
    }
    settings_.SetAccess(access, inFile);
}

} // namespace vantrel::app
