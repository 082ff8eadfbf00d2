// The settings file format: how values are found and read, what a write changes and what it
// leaves alone (bytes and line ends included), and that a save either replaces the whole file
// or leaves the old one as it was and says why.

#include "core/inifile.h"
#include "core/settings.h"
#include "readonlyfolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace vantrel::core;

namespace {

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

} // namespace

class TestIniFile : public QObject {
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void longValueIsCut();
    void readBool_data();
    void readBool();
    void writeKeepsWhatItDoesNotKnow();
    void writeKeepsUnknownBytes();
    void writeAddsKeysAndSectionsInOrder();
    void valueWithLineBreakStaysOneLine();
    void missingFileIsEmpty();
    void unreadableFileIsReported();
    void lineEnds_data();
    void lineEnds();
    void valueBytes_data();
    void valueBytes();
    void saveCreatesMissingFolders();
    void saveIntoReadOnlyFolderKeepsOldFile();
    void failedWriteKeepsOldFile();
    void saveOntoDirectoryFails();
    void staleTemporariesRemoved_data();
    void staleTemporariesRemoved();
    void settingsMessageNamesThePlace_data();
    void settingsMessageNamesThePlace();

private:
    QTemporaryDir dir_;
};

void TestIniFile::read_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected"); // the default is "<default>"

    const QByteArray options = "[Options]\nLink logging=1\nLink check=5\n";
    QTest::addRow("exact") << options << "Options"
                           << "Link check"
                           << "5";
    QTest::addRow("names without regard to case") << options << "OPTIONS"
                                                  << "link CHECK"
                                                  << "5";
    QTest::addRow("missing key") << options << "Options"
                                 << "Status update"
                                 << "<default>";
    QTest::addRow("missing section") << options << "Quota"
                                     << "Link check"
                                     << "<default>";
    QTest::addRow("key of another section")
        << QByteArray("[Quota]\nData=x\n[Options]\n") << "Options"
        << "Data"
        << "<default>";
    QTest::addRow("key before any section") << QByteArray("IP=1.2.3.4\n[System]\n") << "System"
                                            << "IP"
                                            << "<default>";
    QTest::addRow("blanks around key and value")
        << QByteArray("[Options]\n  Link check \t=  15  \t\n") << "Options"
        << "Link check"
        << "15";
    QTest::addRow("blanks inside the value kept")
        << QByteArray("[Program]\nCopyright= (C) 2026  us \n") << "Program"
        << "Copyright"
        << "(C) 2026  us";
    QTest::addRow("CR LF line ends")
        << QByteArray("[System Info Settings]\r\nIP=127.0.0.1:1161\r\nCommunity=public\r\n")
        << "System Info Settings"
        << "IP"
        << "127.0.0.1:1161";
    QTest::addRow("last line without line end") << QByteArray("[Quota]\nReset day=12") << "Quota"
                                                << "Reset day"
                                                << "12";
    QTest::addRow("empty value is a value") << QByteArray("[Quota]\nGBQuota=\n") << "Quota"
                                            << "GBQuota"
                                            << "";
    QTest::addRow("equals sign inside the value")
        << QByteArray("[System Info Settings]\nCommunity=a=b\n") << "System Info Settings"
        << "Community"
        << "a=b";
    QTest::addRow("first of two keys")
        << QByteArray("[Quota]\nData=DownloadUpload\nData=DownloadOnly\n") << "Quota"
        << "Data"
        << "DownloadUpload";
    QTest::addRow("first of two sections")
        << QByteArray("[Quota]\nData=first\n[Options]\n[quota]\nData=second\nGBQuota=9\n")
        << "Quota"
        << "GBQuota"
        << "<default>";
    QTest::addRow("comment is no key") << QByteArray("[Options]\n;Link check=5\n") << "Options"
                                       << ";Link check"
                                       << "<default>";
    QTest::addRow("byte order mark")
        << QByteArray("\xEF\xBB\xBF[Options]\nLink check=3\n") << "Options"
        << "Link check"
        << "3";
    QTest::addRow("UTF-8 value") << QByteArray(
                                        "[System Info Settings]\nCommunity=gr\xC3\xBC\xC3\x9F\n")
                                 << "System Info Settings"
                                 << "Community" << QStringLiteral("gr\u00FC\u00DF");
}

void TestIniFile::read() {
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const QString path = dir_.filePath(QStringLiteral("read.ini"));
    writeAll(path, file);
    IniFile ini;
    QVERIFY(ini.Load(path));
    QCOMPARE(ini.Read(section, key, QStringLiteral("<default>")), expected);
}

void TestIniFile::longValueIsCut() {
    const QString path = dir_.filePath(QStringLiteral("long.ini"));
    QByteArray value(3000, 'v');
    value[2046] = 'x';
    value[2047] = 'y';
    writeAll(path, "[System Info Settings]\nCommunity=" + value + "\n");
    IniFile ini;
    QVERIFY(ini.Load(path));
    const QString read =
        ini.Read(QStringLiteral("System Info Settings"), QStringLiteral("Community"), QString());
    QCOMPARE(read.size(), 2047);
    QVERIFY(read.endsWith(QLatin1Char('x')));

    // A character outside the basic plane straddling the cut is dropped whole.
    QByteArray wide(2046, 'v');
    wide += "\xF0\x9F\x93\xA1"; // one character, two UTF-16 units, at 2047 and 2048
    writeAll(path, "[S]\nK=" + wide + "\n");
    QVERIFY(ini.Load(path));
    QCOMPARE(ini.Read(QStringLiteral("S"), QStringLiteral("K"), QString()),
             QString(2046, QLatin1Char('v')));
}

void TestIniFile::readBool_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("expected");
    QTest::addRow("1") << QByteArray("Link logging=1") << true;
    QTest::addRow("0") << QByteArray("Link logging=0") << false;
    QTest::addRow("any non-zero") << QByteArray("Link logging=7") << true;
    QTest::addRow("negative") << QByteArray("Link logging=-1") << true;
    QTest::addRow("hexadecimal") << QByteArray("Link logging=0x10") << true;
    QTest::addRow("hexadecimal zero") << QByteArray("Link logging=0x0") << false;
    QTest::addRow("word") << QByteArray("Link logging=true") << false;
    QTest::addRow("digits then text") << QByteArray("Link logging=1a") << false;
    QTest::addRow("empty") << QByteArray("Link logging=") << false;
    QTest::addRow("missing") << QByteArray("Link check=1") << false;
    QTest::addRow("beyond 32 bits") << QByteArray("Link logging=4294967296") << false;
}

void TestIniFile::readBool() {
    QFETCH(QByteArray, line);
    QFETCH(bool, expected);
    const QString path = dir_.filePath(QStringLiteral("bool.ini"));
    writeAll(path, "[Options]\n" + line + "\n");
    IniFile ini;
    QVERIFY(ini.Load(path));
    QCOMPARE(ini.ReadBool(QStringLiteral("Options"), QStringLiteral("Link logging")), expected);
}

void TestIniFile::writeKeepsWhatItDoesNotKnow() {
    const QString path = dir_.filePath(QStringLiteral("keep.ini"));
    writeAll(path, "; written by hand\r\n"
                   "[System Info Settings]\r\n"
                   "IP = 10.0.0.1\r\n"
                   "Colour=blue\r\n"
                   "\r\n"
                   "[Plugins]\r\n"
                   "Extra=1\r\n");
    IniFile ini;
    QVERIFY(ini.Load(path));
    ini.Write(QStringLiteral("system info settings"), QStringLiteral("IP"),
              QStringLiteral("127.0.0.1:1161"));
    QVERIFY(ini.Save(path));
    // The key is replaced in place, without blanks around "="; everything else is as it was.
    QCOMPARE(readAll(path), QByteArray("; written by hand\r\n"
                                       "[System Info Settings]\r\n"
                                       "IP=127.0.0.1:1161\r\n"
                                       "Colour=blue\r\n"
                                       "\r\n"
                                       "[Plugins]\r\n"
                                       "Extra=1\r\n"));
}

void TestIniFile::writeKeepsUnknownBytes() {
    const QString path = dir_.filePath(QStringLiteral("bytes.ini"));
    const QByteArray odd = "Legacy=\xFF\xFE caf\xE9\t \n";
    writeAll(path, "[Old]\n" + odd + "[Quota]\nData=DownloadOnly\n");
    IniFile ini;
    QVERIFY(ini.Load(path));
    ini.Write(QStringLiteral("Quota"), QStringLiteral("Data"), QStringLiteral("DownloadUpload"));
    QVERIFY(ini.Save(path));
    QCOMPARE(readAll(path), "[Old]\n" + odd + "[Quota]\nData=DownloadUpload\n");
}

void TestIniFile::writeAddsKeysAndSectionsInOrder() {
    const QString path = dir_.filePath(QStringLiteral("order.ini"));
    writeAll(path, "[Options]\nLink logging=1\n\n[Quota]\nData=DownloadOnly\n");
    IniFile ini;
    QVERIFY(ini.Load(path));
    ini.Write(QStringLiteral("Options"), QStringLiteral("Link check"), QStringLiteral("5"));
    ini.Write(QStringLiteral("Program"), QStringLiteral("Name"), QStringLiteral("Vantrel"));
    ini.Write(QStringLiteral("Options"), QStringLiteral("Router status"), QStringLiteral("0"));
    ini.Write(QStringLiteral("Program"), QStringLiteral("Version"), QStringLiteral("0.1.0.9"));
    QVERIFY(ini.Save(path));
    QCOMPARE(readAll(path), QByteArray("[Options]\n"
                                       "Link logging=1\n"
                                       "Link check=5\n"
                                       "Router status=0\n"
                                       "\n"
                                       "[Quota]\n"
                                       "Data=DownloadOnly\n"
                                       "[Program]\n"
                                       "Name=Vantrel\n"
                                       "Version=0.1.0.9\n"));
}

void TestIniFile::valueWithLineBreakStaysOneLine() {
    IniFile ini;
    ini.Write(QStringLiteral("System Info Settings"), QStringLiteral("Community"),
              QStringLiteral("x\n[Options]\r\nLink logging=1"));
    QCOMPARE(ini.Text(), QByteArray("[System Info Settings]\n"
                                    "Community=x [Options]  Link logging=1\n"));
    QVERIFY(!ini.ReadBool(QStringLiteral("Options"), QStringLiteral("Link logging")));
}

void TestIniFile::missingFileIsEmpty() {
    const QString path = dir_.filePath(QStringLiteral("missing/never.ini"));
    IniFile ini;
    QVERIFY(ini.Load(path));
    QCOMPARE(ini.Text(), QByteArray());
    QCOMPARE(ini.Read(QStringLiteral("Options"), QStringLiteral("Link check"), QStringLiteral("0")),
             QStringLiteral("0"));
    ini.Write(QStringLiteral("Options"), QStringLiteral("Link check"), QStringLiteral("5"));
    const QString fresh = dir_.filePath(QStringLiteral("fresh.ini"));
    QVERIFY(ini.Save(fresh));
    QCOMPARE(readAll(fresh), QByteArray("[Options]\nLink check=5\n"));
}

void TestIniFile::unreadableFileIsReported() {
    IniFile ini;
    QVERIFY(!ini.Load(dir_.path())); // a folder, not a file
    QCOMPARE(ini.Text(), QByteArray());
}

void TestIniFile::lineEnds_data() {
    QTest::addColumn<QByteArray>("end");
    QTest::addColumn<bool>("lastEnded"); // the file's last line has its line end

    QTest::addRow("LF") << QByteArray("\n") << true;
    QTest::addRow("CR LF") << QByteArray("\r\n") << true;
    QTest::addRow("CR only") << QByteArray("\r") << true;
    QTest::addRow("CR only, last line open") << QByteArray("\r") << false;
}

void TestIniFile::lineEnds() {
    QFETCH(QByteArray, end);
    QFETCH(bool, lastEnded);

    QByteArray file = "[System Info Settings]" + end + "IP=127.0.0.1:1161" + end +
                      "Community=public" + end + "[Options]" + end + "Link check=5";
    if (lastEnded)
        file += end;
    const QString path = dir_.filePath(QStringLiteral("ends.ini"));
    writeAll(path, file);
    IniFile ini;
    QVERIFY(ini.Load(path));
    QCOMPARE(ini.Read(QStringLiteral("System Info Settings"), QStringLiteral("Community"),
                      QStringLiteral("vormel")),
             QStringLiteral("public"));
    QCOMPARE(ini.ReadInteger(QStringLiteral("Options"), QStringLiteral("Link check"), 0), 5);
    QCOMPARE(ini.Text(), file); // read and written back as it was, byte for byte

    // Values known to the file are replaced in place, not appended as new keys; new lines end
    // as the file's lines do.
    ini.Write(QStringLiteral("System Info Settings"), QStringLiteral("IP"),
              QStringLiteral("127.0.0.1:2161"));
    ini.Write(QStringLiteral("Options"), QStringLiteral("Link check"), QStringLiteral("5"));
    ini.Write(QStringLiteral("Options"), QStringLiteral("Status update"), QStringLiteral("10"));
    QVERIFY(ini.Save(path));
    QCOMPARE(readAll(path), "[System Info Settings]" + end + "IP=127.0.0.1:2161" + end +
                                "Community=public" + end + "[Options]" + end + "Link check=5" +
                                end + "Status update=10" + end);
}

void TestIniFile::valueBytes_data() {
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("read");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QByteArray>("saved");

    const QString latin = QStringLiteral("v\u00F6rmel");
    QTest::addRow("Latin-1 read and written back unchanged")
        << QByteArray("v\xF6rmel") << latin << latin << QByteArray("v\xF6rmel");
    QTest::addRow("Latin-1 changed is written as UTF-8")
        << QByteArray("v\xF6rmel") << latin << QStringLiteral("v\u00F6rmel2")
        << QByteArray("v\xC3\xB6rmel2");
    QTest::addRow("UTF-8 kept") << QByteArray("v\xC3\xB6rmel") << latin << latin
                                << QByteArray("v\xC3\xB6rmel");
    // A byte sequence that is no UTF-8 (a cut character) is Latin-1.
    QTest::addRow("cut UTF-8 character") << QByteArray("ab\xC3") << QStringLiteral("ab\u00C3")
                                         << QStringLiteral("ab\u00C3") << QByteArray("ab\xC3");
    QTest::addRow("overlong UTF-8 is no UTF-8")
        << QByteArray("\xC0\xAF") << QStringLiteral("\u00C0\u00AF")
        << QStringLiteral("\u00C0\u00AF") << QByteArray("\xC0\xAF");
    QTest::addRow("encoded surrogate is no UTF-8")
        << QByteArray("\xED\xA0\x80") << QStringLiteral("\u00ED\u00A0\u0080")
        << QStringLiteral("\u00ED\u00A0\u0080") << QByteArray("\xED\xA0\x80");
    QTest::addRow("ASCII changed") << QByteArray("vormel") << QStringLiteral("vormel")
                                   << QStringLiteral("public") << QByteArray("public");
}

void TestIniFile::valueBytes() {
    QFETCH(QByteArray, stored);
    QFETCH(QString, read);
    QFETCH(QString, written);
    QFETCH(QByteArray, saved);

    const QString path = dir_.filePath(QStringLiteral("bytes.ini"));
    writeAll(path, "[System Info Settings]\nCommunity=" + stored + "\n");
    IniFile ini;
    QVERIFY(ini.Load(path));
    const QString section = QStringLiteral("System Info Settings");
    QCOMPARE(ini.Read(section, QStringLiteral("Community"), QString()), read);
    ini.Write(section, QStringLiteral("Community"), written);
    QVERIFY(ini.Save(path));
    QCOMPARE(readAll(path), "[System Info Settings]\nCommunity=" + saved + "\n");
    QVERIFY(ini.Load(path));
    QCOMPARE(ini.Read(section, QStringLiteral("Community"), QString()), written);
}

void TestIniFile::saveCreatesMissingFolders() {
    // A fresh configuration home without even its parent folder.
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("config/deeper"));
    IniFile ini;
    ini.Write(QStringLiteral("Program"), QStringLiteral("Name"), QStringLiteral("Vantrel"));
    QVERIFY(ini.Save(folder + QStringLiteral("/vantrel.ini")));
    QCOMPARE(readAll(folder + QStringLiteral("/vantrel.ini")),
             QByteArray("[Program]\nName=Vantrel\n"));
    for (const QString &made : {home.filePath(QStringLiteral("config")), folder}) {
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(made).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0700);
    }
}

void TestIniFile::saveIntoReadOnlyFolderKeepsOldFile() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("vantrel.ini"));
    const QByteArray old = "[System Info Settings]\nIP=127.0.0.1:1161\n";
    writeAll(path, old);
    IniFile ini;
    QVERIFY(ini.Load(path));
    ini.Write(QStringLiteral("System Info Settings"), QStringLiteral("IP"),
              QStringLiteral("127.0.0.1:2161"));
    {
        ReadOnlyFolder readOnly(folder.path());
        QVERIFY2(!readOnly.Writable(), "the folder could not be made read-only");
        QVERIFY(!ini.Save(path));
    }
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("vantrel.ini")}); // no temporary file left behind
}

void TestIniFile::failedWriteKeepsOldFile() {
    // A file size limit makes the write fail as a full disk does, without root tricks.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("vantrel.ini"));
    const QByteArray old = "[System Info Settings]\nIP=127.0.0.1:1161\n";
    writeAll(path, old);
    IniFile ini;
    QVERIFY(ini.Load(path));
    ini.Write(QStringLiteral("Program"), QStringLiteral("Copyright"),
              QString(4000, QLatin1Char('c')));

    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved1 = ini.Save(path, &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved1);
    QCOMPARE(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("vantrel.ini")});
    // Within the limit the same save goes through.
    QVERIFY(ini.Save(path, &error));
    QVERIFY(readAll(path).endsWith(QByteArray(4000, 'c') + '\n'));
}

void TestIniFile::saveOntoDirectoryFails() {
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("vantrel.ini")));
    IniFile ini;
    ini.Write(QStringLiteral("Program"), QStringLiteral("Name"), QStringLiteral("Vantrel"));
    QVERIFY(!ini.Save(folder.filePath(QStringLiteral("vantrel.ini"))));
    QVERIFY(QFileInfo(folder.filePath(QStringLiteral("vantrel.ini"))).isDir());
}

void TestIniFile::staleTemporariesRemoved_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("ageSecs");
    QTest::addColumn<bool>("removed");
    QTest::addRow("ours, interrupted") << "vantrel.ini.saving-a1B2c3" << 3600 << true;
    QTest::addRow("older version's") << "vantrel.ini.Xq7rTz" << 3600 << true;
    // A save may be running right now.
    QTest::addRow("ours, seconds old") << "vantrel.ini.saving-a1B2c3" << 5 << false;
    // The user's own copies.
    QTest::addRow("a word") << "vantrel.ini.backup" << 3600 << false;
    QTest::addRow("a capital word") << "vantrel.ini.Before" << 3600 << false;
    QTest::addRow("a date") << "vantrel.ini.261207" << 3600 << false;
    QTest::addRow("longer name") << "vantrel.ini.saving-a1B2c3.txt" << 3600 << false;
    QTest::addRow("another file's") << "other.ini.saving-a1B2c3" << 3600 << false;
}

void TestIniFile::staleTemporariesRemoved() {
    QFETCH(QString, name);
    QFETCH(int, ageSecs);
    QFETCH(bool, removed);
    QTemporaryDir folder;
    const QString left = folder.filePath(name);
    writeAll(left, QByteArray(2048, 'x'));
    QFile file(left);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs),
                             QFileDevice::FileModificationTime));
    file.close();
    IniFile ini;
    ini.Write(QStringLiteral("Program"), QStringLiteral("Name"), QStringLiteral("Vantrel"));
    QVERIFY(ini.Save(folder.filePath(QStringLiteral("vantrel.ini"))));
    QCOMPARE(!QFile::exists(left), removed);
    // The save itself leaves nothing behind.
    QStringList expected{QStringLiteral("vantrel.ini")};
    if (!removed)
        expected << name;
    expected.sort();
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

void TestIniFile::settingsMessageNamesThePlace_data() {
    QTest::addColumn<QByteArray>("quota");
    QTest::addColumn<QString>("message"); // %1: the file's path
    QTest::addRow("reset day") << QByteArray("Reset day=x\n")
                               << "'x' is not a valid integer value.\nSettings file %1, section "
                                  "[Quota], key Reset day.";
    QTest::addRow("gigabyte") << QByteArray("ISP bytes in Gigabyte=1 GB\n")
                              << "'1 GB' is not a valid floating point value.\nSettings file %1, "
                                 "section [Quota], key ISP bytes in Gigabyte.";
    // The megabyte is converted with the gigabyte, but named as itself.
    QTest::addRow("megabyte") << QByteArray("ISP bytes in Megabyte=1048576,0\n")
                              << "'1048576,0' is not a valid floating point value.\nSettings file "
                                 "%1, section [Quota], key ISP bytes in Megabyte.";
    // A NUL byte does not cut the message short; control bytes show as what they are.
    QTest::addRow("NUL and escape bytes")
        << QByteArray("Reset day=1\0\x1b[2J\n", 17)
        << "'1\\x00\\x1B[2J' is not a valid integer value.\nSettings file %1, section [Quota], "
           "key Reset day.";
}

void TestIniFile::settingsMessageNamesThePlace() {
    QFETCH(QByteArray, quota);
    QFETCH(QString, message);
    const QString path = dir_.filePath(QStringLiteral("message.ini"));
    writeAll(path, "[Quota]\n" + quota);
    SettingsFile settings(path);
    QCOMPARE(settings.Load().error, message.arg(path));
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
