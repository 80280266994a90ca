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
    m_server.clear();
    m_pending.clear();
    m_verify.clear();
    m_refusals.clear();
    m_verifyPos = m_putPos = m_deletePos = 0;
    m_calendar = collectionUrl(url);
    m_key = m_calendar.toString(QUrl::RemoveUserInfo);
    const QByteArray body = propfindBody({{davns::dav, "resourcetype"}, {davns::dav, "getetag"}});
    requestMultistatus(*m_client, "PROPFIND", m_calendar, "1", body,
                       [this](const DavResponse& r, const Multistatus& m, const QString& error) {
                           if (!error.isEmpty())
                               done(false, error);
                           else
                               listedMembers(r.url, m);
                       });
}

void CalendarSync::listedMembers(const QUrl& base, const Multistatus& m) {
    bool isCalendar = false;
    for (const DavResource& d : m.responses) {
        if (d.status >= 300 || d.href.isEmpty())
            continue;
        const DavProperty type = d.props.value(davKey(davns::dav, u"resourcetype"));
        if (sameCollection(resolveHref(base, d.href), m_calendar)) {
            isCalendar = isCalendar || type.elements.contains(davKey(davns::caldav, u"calendar"));
            continue;
        }
        if (!type.elements.contains(davKey(davns::dav, u"collection")))
            m_server.emplace(decodedPath(base, d.href),
                             d.text(davKey(davns::dav, u"getetag")).trimmed());
    }
    if (!isCalendar) {
        done(false, QStringLiteral("Unter %1 liegt kein CalDAV-Kalender.").arg(m_key));
        return;
    }
    DavLinkStore links(m_store);
    PublishedEvents published;
    if (!links.ensureSchema() || !links.publishedEvents(m_key, &published) ||
        !links.pendingEvents(m_key, &m_pending)) {
        done(false, QStringLiteral("Die Liste ist nicht lesbar (%1).").arg(links.lastError()));
        return;
    }
    // Requests of an earlier run that never heard their answer.
    for (const auto& [href, pending] : m_pending) {
        const auto p = published.find(href);
        const auto s = m_server.find(href);
        switch (settlePending(pending, p == published.end() ? nullptr : &p->second,
                              s == m_server.end() ? nullptr : &s->second)) {
        case PendingFate::NotArrived:
            links.removePendingEvent(m_key, href);
            break;
        case PendingFate::Done:
            links.settle(m_key, href, nullptr);
            break;
        case PendingFate::Verify:
            m_verify.push_back(href);
            break;
        }
    }
    verifyNext();
}

// A PUT that may have arrived: the event at its name is ours when it carries our UID. It is
// then taken as published with the server's ETag and an unknown content, so that the plan
// writes the list's version once more.
void CalendarSync::verifyNext() {
    if (m_verifyPos >= m_verify.size()) {
        plan();
        return;
    }
    const QString href = m_verify[m_verifyPos];
    m_client->send("GET", resourceUrl(href), {}, {}, [this, href](const DavResponse& r) {
        // Only the event itself, or a plain "not found", settles it; else it stays pending.
        if (!r.answered() || (!r.ok() && r.status != 404)) {
            done(false, davErrorMessage(*m_client, r));
            return;
        }
        DavLinkStore links(m_store);
        const PendingEvent& pending = m_pending.at(href);
        if (r.ok() && calendarObjectUid(r.body) == pending.uid) {
            const PublishedEvent adopted{pending.uid, m_server.at(href), QString()};
            links.settle(m_key, href, &adopted);
        } else {
            links.removePendingEvent(m_key, href);
        }
        ++m_verifyPos;
        verifyNext();
    });
}

void CalendarSync::plan() {
    DavLinkStore links(m_store);
    PublishedEvents published;
    bool ok = false;
    std::vector<StoredRow> rows = m_store.loadAll(&ok);
    if (!ok || !links.publishedEvents(m_key, &published)) {
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
    m_plan = planCalendarSync(desired, published, m_server);
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
    if (m_putPos < m_plan.puts.size())
        sendPut();
    else if (m_deletePos < m_plan.deletes.size())
        sendDelete();
    else
        done(true, QString());
}

void CalendarSync::sendPut() {
    const CalendarPlan::Put& put = m_plan.puts[m_putPos];
    DavLinkStore links(m_store);
    if (!links.setPendingEvent(m_key, put.event.href,
                               {put.event.uid, PendingEvent::Action::Put, put.event.digest})) {
        done(false, QStringLiteral("Der Termin %1 konnte nicht vermerkt werden (%2).")
                        .arg(put.event.uid, links.lastError()));
        return;
    }
    DavHeaders headers{{"Content-Type", "text/calendar; charset=utf-8"}};
    if (put.ifMatch.isEmpty())
        headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    else
        headers.append(qMakePair(QByteArray("If-Match"), put.ifMatch));
    m_client->send("PUT", resourceUrl(put.event.href), put.event.ics, headers,
                   [this](const DavResponse& r) { putAnswered(r); });
}

void CalendarSync::putAnswered(const DavResponse& r) {
    const CalendarPlan::Put& put = m_plan.puts[m_putPos];
    const WriteAnswer a = judgeWrite(r);
    if (!a.done) {
        const QString name = put.event.href.section(u'/', -1);
        QString line;
        if (put.update && a.status == 412)
            line = QStringLiteral("Der Termin %1 wurde während des Abgleichs im Kalender geändert "
                                  "(%2); der nächste Abgleich schreibt die Fassung der Liste "
                                  "zurück.")
                       .arg(name, describeRefusal(a));
        else
            line = QStringLiteral("Der Server lehnt den Termin %1 ab: %2.")
                       .arg(name, describeRefusal(a));
        if (!put.update && (a.status == 409 || a.status == 412 || a.status == 403))
            line += QStringLiteral(" Vielleicht steht ein Termin mit derselben UID schon im "
                                   "Kalender, etwa aus einer importierten Kalenderdatei.");
        if (refused(r, line)) {
            ++m_putPos;
            next();
        }
        return;
    }
    if (!r.etag.isEmpty() && r.status != 207) {
        putConfirmed(r.etag);
        return;
    }
    // Stored, but the answer names no ETag: ask for it.
    requestMultistatus(*m_client, "PROPFIND", resourceUrl(put.event.href), "0",
                       propfindBody({{davns::dav, "getetag"}}),
                       [this](const DavResponse&, const Multistatus& m, const QString&) {
                           QByteArray etag;
                           for (const DavResource& d : m.responses)
                               if (etag.isEmpty())
                                   etag = d.text(davKey(davns::dav, u"getetag")).trimmed().toUtf8();
                           putConfirmed(etag);
                       });
}

void CalendarSync::putConfirmed(const QByteArray& etag) {
    const CalendarPlan::Put& put = m_plan.puts[m_putPos];
    if (etag.isEmpty()) {
        // Left pending: the next run finds the event and its ETag in the listing.
        m_refusals << QStringLiteral("Der Server nennt für den Termin %1 kein ETag; er wird beim "
                                     "nächsten Abgleich übernommen.")
                          .arg(put.event.href.section(u'/', -1));
    } else {
        DavLinkStore links(m_store);
        const PublishedEvent e{put.event.uid, QString::fromUtf8(etag), put.event.digest};
        if (!links.settle(m_key, put.event.href, &e)) {
            done(false, QStringLiteral("Der Termin %1 wurde geschrieben, aber nicht vermerkt (%2).")
                            .arg(put.event.uid, links.lastError()));
            return;
        }
        ++(put.overwrite ? m_outcome.overwritten
           : put.update  ? m_outcome.updated
                         : m_outcome.created);
    }
    ++m_putPos;
    next();
}

void CalendarSync::sendDelete() {
    const CalendarPlan::Delete& del = m_plan.deletes[m_deletePos];
    DavLinkStore links(m_store);
    if (!links.setPendingEvent(m_key, del.href, {QString(), PendingEvent::Action::Delete, {}})) {
        done(false, QStringLiteral("Das Löschen des Termins %1 konnte nicht vermerkt werden (%2).")
                        .arg(del.href.section(u'/', -1), links.lastError()));
        return;
    }
    m_client->send("DELETE", resourceUrl(del.href), {}, {{"If-Match", del.etag}},
                   [this](const DavResponse& r) { deleteAnswered(r); });
}

void CalendarSync::deleteAnswered(const DavResponse& r) {
    const CalendarPlan::Delete& del = m_plan.deletes[m_deletePos];
    const WriteAnswer a = judgeWrite(r);
    if (a.done || (r.answered() && r.status == 404)) {
        DavLinkStore links(m_store);
        if (!links.settle(m_key, del.href, nullptr)) {
            done(false, QStringLiteral("Der Termin %1 wurde gelöscht, aber nicht vermerkt (%2).")
                            .arg(del.href.section(u'/', -1), links.lastError()));
            return;
        }
        ++m_outcome.deleted;
    } else if (!refused(r, QStringLiteral("Der Server lehnt das Löschen des Termins %1 ab: %2.")
                               .arg(del.href.section(u'/', -1), describeRefusal(a)))) {
        return;
    }
    ++m_deletePos;
    next();
}

bool CalendarSync::refused(const DavResponse& r, const QString& line) {
    const WriteAnswer a = judgeWrite(r);
    // No answer, a refused login or a failing server: the rest would fare no better. The
    // request stays pending, for the next run to settle.
    if (!r.answered() || a.status == 401 || a.status >= 500 || a.status < 400) {
        done(false, !r.answered() || r.status == 401
                        ? davErrorMessage(*m_client, r)
                        : QStringLiteral("Der Server %1 antwortet mit %2.")
                              .arg(r.url.host(), describeRefusal(a)));
        return false;
    }
    // The request stays pending even so: a 412 may answer a repetition of our own request
    // that did arrive, and the next run tells the two apart by the event's UID.
    m_refusals << line;
    return true;
}

void CalendarSync::done(bool ok, const QString& error) {
    m_outcome.ok = ok && m_plan.foreign.empty() && m_refusals.isEmpty();
    m_outcome.requests = m_client->requestCount();
    m_outcome.bytes = m_client->bytesReceived();
    QString summary =
        QStringLiteral("Kalender %1: %2 neu, %3 geändert, %4 gelöscht, %5 unverändert")
            .arg(m_key)
            .arg(m_outcome.created)
            .arg(m_outcome.updated)
            .arg(m_outcome.deleted)
            .arg(m_outcome.unchanged);
    if (m_outcome.overwritten == 1)
        summary += QStringLiteral(", 1 im Kalender geänderter Termin überschrieben");
    else if (m_outcome.overwritten > 1)
        summary += QStringLiteral(", %1 im Kalender geänderte Termine überschrieben")
                       .arg(m_outcome.overwritten);
    summary += u'.';
    if (m_outcome.withoutEvent > 0)
        summary += QStringLiteral(" %1 Einträge ohne gültiges Datum bekommen keinen Termin.")
                       .arg(m_outcome.withoutEvent);
    if (!m_plan.foreign.empty()) {
        QStringList names;
        for (const QString& href : m_plan.foreign)
            names << href.section(u'/', -1);
        summary += QStringLiteral("\nNicht geschrieben, weil im Kalender schon ein Termin dieses "
                                  "Namens steht, den Natalix nicht angelegt hat (vielleicht aus "
                                  "einer importierten Kalenderdatei): %1")
                       .arg(names.join(QStringLiteral(", ")));
    }
    for (const QString& line : std::as_const(m_refusals))
        summary += u'\n' + line;
    m_outcome.message =
        error.isEmpty() ? summary : error + QStringLiteral("\nBis dahin: ") + summary;
    m_client->abortAll();
    emit finished(m_outcome);
}

} // namespace natalix
