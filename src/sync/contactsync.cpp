#include "sync/contactsync.h"

#include "contacts/contactimport.h"
#include "contacts/vcard.h"

#include "sync/davsession.h"
#include "sync/discovery.h"
#include "sync/linkstore.h"

#include <map>

namespace natalix {

namespace {

constexpr int batchSize = 100;
const QString listChanged = QStringLiteral(" Die Liste bleibt unverändert.");

QString hrefKey(const QUrl& base, const QString& href) {
    return resolveHref(base, href).adjusted(QUrl::NormalizePathSegments).path(QUrl::FullyDecoded);
}

QString plural(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}

} // namespace

ContactReader importRulesReader(const ReminderDefaults& defaults) {
    return [defaults](const QByteArray& vcard, ContactReading* out, QString* error) {
        const std::optional<Contact> contact = readVCard(vcard);
        if (!contact) {
            *error = QStringLiteral("BEGIN:VCARD fehlt");
            return false;
        }
        const ImportPlan plan = planContactImport({*contact}, {}, defaults);
        out->uid = contact->uid;
        out->record.reset();
        if (plan.rows.front().outcome == ImportRow::Outcome::Add)
            out->record = plan.rows.front().record;
        return true;
    };
}

bool applyContactPlan(TableStore& store, DavLinkStore& links, const QString& book,
                      const ContactPlan& plan, QString* error) {
    if (!store.begin()) {
        *error = store.lastError();
        return false;
    }
    bool ok = true;
    QString why;
    // Removals first: the trigger drops their links, which are written anew below.
    for (qint64 rowid : plan.removals)
        ok = ok && store.remove(rowid);
    for (const ContactPlan::Update& u : plan.updates)
        ok = ok && store.update(u.rowid, u.record);
    std::vector<qint64> added;
    for (const Record& r : plan.adds) {
        const qint64 id = ok ? store.insert(r) : 0;
        ok = id != 0;
        added.push_back(id);
    }
    if (!ok)
        why = store.lastError();
    for (const QString& href : plan.linkRemovals)
        ok = ok && links.removeContactLink(book, href);
    for (const ContactPlan::LinkWrite& w : plan.linkWrites) {
        ContactLink l = w.link;
        if (w.addIndex >= 0)
            l.record = added[static_cast<size_t>(w.addIndex)];
        ok = ok && links.setContactLink(book, w.href, l);
    }
    ok = ok && links.setSyncToken(book, plan.syncToken);
    if (ok && why.isEmpty() && store.commit())
        return true;
    *error = !why.isEmpty()                 ? why
             : !links.lastError().isEmpty() ? links.lastError()
                                            : store.lastError();
    store.rollback();
    return false;
}

ContactSync::ContactSync(TableStore& store, ContactReader reader, SameBirthday same,
                         QObject* parent)
    : QObject(parent), m_store(store), m_reader(std::move(reader)), m_same(std::move(same)),
      m_client(new DavClient(this)) {}

ContactSync::~ContactSync() {
    m_client->abortAll();
}

void ContactSync::fail(const QString& error) {
    m_client->abortAll();
    m_outcome.ok = false;
    m_outcome.message = error + listChanged;
    m_outcome.requests = m_client->requestCount();
    m_outcome.bytes = m_client->bytesReceived();
    emit finished(m_outcome);
}

void ContactSync::start(const QUrl& url) {
    m_outcome = {};
    m_state = {};
    m_undelivered = 0;
    discoverAddressBook(*m_client, url, [this](const DiscoveredBooks& found) {
        if (!found.error.isEmpty()) {
            fail(found.error);
            return;
        }
        m_outcome.book = found.book;
        m_outcome.otherBooks = found.other;
        m_state.addressBook = found.book.toString(QUrl::RemoveUserInfo);
        DavLinkStore links(m_store);
        if (!links.ensureSchema() || !links.contactLinks(m_state.addressBook, &m_links) ||
            !links.syncToken(m_state.addressBook, &m_token)) {
            fail(QStringLiteral("Die Abgleich-Tabellen der Datenbank sind nicht lesbar (%1).")
                     .arg(links.lastError()));
            return;
        }
        emit discovered(found.book);
        const QByteArray body =
            propfindBody({{davns::dav, "resourcetype"}, {davns::dav, "supported-report-set"}});
        requestMultistatus(
            *m_client, "PROPFIND", found.book, "0", body,
            [this](const DavResponse&, const Multistatus& m, const QString& error) {
                if (!error.isEmpty()) {
                    fail(error);
                    return;
                }
                bool syncCollection = false;
                for (const DavResource& d : m.responses)
                    syncCollection = syncCollection ||
                                     d.props.value(davKey(davns::dav, u"supported-report-set"))
                                         .elements.contains(davKey(davns::dav, u"sync-collection"));
                if (syncCollection)
                    list(!m_token.isEmpty());
                else
                    listByPropfind();
            });
    });
}

void ContactSync::list(bool withToken) {
    const QByteArray body =
        syncCollectionBody(withToken ? m_token : QString(), {{davns::dav, "getetag"}});
    requestMultistatus(
        *m_client, "REPORT", m_outcome.book, "", body,
        [this, withToken](const DavResponse& r, const Multistatus& m, const QString& error) {
            if (error.isEmpty()) {
                m_state.syncToken = m.syncToken;
                takeListing(r.url, m, !withToken);
            } else if (!fallBack(r, withToken)) {
                fail(error);
            }
        });
}

// A sync-collection the server cannot answer falls back to a full listing in the same run:
// a token it no longer knows (a restore, a recreated collection) is dropped for the listing
// without one; a server whose report fails even so is listed by PROPFIND. Only a missing
// answer or a refused login ends the run here.
bool ContactSync::fallBack(const DavResponse& r, bool withToken) {
    if (!r.answered() || r.status == 401)
        return false;
    m_token.clear();
    if (withToken)
        list(false);
    else
        listByPropfind();
    return true;
}

void ContactSync::listByPropfind() {
    const QByteArray body = propfindBody({{davns::dav, "resourcetype"}, {davns::dav, "getetag"}});
    requestMultistatus(*m_client, "PROPFIND", m_outcome.book, "1", body,
                       [this](const DavResponse& r, const Multistatus& m, const QString& error) {
                           if (!error.isEmpty()) {
                               fail(error);
                               return;
                           }
                           takeListing(r.url, m, true);
                       });
}

void ContactSync::takeListing(const QUrl& base, const Multistatus& m, bool complete) {
    m_state.complete = complete;
    for (const DavResource& d : m.responses) {
        if (d.href.isEmpty() || sameCollection(resolveHref(base, d.href), m_outcome.book))
            continue;
        if (d.props.value(davKey(davns::dav, u"resourcetype"))
                .elements.contains(davKey(davns::dav, u"collection")))
            continue;
        RemoteContact c;
        c.href = d.href;
        c.etag = d.text(davKey(davns::dav, u"getetag")).trimmed();
        // Only a 404 says that a contact is gone. A member the server will not describe is
        // kept as it was, never taken for deleted.
        c.removed = d.status == 404;
        if (!c.removed && (d.status < 200 || d.status >= 300)) {
            const auto known = m_links.find(d.href);
            if (known == m_links.end())
                continue;
            c.etag = known->second.etag;
        }
        m_state.contacts.push_back(c);
    }
    m_toFetch = hrefsToFetch(m_links, m_state);
    m_fetchPos = 0;
    fetchNext();
}

void ContactSync::fetchNext() {
    if (m_fetchPos >= m_toFetch.size()) {
        if (m_undelivered > 0)
            fail(QStringLiteral("Der Server %1 hat %2 von %3 angefragten Kontakten nicht "
                                "geliefert.")
                     .arg(m_outcome.book.host())
                     .arg(m_undelivered)
                     .arg(m_toFetch.size()));
        else
            apply();
        return;
    }
    QStringList hrefs;
    while (m_fetchPos < m_toFetch.size() && hrefs.size() < batchSize)
        hrefs << m_toFetch[m_fetchPos++];
    const QByteArray body =
        multigetBody(davns::carddav, QStringLiteral("addressbook-multiget"),
                     {{davns::dav, "getetag"}, {davns::carddav, "address-data"}}, hrefs);
    requestMultistatus(
        *m_client, "REPORT", m_outcome.book, "1", body,
        [this, hrefs](const DavResponse& r, const Multistatus& m, const QString& error) {
            if (!error.isEmpty()) {
                fail(error);
                return;
            }
            std::map<QString, const DavResource*> answers;
            for (const DavResource& d : m.responses)
                answers.emplace(hrefKey(r.url, d.href), &d);
            std::map<QString, RemoteContact*> wanted;
            for (RemoteContact& c : m_state.contacts)
                wanted.emplace(hrefKey(m_outcome.book, c.href), &c);
            for (const QString& href : hrefs) {
                RemoteContact* c = wanted.at(hrefKey(m_outcome.book, href));
                const auto it = answers.find(hrefKey(m_outcome.book, href));
                const QString dataKey = davKey(davns::carddav, u"address-data");
                // Gone between the listing and now, in the server's own words.
                if (it != answers.end() && it->second->status == 404) {
                    c->removed = true;
                    continue;
                }
                // Left out, refused or sent without its vCard: nothing is known of it.
                if (it == answers.end() || it->second->status < 200 || it->second->status >= 300 ||
                    !it->second->has(dataKey)) {
                    ++m_undelivered;
                    continue;
                }
                const QString etag = it->second->text(davKey(davns::dav, u"getetag")).trimmed();
                if (!etag.isEmpty())
                    c->etag = etag;
                ContactReading reading;
                QString why;
                if (!m_reader(it->second->text(dataKey).toUtf8(), &reading, &why)) {
                    fail(QStringLiteral("Der Kontakt %1 ist keine lesbare vCard: %2.")
                             .arg(resolveHref(m_outcome.book, href).toString(QUrl::RemoveUserInfo),
                                  why));
                    return;
                }
                c->reading = reading;
                ++m_outcome.fetched;
            }
            fetchNext();
        });
}

void ContactSync::apply() {
    DavLinkStore links(m_store);
    ContactLinks current;
    std::set<qint64> elsewhere;
    bool ok = false;
    const std::vector<StoredRow> rows = m_store.loadAll(&ok);
    if (!ok || !links.contactLinks(m_state.addressBook, &current) ||
        !links.recordsLinkedElsewhere(m_state.addressBook, &elsewhere)) {
        fail(QStringLiteral("Die Liste ist nicht lesbar (%1).")
                 .arg(ok ? links.lastError() : m_store.lastError()));
        return;
    }
    ContactPlan plan = planContactSync(current, rows, elsewhere, m_state, m_same);
    m_outcome.linkedRecords = linkedRecordCount(current, rows);
    const int removals = static_cast<int>(plan.removals.size());
    if (!m_allowRemovals && removalsNeedConfirmation(removals, m_outcome.linkedRecords)) {
        m_outcome.heldRemovals = removals;
        fail(QStringLiteral("Adressbuch %1: Der Abgleich würde %2 von %3 aus der Liste "
                            "entfernen. Das muss bestätigt werden.")
                 .arg(m_state.addressBook)
                 .arg(removals)
                 .arg(plural(m_outcome.linkedRecords, "verknüpften Eintrag",
                             "verknüpften Einträgen")));
        return;
    }
    QString why;
    if (plan.changesList() && m_beforeChange && !m_beforeChange(&why)) {
        fail(QStringLiteral("Vor dem Abgleich konnte die Liste nicht gesichert werden (%1).")
                 .arg(why));
        return;
    }
    // A link lost while the server was asked (a record deleted meanwhile): that contact was
    // not fetched, so the next sync must look at everything again.
    for (const RemoteContact& c : m_state.contacts)
        if (!c.removed && !c.reading && !current.count(c.href))
            plan.syncToken.clear();
    QString error;
    if (!applyContactPlan(m_store, links, m_state.addressBook, plan, &error)) {
        fail(QStringLiteral("Die Änderungen konnten nicht in die Datenbank geschrieben werden "
                            "(%1).")
                 .arg(error));
        return;
    }
    m_outcome.ok = true;
    m_outcome.added = static_cast<int>(plan.adds.size());
    m_outcome.updated = static_cast<int>(plan.updates.size());
    m_outcome.removed = static_cast<int>(plan.removals.size());
    m_outcome.linked = plan.linked;
    m_outcome.skipped = plan.skipped;
    m_outcome.requests = m_client->requestCount();
    m_outcome.bytes = m_client->bytesReceived();
    m_outcome.message =
        QStringLiteral("Adressbuch %1: %2 übernommen, %3 geändert, %4 entfernt, %5 verknüpft.")
            .arg(m_state.addressBook, plural(m_outcome.added, "Geburtstag", "Geburtstage"))
            .arg(m_outcome.updated)
            .arg(m_outcome.removed)
            .arg(m_outcome.linked);
    if (!m_outcome.otherBooks.isEmpty()) {
        QStringList names;
        for (const QUrl& u : m_outcome.otherBooks)
            names << u.toString(QUrl::RemoveUserInfo);
        m_outcome.message += QStringLiteral("\nWeitere Adressbücher, nicht abgeglichen: %1")
                                 .arg(names.join(QStringLiteral(", ")));
    }
    emit finished(m_outcome);
}

} // namespace natalix
