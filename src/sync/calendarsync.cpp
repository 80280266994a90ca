#include "sync/calendarsync.h"

#include "sync/davsession.h"
#include "sync/linkstore.h"
#include "table/tablestore.h"

#include <QCryptographicHash>

namespace natalix {

namespace {

QString decodedPath(const QUrl& base, const QString& href) {
    return resolveHref(base, href).adjusted(QUrl::NormalizePathSegments).path(QUrl::FullyDecoded);
}

} // namespace

std::vector<DesiredEvent> desiredEvents(const Snapshot& records, const QUrl& calendar,
                                        const CalendarContext& context, int* skipped) {
    std::vector<DesiredEvent> out;
    *skipped = 0;
    // DTSTAMP changes with every run; whether the event changed is judged without it.
    CalendarContext fixed = context;
    fixed.stamp = QDateTime::fromSecsSinceEpoch(0, Qt::UTC);
    const QString base = collectionUrl(calendar).path(QUrl::FullyDecoded);
    for (const Record& r : records) {
        if (renderEvent(r, context).isEmpty()) {
            ++*skipped;
            continue;
        }
        DesiredEvent e;
        e.uid = eventUid(r);
        e.href = base + eventResourceName(e.uid);
        e.ics = renderCalendar({r}, context);
        e.digest = QString::fromLatin1(
            QCryptographicHash::hash(renderCalendar({r}, fixed), QCryptographicHash::Sha256)
                .toHex());
        out.push_back(std::move(e));
    }
    return out;
}

CalendarSync::CalendarSync(TableStore& store, const CalendarContext& context, QObject* parent)
    : QObject(parent), m_store(store), m_context(context), m_client(new DavClient(this)) {}

CalendarSync::~CalendarSync() {
    m_client->abortAll();
}

QUrl CalendarSync::resourceUrl(const QString& href) const {
    QUrl u = m_calendar;
    u.setPath(href, QUrl::DecodedMode);
    return u;
}

void CalendarSync::start(const QUrl& url) {
    m_outcome = {};
    m_plan = {};
    m_putPos = m_deletePos = 0;
    m_calendar = collectionUrl(url);
    m_key = m_calendar.toString(QUrl::RemoveUserInfo);
    const QByteArray body = propfindBody({{davns::dav, "resourcetype"}, {davns::dav, "getetag"}});
    requestMultistatus(*m_client, "PROPFIND", m_calendar, "1", body,
                       [this](const DavResponse& r, const Multistatus& m, const QString& error) {
                           if (!error.isEmpty())
                               done(false, error);
                           else
                               planned(r.url, m);
                       });
}

void CalendarSync::planned(const QUrl& base, const Multistatus& m) {
    bool isCalendar = false;
    std::map<QString, QString> server;
    for (const DavResource& d : m.responses) {
        if (d.status >= 300 || d.href.isEmpty())
            continue;
        const DavProperty type = d.props.value(davKey(davns::dav, u"resourcetype"));
        if (sameCollection(resolveHref(base, d.href), m_calendar)) {
            isCalendar = isCalendar || type.elements.contains(davKey(davns::caldav, u"calendar"));
            continue;
        }
        if (!type.elements.contains(davKey(davns::dav, u"collection")))
            server.emplace(decodedPath(base, d.href),
                           d.text(davKey(davns::dav, u"getetag")).trimmed());
    }
    if (!isCalendar) {
        done(false, QStringLiteral("Unter %1 liegt kein CalDAV-Kalender.").arg(m_key));
        return;
    }
    DavLinkStore links(m_store);
    PublishedEvents published;
    bool ok = false;
    std::vector<StoredRow> rows = m_store.loadAll(&ok);
    if (!ok || !links.ensureSchema() || !links.publishedEvents(m_key, &published)) {
        done(false, QStringLiteral("Die Liste ist nicht lesbar (%1).")
                        .arg(ok ? links.lastError() : m_store.lastError()));
        return;
    }
    std::sort(rows.begin(), rows.end(), [](const StoredRow& a, const StoredRow& b) {
        return a.record.nummer < b.record.nummer;
    });
    Snapshot records;
    for (StoredRow& row : rows)
        records.push_back(std::move(row.record));
    const std::vector<DesiredEvent> desired =
        desiredEvents(records, m_calendar, m_context, &m_outcome.withoutEvent);
    m_plan = planCalendarSync(desired, published, server);
    m_outcome.unchanged = m_plan.unchanged;
    for (const QString& href : m_plan.forget)
        links.removePublishedEvent(m_key, href);
    for (const auto& [href, etag] : m_plan.learnEtags) {
        PublishedEvent e = published.at(href);
        e.etag = etag;
        links.setPublishedEvent(m_key, href, e);
    }
    emit listed();
    next();
}

void CalendarSync::next() {
    if (m_putPos < m_plan.puts.size()) {
        const CalendarPlan::Put& put = m_plan.puts[m_putPos];
        DavHeaders headers{{"Content-Type", "text/calendar; charset=utf-8"}};
        if (put.ifMatch.isEmpty())
            headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
        else
            headers.append(qMakePair(QByteArray("If-Match"), put.ifMatch));
        m_client->send("PUT", resourceUrl(put.event.href), put.event.ics, headers,
                       [this](const DavResponse& r) {
                           const CalendarPlan::Put& put = m_plan.puts[m_putPos];
                           if (!r.ok()) {
                               done(false, r.status == 412
                                               ? QStringLiteral("Der Termin %1 wurde "
                                                                "inzwischen auf dem Server "
                                                                "geändert.")
                                                     .arg(put.event.uid)
                                               : davErrorMessage(*m_client, r));
                               return;
                           }
                           DavLinkStore links(m_store);
                           if (!links.setPublishedEvent(
                                   m_key, put.event.href,
                                   {put.event.uid, QString::fromUtf8(r.etag), put.event.digest})) {
                               done(false, QStringLiteral("Der Termin %1 wurde geschrieben, "
                                                          "aber nicht vermerkt (%2).")
                                               .arg(put.event.uid, links.lastError()));
                               return;
                           }
                           ++(put.update ? m_outcome.updated : m_outcome.created);
                           ++m_putPos;
                           next();
                       });
        return;
    }
    if (m_deletePos < m_plan.deletes.size()) {
        const CalendarPlan::Delete& del = m_plan.deletes[m_deletePos];
        m_client->send("DELETE", resourceUrl(del.href), {}, {{"If-Match", del.etag}},
                       [this](const DavResponse& r) {
                           const CalendarPlan::Delete& del = m_plan.deletes[m_deletePos];
                           if (!r.ok() && r.status != 404) {
                               done(false, r.status == 412
                                               ? QStringLiteral("Der Termin %1 wurde "
                                                                "inzwischen auf dem Server "
                                                                "geändert.")
                                                     .arg(del.href)
                                               : davErrorMessage(*m_client, r));
                               return;
                           }
                           DavLinkStore links(m_store);
                           links.removePublishedEvent(m_key, del.href);
                           ++m_outcome.deleted;
                           ++m_deletePos;
                           next();
                       });
        return;
    }
    done(m_plan.foreign.empty(), QString());
}

void CalendarSync::done(bool ok, const QString& error) {
    m_outcome.ok = ok;
    m_outcome.requests = m_client->requestCount();
    m_outcome.bytes = m_client->bytesReceived();
    QString summary =
        QStringLiteral("Kalender %1: %2 neu, %3 geändert, %4 gelöscht, %5 unverändert.")
            .arg(m_key)
            .arg(m_outcome.created)
            .arg(m_outcome.updated)
            .arg(m_outcome.deleted)
            .arg(m_outcome.unchanged);
    if (m_outcome.withoutEvent > 0)
        summary += QStringLiteral(" %1 Einträge ohne gültiges Datum bekommen keinen Termin.")
                       .arg(m_outcome.withoutEvent);
    if (!m_plan.foreign.empty()) {
        QStringList names;
        for (const QString& href : m_plan.foreign)
            names << href.section(u'/', -1);
        summary += QStringLiteral("\nNicht geschrieben, weil im Kalender schon ein fremder "
                                  "Eintrag dieses Namens steht: %1")
                       .arg(names.join(QStringLiteral(", ")));
    }
    m_outcome.message =
        error.isEmpty() ? summary : error + QStringLiteral("\nBis dahin: ") + summary;
    m_client->abortAll();
    emit finished(m_outcome);
}

} // namespace natalix
