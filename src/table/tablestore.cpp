#include "table/tablestore.h"

#include "table/databasestamp.h"
#include "table/fileerror.h"
#include "table/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace natalix {

namespace {

const char* const createSql = "CREATE TABLE IF NOT EXISTS Geburtstage ("
                              " Nummer INTEGER NOT NULL DEFAULT 0,"
                              " Name TEXT NOT NULL DEFAULT ' ',"
                              " Jahr INTEGER NOT NULL DEFAULT 1900,"
                              " Monat INTEGER NOT NULL DEFAULT 1,"
                              " Tag INTEGER NOT NULL DEFAULT 1,"
                              " \"Erinnerung 1\" TEXT NOT NULL DEFAULT '',"
                              " \"Erinnerung 2\" TEXT NOT NULL DEFAULT '',"
                              " \"Erinnerung 3\" TEXT NOT NULL DEFAULT '',"
                              " Erinnerungsbeginn TEXT NOT NULL DEFAULT '',"
                              " Erinnerungszyklus TEXT NOT NULL DEFAULT '',"
                              " E1 INTEGER NOT NULL DEFAULT 0,"
                              " E2 INTEGER NOT NULL DEFAULT 0,"
                              " E3 INTEGER NOT NULL DEFAULT 0)";

const char* const columns = "Nummer, Name, Jahr, Monat, Tag, \"Erinnerung 1\", \"Erinnerung 2\","
                            " \"Erinnerung 3\", Erinnerungsbeginn, Erinnerungszyklus, E1, E2, E3";

QString columnText(sqlite3_stmt* st, int col) {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    const int bytes = sqlite3_column_bytes(st, col);
    return data ? QString::fromUtf8(data, bytes) : QString();
}

bool isNoRoom(int systemErrno) {
#ifdef Q_OS_UNIX
    return systemErrno == ENOSPC || systemErrno == EFBIG || systemErrno == EDQUOT;
#else
    Q_UNUSED(systemErrno);
    return false;
#endif
}

bool isDamage(int rc) {
    const int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// Only the owner may read the birthdays. SQLite gives its journal the same mode.
bool createPrivateFile(const QString& path) {
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno == EEXIST;
    ::close(fd);
    return true;
#else
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
#endif
}

QByteArrayView columnBytes(sqlite3_stmt* st, int col) {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return data ? QByteArrayView(data, sqlite3_column_bytes(st, col)) : QByteArrayView();
}

// UTF-16 to UTF-8 at up to three bytes per unit, as QStringEncoder writes it (a lone
// surrogate becomes U+FFFD), but without its per-call set-up: an import binds a million texts.
char* appendUtf8(char* out, QStringView text) {
    const char16_t* p = text.utf16();
    const char16_t* const end = p + text.size();
    const auto put = [&out](char32_t c) { *out++ = static_cast<char>(c); };
    while (p < end) {
        char32_t c = *p++;
        if (c < 0x80) {
            put(c);
            continue;
        }
        if (c < 0x800) {
            put(0xC0 | (c >> 6));
            put(0x80 | (c & 0x3F));
            continue;
        }
        if (QChar::isSurrogate(c)) {
            if (QChar::isHighSurrogate(c) && p < end && QChar::isLowSurrogate(*p)) {
                c = QChar::surrogateToUcs4(static_cast<char16_t>(c), *p++);
                put(0xF0 | (c >> 18));
                put(0x80 | ((c >> 12) & 0x3F));
                put(0x80 | ((c >> 6) & 0x3F));
                put(0x80 | (c & 0x3F));
                continue;
            }
            c = 0xFFFD;
        }
        put(0xE0 | (c >> 12));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    }
    return out;
}

// The SQL side of a month-and-day filter. The values arrive as sqlite3_column_int would give
// them, so the filter sees what the reader of the row would see.
const char* const filterFunction = "natalix_wanted";

void callMonthDayFilter(sqlite3_context* context, int, sqlite3_value** values) {
    const auto& wanted =
        *static_cast<const TableStore::MonthDayFilter*>(sqlite3_user_data(context));
    sqlite3_result_int(context, wanted(sqlite3_value_int(values[0]), sqlite3_value_int(values[1])));
}

} // namespace

TableStore::~TableStore() {
    for (sqlite3_stmt* st : {m_insert, m_update, m_delete, m_select})
        sqlite3_finalize(st);
    if (m_db)
        sqlite3_close(m_db);
}

TableStore::Opened TableStore::openChecked(const QString& path, const Record& seed,
                                           const QDate& today) {
    return openFile(path, &seed, false, today);
}

TableStore::Opened TableStore::openBeside(const QString& path, bool readOnly) {
    return openFile(path, nullptr, readOnly, QDate::currentDate());
}

TableStore::Opened TableStore::openFile(const QString& path, const Record* seed, bool readOnly,
                                        const QDate& today) {
    Opened o;
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (isSymbolicLink(path)) {
        o.problem = Problem::Unavailable;
        o.message = QStringLiteral("Die Datenbank \"%1\" ist eine symbolische Verknüpfung. Natalix "
                                   "öffnet seine Datenbank nur als eigene Datei.")
                        .arg(shown);
        return o;
    }
    if (info.exists() && !info.isFile()) {
        o.problem = Problem::Unavailable;
        o.message = QStringLiteral("Die Datenbank \"%1\" ist keine gewöhnliche Datei.").arg(shown);
        return o;
    }
    if (!info.exists() && seed && !createPrivateFile(path)) {
        o.problem = Problem::Unavailable;
        o.message = QStringLiteral("Die Datenbank \"%1\" kann nicht angelegt werden.").arg(shown);
        return o;
    }
    std::unique_ptr<TableStore> store(new TableStore);
    store->m_path = path;
    const QByteArray file = path.toUtf8();
#ifdef Q_OS_UNIX
    const char* const vfs = commitStampingVfs();
#else
    const char* const vfs = nullptr;
#endif
    const int rc = sqlite3_open_v2(file.constData(), &store->m_db,
                                   (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) |
                                       SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW,
                                   vfs);
    if (rc != SQLITE_OK) {
        o.problem = isDamage(rc) ? Problem::Damaged : Problem::Unavailable;
        o.message = QStringLiteral("Die Datenbank \"%1\" kann nicht geöffnet werden: %2")
                        .arg(shown, germanDatabaseError(rc));
        return o;
    }
    sqlite3_extended_result_codes(store->m_db, 1);
    // The running program's second connection waits only for another process's brief read:
    // its first connection, used on the same thread, would never let go meanwhile, and its
    // owner tries again later.
    sqlite3_busy_timeout(store->m_db, seed || readOnly ? 2000 : 100);
    // Reading through a memory map spares a system call and a copy per page.
    store->setMemoryMapped(true);
    // A transaction keeps its changed pages in memory until the commit: spilling them early
    // syncs the journal once more per spill (eight more times for the markers of 100,000
    // records).
    sqlite3_exec(store->m_db, "PRAGMA cache_spill=OFF", nullptr, nullptr, nullptr);
    followCommitsWithStamp(store->m_db);
    QString why;
    const bool vouched = vouchingStamp(path, today, store->m_db).has_value();
    o.problem = store->checkAndPrepare(seed, &why, vouched ? std::nullopt : std::optional(today));
    if (o.problem == Problem::None) {
        o.store = std::move(store);
        return o;
    }
    switch (o.problem) {
    case Problem::Damaged:
        o.message = QStringLiteral("Die Datenbank \"%1\" ist beschädigt (%2). Natalix verändert "
                                   "sie nicht.")
                        .arg(shown, why);
        break;
    case Problem::Foreign:
        o.message = QStringLiteral("Die Datei \"%1\" ist keine Natalix-Datenbank: %2 Natalix "
                                   "verändert sie nicht.")
                        .arg(shown, why);
        break;
    default:
        o.message =
            QStringLiteral("Die Datenbank \"%1\" kann nicht geöffnet werden: %2").arg(shown, why);
    }
    return o;
}

TableStore::Problem TableStore::checkFile(const QString& path) {
    if (isSymbolicLink(path) || !QFileInfo(path).isFile())
        return Problem::Unavailable;
    std::unique_ptr<TableStore> store(new TableStore);
    const int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &store->m_db,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc != SQLITE_OK)
        return isDamage(rc) ? Problem::Damaged : Problem::Unavailable;
    QString ignored;
    return store->checkAndPrepare(nullptr, &ignored, QDate::currentDate());
}

std::unique_ptr<TableStore> TableStore::open(const QString& path, const Record& seed,
                                             QString* error) {
    Opened o = openChecked(path, seed);
    if (!o.store && error)
        *error = o.message;
    return std::move(o.store);
}

TableStore::Problem TableStore::checkPages(QString* message) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "PRAGMA quick_check(1)", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW && columnText(st, 0) != u"ok")
            rc = SQLITE_CORRUPT;
    }
    sqlite3_finalize(st);
    if (rc == SQLITE_ROW)
        return Problem::None;
    *message = germanDatabaseError(rc);
    return isDamage(rc) ? Problem::Damaged : Problem::Unavailable;
}

TableStore::Problem TableStore::checkPagesAndStamp(QString* message, const QDate& today) {
    const std::optional<DatabaseState> before = readDatabaseState(m_path, m_db);
    const Problem p = checkPages(message);
    if (p != Problem::None)
        return p;
    // Only what the check saw: a file that changed meanwhile gets no stamp.
    const std::optional<DatabaseState> after = readDatabaseState(m_path, m_db);
    if (before && after && *before == *after)
        stampWhenSettled(m_path, *after, today, m_db);
    else
        dropStamp(m_path);
    return p;
}

TableStore::Problem TableStore::checkWhenDue(const QDate& today, QString* message) {
    // Pages changed but not yet committed are no state of the file: another day then.
    if (inTransaction() || vouchingStamp(m_path, today, m_db))
        return Problem::None;
    return checkPagesAndStamp(message, today);
}

TableStore::Problem TableStore::checkAndPrepare(const Record* seed, QString* message,
                                                const std::optional<QDate>& checkDay) {
    const auto problemOf = [&](int rc) {
        *message = germanDatabaseError(rc);
        return isDamage(rc) ? Problem::Damaged : Problem::Unavailable;
    };
    // The pages first: a damaged file must never pass for an empty list. Reading every row
    // finds damaged pages, but not a wrong cell count or a child page named twice, and a
    // table read that way would be a shorter list without a word. Only a file exactly as the
    // program last left it sound (its stamp) goes without.
    if (checkDay) {
        // A backup, only read, gets no stamp.
        const Problem p = seed ? checkPagesAndStamp(message, *checkDay) : checkPages(message);
        if (p != Problem::None)
            return p;
    }

    // The table and its thirteen fields, as the program made them.
    int objects = 0;
    bool hasTable = false;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, "SELECT type, name FROM sqlite_schema", -1, &st, nullptr);
    if (rc != SQLITE_OK)
        return problemOf(rc);
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++objects;
        if (columnText(st, 0) == u"table" && columnText(st, 1) == u"Geburtstage")
            hasTable = true;
    }
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE)
        return problemOf(rc);
    if (!hasTable && (objects > 0 || !seed)) {
        *message = QStringLiteral("Ihr fehlt die Tabelle \"Geburtstage\".");
        return Problem::Foreign;
    }
    if (!hasTable) {
        if (!exec(createSql)) {
            *message = m_lastError;
            return Problem::Unavailable;
        }
    } else if (!hasExpectedColumns()) {
        *message = QStringLiteral("Ihre Tabelle \"Geburtstage\" hat nicht die Felder einer "
                                  "Geburtstagsliste.");
        return Problem::Foreign;
    }

    if (!seed)
        return Problem::None;
    rc = sqlite3_prepare_v2(m_db, "SELECT EXISTS (SELECT 1 FROM Geburtstage)", -1, &st, nullptr);
    if (rc != SQLITE_OK)
        return problemOf(rc);
    rc = sqlite3_step(st);
    const bool empty = rc == SQLITE_ROW && sqlite3_column_int64(st, 0) == 0;
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW)
        return problemOf(rc);
    if (empty && insert(*seed) == 0) {
        *message = m_lastError;
        return Problem::Unavailable;
    }
    return Problem::None;
}

bool TableStore::hasExpectedColumns() {
    static const char* const names[] = {"Nummer",
                                        "Name",
                                        "Jahr",
                                        "Monat",
                                        "Tag",
                                        "Erinnerung 1",
                                        "Erinnerung 2",
                                        "Erinnerung 3",
                                        "Erinnerungsbeginn",
                                        "Erinnerungszyklus",
                                        "E1",
                                        "E2",
                                        "E3"};
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA table_info(Geburtstage)", -1, &st, nullptr) != SQLITE_OK)
        return false;
    int column = 0;
    bool ok = true;
    while (sqlite3_step(st) == SQLITE_ROW) {
        if (column >= fieldCount) {
            ok = false;
            break;
        }
        const auto f = static_cast<Field>(column);
        const QString type = columnText(st, 2).toUpper();
        ok = ok && columnText(st, 1) == QLatin1String(names[column]) &&
             type == (isWholeNumberField(f) ? u"INTEGER" : u"TEXT");
        ++column;
    }
    sqlite3_finalize(st);
    return ok && column == fieldCount;
}

bool TableStore::exec(const char* sql) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();
    return true;
}

bool TableStore::fail() {
    // Read first: SQLite does not always keep the system's reason for a failed write.
    const int lastErrno = errno;
    int rc = sqlite3_extended_errcode(m_db);
    const int systemErrno = sqlite3_system_errno(m_db) ? sqlite3_system_errno(m_db) : lastErrno;
    // A file that may grow no further is a full disk, whatever SQLite calls it.
    if ((rc & 0xff) == SQLITE_IOERR && isNoRoom(systemErrno))
        rc = SQLITE_FULL;
    m_lastErrorDamage = isDamage(rc);
    m_lastErrorBusy = (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
    // A trigger's own words say why better than any general text.
    m_lastError = rc == SQLITE_CONSTRAINT_TRIGGER ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                                  : germanDatabaseError(rc);
    return false;
}

sqlite3_stmt* TableStore::prepare(sqlite3_stmt*& cache, const char* sql) {
    if (!cache && sqlite3_prepare_v2(m_db, sql, -1, &cache, nullptr) != SQLITE_OK) {
        fail();
        cache = nullptr;
        return nullptr;
    }
    sqlite3_reset(cache);
    sqlite3_clear_bindings(cache);
    return cache;
}

void TableStore::bindRecord(sqlite3_stmt* st, const Record& r) {
    // All texts of the row go as UTF-8 into one buffer that lives until the statement has
    // run, so neither side allocates per value.
    qsizetype space = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        if (!isWholeNumberField(f))
            space += r.text(f).size() * 3;
    }
    // Never empty: an empty text needs a pointer, or SQLite would store NULL.
    if (m_utf8.size() < static_cast<size_t>(space) + 1)
        m_utf8.resize(static_cast<size_t>(space) + 1);
    char* out = m_utf8.data();
    for (int i = 0; i < fieldCount; ++i) {
        const auto f = static_cast<Field>(i);
        if (isWholeNumberField(f)) {
            sqlite3_bind_int64(st, i + 1, r.wholeNumber(f));
            continue;
        }
        char* const begin = out;
        out = appendUtf8(out, r.text(f));
        sqlite3_bind_text(st, i + 1, begin, static_cast<int>(out - begin), SQLITE_STATIC);
    }
}

std::vector<StoredRow> TableStore::loadAll(bool* ok) {
    std::vector<StoredRow> rows;
    static const QByteArray sql =
        QByteArray("SELECT rowid, ") + columns + " FROM Geburtstage ORDER BY rowid";
    sqlite3_stmt* st = prepare(m_select, sql.constData());
    if (ok)
        *ok = st != nullptr;
    if (!st)
        return rows;
    sqlite3_stmt* counted = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT count(*) FROM Geburtstage", -1, &counted, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(counted) == SQLITE_ROW)
        rows.reserve(static_cast<size_t>(sqlite3_column_int64(counted, 0)));
    sqlite3_finalize(counted);
    // The reminder settings come from short closed lists: rows with the same text share one
    // string, which keeps a big list small in memory (the program runs all day).
    struct Shared {
        QByteArray bytes;
        QString text;
    };
    std::array<std::vector<Shared>, fieldCount> shared;
    const auto textOf = [&](int i) {
        const QByteArrayView bytes = columnBytes(st, i + 1);
        std::vector<Shared>& known = shared[i];
        const bool settings = i >= static_cast<int>(Field::Erinnerung1) &&
                              i <= static_cast<int>(Field::Erinnerungszyklus);
        if (settings) {
            for (const Shared& s : known)
                if (s.bytes == bytes)
                    return s.text;
        }
        QString text = QString::fromUtf8(bytes);
        if (settings && known.size() < 32)
            known.push_back({bytes.toByteArray(), text});
        return text;
    };
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        StoredRow row;
        row.rowid = sqlite3_column_int64(st, 0);
        for (int i = 0; i < fieldCount; ++i) {
            const auto f = static_cast<Field>(i);
            if (isWholeNumberField(f))
                row.record.setWholeNumber(f, static_cast<int>(sqlite3_column_int64(st, i + 1)));
            else
                row.record.setText(f, textOf(i));
        }
        rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        fail();
        if (ok)
            *ok = false;
    }
    sqlite3_reset(st);
    return rows;
}

qint64 TableStore::insert(const Record& r) {
    static const QByteArray sql =
        QByteArray("INSERT INTO Geburtstage (") + columns + ") VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?)";
    sqlite3_stmt* st = prepare(m_insert, sql.constData());
    if (!st)
        return 0;
    bindRecord(st, r);
    if (sqlite3_step(st) != SQLITE_DONE) {
        fail();
        sqlite3_reset(st);
        return 0;
    }
    sqlite3_reset(st);
    return sqlite3_last_insert_rowid(m_db);
}

bool TableStore::update(qint64 rowid, const Record& r) {
    sqlite3_stmt* st =
        prepare(m_update, "UPDATE Geburtstage SET Nummer=?1, Name=?2, Jahr=?3, Monat=?4, Tag=?5,"
                          " \"Erinnerung 1\"=?6, \"Erinnerung 2\"=?7, \"Erinnerung 3\"=?8,"
                          " Erinnerungsbeginn=?9, Erinnerungszyklus=?10, E1=?11, E2=?12, E3=?13"
                          " WHERE rowid=?14");
    if (!st)
        return false;
    bindRecord(st, r);
    sqlite3_bind_int64(st, 14, rowid);
    const bool ok = sqlite3_step(st) == SQLITE_DONE;
    if (!ok)
        fail();
    sqlite3_reset(st);
    return ok;
}

bool TableStore::remove(qint64 rowid) {
    sqlite3_stmt* st = prepare(m_delete, "DELETE FROM Geburtstage WHERE rowid=?1");
    if (!st)
        return false;
    sqlite3_bind_int64(st, 1, rowid);
    const bool ok = sqlite3_step(st) == SQLITE_DONE;
    if (!ok)
        fail();
    sqlite3_reset(st);
    return ok;
}

bool TableStore::removeAllExcept(qint64 rowid) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(m_db, "DELETE FROM Geburtstage WHERE rowid<>?1", -1, &st, nullptr) !=
        SQLITE_OK)
        return fail();
    sqlite3_bind_int64(st, 1, rowid);
    const bool ok = sqlite3_step(st) == SQLITE_DONE;
    if (!ok)
        fail();
    sqlite3_finalize(st);
    return ok;
}

bool TableStore::replaceAll(const std::vector<Record>& records, std::vector<qint64>* rowids,
                            const std::function<void(int)>& before) {
    if (!begin())
        return false;
    bool ok = exec("DELETE FROM Geburtstage");
    if (rowids)
        rowids->clear();
    int counter = 0;
    for (const Record& r : records) {
        if (!ok)
            break;
        if (before)
            before(++counter);
        const qint64 id = insert(r);
        ok = id != 0;
        if (rowids)
            rowids->push_back(id);
    }
    if (!ok) {
        const QString error = m_lastError;
        rollback();
        m_lastError = error;
        return false;
    }
    return commit();
}

bool TableStore::forEachRow(const std::function<void(const ScanRowView&)>& visit,
                            const MonthDayFilter& wanted) {
    static const QByteArray all = QByteArray("SELECT rowid, ") + columns + " FROM Geburtstage";
    static const QByteArray some = all + " WHERE " + filterFunction + "(Monat, Tag)";
    // Registered for this one query: DIRECTONLY keeps it out of triggers and views.
    if (wanted &&
        sqlite3_create_function_v2(m_db, filterFunction, 2, SQLITE_UTF8 | SQLITE_DIRECTONLY,
                                   const_cast<MonthDayFilter*>(&wanted), callMonthDayFilter,
                                   nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(m_db, (wanted ? some : all).constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        ScanRowView row;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            row.rowid = sqlite3_column_int64(st, 0);
            row.nummer = sqlite3_column_int(st, 1);
            row.name = columnBytes(st, 2);
            row.jahr = sqlite3_column_int(st, 3);
            row.monat = sqlite3_column_int(st, 4);
            row.tag = sqlite3_column_int(st, 5);
            for (int i = 0; i < 5; ++i)
                row.settings[i] = columnBytes(st, 6 + i);
            for (int i = 0; i < 3; ++i)
                row.marker[i] = sqlite3_column_int(st, 11 + i);
            visit(row);
        }
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        fail();
    sqlite3_finalize(st);
    if (wanted)
        sqlite3_create_function_v2(m_db, filterFunction, 2, SQLITE_UTF8, nullptr, nullptr, nullptr,
                                   nullptr, nullptr);
    return ok;
}

bool TableStore::writeMarkers(const std::vector<std::pair<qint64, std::array<int, 3>>>& rows) {
    if (rows.empty())
        return true;
    if (!begin())
        return false;
    sqlite3_stmt* st = nullptr;
    bool ok = sqlite3_prepare_v2(m_db, "UPDATE Geburtstage SET E1=?1, E2=?2, E3=?3 WHERE rowid=?4",
                                 -1, &st, nullptr) == SQLITE_OK;
    for (size_t i = 0; ok && i < rows.size(); ++i) {
        sqlite3_reset(st);
        for (int k = 0; k < 3; ++k)
            sqlite3_bind_int64(st, k + 1, rows[i].second[k]);
        sqlite3_bind_int64(st, 4, rows[i].first);
        ok = sqlite3_step(st) == SQLITE_DONE;
    }
    if (!ok)
        fail();
    sqlite3_finalize(st);
    // A COMMIT refused (full disk, busy) leaves the transaction open: it is rolled back too,
    // so that no marker is taken as stored. The rollback keeps the first cause.
    if (ok)
        ok = commit();
    if (!ok)
        rollback();
    return ok;
}

void TableStore::setMemoryMapped(bool on) {
    sqlite3_exec(m_db, on ? "PRAGMA mmap_size=268435456" : "PRAGMA mmap_size=0", nullptr, nullptr,
                 nullptr);
}

void TableStore::releaseMemory() {
    setMemoryMapped(false);
    sqlite3_db_release_memory(m_db);
}

bool TableStore::begin() {
    if (m_transactionDepth == 0 && !exec("BEGIN IMMEDIATE"))
        return false;
    ++m_transactionDepth;
    return true;
}

bool TableStore::commit() {
    if (m_transactionDepth == 0)
        return false;
    if (m_transactionDepth == 1 && !exec("COMMIT"))
        return false;
    --m_transactionDepth;
    return true;
}

bool TableStore::rollback() {
    if (m_transactionDepth == 0)
        return false;
    m_transactionDepth = 0;
    // A full disk or an I/O error may have ended the transaction already; rolling back then
    // would only replace the real cause by "no transaction is active".
    if (sqlite3_get_autocommit(m_db))
        return true;
    const QString cause = m_lastError;
    const bool ok = exec("ROLLBACK");
    if (!cause.isEmpty())
        m_lastError = cause;
    return ok;
}

QString germanDatabaseError(int rc) {
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("Der Datenträger ist voll.");
    case SQLITE_IOERR:
        return QStringLiteral("Der Datenträger meldet einen Lese- oder Schreibfehler.");
    case SQLITE_READONLY:
        return QStringLiteral("Die Datenbank ist schreibgeschützt.");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Die Datenbank wird gerade von einem anderen Programm benutzt.");
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QStringLiteral("Die Datenbank-Datei ist beschädigt.");
    case SQLITE_CANTOPEN:
        return QStringLiteral("Die Datenbank-Datei lässt sich nicht öffnen.");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("Der Zugriff auf die Datenbank wurde verweigert.");
    case SQLITE_NOMEM:
        return QStringLiteral("Der Arbeitsspeicher reicht nicht aus.");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("Die Datenbank hat einen Wert abgelehnt.");
    case SQLITE_TOOBIG:
        return QStringLiteral("Ein Wert ist zu groß für die Datenbank.");
    default:
        return QStringLiteral("Die Datenbank meldet einen Fehler (Nummer %1).").arg(rc);
    }
}

bool TableStore::backupTo(const QString& target, QString* error) {
    const QString temp = target + QStringLiteral(".neu");
    QFile::remove(temp);
    if (!createPrivateFile(temp)) {
        if (error)
            *error = QStringLiteral("Die Sicherung \"%1\" kann nicht angelegt werden.")
                         .arg(QDir::toNativeSeparators(temp));
        return false;
    }
    sqlite3* copy = nullptr;
    int rc = sqlite3_open_v2(temp.toUtf8().constData(), &copy,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_backup* b = sqlite3_backup_init(copy, "main", m_db, "main");
        if (b) {
            rc = sqlite3_backup_step(b, -1);
            const int finished = sqlite3_backup_finish(b);
            if (rc == SQLITE_DONE)
                rc = finished;
        } else {
            rc = sqlite3_extended_errcode(copy);
        }
    }
    sqlite3_close(copy);
    // The copy read every page into the cache; the program runs all day without them.
    sqlite3_db_release_memory(m_db);
    if (rc != SQLITE_OK || !replaceFile(temp, target)) {
        QFile::remove(temp);
        if (error)
            *error = QStringLiteral("Die Sicherung \"%1\" ist misslungen: %2")
                         .arg(QDir::toNativeSeparators(target),
                              rc != SQLITE_OK ? germanDatabaseError(rc)
                                              : QStringLiteral("Sie lässt sich nicht ablegen."));
        return false;
    }
    return true;
}

AccessResult checkDatabaseAccess(const QString& path) {
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        f.close();
        return {};
    }
    const FileError e = classifyFileError(f, FileAccess::Read);
    return {false, e.code, e.description};
}

} // namespace natalix
