#pragma once

#include <QApplication>
#include <functional>

namespace vantrel::app {

// The application object: Fusion style, the title "Vantrel", and a last net for errors that
// leave an event handler without passing through the window's own guard.
class VantrelApplication : public QApplication {
public:
    VantrelApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
    // Where errors caught here are shown (the window's error box once it exists).
    void SetErrorReport(std::function<void(const QString &)> report) {
        report_ = std::move(report);
    }

private:
    std::function<void(const QString &)> report_;
};

} // namespace vantrel::app
