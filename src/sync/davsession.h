#pragma once

#include "sync/davclient.h"
#include "sync/davxml.h"

#include <QUrl>

#include <functional>

namespace natalix {

// The German sentence for an answer that is not the one asked for: no answer at all, an
// HTTP status outside 2xx, or (for a multistatus request) a body that is no multistatus.
QString davErrorMessage(const DavClient& client, const DavResponse& r);
QString multistatusErrorMessage(const DavResponse& r, const Multistatus& m);

// What the server said to a PUT or DELETE. Done only on a 2xx; a 207 is read, and any
// status inside it outside 2xx is the request's failure.
struct WriteAnswer {
    bool done = false;
    int status = 0;            // the failing status (inside a 207 too)
    QString reason;            // its words
    QStringList preconditions; // the DAV:error conditions the server named
};
WriteAnswer judgeWrite(const DavResponse& r);
// "412 Precondition Failed (no-uid-conflict)"
QString describeRefusal(const WriteAnswer& a);

// PROPFIND or REPORT that must answer 207. `error` is empty on success.
using MultistatusDone =
    std::function<void(const DavResponse& r, const Multistatus& m, const QString& error)>;
void requestMultistatus(DavClient& client, const QByteArray& method, const QUrl& url,
                        const QByteArray& depth, const QByteArray& body, MultistatusDone done);

// A member's href made absolute against the URL that listed it.
QUrl resolveHref(const QUrl& base, const QString& href);
// Two URLs naming the same collection ("/a/b" and "/a/b/").
bool sameCollection(const QUrl& a, const QUrl& b);
// The collection URL as stored and shown: with a trailing slash.
QUrl collectionUrl(const QUrl& url);

} // namespace natalix
