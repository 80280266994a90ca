#include "sync/davsession.h"

namespace natalix {

QString davErrorMessage(const DavClient& client, const DavResponse& r) {
    return describeFailure(r, client.timeout(), client.maxResponseBytes(),
                           client.credentialsSource());
}

QString multistatusErrorMessage(const DavResponse& r, const Multistatus& m) {
    return QStringLiteral("Die Antwort des Servers %1 auf %2 ist unbrauchbar: %3.")
        .arg(r.url.host(), r.url.path(), m.error);
}

WriteAnswer judgeWrite(const DavResponse& r) {
    WriteAnswer a;
    a.status = r.status;
    a.reason = QString::fromLatin1(r.reason);
    if (!r.answered())
        return a;
    if (r.status == 207) {
        const Multistatus m = parseMultistatus(r.body);
        if (!m.ok) {
            a.reason = m.error;
            return a;
        }
        for (const DavResource& d : m.responses) {
            if (d.status >= 200 && d.status < 300)
                continue;
            a.status = d.status;
            a.reason = d.reason;
            a.preconditions = d.preconditions;
            return a;
        }
        a.done = true;
        return a;
    }
    a.done = r.status >= 200 && r.status < 300;
    if (!a.done)
        a.preconditions = parseDavError(r.body);
    return a;
}

QString describeRefusal(const WriteAnswer& a) {
    QString text = QString::number(a.status);
    if (!a.reason.isEmpty())
        text += u' ' + a.reason;
    if (!a.preconditions.isEmpty())
        text += QStringLiteral(" (%1)").arg(a.preconditions.join(QStringLiteral(", ")));
    return text;
}

void requestMultistatus(DavClient& client, const QByteArray& method, const QUrl& url,
                        const QByteArray& depth, const QByteArray& body, MultistatusDone done) {
    DavHeaders headers{{"Content-Type", "application/xml; charset=utf-8"}};
    if (!depth.isEmpty())
        headers.append(qMakePair(QByteArray("Depth"), depth));
    client.send(method, url, body, headers,
                [&client, done = std::move(done)](const DavResponse& r) {
                    if (r.status != 207) {
                        done(r, {}, davErrorMessage(client, r));
                        return;
                    }
                    const Multistatus m = parseMultistatus(r.body);
                    done(r, m, m.ok ? QString() : multistatusErrorMessage(r, m));
                });
}

QUrl resolveHref(const QUrl& base, const QString& href) {
    return base.resolved(QUrl::fromEncoded(href.toUtf8()));
}

QUrl collectionUrl(const QUrl& url) {
    QUrl u = url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment);
    if (!u.path().endsWith(u'/'))
        u.setPath(u.path() + u'/');
    return u;
}

bool sameCollection(const QUrl& a, const QUrl& b) {
    return collectionUrl(a).adjusted(QUrl::NormalizePathSegments) ==
           collectionUrl(b).adjusted(QUrl::NormalizePathSegments);
}

} // namespace natalix
