#include "world/safefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString cannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("%1: cannot write: %2").arg(QDir::toNativeSeparators(path), reason);
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) {
        return QStringLiteral("a folder");
    }
    if (S_ISFIFO(mode)) {
        return QStringLiteral("a FIFO");
    }
    if (S_ISCHR(mode)) {
        return QStringLiteral("a character device");
    }
    if (S_ISBLK(mode)) {
        return QStringLiteral("a block device");
    }
    if (S_ISSOCK(mode)) {
        return QStringLiteral("a socket");
    }
    return QStringLiteral("an unknown kind of file");
}

// Where a file's new contents go, or why they may not go there.
struct WriteTarget
{
    // The name that is replaced or made, as the file system spells it.
    QByteArray name;
    bool replaces = false;
    mode_t permissions = 0;
    QString problem;
};

WriteTarget writeTargetOf(const QString& path)
{
    WriteTarget target{QFile::encodeName(path), false, 0, {}};
    struct stat node = {};
    if (::lstat(target.name.constData(), &node) != 0) {
        const int error = errno;
        struct stat folder = {};
        if (error != ENOENT) {
            target.problem = qt_error_string(error);
        } else if (::stat(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), &folder) !=
                   0) {
            target.problem = qt_error_string(errno);
        }
        return target;
    }
    if (S_ISLNK(node.st_mode)) {
        const QString resolved = QFileInfo(path).canonicalFilePath();
        if (resolved.isEmpty()) {
            target.problem = QStringLiteral("it is a link to %1, which does not exist")
                                 .arg(QDir::toNativeSeparators(QFileInfo(path).symLinkTarget()));
            return target;
        }
        target.name = QFile::encodeName(resolved);
        if (::stat(target.name.constData(), &node) != 0) {
            target.problem = qt_error_string(errno);
            return target;
        }
        if (!S_ISREG(node.st_mode)) {
            target.problem = QStringLiteral("it is a link to %1, %2, not a regular file")
                                 .arg(QDir::toNativeSeparators(resolved), kindOf(node.st_mode));
            return target;
        }
    } else if (!S_ISREG(node.st_mode)) {
        target.problem = QStringLiteral("it is %1, not a regular file").arg(kindOf(node.st_mode));
        return target;
    }
    target.replaces = true;
    target.permissions = node.st_mode & 07777;
    return target;
}

// Writes straight to a file descriptor and keeps the first failure, after
// which every write fails: a file with a hole in it is no file.
class CheckedDevice : public QIODevice
{
public:
    explicit CheckedDevice(int descriptor) : descriptor_(descriptor)
    {
        QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }

    int failure() const { return failure_; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* /*data*/, qint64 /*size*/) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override
    {
        // The system may take part of a write; the rest is offered again until
        // all is taken or the system says why not (a full disk's ENOSPC).
        qint64 done = 0;
        while (failure_ == 0 && done < size) {
            const ssize_t written = ::write(descriptor_, data + done, std::size_t(size - done));
            if (written > 0) {
                done += written;
            } else if (written == 0) {
                failure_ = ENOSPC;
            } else if (errno != EINTR) {
                failure_ = errno;
            }
        }
        return failure_ == 0 ? size : -1;
    }

private:
    int descriptor_;
    int failure_ = 0;
};

// The new file beside the target. It replaces the target only once all of it
// is on the disk; until then, and after any failure, the target stays as it
// was and the new file is removed.
class ReplacementFile
{
public:
    explicit ReplacementFile(const WriteTarget& target) : target_(target) {}
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    ~ReplacementFile()
    {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        if (!name_.isEmpty() && !committed_) {
            ::unlink(name_.constData());
        }
    }

    int descriptor() const { return descriptor_; }

    // 0 once the file is made, else the system's error number.
    int create()
    {
        const QByteArray folder = target_.name.left(target_.name.lastIndexOf('/') + 1);
        for (int attempt = 0; attempt < 100; ++attempt) {
            // Short and hidden: any name that fits in the folder has room beside it.
            const QByteArray name = folder + ".terravik-" +
                                    QByteArray::number(QRandomGenerator::global()->generate(), 36) +
                                    ".tmp";
            descriptor_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor_ >= 0) {
                name_ = name;
                // A file system without permissions (FAT) refuses this; the
                // contents are what matters.
                if (target_.replaces) {
                    static_cast<void>(::fchmod(descriptor_, target_.permissions));
                }
                return 0;
            }
            if (errno != EEXIST) {
                return errno;
            }
        }
        return EEXIST;
    }

    // Syncs, closes and renames over the target: 0 on success, else the
    // system's error number. A file system that cannot sync says EINVAL.
    int commit()
    {
        if (::fsync(descriptor_) != 0 && errno != EINVAL) {
            return errno;
        }
        const int closed = ::close(descriptor_);
        descriptor_ = -1;
        if (closed != 0 && errno != EINTR) {
            return errno;
        }
        if (::rename(name_.constData(), target_.name.constData()) != 0) {
            return errno;
        }
        committed_ = true;
        return 0;
    }

private:
    const WriteTarget& target_;
    QByteArray name_;
    int descriptor_ = -1;
    bool committed_ = false;
};

} // namespace

QString writeTargetProblem(const QString& path)
{
    const WriteTarget target = writeTargetOf(path);
    return target.problem.isEmpty() ? QString() : cannotWrite(path, target.problem);
}

QString writeFileSafely(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    const WriteTarget target = writeTargetOf(path);
    if (!target.problem.isEmpty()) {
        return cannotWrite(path, target.problem);
    }
    ReplacementFile file(target);
    if (const int error = file.create(); error != 0) {
        return cannotWrite(path, qt_error_string(error));
    }
    CheckedDevice device(file.descriptor());
    const bool produced = write(device);
    if (device.failure() != 0) {
        return cannotWrite(path, qt_error_string(device.failure()));
    }
    if (!produced) {
        return cannotWrite(path, QStringLiteral("the contents could not be made"));
    }
    if (const int error = file.commit(); error != 0) {
        return cannotWrite(path, qt_error_string(error));
    }
    return {};
}

QString openRegularFile(const QString& path, QFile& file)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat node = {};
    if (::stat(name.constData(), &node) != 0) {
        return qt_error_string(errno);
    }
    if (!S_ISREG(node.st_mode)) {
        return QStringLiteral("it is %1, not a regular file").arg(kindOf(node.st_mode));
    }
    // Should the name have been swapped for a FIFO meanwhile, opening it does
    // not wait for a writer, and the open file is judged again.
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        return qt_error_string(errno);
    }
    if (::fstat(descriptor, &node) != 0 || !S_ISREG(node.st_mode)) {
        ::close(descriptor);
        return QStringLiteral("it is not a regular file");
    }
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return file.errorString();
    }
    return {};
}
