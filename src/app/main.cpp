#include "app/application.h"
#include "app/composition.h"
#include "app/mainform.h"
#include "app/prompter.h"
#include "app/settingsstore.h"
#include "app/signalwatcher.h"
#include "app/singleinstance.h"
#include "core/clock.h"

#include <QMessageBox>
#include <QSessionManager>

using namespace vantrel;

int main(int argc, char **argv) {
    app::VantrelApplication application(argc, argv);

    const app::SingleInstance instance;
    if (!instance.IsFirst()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vantrel"),
                        QStringLiteral("Another instance of this program is already running!"),
                        QMessageBox::Ok);
        box.exec();
        return 0;
    }

    app::QtPrompter prompter;
    core::SystemClock clock;
    app::Services services;
    services.prompter = &prompter;
    services.clock = &clock;
    services.settingsPath = app::SettingsStore::DefaultPath();

    std::unique_ptr<app::MainForm> form = app::CreateMainForm(services);
    app::MainForm &window = *form;
    prompter.SetParent(&window);
    application.SetErrorReport([&window](const QString &text) { window.ReportError(text); });

    // A log-out asks the same question as a close; a refused close refuses the log-out.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager &manager) {
                         bool allowed;
                         if (manager.allowsInteraction()) {
                             allowed = window.FormCloseQuery();
                             manager.release();
                         } else {
                             allowed = window.SaveSettingsNow();
                         }
                         if (allowed)
                             window.ApproveClose();
                         else
                             manager.cancel();
                     });
    // Shutdown or a hang-up: save without asking, so nothing is lost, and end.
    app::SignalWatcher watcher;
    QObject::connect(&watcher, &app::SignalWatcher::terminationRequested, &window, [&window] {
        window.SaveSettingsNow();
        window.ApproveClose();
        window.close();
        QApplication::quit();
    });

    window.FormCreate();
    window.show();
    return application.exec();
}
