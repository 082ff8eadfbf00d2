// Byte amounts as the Quota and Interfaces pages show them, in the user's regional format.

#include "core/quota.h"
#include "snmp/convert.h"

#include <QtTest>

using namespace vantrel::core;

class TestQuota : public QObject {
    Q_OBJECT
private slots:
    void amountText_data();
    void amountText();
    void badAmounts();
};

void TestQuota::amountText_data() {
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<double>("perGB");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    const double gb = 1073741824;
    QTest::addRow("two gigabytes") << "2147483648" << gb << "C"
                                   << "2.0000 GB";
    QTest::addRow("exactly one gigabyte is in megabytes") << "1073741824" << gb << "C"
                                                          << "1024.0000 MB";
    QTest::addRow("a little more than one") << "1073741825" << gb << "C"
                                            << "1.0000 GB";
    QTest::addRow("half a megabyte") << "524288" << gb << "C"
                                     << ".5000 MB";
    QTest::addRow("negative") << "-209715200" << gb << "C"
                              << "-200.0000 MB";
    QTest::addRow("zero") << "0" << gb << "C"
                          << ".0000 MB";
    QTest::addRow("rounded") << "123456789" << gb << "C"
                             << "117.7376 MB";
    QTest::addRow("regional separator") << "2147483648" << gb << "de_DE"
                                        << "2,0000 GB";
    QTest::addRow("regional, below one") << "524288" << gb << "fr_FR"
                                         << ",5000 MB";
    QTest::addRow("an ISP gigabyte of 10^9") << "1500000000" << 1e9 << "C"
                                             << "1.5000 GB";
}

void TestQuota::amountText() {
    QFETCH(QString, bytes);
    QFETCH(double, perGB);
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QCOMPARE(AmountText(bytes.toStdString(), perGB, 1048576, QLocale(locale)), text);
}

void TestQuota::badAmounts() {
    QCOMPARE(MegabyteText("1610612736", 1048576, QLocale::c()), QStringLiteral("1536.0000"));
    QCOMPARE(MegabyteText("0", 1048576, QLocale::c()), QStringLiteral(".0000"));
    QVERIFY_THROWS_EXCEPTION(vantrel::snmp::ConvertError, AmountText("", 1e9, 1e6));
    QVERIFY_THROWS_EXCEPTION(vantrel::snmp::ConvertError, AmountText("12 MB", 1e9, 1e6));
    // A definition redefined to 0 is an error, never "inf" or "nan".
    QVERIFY_THROWS_EXCEPTION(std::domain_error, AmountText("5", 0, 0));
    QCOMPARE(AmountText("0", 0, 0, QLocale::c()), QStringLiteral(".0000 MB"));
}

QTEST_MAIN(TestQuota)
#include "tst_quota.moc"
