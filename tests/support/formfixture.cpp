#include "formfixture.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTextStream>
#include <QUdpSocket>
#include <stdexcept>

using namespace vantrel::tools;

FormFixture::FormFixture() {
    BasicRouter(agent);
    if (!agent.Start())
        throw std::runtime_error("cannot start the loopback agent");
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
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
    QFile file(SettingsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write the test settings");
    file.write(text.toUtf8());
}

QString FormFixture::ReadSettings() const {
    QFile file(SettingsPath());
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

MainForm &FormFixture::Create(bool runFormCreate) {
    if (!QFile::exists(SettingsPath()))
        WriteSettings(DefaultSettings());
    Services services;
    services.prompter = &prompter;
    services.clock = &clock;
    services.settingsPath = SettingsPath();
    services.localAddress = [] { return QStringLiteral("127.0.0.1"); };
    services.localAddressWaitMs = 2000;
    services.snmpTimeoutMs = 250; // a silent router answers nothing within this
    form_ = std::make_unique<MainForm>(services);
    // Without the settings load the address box would stay empty: point it at the agent.
    form_->Edit("IPaddress_Edit")->setText(QString::fromStdString(agent.Host()));
    if (runFormCreate)
        form_->FormCreate();
    return *form_;
}

QString FormFixture::ClosedPort() {
    // Bind a port, then let it go: nothing listens there afterwards.
    QUdpSocket socket;
    socket.bind(QHostAddress::LocalHost, 0);
    const quint16 port = socket.localPort();
    socket.close();
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

void FormFixture::BasicRouter(LoopbackAgent &agent) {
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
