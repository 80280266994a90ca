#pragma once

#include "sync/contactplan.h"
#include "sync/davxml.h"

#include <QObject>
#include <QUrl>

namespace natalix {

class DavClient;
struct DavResponse;
class DavLinkStore;

// Reads one vCard resource by the rules of the contacts import. False: it does not parse.
using ContactReader =
    std::function<bool(const QByteArray& vcard, ContactReading* out, QString* error)>;

// The contacts import's reader and rules: a new record gets `defaults` and markers 0.
ContactReader importRulesReader(const ReminderDefaults& defaults);

struct ContactSyncOutcome {
    bool ok = false;
    QString message; // German: the summary, or what failed and that the list stays as it was
    QUrl book;
    QList<QUrl> otherBooks;
    int added = 0, updated = 0, removed = 0, linked = 0, skipped = 0;
    int fetched = 0;  // vCards the server sent
    int requests = 0; // answers received
    qint64 bytes = 0; // their body bytes
    // Set when the run stopped before removing this many of `linkedRecords` records, because
    // that needs the user's word (nothing was changed then).
    int heldRemovals = 0;
    int linkedRecords = 0;
    bool listChanged() const { return added + updated + removed > 0; }
};

// Writes the plan into the list and the link table, all or nothing.
bool applyContactPlan(TableStore& store, DavLinkStore& links, const QString& book,
                      const ContactPlan& plan, QString* error);

// One sync of the list with a CardDAV address book, asynchronous. Everything is fetched
// first; the list is changed only after that, in one transaction, and not at all on any
// failure. The store must outlive the sync.
class ContactSync : public QObject {
    Q_OBJECT
public:
    ContactSync(TableStore& store, ContactReader reader, SameBirthday same,
                QObject* parent = nullptr);
    ~ContactSync() override;

    DavClient& client() { return *m_client; }
    // The user's word that the sync may remove most or all records of the address book.
    void setAllowRemovals(bool allow) { m_allowRemovals = allow; }
    // Run once before the list is changed (the day's backup); false with *error stops the sync.
    void setBeforeChange(std::function<bool(QString* error)> hook) {
        m_beforeChange = std::move(hook);
    }
    void start(const QUrl& url);

signals:
    void discovered(const QUrl& book);
    void finished(const natalix::ContactSyncOutcome& outcome);

private:
    void list(bool withToken);
    void listByPropfind();
    bool fallBack(const DavResponse& r, bool withToken);
    void takeListing(const QUrl& base, const Multistatus& m, bool complete);
    void fetchNext();
    void apply();
    void fail(const QString& error);

    TableStore& m_store;
    ContactReader m_reader;
    SameBirthday m_same;
    DavClient* m_client;
    ContactSyncOutcome m_outcome;
    ContactLinks m_links;
    QString m_token;
    AddressBookState m_state;
    std::vector<QString> m_toFetch;
    size_t m_fetchPos = 0;
    int m_undelivered = 0;
    bool m_allowRemovals = false;
    std::function<bool(QString*)> m_beforeChange;
};

} // namespace natalix
