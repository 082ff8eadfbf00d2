#pragma once
// Test helpers that make files or folders unwritable for real, also when the tests run as root:
// while a CapabilitiesDropped lives, this thread has set aside the capabilities that let root
// write into any folder or file.

#include <QDir>
#include <QFile>
#include <QString>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class CapabilitiesDropped {
public:
    CapabilitiesDropped() {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (syscall(SYS_capget, &header_, saved_) == 0) {
            __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
            reduced[0].effective &=
                ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
            dropped_ = syscall(SYS_capset, &header_, reduced) == 0;
        }
    }
    ~CapabilitiesDropped() {
        if (dropped_)
            syscall(SYS_capset, &header_, saved_);
    }
    CapabilitiesDropped(const CapabilitiesDropped &) = delete;
    CapabilitiesDropped &operator=(const CapabilitiesDropped &) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

// A folder that cannot be written into while this object lives: its mode becomes r-x.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path)
        : path_(path), permissions_(QFile::permissions(path)) {
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                         QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    }
    ~ReadOnlyFolder() { QFile::setPermissions(path_, permissions_); }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    // True when a file can still be created in the folder (the protection did not take).
    bool Writable() const {
        const QString probe = path_ + QStringLiteral("/.write-probe");
        QFile file(probe);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.close();
        QFile::remove(probe);
        return true;
    }

private:
    CapabilitiesDropped capabilities_;
    QString path_;
    QFile::Permissions permissions_;
};
