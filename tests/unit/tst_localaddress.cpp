// "Computer IP address": the address of this computer's interface that routes to the router,
// never the host name's loopback alias, unless the router itself is on loopback.

#include "core/localaddress.h"
#include "vantrel_skip.h"

#include <QProcess>
#include <QTest>
#include <net/if.h>

using namespace vantrel::core;

namespace {

bool ip(const QStringList &args) {
    return QProcess::execute(QStringLiteral("ip"), args) == 0;
}

} // namespace

class TestLocalAddress : public QObject {
    Q_OBJECT
private slots:
    void routerOnLoopback();
    void routerOnTheNetwork();
};

void TestLocalAddress::routerOnLoopback() {
    QCOMPARE(QString::fromStdString(LocalAddressTowards("127.0.0.1:16161")),
             QStringLiteral("127.0.0.1"));
}

void TestLocalAddress::routerOnTheNetwork() {
    // The tests run in a network namespace of their own with only the loopback interface; the
    // router's network is made there (an address and a route, nothing is ever sent: connecting
    // a datagram socket only asks the routing table).
    QStringList interfaces;
    if (struct if_nameindex *names = ::if_nameindex()) {
        for (struct if_nameindex *n = names; n->if_index != 0; ++n)
            interfaces << QString::fromLocal8Bit(n->if_name);
        if_freenameindex(names);
    }
    if (interfaces != QStringList{QStringLiteral("lo")})
        VANTREL_SKIP("only inside the tests' own network namespace (ctest under unshare -n)");
    QVERIFY(ip({"addr", "add", "192.0.2.10/32", "dev", "lo"}));
    QVERIFY(ip({"route", "add", "192.0.2.0/24", "dev", "lo", "src", "192.0.2.10"}));
    const std::string address = LocalAddressTowards("192.0.2.253");
    const std::string withPort = LocalAddressTowards("192.0.2.253:16161");
    ip({"route", "del", "192.0.2.0/24", "dev", "lo"});
    ip({"addr", "del", "192.0.2.10/32", "dev", "lo"});
    QCOMPARE(QString::fromStdString(address), QStringLiteral("192.0.2.10"));
    QCOMPARE(QString::fromStdString(withPort), QStringLiteral("192.0.2.10"));
}

QTEST_MAIN(TestLocalAddress)
#include "tst_localaddress.moc"
