#pragma once

#include <QString>

#include <functional>
#include <map>
#include <set>

struct sqlite3_stmt;

namespace natalix {

class TableStore;

// A contact of an address book as last seen. `record` is the rowid of its record in
// Geburtstage, 0 when the contact has none (no readable birthday, or already in the list).
struct ContactLink {
    QString uid;
    QString etag;
    qint64 record = 0;
};
using ContactLinks = std::map<QString, ContactLink>; // by href

// An event this program put into a calendar.
struct PublishedEvent {
    QString uid;
    QString etag;
    QString digest; // of the bytes sent, to see whether the record changed since
};
using PublishedEvents = std::map<QString, PublishedEvent>; // by href

// A request written down before it is sent, so that a run that ends before the answer
// (killed, the reply lost) is settled by the next one.
struct PendingEvent {
    enum class Action { Put, Delete };
    QString uid;
    Action action = Action::Put;
    QString digest; // of the event a PUT sends
};
using PendingEvents = std::map<QString, PendingEvent>; // by href

// The sync's own tables in the list's database, beside Geburtstage and never in the list
// file. Created on first use. A record deleted by any command loses its link through a
// trigger, and its address book its sync token, so the next sync looks at every contact
// again instead of trusting a delta that no longer fits.
class DavLinkStore {
public:
    explicit DavLinkStore(TableStore& store) : m_store(store) {}

    bool ensureSchema();
    QString lastError() const { return m_error; }

    bool contactLinks(const QString& addressBook, ContactLinks* out);
    bool setContactLink(const QString& addressBook, const QString& href, const ContactLink& l);
    bool removeContactLink(const QString& addressBook, const QString& href);
    // Records linked to contacts of any address book but this one.
    bool recordsLinkedElsewhere(const QString& addressBook, std::set<qint64>* out);

    bool syncToken(const QString& collection, QString* out);
    bool setSyncToken(const QString& collection, const QString& token);

    bool publishedEvents(const QString& calendar, PublishedEvents* out);
    bool setPublishedEvent(const QString& calendar, const QString& href, const PublishedEvent& e);
    bool removePublishedEvent(const QString& calendar, const QString& href);

    bool pendingEvents(const QString& calendar, PendingEvents* out);
    bool setPendingEvent(const QString& calendar, const QString& href, const PendingEvent& e);
    bool removePendingEvent(const QString& calendar, const QString& href);
    // What the server confirmed, in one transaction with the end of its pending request:
    // the event as published now, or (without `event`) no longer published.
    bool settle(const QString& calendar, const QString& href, const PublishedEvent* event);

private:
    bool run(const char* sql, const QStringList& texts, qint64 number = -1);
    // Steps through every row of a query; false (and m_error) when it could not be read whole.
    bool eachRow(const char* sql, const QStringList& texts,
                 const std::function<void(sqlite3_stmt*)>& row);
    TableStore& m_store;
    QString m_error;
};

} // namespace natalix
