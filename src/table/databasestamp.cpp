#include "table/databasestamp.h"

#include "table/safefile.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <sqlite3.h>

#include <map>
#include <mutex>
#include <string>

#ifdef Q_OS_UNIX
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

namespace natalix {

namespace {

const QByteArray stampTag = QByteArrayLiteral("natalix-geprueft 1");
const QByteArray journalSuffix = QByteArrayLiteral("-journal");

} // namespace

QString stampPath(const QString& databasePath) {
    return databasePath + QStringLiteral(".geprueft");
}

namespace {

// The first hundred bytes of the file through SQLite's own descriptor of it.
bool readHeader(sqlite3* db, unsigned char (&header)[100]) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        return false;
    return file->pMethods->xRead(file, header, sizeof header, 0) == SQLITE_OK;
}

} // namespace

std::optional<DatabaseState> readDatabaseState(const QString& databasePath, sqlite3* db) {
#ifdef Q_OS_UNIX
    struct stat st;
    if (::lstat(QFile::encodeName(databasePath).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    unsigned char header[100];
    bool read = false;
    if (db) {
        read = readHeader(db, header);
    } else {
        sqlite3* own = nullptr;
        read = sqlite3_open_v2(databasePath.toUtf8().constData(), &own,
                               SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr) == SQLITE_OK &&
               readHeader(own, header);
        sqlite3_close(own);
    }
    if (!read)
        return std::nullopt;
    DatabaseState s;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    for (size_t i = 0; i < stampedHeaderOffsets.size(); ++i)
        s.header[i] = qFromBigEndian<quint32>(header + stampedHeaderOffsets[i]);
    return s;
#else
    Q_UNUSED(databasePath);
    Q_UNUSED(db);
    return std::nullopt;
#endif
}

QByteArray renderStamp(const DatabaseStamp& stamp) {
    const DatabaseState& s = stamp.state;
    QByteArray out = stampTag + " geprueft=" + stamp.checked.toString(Qt::ISODate).toLatin1() +
                     " dev=" + QByteArray::number(s.device) +
                     " ino=" + QByteArray::number(s.inode) + " size=" + QByteArray::number(s.size) +
                     " mtime=" + QByteArray::number(s.modifiedNs) +
                     " ctime=" + QByteArray::number(s.changedNs);
    for (size_t i = 0; i < s.header.size(); ++i)
        out += " h" + QByteArray::number(stampedHeaderOffsets[i]) + '=' +
               QByteArray::number(s.header[i]);
    return out + '\n';
}

std::optional<DatabaseStamp> parseStamp(QByteArrayView bytes) {
    // The tag's two words, then "key=value" for the day and every field.
    const QList<QByteArray> words = bytes.trimmed().toByteArray().split(' ');
    if (words.size() != 2 + 6 + int(stampedHeaderOffsets.size()))
        return std::nullopt;
    bool ok = true;
    const auto value = [&](int i) {
        const QByteArray& word = words[2 + i];
        return word.mid(word.indexOf('=') + 1);
    };
    const auto number = [&](int i) {
        bool good = false;
        const qlonglong v = value(i).toLongLong(&good);
        ok = ok && good;
        return v;
    };
    DatabaseStamp stamp;
    stamp.checked = QDate::fromString(QString::fromLatin1(value(0)), Qt::ISODate);
    DatabaseState& s = stamp.state;
    s.device = quint64(number(1));
    s.inode = quint64(number(2));
    s.size = number(3);
    s.modifiedNs = number(4);
    s.changedNs = number(5);
    for (size_t i = 0; i < s.header.size(); ++i)
        s.header[i] = quint32(number(6 + int(i)));
    // Exactly as written, or not at all: a damaged stamp must never pass for another one.
    if (!ok || !stamp.checked.isValid() || renderStamp(stamp) != bytes)
        return std::nullopt;
    return stamp;
}

std::optional<DatabaseStamp> readStamp(const QString& databasePath) {
    const ReadResult read = readFileSafely(stampPath(databasePath), 4096, Links::DoNotFollow);
    return read.ok ? parseStamp(read.bytes) : std::nullopt;
}

bool writeStamp(const QString& databasePath, const DatabaseStamp& stamp) {
    return saveFileSafely(stampPath(databasePath), renderStamp(stamp), Links::DoNotFollow, Sync::No)
        .ok;
}

namespace {

// Waits (a tick at most) until the system's file clock has passed `ns`. False for a time
// that lies ahead of the clock: times from a server or from before the clock was set back.
bool waitPast(qint64 ns) {
#ifdef Q_OS_UNIX
    for (int round = 0; round < 100; ++round) {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
        const qint64 nowNs = qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
        if (nowNs > ns)
            return true;
        if (ns - nowNs > 100000000)
            return false;
        const timespec pause{0, 1000000};
        ::nanosleep(&pause, nullptr);
    }
#else
    Q_UNUSED(ns);
#endif
    return false;
}

} // namespace

bool stampWhenSettled(const QString& databasePath, const DatabaseState& seen, const QDate& checked,
                      sqlite3* db) {
    if (timesTellWrites(databasePath, seen) && waitPast(seen.changedNs)) {
        // Seen again after the tick: any later write now shows in the change time.
        const std::optional<DatabaseState> now = readDatabaseState(databasePath, db);
        if (now && *now == seen)
            return writeStamp(databasePath, {seen, checked});
    }
    dropStamp(databasePath);
    return false;
}

void dropStamp(const QString& databasePath) {
#ifdef Q_OS_UNIX
    ::unlink(QFile::encodeName(stampPath(databasePath)).constData());
#else
    QFile::remove(stampPath(databasePath));
#endif
}

bool timesTellWrites(const QString& databasePath, const DatabaseState& state) {
#ifdef Q_OS_WIN
    Q_UNUSED(databasePath);
    Q_UNUSED(state);
    return false;
#else
#ifdef Q_OS_LINUX
    struct statfs fs;
    if (::statfs(QFile::encodeName(databasePath).constData(), &fs) != 0)
        return false;
    // FAT keeps no change time, exFAT one of 10 ms at best; behind FUSE either may hide.
    switch (static_cast<unsigned long>(fs.f_type)) {
    case MSDOS_SUPER_MAGIC:
    case EXFAT_SUPER_MAGIC:
    case FUSE_SUPER_MAGIC:
        return false;
    default:
        break;
    }
#else
    Q_UNUSED(databasePath);
#endif
    // Times in whole seconds (ext3, some network shares) would miss a write in the same second.
    return state.changedNs % 1000000000 != 0 || state.modifiedNs % 1000000000 != 0;
#endif
}

bool fullCheckDue(const DatabaseStamp& stamp, const QDate& today) {
    const qint64 age = stamp.checked.daysTo(today);
    return age < 0 || age > stampDays;
}

std::optional<DatabaseStamp> vouchingStamp(const QString& databasePath, const QDate& today,
                                           sqlite3* db) {
    const std::optional<DatabaseStamp> stamp = readStamp(databasePath);
    if (!stamp || fullCheckDue(*stamp, today))
        return std::nullopt;
    for (const char* beside : {"-journal", "-wal"})
        if (QFileInfo::exists(databasePath + QLatin1String(beside)))
            return std::nullopt;
    const std::optional<DatabaseState> state = readDatabaseState(databasePath, db);
    if (!state || *state != stamp->state || !timesTellWrites(databasePath, *state))
        return std::nullopt;
    return stamp;
}

// The commit of a transaction -------------------------------------------------------------
//
// SQLite calls the commit hook before it writes anything of the commit; in the rollback
// journal's mode the commit is complete once the journal is deleted. The file layer below
// SQLite sees that deletion, so the stamp follows exactly then, for every commit made on the
// connection, whoever made it.

namespace {

// A commit under way on a file the stamp matched.
struct Pending {
    sqlite3* db = nullptr; // the connection that commits
    QDate checked;         // the day of the file's last full check
    quint32 counter = 0;   // its change counter before the commit
};

struct PendingCommits {
    std::mutex mutex;
    std::map<std::string, Pending> commits; // by database file
};

PendingCommits& pending() {
    static PendingCommits p;
    return p;
}

sqlite3_vfs* underlyingVfs = nullptr;

int beforeCommit(void* arg) {
    auto* db = static_cast<sqlite3*>(arg);
    const char* file = sqlite3_db_filename(db, "main");
    if (!file || !*file)
        return 0;
    const QString path = QFile::decodeName(file);
    const std::optional<DatabaseStamp> stamp = readStamp(path);
    const std::optional<DatabaseState> state = readDatabaseState(path, db);
    std::lock_guard lock(pending().mutex);
    if (stamp && state && *state == stamp->state) {
        pending().commits[file] = {db, stamp->checked, state->header[0]};
    } else {
        // Changed since it was last seen sound: nobody vouches for it now.
        pending().commits.erase(file);
        dropStamp(path);
    }
    return 0;
}

int deleteFile(sqlite3_vfs*, const char* name, int syncFolder) {
    const int rc = underlyingVfs->xDelete(underlyingVfs, name, syncFolder);
    const std::string_view deleted(name);
    if (rc != SQLITE_OK || !deleted.ends_with(journalSuffix.constData()))
        return rc;
    const std::string database(deleted.substr(0, deleted.size() - journalSuffix.size()));
    std::optional<Pending> commit;
    {
        std::lock_guard lock(pending().mutex);
        if (const auto it = pending().commits.find(database); it != pending().commits.end()) {
            commit = it->second;
            pending().commits.erase(it);
        }
    }
    if (!commit)
        return rc;
    // Each commit counts one up; a journal played back (a commit that failed half-way) leaves
    // the old count, and the file as it was is no longer the file the stamp saw.
    const QString path = QFile::decodeName(database.c_str());
    const std::optional<DatabaseState> state = readDatabaseState(path, commit->db);
    if (state && state->header[0] == commit->counter + 1)
        stampWhenSettled(path, *state, commit->checked, commit->db);
    else
        dropStamp(path);
    return rc;
}

} // namespace

const char* commitStampingVfs() {
    static const char* const name = [] {
        static sqlite3_vfs vfs;
        underlyingVfs = sqlite3_vfs_find(nullptr);
        vfs = *underlyingVfs;
        vfs.zName = "natalix-stempel";
        vfs.xDelete = deleteFile;
        vfs.pNext = nullptr;
        sqlite3_vfs_register(&vfs, 0);
        return vfs.zName;
    }();
    return name;
}

void followCommitsWithStamp(sqlite3* db) {
#ifdef Q_OS_UNIX
    sqlite3_commit_hook(db, beforeCommit, db);
#else
    Q_UNUSED(db);
#endif
}

} // namespace natalix
