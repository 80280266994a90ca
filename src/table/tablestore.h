#pragma once

#include "table/record.h"

#include <QByteArrayView>
#include <QDate>
#include <QString>

#include <QStringEncoder>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace natalix {

struct StoredRow {
    qint64 rowid = 0;
    Record record;
};

// One row as a reminder scan reads it: numbers as numbers, texts as the stored UTF-8 bytes
// (valid only during the callback), so that a scan builds no records.
struct ScanRowView {
    qint64 rowid = 0;
    int nummer = 0;
    QByteArrayView name;
    int jahr = 0;
    int monat = 0;
    int tag = 0;
    std::array<QByteArrayView, 5> settings; // the three reminders, start, cycle
    std::array<int, 3> marker{0, 0, 0};
};

// The table Geburtstage in the SQLite file Geburtstage.db. Every value goes through bound
// parameters; no text from a user or a file is ever part of an SQL statement.
class TableStore {
public:
    ~TableStore();
    TableStore(const TableStore&) = delete;
    TableStore& operator=(const TableStore&) = delete;

    static QString databaseFileName() { return QStringLiteral("Geburtstage.db"); }

    // Why a database could not be opened. A damaged or foreign file is never written to.
    enum class Problem { None, Unavailable, Damaged, Foreign };
    struct Opened {
        std::unique_ptr<TableStore> store;
        Problem problem = Problem::None;
        QString message; // German, for the user
    };
    // Opens (and creates when missing) the database after checking it: its pages (SQLite's
    // quick check) and the table Geburtstage with its thirteen fields. A new or empty table
    // is seeded with `seed`. The file is never opened through a symbolic link.
    // The pages are not checked again while the stamp beside the file shows it exactly as the
    // program last left it sound, and that no more than seven days after its last check
    // (databasestamp.h); each passing check and each commit keeps the stamp up to date.
    static Opened openChecked(const QString& path, const Record& seed,
                              const QDate& today = QDate::currentDate());
    static std::unique_ptr<TableStore> open(const QString& path, const Record& seed,
                                            QString* error);
    // A further connection to a database that exists already: checked the same way, never
    // created or seeded. Read-only for a scan beside the running program; read-write for the
    // running program's own scan, which then waits only briefly for a busy database.
    static Opened openBeside(const QString& path, bool readOnly);
    // Checks the pages now unless the stamp vouches for the file (a full check at most seven
    // days old); a sound file gets a new stamp. *message says what a check found.
    Problem checkWhenDue(const QDate& today, QString* message);
    // The same checks on a file that is only read, such as a backup.
    static Problem checkFile(const QString& path);
    // Copies the whole database into `target` (replaced safely) through SQLite's backup.
    bool backupTo(const QString& target, QString* error);

    std::vector<StoredRow> loadAll(bool* ok = nullptr);
    qint64 insert(const Record& r); // rowid, or 0 on failure
    bool update(qint64 rowid, const Record& r);
    bool remove(qint64 rowid);
    bool removeAllExcept(qint64 rowid);
    // Replaces every row by `records`, inside the caller's transaction or one of its own.
    // `before` hears the 1-based number of each record before it is stored.
    bool replaceAll(const std::vector<Record>& records, std::vector<qint64>* rowids = nullptr,
                    const std::function<void(int)>& before = {});

    // Every row in storage order, without building records. With `wanted`, only the rows
    // it accepts by month and day: the others are never decoded beyond those two fields.
    using MonthDayFilter = std::function<bool(int monat, int tag)>;
    bool forEachRow(const std::function<void(const ScanRowView&)>& visit,
                    const MonthDayFilter& wanted = {});
    // Writes the markers E1 to E3 of the given rows, all in one transaction.
    bool writeMarkers(const std::vector<std::pair<qint64, std::array<int, 3>>>& rows);

    // Reads go through a memory map of the file (the default), or through SQLite's cache.
    void setMemoryMapped(bool on);
    // Gives back the map and the cached pages: a connection that waits for tomorrow's scan
    // need not hold the file in memory.
    void releaseMemory();

    bool begin();
    bool commit();
    bool rollback();
    bool inTransaction() const { return m_transactionDepth > 0; }

    QString lastError() const { return m_lastError; }
    // The last failure came from damaged pages.
    bool lastErrorIsDamage() const { return m_lastErrorDamage; }
    // The last failure came from another connection holding the file.
    bool lastErrorIsBusy() const { return m_lastErrorBusy; }
    QString path() const { return m_path; }
    // For tables that live beside Geburtstage and share its transactions (the sync's links).
    sqlite3* handle() const { return m_db; }

private:
    TableStore() = default;
    static Opened openFile(const QString& path, const Record* seed, bool readOnly,
                           const QDate& today);
    // Without a seed the file is only checked, never changed. The pages are checked on
    // `checkDay` (where the program's own file passes, it gets a stamp), or else trusted.
    Problem checkAndPrepare(const Record* seed, QString* message,
                            const std::optional<QDate>& checkDay);
    Problem checkPages(QString* message);
    Problem checkPagesAndStamp(QString* message, const QDate& today);
    bool hasExpectedColumns();
    bool exec(const char* sql);
    sqlite3_stmt* prepare(sqlite3_stmt*& cache, const char* sql);
    bool fail();
    void bindRecord(sqlite3_stmt* st, const Record& r);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_update = nullptr;
    sqlite3_stmt* m_delete = nullptr;
    sqlite3_stmt* m_select = nullptr;
    std::vector<char> m_utf8; // the texts of the row being bound, reused from row to row
    int m_transactionDepth = 0;
    QString m_lastError;
    bool m_lastErrorDamage = false;
    bool m_lastErrorBusy = false;
    QString m_path;
};

// Access check before a scan: the database file opens for reading.
struct AccessResult {
    bool ok = true;
    int errorNumber = 0;
    QString description;
};
AccessResult checkDatabaseAccess(const QString& path);

// What a failing database operation means to the user, in German, by SQLite result code.
QString germanDatabaseError(int sqliteResultCode);

} // namespace natalix
