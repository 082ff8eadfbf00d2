#include "app/application.h"

#include "app/qtprompter.h"
#include "version/buildsettings.h"

#include <QMessageBox>
#include <QStyleFactory>
#include <exception>

namespace vantrel::app {

VantrelApplication::VantrelApplication(int &argc, char **argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Vantrel"));
    setDesktopFileName(QString::fromLatin1(version::AppId));
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

bool VantrelApplication::notify(QObject *receiver, QEvent *event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        QString text = QString::fromStdString(e.what());
        if (!text.endsWith(QLatin1Char('.')))
            text += QLatin1Char('.');
        if (report_)
            report_(text);
        else
            MakeMessageBox(nullptr, QMessageBox::Critical, QStringLiteral("Vantrel"), text,
                           QMessageBox::Ok)
                ->exec();
    }
    return false;
}

} // namespace vantrel::app
