// The version record: read back from this very binary, from hand-built ELF files of either
// class and byte order, and never a crash or a wrong number from truncated or hostile files.

#include "version/fileversion.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdint>
#include <map>

using namespace vantrel::version;

namespace {

void put(QByteArray &bytes, qsizetype at, int width, std::uint64_t value, bool big) {
    if (bytes.size() < at + width)
        bytes.resize(at + width, '\0');
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (big ? width - 1 - i : i);
        bytes[at + i] = char((value >> shift) & 0xFF);
    }
}

struct NoteSpec {
    QByteArray owner = "Vantrel";
    std::uint32_t type = 1;
    std::uint32_t signature = 0xFEEF04BD;
    std::uint32_t fileMS = 0, fileLS = 0, productMS = 0, productLS = 0;
    int words = 13;
};

QByteArray note(const NoteSpec &n, bool big) {
    QByteArray owner = n.owner + '\0';
    QByteArray out;
    put(out, 0, 4, std::uint64_t(owner.size()), big);
    put(out, 4, 4, std::uint64_t(4 * n.words), big);
    put(out, 8, 4, n.type, big);
    while (owner.size() % 4 != 0)
        owner += '\0';
    out += owner;
    const std::uint32_t words[13] = {
        n.signature, 0x10000, n.fileMS, n.fileLS, n.productMS, n.productLS, 0x3F, 0, 0, 1, 0, 0, 0};
    for (int i = 0; i < n.words; ++i)
        put(out, out.size(), 4, i < 13 ? words[i] : 0, big);
    return out;
}

std::uint32_t ms(unsigned a, unsigned b) {
    return (a << 16) | b;
}

// A small ELF file: header, one section of notes, the section name table, and the section
// header table at the end (null section, notes, names), as a linker lays them out.
struct Elf {
    bool is64 = true;
    bool big = false;
    QByteArray notes;
    QByteArray sectionName = ".note.vantrel.version";
    std::uint32_t sectionType = 7;
    bool extendedNumbering = false;

    // Offsets of the fields the hostile cases change.
    qsizetype shoffAt = 0, shnumAt = 0, shentsizeAt = 0, shstrndxAt = 0;
    qsizetype noteHeaderAt = 0, namesHeaderAt = 0, notesAt = 0;

    QByteArray Build() {
        QByteArray f;
        const int headerSize = is64 ? 64 : 52;
        const int entry = is64 ? 64 : 40;
        f.resize(headerSize, '\0');
        f[0] = 0x7F, f[1] = 'E', f[2] = 'L', f[3] = 'F';
        f[4] = is64 ? 2 : 1;
        f[5] = big ? 2 : 1;
        f[6] = 1;
        put(f, 16, 2, 2, big);             // executable
        put(f, 18, 2, is64 ? 62 : 3, big); // machine
        put(f, 20, 4, 1, big);             // version
        put(f, is64 ? 52 : 40, 2, headerSize, big);

        notesAt = f.size();
        f += notes;
        while (f.size() % 4 != 0)
            f += '\0';
        const qsizetype namesAt = f.size();
        const QByteArray names = QByteArray("\0.shstrtab\0", 11) + sectionName + '\0';
        f += names;
        while (f.size() % 8 != 0)
            f += '\0';
        const qsizetype shoff = f.size();

        shoffAt = is64 ? 40 : 32;
        shentsizeAt = is64 ? 58 : 46;
        shnumAt = is64 ? 60 : 48;
        shstrndxAt = is64 ? 62 : 50;
        put(f, shoffAt, is64 ? 8 : 4, std::uint64_t(shoff), big);
        put(f, shentsizeAt, 2, std::uint64_t(entry), big);
        put(f, shnumAt, 2, extendedNumbering ? 0 : 3, big);
        put(f, shstrndxAt, 2, extendedNumbering ? 0xFFFF : 2, big);

        auto section = [&](int index, std::uint32_t name, std::uint32_t type, qsizetype offset,
                           qsizetype size, std::uint32_t link) {
            const qsizetype at = shoff + index * entry;
            put(f, at + entry - 1, 1, 0, big); // the whole entry exists
            put(f, at, 4, name, big);
            put(f, at + 4, 4, type, big);
            put(f, at + (is64 ? 0x18 : 0x10), is64 ? 8 : 4, std::uint64_t(offset), big);
            put(f, at + (is64 ? 0x20 : 0x14), is64 ? 8 : 4, std::uint64_t(size), big);
            put(f, at + (is64 ? 0x28 : 0x18), 4, link, big);
            return at;
        };
        section(0, 0, 0, 0, extendedNumbering ? 3 : 0, extendedNumbering ? 2 : 0);
        noteHeaderAt = section(1, 11, sectionType, notesAt, notes.size(), 0);
        namesHeaderAt = section(2, 1, 3, namesAt, names.size(), 0);
        return f;
    }
};

QString versionOf(const QByteArray &bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("cannot write");
    file.write(bytes);
    file.close();
    return FileVersionText(path);
}

QByteArray selfBytes() {
    QFile self(QCoreApplication::applicationFilePath());
    return self.open(QIODevice::ReadOnly) ? self.readAll() : QByteArray();
}

} // namespace

class TestFileVersion : public QObject {
    Q_OBJECT
private slots:
    void runningProgramCarriesTheProjectVersion();
    void filesWithoutRecord_data();
    void filesWithoutRecord();
    void builtFiles_data();
    void builtFiles();
    void hostileFields_data();
    void hostileFields();
    void patchedCopyOfThisBinary();
    void truncatedCopiesOfThisBinary();
};

void TestFileVersion::runningProgramCarriesTheProjectVersion() {
    QCOMPARE(RunningVersionText(), QStringLiteral(VANTREL_PROJECT_VERSION));
    QCOMPARE(FileVersionText(QCoreApplication::applicationFilePath()),
             QStringLiteral(VANTREL_PROJECT_VERSION));
}

void TestFileVersion::filesWithoutRecord_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("contents"); // written to path when path is empty
    QTest::addRow("text file") << QString() << QByteArray("[Program]\nVersion=1.2.3.4\n");
    QTest::addRow("empty file") << QString() << QByteArray();
    QTest::addRow("ELF magic only") << QString()
                                    << QByteArray("\x7F"
                                                  "ELF");
    QTest::addRow("missing file") << QStringLiteral("/nonexistent/vantrel") << QByteArray();
    QTest::addRow("folder") << QStringLiteral("/") << QByteArray();
    QTest::addRow("device") << QStringLiteral("/dev/zero") << QByteArray();
    if (QFile::exists(QStringLiteral("/bin/true")))
        QTest::addRow("other program") << QStringLiteral("/bin/true") << QByteArray();
}

void TestFileVersion::filesWithoutRecord() {
    QFETCH(QString, path);
    QFETCH(QByteArray, contents);
    if (path.isEmpty())
        QCOMPARE(versionOf(contents), QStringLiteral("0.0.0.0"));
    else
        QCOMPARE(FileVersionText(path), QStringLiteral("0.0.0.0"));
}

void TestFileVersion::builtFiles_data() {
    QTest::addColumn<bool>("is64");
    QTest::addColumn<bool>("big");
    QTest::addColumn<QByteArray>("notes");
    QTest::addColumn<QByteArray>("sectionName");
    QTest::addColumn<QString>("expected");

    const QByteArray name = ".note.vantrel.version";
    NoteSpec v1234;
    v1234.fileMS = ms(1, 2), v1234.fileLS = ms(3, 4);
    v1234.productMS = ms(9, 8), v1234.productLS = ms(7, 6);
    NoteSpec v10;
    v10.fileMS = ms(10, 0), v10.fileLS = ms(0, 255);
    v10.productMS = v10.fileMS, v10.productLS = v10.fileLS;
    NoteSpec top;
    top.fileMS = top.fileLS = 0xFFFFFFFF;

    QTest::addRow("64-bit little-endian, product version differs")
        << true << false << note(v1234, false) << name << "1.2.3.4";
    QTest::addRow("no leading zeros") << true << false << note(v10, false) << name << "10.0.0.255";
    QTest::addRow("32-bit little-endian")
        << false << false << note(v1234, false) << name << "1.2.3.4";
    QTest::addRow("64-bit big-endian")
        << true << true << note(top, true) << name << "65535.65535.65535.65535";
    QTest::addRow("32-bit big-endian") << false << true << note(v10, true) << name << "10.0.0.255";

    NoteSpec gnu = v10;
    gnu.owner = "GNU";
    NoteSpec otherType = v10;
    otherType.type = 3;
    QTest::addRow("after notes of others")
        << true << false << note(gnu, false) + note(otherType, false) + note(v1234, false) << name
        << "1.2.3.4";
    QTest::addRow("notes of others only")
        << true << false << note(gnu, false) + note(otherType, false) << name << "0.0.0.0";
    NoteSpec badSignature = v1234;
    badSignature.signature = 0xFEEF04BC;
    QTest::addRow("wrong signature")
        << true << false << note(badSignature, false) << name << "0.0.0.0";
    NoteSpec shortDesc = v1234;
    shortDesc.words = 12;
    QTest::addRow("descriptor one word short")
        << true << false << note(shortDesc, false) << name << "0.0.0.0";
    NoteSpec longDesc = v1234;
    longDesc.words = 14;
    QTest::addRow("longer descriptor")
        << true << false << note(longDesc, false) << name << "1.2.3.4";
    NoteSpec longerOwner = v1234;
    longerOwner.owner = "Vantrel2";
    QTest::addRow("another owner")
        << true << false << note(longerOwner, false) << name << "0.0.0.0";
    QTest::addRow("other section name")
        << true << false << note(v1234, false) << QByteArray(".note.vantrel.versio") << "0.0.0.0";
    QTest::addRow("longer section name")
        << true << false << note(v1234, false) << QByteArray(".note.vantrel.version2") << "0.0.0.0";
    QTest::addRow("byte order of the file, not of the note")
        << true << true << note(v1234, false) << name << "0.0.0.0";
}

void TestFileVersion::builtFiles() {
    QFETCH(bool, is64);
    QFETCH(bool, big);
    QFETCH(QByteArray, notes);
    QFETCH(QByteArray, sectionName);
    QFETCH(QString, expected);
    Elf elf;
    elf.is64 = is64;
    elf.big = big;
    elf.notes = notes;
    elf.sectionName = sectionName;
    QCOMPARE(versionOf(elf.Build()), expected);

    // The same file with the section-count extension of large files.
    elf.extendedNumbering = true;
    QCOMPARE(versionOf(elf.Build()), expected);
}

void TestFileVersion::hostileFields_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("width");
    QTest::addColumn<qulonglong>("value");
    QTest::addColumn<QString>("expected");
    const QString none = QStringLiteral("0.0.0.0");
    QTest::addRow("unchanged") << "none" << 0 << 0ull << "1.2.3.4";
    QTest::addRow("no section table") << "shoff" << 8 << 0ull << none;
    QTest::addRow("section table past the end") << "shoff" << 8 << 0xFFFFFFFFFFFFFFF0ull << none;
    QTest::addRow("section table one byte short") << "shoff" << 8 << 1ull << none;
    QTest::addRow("entry size zero") << "shentsize" << 2 << 0ull << none;
    QTest::addRow("entry size too small") << "shentsize" << 2 << 63ull << none;
    QTest::addRow("entry size huge") << "shentsize" << 2 << 0xFFFFull << none;
    QTest::addRow("section count huge") << "shnum" << 2 << 0xFFFEull << none;
    QTest::addRow("name table index out of range") << "shstrndx" << 2 << 3ull << none;
    QTest::addRow("name table index is the notes") << "shstrndx" << 2 << 1ull << none;
    QTest::addRow("extended count without extension") << "shnum" << 2 << 0ull << none;
    QTest::addRow("notes past the end") << "noteoffset" << 8 << 0x7FFFFFFFFFFFFFFFull << none;
    QTest::addRow("notes size huge") << "notesize" << 8 << 0xFFFFFFFFFFFFFFFFull << none;
    QTest::addRow("notes size wraps offset") << "notesize" << 8 << 0xFFFFFFFFFFFFFF00ull << none;
    QTest::addRow("notes size short of the record") << "notesize" << 8 << 60ull << none;
    QTest::addRow("section name beyond the table") << "notename" << 4 << 0xFFFFFFFFull << none;
    QTest::addRow("name table past the end") << "namesoffset" << 8 << 0xFFFFFFFFFFFFull << none;
    QTest::addRow("name table cut before the NUL") << "namessize" << 8 << 32ull << none;
    QTest::addRow("note name size huge") << "namesz" << 4 << 0xFFFFFFFFull << none;
    QTest::addRow("note descriptor size huge") << "descsz" << 4 << 0xFFFFFFFFull << none;
    QTest::addRow("note descriptor past the section") << "descsz" << 4 << 56ull << none;
}

void TestFileVersion::hostileFields() {
    QFETCH(QString, field);
    QFETCH(int, width);
    QFETCH(qulonglong, value);
    QFETCH(QString, expected);
    NoteSpec v;
    v.fileMS = ms(1, 2), v.fileLS = ms(3, 4);
    Elf elf;
    elf.notes = note(v, false);
    QByteArray f = elf.Build();
    const std::map<QString, qsizetype> at = {
        {QStringLiteral("none"), 0},
        {QStringLiteral("shoff"), elf.shoffAt},
        {QStringLiteral("shentsize"), elf.shentsizeAt},
        {QStringLiteral("shnum"), elf.shnumAt},
        {QStringLiteral("shstrndx"), elf.shstrndxAt},
        {QStringLiteral("noteoffset"), elf.noteHeaderAt + 0x18},
        {QStringLiteral("notesize"), elf.noteHeaderAt + 0x20},
        {QStringLiteral("notename"), elf.noteHeaderAt},
        {QStringLiteral("namesoffset"), elf.namesHeaderAt + 0x18},
        {QStringLiteral("namessize"), elf.namesHeaderAt + 0x20},
        {QStringLiteral("namesz"), elf.notesAt},
        {QStringLiteral("descsz"), elf.notesAt + 4},
    };
    if (field == QLatin1String("shoff") && value == 1)
        value = qulonglong(f.size()) - 3 * 64 + 1; // the table's last byte falls off the file
    if (width > 0)
        put(f, at.at(field), width, value, false);
    QCOMPARE(versionOf(f), expected);
}

void TestFileVersion::patchedCopyOfThisBinary() {
    // Find this binary's record by its bytes and give the copy another file version and a
    // product version that differs from it. Debug information may hold a copy of the record's
    // bytes too; every copy is changed, and the reader must take the one in the note section.
    QByteArray bytes = selfBytes();
    QVERIFY(!bytes.isEmpty());
    QByteArray head;
    put(head, 0, 4, 8, false);
    put(head, 4, 4, 52, false);
    put(head, 8, 4, 1, false);
    head += QByteArray("Vantrel\0", 8);
    put(head, head.size(), 4, 0xFEEF04BD, false);
    QList<qsizetype> descriptors;
    for (qsizetype at = bytes.indexOf(head); at >= 0; at = bytes.indexOf(head, at + 1))
        descriptors << at + 20;
    QVERIFY(!descriptors.isEmpty());
    auto patch = [&](std::uint32_t fileMS, std::uint32_t fileLS) {
        for (qsizetype desc : descriptors) {
            put(bytes, desc + 8, 4, fileMS, false);
            put(bytes, desc + 12, 4, fileLS, false);
            put(bytes, desc + 16, 4, ms(5, 6), false);
            put(bytes, desc + 20, 4, ms(7, 8), false);
        }
    };
    patch(ms(1, 2), ms(3, 4));
    QCOMPARE(versionOf(bytes), QStringLiteral("1.2.3.4"));
    patch(ms(10, 0), ms(0, 255));
    QCOMPARE(versionOf(bytes), QStringLiteral("10.0.0.255"));
}

void TestFileVersion::truncatedCopiesOfThisBinary() {
    // The section header table closes the file, so every shorter copy has lost the record.
    const QByteArray bytes = selfBytes();
    QVERIFY(bytes.size() > 20000);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.flush();
    QCOMPARE(FileVersionText(path), QStringLiteral(VANTREL_PROJECT_VERSION));

    // Shrinking one file from the end is cheap, so the tail is cut at every length.
    QList<qsizetype> lengths;
    for (qsizetype n = bytes.size() - 1; n > bytes.size() - 12000; --n)
        lengths << n;
    for (qsizetype n = bytes.size() - 12000; n > 512; n -= 4093)
        lengths << n;
    for (qsizetype n = 512; n >= 0; --n)
        lengths << n;
    int wrong = 0;
    for (qsizetype n : lengths) {
        QVERIFY(file.resize(n));
        if (FileVersionText(path) != QLatin1String("0.0.0.0") && ++wrong < 5)
            qWarning("a copy cut to %lld bytes still gave a version", qlonglong(n));
    }
    QCOMPARE(wrong, 0);
}

QTEST_GUILESS_MAIN(TestFileVersion)
#include "tst_fileversion.moc"
