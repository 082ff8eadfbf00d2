#include "formfixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

using namespace vantrel;

FormFixture::FormFixture() {
    BasicRouter(agent);
    if (!agent.Start())
        throw std::runtime_error("cannot start the loopback agent");
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    // The line history file too stays inside the test's own folder.
    qputenv("XDG_DATA_HOME", (configDir.path() + QStringLiteral("/data")).toLocal8Bit());
}

FormFixture::~FormFixture() {
    form_.reset();
    agent.Stop();
}

QString FormFixture::SettingsPath() const {
    return configDir.path() + QStringLiteral("/vantrel.ini");
}

QString FormFixture::DefaultSettings() const {
    return QStringLiteral("[System Info Settings]\nIP=%1\nCommunity=vormel\n")
        .arg(QString::fromStdString(agent.Host()));
}

void FormFixture::WriteSettings(const QString &text) {
    WriteSettingsBytes(text.toUtf8());
}

void FormFixture::WriteSettingsBytes(const QByteArray &bytes) {
    QFile file(SettingsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the test settings");
    file.write(bytes);
}

QString FormFixture::ReadSettings() const {
    return QString::fromUtf8(ReadSettingsBytes());
}

QByteArray FormFixture::ReadSettingsBytes() const {
    QFile file(SettingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

MainForm &FormFixture::Create(bool runFormCreate) {
    if (!QFile::exists(SettingsPath()))
        WriteSettings(DefaultSettings());
    app::Services services;
    services.prompter = &prompter;
    services.clock = &clock;
    services.settingsPath = SettingsPath();
    services.snmpTimeoutMs = snmpTimeoutMs;
    form_ = app::CreateMainForm(services);
    // Without the settings load the address box would stay empty: point it at the agent.
    Edit(*form_, "IPaddress_Edit")->setText(QString::fromStdString(agent.Host()));
    if (runFormCreate) {
        form_->FormCreate();
        Settle();
    }
    return *form_;
}

bool FormFixture::Settle(int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // Deliveries are posted events: they have run once the model holds no job.
    while (!form_->Router().Idle()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        if (!form_->Router().Idle())
            QThread::msleep(1);
    }
    QCoreApplication::processEvents();
    return true;
}

QString FormFixture::ClosedPort() {
    // Bind a port, then let it go: nothing listens there afterwards.
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    const quint16 port = socket.localPort();
    socket.close();
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

void FormFixture::BasicRouter(tools::LoopbackAgent &agent) {
    agent.Clear();
    agent.SetString("1.3.6.1.2.1.1.1.0", "Test ADSL Router");
    agent.SetTimeTicks("1.3.6.1.2.1.1.3.0", 12345678);
    agent.SetInteger("1.3.6.1.2.1.2.1.0", 5);
    const char *descr[] = {"Ethernet", "ATM", "RFC-2364", "Bridge", "Ethernet over USB"};
    for (int row = 1; row <= 5; ++row) {
        const std::string r = std::to_string(row);
        agent.SetInteger("1.3.6.1.2.1.2.2.1.1." + r, row);
        agent.SetString("1.3.6.1.2.1.2.2.1.2." + r, descr[row - 1]);
        agent.SetInteger("1.3.6.1.2.1.2.2.1.8." + r, 1);
    }
    agent.SetString("1.3.6.1.4.1.763.3.1.2.0", "3.60");
    agent.SetString("1.3.6.1.4.1.763.3.1.3.0", "L7");
    agent.SetString("1.3.6.1.4.1.763.3.1.4.0", "2007-03-01");
    agent.SetString("1.3.6.1.4.1.763.3.1.5.0", "Annex A");
    agent.SetInteger("1.3.6.1.2.1.4.20.1.2.192.168.1.253", 4);
    agent.SetInteger("1.3.6.1.2.1.4.20.1.2.203.0.113.7", 3);
    agent.SetIpAddress("1.3.6.1.2.1.4.20.1.1.192.168.1.253", "192.168.1.253");
    agent.SetIpAddress("1.3.6.1.2.1.4.20.1.1.203.0.113.7", "203.0.113.7");
}

QLabel *Label(const QObject &root, const char *name) {
    return Find<QLabel>(root, name);
}
QLineEdit *Edit(const QObject &root, const char *name) {
    return Find<QLineEdit>(root, name);
}
QPlainTextEdit *Memo(const QObject &root, const char *name) {
    return Find<QPlainTextEdit>(root, name);
}
QAction *Action(const QObject &root, const char *name) {
    return Find<QAction>(root, name);
}
QTimer *Timer(const QObject &root, const char *name) {
    return Find<QTimer>(root, name);
}
QPushButton *Button(const QObject &root, const char *name) {
    return Find<QPushButton>(root, name);
}

void SetWanRow(MainForm &form, const char *row) {
    core::InterfaceMap map = form.Router().Interfaces();
    map.WanRow = row;
    form.Router().SetInterfaces(map);
}
