#include "version/fileversion.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdint>
#include <cstring>

#if !defined(VANTREL_VERSION_MAJOR) || !defined(VANTREL_VERSION_MINOR) ||                          \
    !defined(VANTREL_VERSION_RELEASE) || !defined(VANTREL_VERSION_BUILD)
#error "the build passes the project version as VANTREL_VERSION_MAJOR ... _BUILD"
#endif

namespace vantrel::version {

namespace {

struct VersionNote {
    std::uint32_t nameSize;
    std::uint32_t descSize;
    std::uint32_t type;
    char name[sizeof(FileVersion::NoteOwner)];
    std::uint32_t desc[FileVersion::DescriptorWords];
};
static_assert(sizeof(FileVersion::NoteOwner) % 4 == 0, "the owner name fills whole words");
static_assert(sizeof(VersionNote) == 12 + 8 + 4 * FileVersion::DescriptorWords, "no padding");

constexpr std::uint32_t word(unsigned high, unsigned low) {
    return (std::uint32_t(high & 0xFFFFu) << 16) | (low & 0xFFFFu);
}

// This program's own version record. "used" keeps it although nothing refers to it, and every
// binary that links FileVersionText links this object file, so it carries the record too.
__attribute__((section(".note.vantrel.version"), used, aligned(4)))
const VersionNote kVersionNote = {
    sizeof(FileVersion::NoteOwner),
    4 * FileVersion::DescriptorWords,
    FileVersion::NoteType,
    {'V', 'a', 'n', 't', 'r', 'e', 'l', '\0'},
    {
        FileVersion::Signature,
        0x00010000u,
        word(VANTREL_VERSION_MAJOR, VANTREL_VERSION_MINOR),
        word(VANTREL_VERSION_RELEASE, VANTREL_VERSION_BUILD),
        // The product version names the release line only.
        word(VANTREL_VERSION_MAJOR, VANTREL_VERSION_MINOR),
        0,
        0x3Fu, // flags mask
        0,     // flags
        0,     // operating system: unknown
        1,     // type: application
        0,     // subtype
        0,     // date
        0,
    },
};

constexpr char kMagic[] = "\x7F"
                          "ELF";
constexpr std::uint32_t kShtNote = 7;
// Limits on what a well-formed file of ours could need; anything larger is not read.
constexpr std::uint64_t kMaxHeaderTable = 65536 * 64;
constexpr std::uint64_t kMaxNames = 1 << 20;
constexpr std::uint64_t kMaxNotes = 1 << 16;

// Reads an ELF file by offsets, checking every read against the file's size, so a truncated or
// hostile file ends the search instead of reading beyond what is there.
class ElfFile {
public:
    explicit ElfFile(QFile &file) : file_(file), size_(std::uint64_t(file.size())) {}

    bool ReadAt(std::uint64_t offset, std::uint64_t length, QByteArray &out) {
        if (offset > size_ || length > size_ - offset)
            return false;
        if (!file_.seek(qint64(offset)))
            return false;
        out = file_.read(qint64(length));
        return std::uint64_t(out.size()) == length;
    }

    bool big = false;
    bool is64 = false;

    std::uint64_t Field(const QByteArray &bytes, std::uint64_t offset, int width) const {
        // Callers check the length of the record before they read its fields.
        if (offset + std::uint64_t(width) > std::uint64_t(bytes.size()))
            return 0;
        std::uint64_t v = 0;
        for (int i = 0; i < width; ++i) {
            const int at = big ? i : width - 1 - i;
            v = (v << 8) | std::uint8_t(bytes[qsizetype(offset) + at]);
        }
        return v;
    }
    // A field that is 4 bytes wide in ELF32 files and 8 bytes in ELF64 files.
    std::uint64_t Addr(const QByteArray &bytes, std::uint64_t off32, std::uint64_t off64) const {
        return is64 ? Field(bytes, off64, 8) : Field(bytes, off32, 4);
    }

private:
    QFile &file_;
    std::uint64_t size_;
};

struct Section {
    std::uint32_t name = 0;
    std::uint32_t type = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint32_t link = 0;
};

Section sectionAt(const ElfFile &elf, const QByteArray &table, std::uint64_t at) {
    Section s;
    s.name = std::uint32_t(elf.Field(table, at, 4));
    s.type = std::uint32_t(elf.Field(table, at + 4, 4));
    s.offset = elf.Addr(table, at + 0x10, at + 0x18);
    s.size = elf.Addr(table, at + 0x14, at + 0x20);
    s.link = std::uint32_t(elf.Field(table, at + (elf.is64 ? 0x28 : 0x18), 4));
    return s;
}

// Looks for our note among the notes of one section; true with the two file version words.
bool findNote(const ElfFile &elf, const QByteArray &notes, std::uint32_t &ms, std::uint32_t &ls) {
    const std::uint64_t size = std::uint64_t(notes.size());
    auto align4 = [](std::uint64_t n) { return (n + 3) & ~std::uint64_t(3); };
    std::uint64_t pos = 0;
    while (pos + 12 <= size) {
        const std::uint64_t nameSize = elf.Field(notes, pos, 4);
        const std::uint64_t descSize = elf.Field(notes, pos + 4, 4);
        const std::uint64_t type = elf.Field(notes, pos + 8, 4);
        const std::uint64_t nameAt = pos + 12;
        const std::uint64_t descAt = nameAt + align4(nameSize);
        const std::uint64_t next = descAt + align4(descSize);
        if (next > size)
            return false; // a note that runs past its section
        if (type == FileVersion::NoteType && nameSize == sizeof(FileVersion::NoteOwner) &&
            std::memcmp(notes.constData() + nameAt, FileVersion::NoteOwner,
                        sizeof(FileVersion::NoteOwner)) == 0 &&
            descSize >= 4u * FileVersion::DescriptorWords &&
            elf.Field(notes, descAt, 4) == FileVersion::Signature) {
            ms = std::uint32_t(elf.Field(notes, descAt + 8, 4));
            ls = std::uint32_t(elf.Field(notes, descAt + 12, 4));
            return true;
        }
        pos = next;
    }
    return false;
}

bool readVersion(const QString &path, std::uint32_t &ms, std::uint32_t &ls) {
    if (!QFileInfo(path).isFile()) // no directories, devices or pipes
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ElfFile elf(file);

    QByteArray header;
    if (!elf.ReadAt(0, 16, header) || !header.startsWith(kMagic))
        return false;
    const char elfClass = header[4], data = header[5];
    if ((elfClass != 1 && elfClass != 2) || (data != 1 && data != 2) || header[6] != 1)
        return false;
    elf.is64 = elfClass == 2;
    elf.big = data == 2;
    if (!elf.ReadAt(0, elf.is64 ? 64 : 52, header))
        return false;
    const std::uint64_t shoff = elf.Addr(header, 0x20, 0x28);
    const std::uint64_t entrySize = elf.Field(header, elf.is64 ? 0x3A : 0x2E, 2);
    std::uint64_t count = elf.Field(header, elf.is64 ? 0x3C : 0x30, 2);
    std::uint64_t namesIndex = elf.Field(header, elf.is64 ? 0x3E : 0x32, 2);
    if (shoff == 0 || entrySize < (elf.is64 ? 64u : 40u))
        return false;

    // Extended numbering: section 0 holds the real count and the name table's index.
    QByteArray first;
    if (!elf.ReadAt(shoff, entrySize, first))
        return false;
    const Section zero = sectionAt(elf, first, 0);
    if (count == 0)
        count = zero.size;
    if (namesIndex == 0xFFFF)
        namesIndex = zero.link;
    if (count == 0 || count > kMaxHeaderTable / entrySize || namesIndex >= count)
        return false;
    QByteArray table;
    if (!elf.ReadAt(shoff, count * entrySize, table))
        return false;

    const Section namesSection = sectionAt(elf, table, namesIndex * entrySize);
    QByteArray names;
    if (!elf.ReadAt(namesSection.offset, std::min(namesSection.size, kMaxNames), names))
        return false;
    const QByteArray wanted(FileVersion::SectionName);
    for (std::uint64_t i = 0; i < count; ++i) {
        const Section s = sectionAt(elf, table, i * entrySize);
        if (s.type != kShtNote || s.name >= std::uint64_t(names.size()))
            continue;
        // The name must end with its NUL inside the table.
        const char *name = names.constData() + s.name;
        const qsizetype room = names.size() - qsizetype(s.name);
        if (room <= wanted.size() || name[wanted.size()] != '\0' ||
            std::memcmp(name, wanted.constData(), std::size_t(wanted.size())) != 0)
            continue;
        QByteArray notes;
        if (s.size <= kMaxNotes && elf.ReadAt(s.offset, s.size, notes) &&
            findNote(elf, notes, ms, ls))
            return true;
    }
    return false;
}

} // namespace

QString FileVersionText(const QString &path) {
    std::uint32_t ms = 0, ls = 0;
    if (!readVersion(path, ms, ls))
        ms = ls = 0;
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ms >> 16)
        .arg(ms & 0xFFFFu)
        .arg(ls >> 16)
        .arg(ls & 0xFFFFu);
}

QString RunningVersionText() {
    // Without an application object the kernel still names the running executable.
    const QString self = QCoreApplication::instance() != nullptr
                             ? QCoreApplication::applicationFilePath()
                             : QStringLiteral("/proc/self/exe");
    return FileVersionText(self);
}

} // namespace vantrel::version
