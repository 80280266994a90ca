#pragma once

#include "table/record.h"

#include <QString>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace natalix {

struct StoredRow {
    qint64 rowid = 0;
    Record record;
};

// The table Geburtstage in the SQLite file Geburtstage.db. Every value goes through bound
// parameters; no text from a user or a file is ever part of an SQL statement.
class TableStore {
public:
    ~TableStore();
    TableStore(const TableStore&) = delete;
    TableStore& operator=(const TableStore&) = delete;

    static QString databaseFileName() { return QStringLiteral("Geburtstage.db"); }

    // Opens (and creates when missing) the database; an empty table is seeded with `seed`.
    static std::unique_ptr<TableStore> open(const QString& path, const Record& seed,
                                            QString* error);

    std::vector<StoredRow> loadAll(bool* ok = nullptr);
    qint64 insert(const Record& r); // rowid, or 0 on failure
    bool update(qint64 rowid, const Record& r);
    bool remove(qint64 rowid);
    bool removeAllExcept(qint64 rowid);
    // Replaces every row by `records`, inside the caller's transaction or one of its own.
    bool replaceAll(const std::vector<Record>& records, std::vector<qint64>* rowids = nullptr);

    bool begin();
    bool commit();
    bool rollback();
    bool inTransaction() const { return m_transactionDepth > 0; }

    QString lastError() const { return m_lastError; }
    QString path() const { return m_path; }

private:
    TableStore() = default;
    bool exec(const char* sql);
    sqlite3_stmt* prepare(sqlite3_stmt*& cache, const char* sql);
    bool fail();
    void bindRecord(sqlite3_stmt* st, const Record& r);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_update = nullptr;
    sqlite3_stmt* m_delete = nullptr;
    sqlite3_stmt* m_select = nullptr;
    int m_transactionDepth = 0;
    QString m_lastError;
    QString m_path;
};

// Access check before a scan: the database file opens for reading.
struct AccessResult {
    bool ok = true;
    int errorNumber = 0;
    QString description;
};
AccessResult checkDatabaseAccess(const QString& path);

} // namespace natalix
