#include "sync/discovery.h"

#include "sync/davsession.h"

#include <algorithm>
#include <memory>

namespace natalix {

namespace {

const QString addressBookType = davKey(davns::carddav, u"addressbook");

struct Discovery : std::enable_shared_from_this<Discovery> {
    DavClient& client;
    QUrl start;
    std::function<void(const DiscoveredBooks&)> done;
    bool wellKnownTried = false;

    Discovery(DavClient& c, const QUrl& s, std::function<void(const DiscoveredBooks&)> d)
        : client(c), start(s), done(std::move(d)) {}

    void fail(const QString& error) {
        DiscoveredBooks result;
        result.error = error;
        done(result);
    }

    void notFound() {
        fail(QStringLiteral("Unter %1 wurde kein Adressbuch gefunden.")
                 .arg(start.toString(QUrl::RemoveUserInfo)));
    }

    bool tryWellKnown() {
        if (wellKnownTried)
            return false;
        wellKnownTried = true;
        QUrl u = start.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment);
        u.setPath(QStringLiteral("/.well-known/carddav"));
        probe(u);
        return true;
    }

    void probe(const QUrl& url) {
        const QByteArray body = propfindBody({{davns::dav, "resourcetype"},
                                              {davns::dav, "current-user-principal"},
                                              {davns::carddav, "addressbook-home-set"}});
        auto self = shared_from_this();
        requestMultistatus(
            client, "PROPFIND", url, "0", body,
            [self](const DavResponse& r, const Multistatus& m, const QString& error) {
                if (!error.isEmpty()) {
                    // A root that speaks no WebDAV may still point the way.
                    const bool mayTry = r.status == 404 || r.status == 405 || r.status == 403 ||
                                        r.status == 501 || (r.answered() && r.status == 200);
                    if (!(mayTry && self->tryWellKnown()))
                        self->fail(error);
                    return;
                }
                const auto it =
                    std::find_if(m.responses.begin(), m.responses.end(),
                                 [](const DavResource& d) { return !d.props.isEmpty(); });
                if (it == m.responses.end()) {
                    if (!self->tryWellKnown())
                        self->notFound();
                    return;
                }
                const DavProperty type = it->props.value(davKey(davns::dav, u"resourcetype"));
                const DavProperty home =
                    it->props.value(davKey(davns::carddav, u"addressbook-home-set"));
                const DavProperty principal =
                    it->props.value(davKey(davns::dav, u"current-user-principal"));
                if (type.elements.contains(addressBookType)) {
                    DiscoveredBooks result;
                    result.book = collectionUrl(r.url);
                    self->done(result);
                } else if (!home.hrefs.isEmpty()) {
                    self->listHome(resolveHref(r.url, home.hrefs.first()));
                } else if (!principal.hrefs.isEmpty()) {
                    self->askPrincipal(resolveHref(r.url, principal.hrefs.first()));
                } else if (!self->tryWellKnown()) {
                    self->notFound();
                }
            });
    }

    void askPrincipal(const QUrl& url) {
        const QByteArray body = propfindBody({{davns::carddav, "addressbook-home-set"}});
        auto self = shared_from_this();
        requestMultistatus(
            client, "PROPFIND", url, "0", body,
            [self](const DavResponse& r, const Multistatus& m, const QString& error) {
                if (!error.isEmpty()) {
                    self->fail(error);
                    return;
                }
                for (const DavResource& d : m.responses) {
                    const DavProperty home =
                        d.props.value(davKey(davns::carddav, u"addressbook-home-set"));
                    if (!home.hrefs.isEmpty()) {
                        self->listHome(resolveHref(r.url, home.hrefs.first()));
                        return;
                    }
                }
                self->notFound();
            });
    }

    void listHome(const QUrl& url) {
        const QByteArray body = propfindBody({{davns::dav, "resourcetype"}});
        auto self = shared_from_this();
        requestMultistatus(
            client, "PROPFIND", url, "1", body,
            [self](const DavResponse& r, const Multistatus& m, const QString& error) {
                if (!error.isEmpty()) {
                    self->fail(error);
                    return;
                }
                QList<QUrl> books;
                for (const DavResource& d : m.responses)
                    if (d.props.value(davKey(davns::dav, u"resourcetype"))
                            .elements.contains(addressBookType))
                        books << collectionUrl(resolveHref(r.url, d.href));
                if (books.isEmpty()) {
                    self->notFound();
                    return;
                }
                std::sort(books.begin(), books.end(),
                          [](const QUrl& a, const QUrl& b) { return a.toString() < b.toString(); });
                DiscoveredBooks result;
                result.book = books.takeFirst();
                result.other = books;
                self->done(result);
            });
    }
};

} // namespace

void discoverAddressBook(DavClient& client, const QUrl& start,
                         std::function<void(const DiscoveredBooks&)> done) {
    std::make_shared<Discovery>(client, start, std::move(done))->probe(start);
}

} // namespace natalix
