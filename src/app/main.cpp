#include "app/application.h"
#include "app/composition.h"
#include "app/mainform.h"
#include "app/qtprompter.h"
#include "app/settingsstore.h"
#include "app/signalwatcher.h"
#include "app/singleinstance.h"
#include "core/clock.h"
#include "version/fileversion.h"
#include "version/updatecheck.h"

#include <QCommandLineParser>
#include <QMessageBox>
#include <QSessionManager>
#include <cstdio>

using namespace vantrel;

namespace {

// --help and --version, answered before any window or display is needed. Every other argument
// is left to Qt (-platform, -style ...) and otherwise ignored. Returns the exit code, or -1 to
// go on and start the program.
int commandLine(int argc, char **argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    // "-reverse" is Qt's option, not -r -e -v...: single-dash words are whole option names.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral(
        "Vantrel shows what an ADSL modem-router's SNMP agent reports: line\n"
        "rates, noise margins, attenuation, error counters, interface traffic and\n"
        "IP statistics. It keeps a connection log and a monthly data-quota account.\n"
        "Settings: $XDG_CONFIG_HOME/vantrel.ini (~/.config/vantrel.ini)."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the program's version and exit."));
    parser.addOption(help);
    parser.addOption(version);
    parser.parse(args); // unknown options are not ours to refuse
    if (parser.isSet(help)) {
        // Without an application object the parser cannot name the program itself.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("vantrel"));
        std::fputs(qPrintable(text), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("vantrel %s\n", qPrintable(version::RunningVersionText()));
        return 0;
    }
    return -1;
}

} // namespace

int main(int argc, char **argv) {
    if (const int code = commandLine(argc, argv); code >= 0)
        return code;
    app::VantrelApplication application(argc, argv);

    app::SingleInstance instance;
    if (!instance.IsFirst()) {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Vantrel"),
                        QStringLiteral("Another instance of this program is already running!"),
                        QMessageBox::Ok);
        box.exec();
        // Then the running window comes forward, also out of the tray.
        instance.AskFirstToRaise();
        return 0;
    }
    instance.Listen();

    app::QtPrompter prompter;
    core::SystemClock clock;
    app::Services services;
    services.prompter = &prompter;
    services.clock = &clock;
    services.settingsPath = app::SettingsStore::DefaultPath();
    services.updateSource = version::UpdateCheck::DefaultSource();

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
                             allowed = window.SaveForShutdown();
                         }
                         if (allowed)
                             window.ApproveClose();
                         else
                             manager.cancel();
                     });
    QObject::connect(&instance, &app::SingleInstance::raiseRequested, &window,
                     [&window] { window.BringToFront(); });
    // Shutdown or a hang-up: save without asking, so nothing is lost, and end, also from
    // inside an open box (every event loop ends); a failure is written to standard error and
    // the exit status says so.
    app::SignalWatcher watcher;
    int endedBy = -1; // the exit status once a signal has ended the program
    QObject::connect(&watcher, &app::SignalWatcher::terminationRequested, &window,
                     [&window, &endedBy] {
                         if (endedBy >= 0)
                             return;
                         endedBy = window.SaveForShutdown() ? 0 : 1;
                         QCoreApplication::exit(endedBy);
                     });

    window.FormCreate();
    // A signal that came while a start-up box was open has already ended it.
    if (endedBy >= 0)
        return endedBy;
    // A window that starts in the tray was hidden on purpose by the settings load.
    if (!window.testAttribute(Qt::WA_WState_ExplicitShowHide))
        window.show();
    return application.exec();
}
