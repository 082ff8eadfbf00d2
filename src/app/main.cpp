#include "application.h"
#include "localaddress.h"
#include "mainform.h"
#include "prompter.h"
#include "settingsstore.h"
#include "signalwatcher.h"
#include "singleinstance.h"

#include <QMessageBox>
#include <QSessionManager>

int main(int argc, char **argv) {
    VantrelApplication app(argc, argv);

    const SingleInstance instance;
    if (!instance.IsFirst()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vantrel"),
                        QStringLiteral("Another instance of this program is already running!"),
                        QMessageBox::Ok);
        box.exec();
        return 0;
    }

    QtPrompter prompter;
    SystemClock clock;
    Services services;
    services.prompter = &prompter;
    services.clock = &clock;
    services.settingsPath = SettingsStore::DefaultPath();
    services.localAddress = LookUpLocalAddress;

    MainForm form(services);
    prompter.SetParent(&form);
    app.SetErrorReport([&form](const QString &text) { form.ReportError(text); });

    // A log-out asks the same question as a close; a refused close refuses the log-out.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &form,
                     [&form](QSessionManager &manager) {
                         bool allowed;
                         if (manager.allowsInteraction()) {
                             allowed = form.FormCloseQuery();
                             manager.release();
                         } else {
                             allowed = form.SaveSettingsNow();
                         }
                         if (allowed)
                             form.ApproveClose();
                         else
                             manager.cancel();
                     });
    // Shutdown or a hang-up: save without asking, so nothing is lost, and end.
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &form, [&form] {
        form.SaveSettingsNow();
        form.ApproveClose();
        form.close();
        QApplication::quit();
    });

    form.FormCreate();
    form.show();
    return app.exec();
}
