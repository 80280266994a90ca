#include "reminder/openlines.h"

#include "table/tablestore.h"

#include <sqlite3.h>

#include <memory>

namespace natalix {

namespace {

const char* const schemaSql = "CREATE TABLE IF NOT EXISTS OpenReminders ("
                              " Window INTEGER NOT NULL, Shown TEXT NOT NULL,"
                              " Line INTEGER NOT NULL, Text TEXT NOT NULL,"
                              " PRIMARY KEY (Window, Line))";

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

Statement prepared(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        st = nullptr;
    return Statement(st, sqlite3_finalize);
}

void bindText(sqlite3_stmt* st, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(st, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt* st, int col) {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return data ? QString::fromUtf8(data, sqlite3_column_bytes(st, col)) : QString();
}

} // namespace

bool OpenLines::prepare() {
    return sqlite3_exec(m_store.handle(), schemaSql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

qint64 OpenLines::keep(const QDateTime& shown, const QStringList& lines) {
    sqlite3* db = m_store.handle();
    Statement next = prepared(db, "SELECT COALESCE(MAX(Window), 0) + 1 FROM OpenReminders");
    if (!next || sqlite3_step(next.get()) != SQLITE_ROW)
        return 0;
    const qint64 id = sqlite3_column_int64(next.get(), 0);
    Statement insert = prepared(db, "INSERT INTO OpenReminders (Window, Shown, Line, Text)"
                                    " VALUES (?1, ?2, ?3, ?4)");
    if (!insert)
        return 0;
    sqlite3_bind_int64(insert.get(), 1, id);
    bindText(insert.get(), 2, shown.toString(Qt::ISODate));
    for (int i = 0; i < lines.size(); ++i) {
        sqlite3_reset(insert.get());
        sqlite3_bind_int(insert.get(), 3, i);
        bindText(insert.get(), 4, lines[i]);
        if (sqlite3_step(insert.get()) != SQLITE_DONE)
            return 0;
    }
    return id;
}

std::vector<OpenWindow> OpenLines::windows(bool* ok) {
    std::vector<OpenWindow> out;
    Statement st = prepared(m_store.handle(), "SELECT Window, Shown, Text FROM OpenReminders"
                                              " ORDER BY Window, Line");
    int rc = SQLITE_ERROR;
    if (st) {
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            const qint64 id = sqlite3_column_int64(st.get(), 0);
            if (out.empty() || out.back().id != id)
                out.push_back(
                    {id, QDateTime::fromString(columnText(st.get(), 1), Qt::ISODate), {}});
            out.back().lines << columnText(st.get(), 2);
        }
    }
    if (ok)
        *ok = rc == SQLITE_DONE;
    return out;
}

bool OpenLines::forget(qint64 id) {
    Statement st = prepared(m_store.handle(), "DELETE FROM OpenReminders WHERE Window = ?1");
    if (!st)
        return false;
    sqlite3_bind_int64(st.get(), 1, id);
    return sqlite3_step(st.get()) == SQLITE_DONE;
}

} // namespace natalix
