#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QString>

#include <array>
#include <optional>

struct sqlite3;

namespace natalix {

// What the file system and SQLite's own header tell of a database file. Every write changes
// some of it: the change time (ctime) on any write at all, since nobody can set it back; the
// header fields on every commit of any SQLite program.
struct DatabaseState {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0; // mtime, in nanoseconds
    qint64 changedNs = 0;  // ctime, in nanoseconds
    // Big-endian words of the header: change counter (24), size in pages (28), schema cookie
    // (40), version-valid-for (92), SQLite version (96).
    std::array<quint32, 5> header{};
    bool operator==(const DatabaseState&) const = default;
};

// The database as the program last saw it sound: after a full check, or after its own commit
// on a file it had seen sound. Kept beside the database; losing it costs one more check.
struct DatabaseStamp {
    DatabaseState state;
    QDate checked; // the day of the last full check
    bool operator==(const DatabaseStamp&) const = default;
};

// Header offsets of the fields above, in their order.
inline constexpr std::array<int, 5> stampedHeaderOffsets{24, 28, 40, 92, 96};
// The stamp is trusted for this many days after the full check; then the check runs again.
inline constexpr int stampDays = 7;

QString stampPath(const QString& databasePath); // "Geburtstage.db.geprueft"
// The header is read through SQLite, on `db`'s own file when given (the database must be the
// file at `databasePath`), else on a connection of its own: closing any other descriptor of
// the file would let go of the locks SQLite holds on it in this process.
std::optional<DatabaseState> readDatabaseState(const QString& databasePath, sqlite3* db = nullptr);
QByteArray renderStamp(const DatabaseStamp& stamp);
// Only a stamp exactly as renderStamp writes it; anything else is no stamp.
std::optional<DatabaseStamp> parseStamp(QByteArrayView bytes);
std::optional<DatabaseStamp> readStamp(const QString& databasePath);
// Through the safe save, without a sync: a stamp lost in a crash only means one more check.
bool writeStamp(const QString& databasePath, const DatabaseStamp& stamp);
// Writes the stamp for the file in `seen` once the clock has moved past the file's change
// time, when the file is still as seen then: the system keeps times in ticks of a few
// milliseconds, and a write in the tick just seen would leave the same change time. Drops the
// stamp instead when the file changed, or its times tell nothing.
bool stampWhenSettled(const QString& databasePath, const DatabaseState& seen, const QDate& checked,
                      sqlite3* db);
void dropStamp(const QString& databasePath);

// Whether the times of the file can tell a write: not on FAT and exFAT (no change time, or
// one in whole seconds), nor on Windows.
bool timesTellWrites(const QString& databasePath, const DatabaseState& state);

// The stamp that allows skipping the check of the pages: it matches the file exactly, no
// journal or write-ahead log lies beside it (SQLite would change the file on its first
// read), its full check is at most seven days old, and the file's times can be trusted.
std::optional<DatabaseStamp> vouchingStamp(const QString& databasePath, const QDate& today,
                                           sqlite3* db = nullptr);
// A stamp whose full check is older than seven days (or from a day yet to come).
bool fullCheckDue(const DatabaseStamp& stamp, const QDate& today);

// Keeps the stamp in step with the commits made on `db`: a commit on a file the stamp
// matched writes the new stamp once SQLite has finished it; a commit on a file that changed
// since drops the stamp. `db` must have been opened on commitStampingVfs().
void followCommitsWithStamp(sqlite3* db);
// The name of the SQLite file layer that tells when a commit is complete.
const char* commitStampingVfs();

} // namespace natalix
