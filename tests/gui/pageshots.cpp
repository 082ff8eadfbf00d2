// Pictures of every page of the window filled from the simulated router, for looking at the
// program as a user sees it: vantrel-pageshots <folder>. Not a test; nothing is compared.

#include "app/mainform.h"
#include "formfixture.h"
#include "routersim/routersimulation.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <cstdio>

using namespace vantrel;
using namespace vantrel::app;

using namespace vantrel::tools;
using namespace vantrel::ui;

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(folder);

    RouterSimulation router(LinkDropSchedule{std::chrono::seconds(6), std::chrono::seconds(2),
                                             std::chrono::seconds(2)});
    std::string error;
    if (!router.LoadProfile(VANTREL_DEMO_PROFILE, &error) || !router.Start(0, "vormel")) {
        std::fprintf(stderr, "cannot start the simulated router: %s\n", error.c_str());
        return 1;
    }
    FormFixture fixture;
    fixture.WriteSettings(QStringLiteral("[System Info Settings]\nIP=127.0.0.1:%1\n"
                                         "Community=vormel\n[Options]\nLink logging=1\n"
                                         "Link check=1\n")
                              .arg(router.Port()));
    MainForm &form = fixture.Create(true);
    form.show();
    QTest::qWait(9000); // a drop and a return reach the connection log
    QTabWidget *pages = form.PageControl();
    for (int i = 0; i < pages->count(); ++i) {
        pages->setCurrentIndex(i);
        QTest::qWait(300);
        const QString name = pages->widget(i)->objectName();
        form.grab().save(folder + QStringLiteral("/%1-%2.png").arg(i).arg(name));
        if (name == QLatin1String("ADSL") || name == QLatin1String("IP")) {
            auto *inner = pages->widget(i)->findChild<QTabWidget *>();
            for (int k = 1; inner && k < inner->count(); ++k) {
                inner->setCurrentIndex(k);
                QTest::qWait(200);
                form.grab().save(folder + QStringLiteral("/%1-%2-%3.png").arg(i).arg(name).arg(k));
            }
        }
    }
    // The Debug page with its three dumps in the log.
    for (const char *button : {"FirmwareVer_But", "InterfaceTable_But", "IPAddrTable_But"}) {
        Button(form, button)->click();
        QTest::qWait(1500);
    }
    form.grab().save(folder + QStringLiteral("/%1-Debug-dumps.png").arg(pages->count() - 1));
    for (const auto &shown : fixture.prompter.shown)
        std::printf("%s: %s\n", qPrintable(shown.kind), qPrintable(shown.text));
    form.ApproveClose();
    return 0;
}
