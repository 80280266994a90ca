#include "sync/davclient.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QTimer>

namespace natalix {

namespace {

constexpr int maxRedirects = 5;
constexpr int holdRetryMs = 100;

bool sameHost(const QUrl& from, const QUrl& to) {
    if (from.host().compare(to.host(), Qt::CaseInsensitive) != 0)
        return false;
    if (from.scheme() == to.scheme())
        return from.port() == to.port();
    // Upgrading to TLS on the same host is fine; falling back to plain text is not.
    return from.scheme() == u"http" && to.scheme() == u"https";
}

// The usual causes in German; anything rarer in the network layer's own words.
QString networkErrorText(QNetworkReply::NetworkError e, const QString& own) {
    switch (e) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("Verbindung abgelehnt");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("Verbindung vom Server beendet");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("Rechnername unbekannt");
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return QStringLiteral("kein Netz");
    default:
        return own;
    }
}

} // namespace

// One request, through its redirects. A QObject so that a deleted request drops its queued
// signals with it.
struct DavClient::Pending : QObject {
    QByteArray method;
    QUrl url;
    QByteArray body;
    DavHeaders headers;
    Callback done;
    int redirects = 0;
    QNetworkReply* reply = nullptr;
    QTimer timer;
    QByteArray received;
    DavFailure failure = DavFailure::None;
    QString detail;
};

DavClient::DavClient(QObject* parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this)) {
    // Credentials go with every request; a refused login must end in 401, not in a retry.
    connect(m_manager, &QNetworkAccessManager::authenticationRequired, this,
            [](QNetworkReply*, QAuthenticator*) {});
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_manager->setAutoDeleteReplies(false);
}

DavClient::~DavClient() {
    abortAll();
}

void DavClient::setCredentials(const QString& user, const QString& password) {
    if (user.isEmpty() && password.isEmpty()) {
        m_authorization.clear();
        return;
    }
    m_authorization = "Basic " + (user + u':' + password).toUtf8().toBase64();
}

void DavClient::send(const QByteArray& method, const QUrl& url, const QByteArray& body,
                     const DavHeaders& headers, Callback done) {
    auto* p = new Pending;
    p->setParent(this);
    p->method = method;
    p->url = url;
    p->body = body;
    p->headers = headers;
    p->done = std::move(done);
    p->timer.setSingleShot(true);
    m_pending.append(p);
    start(p);
}

void DavClient::start(Pending* p) {
    QNetworkRequest request(p->url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    request.setTransferTimeout(m_timeoutMs);
    request.setRawHeader("User-Agent", "Natalix");
    if (!m_authorization.isEmpty())
        request.setRawHeader("Authorization", m_authorization);
    for (const auto& [name, value] : p->headers)
        request.setRawHeader(name, value);
    p->received.clear();
    p->failure = DavFailure::None;
    p->detail.clear();

    QNetworkReply* reply = m_manager->sendCustomRequest(request, p->method, p->body);
    p->reply = reply;
    // The TLS layer verifies the peer; its errors are only recorded, never ignored.
    connect(reply, &QNetworkReply::sslErrors, p, [p](const QList<QSslError>& errors) {
        QStringList texts;
        for (const QSslError& e : errors)
            texts << e.errorString();
        p->failure = DavFailure::Tls;
        p->detail = texts.join(QStringLiteral("; "));
    });
    auto overLimit = [this, p](qint64 size) {
        if (size <= m_maxBytes || p->failure == DavFailure::TooLarge)
            return false;
        p->failure = DavFailure::TooLarge;
        p->reply->abort();
        return true;
    };
    connect(reply, &QNetworkReply::metaDataChanged, p, [p, overLimit] {
        const QVariant length = p->reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            overLimit(length.toLongLong());
    });
    connect(reply, &QNetworkReply::readyRead, p, [p, overLimit] {
        if (p->failure == DavFailure::TooLarge)
            return;
        if (!overLimit(p->received.size() + p->reply->bytesAvailable()))
            p->received += p->reply->readAll();
    });
    // Queued: an abort finishes the reply at once, inside the handler that called it.
    connect(
        reply, &QNetworkReply::finished, p, [this, p, reply] { finish(p, reply); },
        Qt::QueuedConnection);
    disconnect(&p->timer, nullptr, nullptr, nullptr);
    connect(&p->timer, &QTimer::timeout, p, [p] {
        p->failure = DavFailure::Timeout;
        p->reply->abort();
    });
    p->timer.start(m_timeoutMs);
}

void DavClient::finish(Pending* p, QNetworkReply* reply) {
    p->timer.stop();
    if (m_hold && m_hold()) {
        // The answer is complete; only its callback waits. An abort drops it with `p`.
        QTimer::singleShot(holdRetryMs, p, [this, p, reply] { finish(p, reply); });
        return;
    }
    if (p->failure != DavFailure::TooLarge && reply->isOpen())
        p->received += reply->readAll();
    reply->deleteLater();
    p->reply = nullptr;

    DavResponse r;
    r.url = p->url;
    r.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    r.reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray();
    r.failure = p->failure;
    r.detail = p->detail;
    if (r.failure == DavFailure::None && r.status == 0) {
        const QNetworkReply::NetworkError e = reply->error();
        // Only our own deadline aborts a request; the transfer timeout is Qt's.
        r.failure = e == QNetworkReply::OperationCanceledError || e == QNetworkReply::TimeoutError
                        ? DavFailure::Timeout
                    : e == QNetworkReply::SslHandshakeFailedError ? DavFailure::Tls
                                                                  : DavFailure::Unreachable;
        r.detail = networkErrorText(e, reply->errorString());
    }
    if (r.failure != DavFailure::None)
        r.status = 0;
    else {
        ++m_requests;
        m_bytes += p->received.size();
        r.body = p->received;
        r.etag = reply->rawHeader("ETag");
    }

    if (r.answered() && r.status >= 300 && r.status < 400 && r.status != 304) {
        const QUrl target =
            p->url.resolved(reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl());
        if (target.isValid() && !target.isEmpty()) {
            if (!sameHost(p->url, target) || ++p->redirects > maxRedirects) {
                r.failure = sameHost(p->url, target) ? DavFailure::TooManyRedirects
                                                     : DavFailure::ForeignRedirect;
                r.detail = target.toString();
                r.status = 0;
                r.body.clear();
            } else {
                p->url = target;
                start(p);
                return;
            }
        }
    }
    m_pending.removeOne(p);
    const Callback done = std::move(p->done);
    p->deleteLater();
    done(r);
}

void DavClient::abortAll() {
    const QList<Pending*> pending = std::exchange(m_pending, {});
    for (Pending* p : pending) {
        if (p->reply) {
            p->reply->disconnect(p);
            p->reply->abort();
            p->reply->deleteLater();
        }
        delete p;
    }
}

QString describeFailure(const DavResponse& r, int timeoutMs, qint64 maxBytes,
                        const QString& credentialsSource) {
    const QString host = r.url.host();
    switch (r.failure) {
    case DavFailure::Unreachable:
        return QStringLiteral("Der Server %1 ist nicht erreichbar (%2).").arg(host, r.detail);
    case DavFailure::Tls:
        return QStringLiteral("Die verschlüsselte Verbindung zu %1 ist gescheitert; das "
                              "Zertifikat des Servers wurde nicht anerkannt (%2).")
            .arg(host, r.detail);
    case DavFailure::Timeout:
        return QStringLiteral("Der Server %1 hat nicht innerhalb von %2 Sekunden geantwortet.")
            .arg(host)
            .arg(timeoutMs / 1000.0);
    case DavFailure::TooLarge:
        return QStringLiteral("Die Antwort des Servers %1 ist größer als %2 MB; sie wurde "
                              "abgebrochen.")
            .arg(host)
            .arg(maxBytes / (1024.0 * 1024.0));
    case DavFailure::ForeignRedirect:
        return QStringLiteral("Der Server %1 leitet zu einer anderen Adresse um (%2); dem wird "
                              "nicht gefolgt.")
            .arg(host, r.detail);
    case DavFailure::TooManyRedirects:
        return QStringLiteral("Der Server %1 leitet zu oft um (zuletzt nach %2).")
            .arg(host, r.detail);
    case DavFailure::None:
        break;
    }
    if (r.status == 401)
        return QStringLiteral("Der Server %1 hat die Anmeldung abgelehnt (401). Benutzername und "
                              "Passwort prüfen (%2).")
            .arg(host, credentialsSource);
    return QStringLiteral("Der Server %1 antwortet auf %2 mit dem Status %3 %4.")
        .arg(host, r.url.path())
        .arg(r.status)
        .arg(QString::fromLatin1(r.reason));
}

} // namespace natalix
