#pragma once

#include "sync/contactplan.h"
#include "sync/davxml.h"

#include <QObject>
#include <QUrl>

namespace natalix {

class DavClient;
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
    void start(const QUrl& url);

signals:
    void discovered(const QUrl& book);
    void finished(const natalix::ContactSyncOutcome& outcome);

private:
    void list(bool withToken);
    void listByPropfind();
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
};

} // namespace natalix
