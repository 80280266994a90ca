#include "sync/linkstore.h"

#include "table/tablestore.h"

#include <QStringList>

#include <sqlite3.h>

namespace natalix {

namespace {

const char* const schemaSql =
    "CREATE TABLE IF NOT EXISTS DavContactLinks ("
    " addressbook TEXT NOT NULL, href TEXT NOT NULL, uid TEXT NOT NULL DEFAULT '',"
    " etag TEXT NOT NULL DEFAULT '', record INTEGER, PRIMARY KEY (addressbook, href));"
    "CREATE INDEX IF NOT EXISTS DavContactLinks_record ON DavContactLinks (record);"
    "CREATE TABLE IF NOT EXISTS DavSyncTokens ("
    " collection TEXT NOT NULL PRIMARY KEY, token TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS DavPublishedEvents ("
    " calendar TEXT NOT NULL, href TEXT NOT NULL, uid TEXT NOT NULL DEFAULT '',"
    " etag TEXT NOT NULL DEFAULT '', digest TEXT NOT NULL DEFAULT '',"
    " PRIMARY KEY (calendar, href));"
    "CREATE TABLE IF NOT EXISTS DavPendingEvents ("
    " calendar TEXT NOT NULL, href TEXT NOT NULL, uid TEXT NOT NULL DEFAULT '',"
    " action TEXT NOT NULL, digest TEXT NOT NULL DEFAULT '', PRIMARY KEY (calendar, href));"
    "CREATE TRIGGER IF NOT EXISTS DavContactLinks_recordDeleted AFTER DELETE ON Geburtstage"
    " BEGIN"
    "  DELETE FROM DavSyncTokens WHERE collection IN"
    "   (SELECT addressbook FROM DavContactLinks WHERE record = OLD.rowid);"
    "  DELETE FROM DavContactLinks WHERE record = OLD.rowid;"
    " END;";

QString columnText(sqlite3_stmt* st, int col) {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(st, col));
    return data ? QString::fromUtf8(data, sqlite3_column_bytes(st, col)) : QString();
}

// A prepared statement with its texts bound, finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const char* sql, const QStringList& texts) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_st, nullptr) != SQLITE_OK)
            return;
        for (int i = 0; i < texts.size(); ++i) {
            const QByteArray utf8 = texts[i].toUtf8();
            sqlite3_bind_text(m_st, i + 1, utf8.constData(), static_cast<int>(utf8.size()),
                              SQLITE_TRANSIENT);
        }
    }
    ~Statement() { sqlite3_finalize(m_st); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return m_st; }

private:
    sqlite3_stmt* m_st = nullptr;
};

} // namespace

bool DavLinkStore::ensureSchema() {
    char* message = nullptr;
    if (sqlite3_exec(m_store.handle(), schemaSql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    m_error = QString::fromUtf8(message ? message : "");
    sqlite3_free(message);
    return false;
}

bool DavLinkStore::run(const char* sql, const QStringList& texts, qint64 number) {
    Statement st(m_store.handle(), sql, texts);
    if (st.get() && number >= 0) {
        if (number == 0)
            sqlite3_bind_null(st.get(), static_cast<int>(texts.size()) + 1);
        else
            sqlite3_bind_int64(st.get(), static_cast<int>(texts.size()) + 1, number);
    }
    if (st.get() && sqlite3_step(st.get()) == SQLITE_DONE)
        return true;
    m_error = QString::fromUtf8(sqlite3_errmsg(m_store.handle()));
    return false;
}

bool DavLinkStore::eachRow(const char* sql, const QStringList& texts,
                           const std::function<void(sqlite3_stmt*)>& row) {
    Statement st(m_store.handle(), sql, texts);
    int rc = st.get() ? SQLITE_ROW : SQLITE_ERROR;
    while (st.get() && (rc = sqlite3_step(st.get())) == SQLITE_ROW)
        row(st.get());
    if (rc == SQLITE_DONE)
        return true;
    m_error = QString::fromUtf8(sqlite3_errmsg(m_store.handle()));
    return false;
}

bool DavLinkStore::contactLinks(const QString& addressBook, ContactLinks* out) {
    out->clear();
    return eachRow("SELECT href, uid, etag, record FROM DavContactLinks WHERE addressbook = ?1",
                   {addressBook}, [out](sqlite3_stmt* st) {
                       out->insert_or_assign(columnText(st, 0),
                                             ContactLink{columnText(st, 1), columnText(st, 2),
                                                         sqlite3_column_int64(st, 3)});
                   });
}

bool DavLinkStore::setContactLink(const QString& addressBook, const QString& href,
                                  const ContactLink& l) {
    return run("INSERT OR REPLACE INTO DavContactLinks (addressbook, href, uid, etag, record)"
               " VALUES (?1, ?2, ?3, ?4, ?5)",
               {addressBook, href, l.uid, l.etag}, l.record);
}

bool DavLinkStore::removeContactLink(const QString& addressBook, const QString& href) {
    return run("DELETE FROM DavContactLinks WHERE addressbook = ?1 AND href = ?2",
               {addressBook, href});
}

bool DavLinkStore::recordsLinkedElsewhere(const QString& addressBook, std::set<qint64>* out) {
    out->clear();
    return eachRow(
        "SELECT record FROM DavContactLinks WHERE addressbook <> ?1 AND record IS NOT NULL",
        {addressBook}, [out](sqlite3_stmt* st) { out->insert(sqlite3_column_int64(st, 0)); });
}

bool DavLinkStore::syncToken(const QString& collection, QString* out) {
    out->clear();
    Statement st(m_store.handle(), "SELECT token FROM DavSyncTokens WHERE collection = ?1",
                 {collection});
    const int rc = st.get() ? sqlite3_step(st.get()) : SQLITE_ERROR;
    if (rc == SQLITE_ROW)
        *out = columnText(st.get(), 0);
    if (rc == SQLITE_ROW || rc == SQLITE_DONE)
        return true;
    m_error = QString::fromUtf8(sqlite3_errmsg(m_store.handle()));
    return false;
}

bool DavLinkStore::setSyncToken(const QString& collection, const QString& token) {
    if (token.isEmpty())
        return run("DELETE FROM DavSyncTokens WHERE collection = ?1", {collection});
    return run("INSERT OR REPLACE INTO DavSyncTokens (collection, token) VALUES (?1, ?2)",
               {collection, token});
}

bool DavLinkStore::publishedEvents(const QString& calendar, PublishedEvents* out) {
    out->clear();
    return eachRow("SELECT href, uid, etag, digest FROM DavPublishedEvents WHERE calendar = ?1",
                   {calendar}, [out](sqlite3_stmt* st) {
                       out->insert_or_assign(
                           columnText(st, 0),
                           PublishedEvent{columnText(st, 1), columnText(st, 2), columnText(st, 3)});
                   });
}

bool DavLinkStore::setPublishedEvent(const QString& calendar, const QString& href,
                                     const PublishedEvent& e) {
    return run("INSERT OR REPLACE INTO DavPublishedEvents (calendar, href, uid, etag, digest)"
               " VALUES (?1, ?2, ?3, ?4, ?5)",
               {calendar, href, e.uid, e.etag, e.digest});
}

bool DavLinkStore::removePublishedEvent(const QString& calendar, const QString& href) {
    return run("DELETE FROM DavPublishedEvents WHERE calendar = ?1 AND href = ?2",
               {calendar, href});
}

bool DavLinkStore::pendingEvents(const QString& calendar, PendingEvents* out) {
    out->clear();
    return eachRow("SELECT href, uid, action, digest FROM DavPendingEvents WHERE calendar = ?1",
                   {calendar}, [out](sqlite3_stmt* st) {
                       const bool del = columnText(st, 2) == u"DELETE";
                       out->insert_or_assign(columnText(st, 0),
                                             PendingEvent{columnText(st, 1),
                                                          del ? PendingEvent::Action::Delete
                                                              : PendingEvent::Action::Put,
                                                          columnText(st, 3)});
                   });
}

bool DavLinkStore::setPendingEvent(const QString& calendar, const QString& href,
                                   const PendingEvent& e) {
    const QString action =
        e.action == PendingEvent::Action::Delete ? QStringLiteral("DELETE") : QStringLiteral("PUT");
    return run("INSERT OR REPLACE INTO DavPendingEvents (calendar, href, uid, action, digest)"
               " VALUES (?1, ?2, ?3, ?4, ?5)",
               {calendar, href, e.uid, action, e.digest});
}

bool DavLinkStore::removePendingEvent(const QString& calendar, const QString& href) {
    return run("DELETE FROM DavPendingEvents WHERE calendar = ?1 AND href = ?2", {calendar, href});
}

bool DavLinkStore::settle(const QString& calendar, const QString& href,
                          const PublishedEvent* event) {
    if (!m_store.begin()) {
        m_error = m_store.lastError();
        return false;
    }
    const bool ok = (event ? setPublishedEvent(calendar, href, *event)
                           : removePublishedEvent(calendar, href)) &&
                    removePendingEvent(calendar, href);
    if (ok && m_store.commit())
        return true;
    if (ok)
        m_error = m_store.lastError();
    m_store.rollback();
    return false;
}

} // namespace natalix
