// libFuzzer target for the executable version-record reader: any file gives four numbers of
// 16 bits, and a version other than 0.0.0.0 is only ever read from a record that is really in
// the file (the record's signature word and, two words behind it, the two file version words,
// in one byte order).

#include "fileversion.h"
#include "property.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

using namespace vantrel::version;

namespace {

std::string word(std::uint32_t v, bool big) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[std::size_t(i)] = char((v >> (8 * (big ? 3 - i : i))) & 0xFF);
    return out;
}

bool recordIn(const std::string &file, std::uint32_t ms, std::uint32_t ls) {
    for (const bool big : {false, true}) {
        for (std::size_t at = file.find(word(FileVersion::Signature, big)); at != std::string::npos;
             at = file.find(word(FileVersion::Signature, big), at + 1))
            if (at + 16 <= file.size() &&
                file.compare(at + 8, 8, word(ms, big) + word(ls, big)) == 0)
                return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const int fd = memfd_create("fuzz-version", MFD_CLOEXEC);
    static const QString path = QStringLiteral("/proc/self/fd/%1").arg(fd);
    check(fd >= 0);
    check(ftruncate(fd, 0) == 0 && pwrite(fd, data, size, 0) == ssize_t(size));

    const QString text = FileVersionText(path);
    const QStringList parts = text.split(QLatin1Char('.'));
    check(parts.size() == 4);
    std::uint32_t n[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const uint v = parts[i].toUInt(&ok);
        check(ok && v <= 0xFFFF && QString::number(v) == parts[i]);
        n[i] = v;
    }
    if (text != QLatin1String("0.0.0.0"))
        check(recordIn(std::string(reinterpret_cast<const char *>(data), size), (n[0] << 16) | n[1],
                       (n[2] << 16) | n[3]));
    return 0;
}
