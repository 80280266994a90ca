#include "table/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <limits>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QSaveFile>
#endif

namespace natalix {

namespace {

FileError notARegularFile() {
    return {filecode::pathFileAccess,
            QStringLiteral("Keine gewöhnliche Datei (ein Ordner, ein Gerät oder eine Pipe)")};
}

FileError throughLink() {
    return {filecode::pathFileAccess,
            QStringLiteral("Die Datei ist eine symbolische Verknüpfung und wird nicht benutzt")};
}

SaveResult failure(int group, const FileError& error) {
    return {false, group, error};
}

#ifdef Q_OS_UNIX

QByteArray nativePath(const QString& path) {
    return QFile::encodeName(path);
}

FileError fromErrno(int err, const QString& path, FileAccess access) {
    switch (err) {
    case ENOSPC:
    case EFBIG:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return fileErrorFor(filecode::diskFull);
    case ENOMEM:
        return fileErrorFor(filecode::outOfMemory);
    case EIO:
        return fileErrorFor(filecode::deviceIo);
    case EROFS:
        return {filecode::permissionDenied, QStringLiteral("Der Datenträger ist schreibgeschützt")};
    case EACCES:
    case EPERM:
        return fileErrorFor(filecode::permissionDenied);
    case ELOOP:
        return throughLink();
    case ENAMETOOLONG:
        return fileErrorFor(filecode::badFileName);
    case EISDIR:
        return notARegularFile();
    case ENOTDIR:
        return fileErrorFor(filecode::pathNotFound);
    case ENOENT:
        return classifyPath(path, access);
    default:
        return classifyPath(path, access);
    }
}

// A descriptor that is closed on every way out.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    void reset(int fd) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closing can report a failed write of an earlier call (NFS, quotas): it is checked.
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, QByteArrayView bytes, off_t at, int* err) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pwrite(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done),
                     at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *err = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += n;
    }
    return true;
}

bool syncFd(int fd, int* err) {
    while (::fsync(fd) != 0) {
        if (errno == EINTR)
            continue;
        // Some file systems (pipes aside, which never get here) cannot sync: not a failure.
        if (errno == EINVAL || errno == ENOTSUP)
            return true;
        *err = errno;
        return false;
    }
    return true;
}

void syncFolder(const QByteArray& folder) {
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool readAllFrom(int fd, QByteArray& out, qint64 maxBytes, bool* tooLarge, int* err) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *err = errno;
            return false;
        }
        if (n == 0)
            return true;
        out.append(buffer, n);
        if (out.size() > maxBytes) {
            *tooLarge = true;
            return false;
        }
    }
}

// Writes over the old file where no new one can be made beside it. Its old contents are
// kept in memory and written back if the new ones do not fit.
SaveResult saveInPlace(const QString& path, const QByteArray& native, QByteArrayView bytes,
                       Links links, Sync sync) {
    const int noFollow = links == Links::DoNotFollow ? O_NOFOLLOW : 0;
    Fd fd(::open(native.constData(), O_RDWR | O_CLOEXEC | O_NONBLOCK | noFollow));
    if (!fd.valid())
        return failure(101, fromErrno(errno, path, FileAccess::Write));
    struct stat st;
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return failure(101, notARegularFile());
    QByteArray old;
    bool tooLarge = false;
    int err = 0;
    if (!readAllFrom(fd.get(), old, std::numeric_limits<qint64>::max(), &tooLarge, &err))
        return failure(101, fromErrno(err, path, FileAccess::Write));
    if (writeAll(fd.get(), bytes, 0, &err) && ::ftruncate(fd.get(), bytes.size()) == 0 &&
        (sync == Sync::No || syncFd(fd.get(), &err)) && fd.close())
        return {};
    if (err == 0)
        err = errno;
    if (fd.valid()) {
        int ignored = 0;
        // The old bytes fit where they were before.
        if (writeAll(fd.get(), old, 0, &ignored))
            ::ftruncate(fd.get(), old.size());
        syncFd(fd.get(), &ignored);
    }
    return failure(103, fromErrno(err, path, FileAccess::Write));
}

#endif

} // namespace

bool replaceFile(const QString& temp, const QString& target) {
#ifdef Q_OS_UNIX
    const QByteArray from = nativePath(temp);
    Fd fd(::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    int err = 0;
    if (!fd.valid() || !syncFd(fd.get(), &err) || !fd.close())
        return false;
    if (::rename(from.constData(), nativePath(target).constData()) != 0)
        return false;
    syncFolder(nativePath(QFileInfo(target).absolutePath()));
    return true;
#else
    QFile::remove(target);
    return QFile::rename(temp, target);
#endif
}

bool isSymbolicLink(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st;
    return ::lstat(nativePath(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
#else
    return QFileInfo(path).isSymLink();
#endif
}

bool makePrivate(const QString& path) {
#ifdef Q_OS_UNIX
    struct stat st;
    const QByteArray native = nativePath(path);
    if (::lstat(native.constData(), &st) != 0 || S_ISLNK(st.st_mode))
        return false;
    const mode_t wanted = S_ISDIR(st.st_mode) ? 0700 : 0600;
    if ((st.st_mode & 0777) == wanted || (st.st_mode & 077) == 0)
        return true;
    return ::chmod(native.constData(), wanted) == 0;
#else
    Q_UNUSED(path);
    return true;
#endif
}

bool makePrivateFolder(const QString& path) {
    const QString absolute = QDir(path).absolutePath();
    if (QFileInfo(absolute).isDir())
        return true;
    const QString parent = QFileInfo(absolute).path();
    if (parent != absolute && !QFileInfo(parent).isDir() && !QDir().mkpath(parent))
        return false;
#ifdef Q_OS_UNIX
    return ::mkdir(nativePath(absolute).constData(), 0700) == 0 || errno == EEXIST;
#else
    return QDir().mkdir(absolute);
#endif
}

#ifdef Q_OS_UNIX

SaveResult saveFileSafely(const QString& path, QByteArrayView bytes, Links links, Sync sync) {
    if (isBadFileName(path))
        return failure(101, fileErrorFor(filecode::badFileName));
    QString target = QFileInfo(path).absoluteFilePath();
    struct stat st;
    bool exists = ::lstat(nativePath(target).constData(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        if (links == Links::DoNotFollow) {
            // The link itself is replaced by the program's own file; its target stays.
            exists = false;
        } else {
            const QString resolved = QFileInfo(target).canonicalFilePath();
            if (!resolved.isEmpty()) {
                target = resolved;
                exists = ::stat(nativePath(target).constData(), &st) == 0;
            } else {
                // A link to a file not yet there: the file is made where the link points.
                const QString pointsTo = QFileInfo(target).symLinkTarget();
                if (!pointsTo.isEmpty())
                    target = pointsTo;
                exists = false;
            }
        }
    }
    if (exists && !S_ISREG(st.st_mode))
        return failure(101, S_ISDIR(st.st_mode) ? fileErrorFor(filecode::pathFileAccess)
                                                : notARegularFile());
    const QByteArray native = nativePath(target);
    const QFileInfo info(target);
    const QByteArray folder = nativePath(info.absolutePath());
    if (!QFileInfo(info.absolutePath()).isDir())
        return failure(101, fileErrorFor(filecode::pathNotFound));

    QByteArray temp;
    Fd fd;
    for (int attempt = 0; attempt < 16 && !fd.valid(); ++attempt) {
        // Short, whatever the target is called: a long name must not make saving impossible.
        temp = folder + "/.natalix-" +
               QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        fd.reset(
            ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd.valid() && errno != EEXIST)
            break;
    }
    if (!fd.valid()) {
        const int err = errno;
        if (exists && (err == EACCES || err == EPERM))
            return saveInPlace(path, native, bytes, links, sync);
        return failure(101, fromErrno(err, target, FileAccess::Write));
    }
    ::fchmod(fd.get(), exists ? (st.st_mode & 07777) : 0600);
    if (exists && ::geteuid() == 0) {
        // Saved by root, the file stays its owner's.
        [[maybe_unused]] const int owned = ::fchown(fd.get(), st.st_uid, st.st_gid);
    }

    int err = 0;
    const bool written =
        writeAll(fd.get(), bytes, 0, &err) && (sync == Sync::No || syncFd(fd.get(), &err));
    const bool closed = fd.close();
    if (!written || !closed) {
        if (written)
            err = errno;
        ::unlink(temp.constData());
        return failure(103, fromErrno(err, target, FileAccess::Write));
    }
    if (::rename(temp.constData(), native.constData()) != 0) {
        err = errno;
        ::unlink(temp.constData());
        return failure(103, fromErrno(err, target, FileAccess::Write));
    }
    if (sync == Sync::Yes)
        syncFolder(folder);
    return {};
}

ReadResult readFileSafely(const QString& path, qint64 maxBytes, Links links) {
    ReadResult r;
    if (isBadFileName(path)) {
        r.error = fileErrorFor(filecode::badFileName);
        return r;
    }
    const int noFollow = links == Links::DoNotFollow ? O_NOFOLLOW : 0;
    // Not blocking: opening a pipe for reading would wait for a writer for ever.
    Fd fd(::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | noFollow));
    if (!fd.valid()) {
        r.error = fromErrno(errno, path, FileAccess::Read);
        return r;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        r.error = fromErrno(errno, path, FileAccess::Read);
        return r;
    }
    if (!S_ISREG(st.st_mode)) {
        r.error = S_ISDIR(st.st_mode) ? fileErrorFor(filecode::pathFileAccess) : notARegularFile();
        return r;
    }
    if (st.st_size > maxBytes) {
        r.tooLarge = true;
        return r;
    }
    r.bytes.reserve(static_cast<qsizetype>(st.st_size));
    int err = 0;
    if (!readAllFrom(fd.get(), r.bytes, maxBytes, &r.tooLarge, &err)) {
        if (!r.tooLarge)
            r.error = fromErrno(err, path, FileAccess::Read);
        r.bytes.clear();
        return r;
    }
    r.ok = true;
    return r;
}

#else

SaveResult saveFileSafely(const QString& path, QByteArrayView bytes, Links links, Sync) {
    if (isBadFileName(path))
        return failure(101, fileErrorFor(filecode::badFileName));
    const QFileInfo info(path);
    if (links == Links::DoNotFollow && info.isSymLink())
        return failure(101, throughLink());
    if (info.exists() && !info.isFile())
        return failure(101, notARegularFile());
    QSaveFile file(path);
    // Unbuffered: every write reaches the file at once, so each failure is seen.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(101, classifyFileError(file, FileAccess::Write));
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            const FileError e = classifyFileError(file, FileAccess::Write);
            file.cancelWriting();
            return failure(103, e);
        }
        done += n;
    }
    if (!file.commit())
        return failure(103, classifyFileError(file, FileAccess::Write));
    return {};
}

ReadResult readFileSafely(const QString& path, qint64 maxBytes, Links links) {
    ReadResult r;
    const QFileInfo info(path);
    if (links == Links::DoNotFollow && info.isSymLink()) {
        r.error = throughLink();
        return r;
    }
    if (info.exists() && !info.isFile()) {
        r.error = notARegularFile();
        return r;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        r.error = classifyFileError(f, FileAccess::Read);
        return r;
    }
    if (f.size() > maxBytes) {
        r.tooLarge = true;
        return r;
    }
    r.bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        r.error = classifyFileError(f, FileAccess::Read);
        r.bytes.clear();
        return r;
    }
    r.ok = true;
    return r;
}

#endif

} // namespace natalix
