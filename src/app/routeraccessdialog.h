#pragma once

#include "core/routeraccess.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel::core {
class RouterModel;
class SettingsModel;
struct AccessProbe;
} // namespace vantrel::core

namespace vantrel::app {

class MainForm;
class SecretStore;

// "Options > Router access...": the SNMP version and, for v3, the user, its security level,
// protocols and passphrases. "Find out" asks the router (on the router model's worker) which
// version answers the community. Nothing changes until OK.
class RouterAccessDialog : public QDialog {
    Q_OBJECT
public:
    // Where the passphrases can go: the secret store answered, did not, or is being asked.
    enum class Store { Asking, Available, Unavailable };

    RouterAccessDialog(const core::RouterAccess &access, bool passphrasesInFile,
                       core::RouterModel &router, const std::string &community,
                       QWidget *parent = nullptr);

    core::RouterAccess Access() const;
    bool PassphrasesInFile() const;
    void SetStore(Store store);
    // What "Find out" shows for a probe's answer.
    static QString ProbeText(const core::AccessProbe &probe);

private:
    void updateEnabled();
    void findOut();

    core::RouterModel &router_;
    std::string community_;
    Store store_ = Store::Asking;
    bool fileOffered_ = false;
    QComboBox *version_;
    QLineEdit *user_;
    QComboBox *level_;
    QComboBox *auth_;
    QComboBox *privacy_;
    QLineEdit *authPass_;
    QLineEdit *privPass_;
    QCheckBox *inFile_;
    QLabel *storeText_;
    QPushButton *find_;
    QLabel *found_;
};

// Puts "Router access..." into the Options menu, gives the router model the access the settings
// hold, and keeps the passphrases in the secret store (or the settings file where it is missing).
class RouterAccessControl : public QObject {
    Q_OBJECT
public:
    RouterAccessControl(MainForm &form, core::SettingsModel &settings);
    ~RouterAccessControl() override;

    // After the settings load: fetches the passphrases the secret store keeps for a v3 user,
    // then runs ready (at once when there is nothing to fetch).
    void LoadPassphrases(std::function<void()> ready);
    // Opens the dialog (modal) and applies what was accepted.
    void OpenDialog();
    // The dialog while it is open (tests).
    RouterAccessDialog *Dialog() const { return dialog_; }

private:
    void accept(const core::RouterAccess &access, bool inFile);

    MainForm &form_;
    core::SettingsModel &settings_;
    SecretStore *store_;
    RouterAccessDialog *dialog_ = nullptr;
};

} // namespace vantrel::app
