#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace natalix {

// Why a request brought no usable answer. An HTTP status of any kind counts as an answer.
enum class DavFailure {
    None,
    Unreachable,     // refused, host unknown, connection lost
    Tls,             // handshake or certificate refused
    Timeout,         // no complete answer in time
    TooLarge,        // the answer passed the size limit
    ForeignRedirect, // a redirect to another host, or from https to http
    TooManyRedirects,
};

struct DavResponse {
    int status = 0; // HTTP status of the last answer; 0 without one
    QByteArray reason;
    QByteArray body;
    QByteArray etag; // the ETag header, as sent (quotes included)
    QUrl url;        // where the answer came from, after redirects
    DavFailure failure = DavFailure::None;
    QString detail; // the network layer's or the TLS layer's own words

    bool answered() const { return failure == DavFailure::None; }
    bool ok() const { return answered() && status >= 200 && status < 300; }
};

using DavHeaders = QList<QPair<QByteArray, QByteArray>>;

// WebDAV over Qt Network, asynchronous: every request ends in its callback, once, on the
// thread of the client. TLS certificates are always verified; redirects are followed only
// within the same host; every request has a deadline and a size limit for its answer.
class DavClient : public QObject {
    Q_OBJECT
public:
    explicit DavClient(QObject* parent = nullptr);
    ~DavClient() override;

    void setCredentials(const QString& user, const QString& password);
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int timeout() const { return m_timeoutMs; }
    void setMaxResponseBytes(qint64 bytes) { m_maxBytes = bytes; }
    qint64 maxResponseBytes() const { return m_maxBytes; }
    // Where the user name and password come from, named when a login is refused.
    void setCredentialsSource(const QString& where) { m_credentialsSource = where; }
    QString credentialsSource() const { return m_credentialsSource; }
    // While `holding` answers true, finished answers wait before their callbacks run (the
    // window's table is in the middle of other work); they follow, in order, once it is free.
    void setDeliveryHold(std::function<bool()> holding) { m_hold = std::move(holding); }

    using Callback = std::function<void(const DavResponse&)>;
    void send(const QByteArray& method, const QUrl& url, const QByteArray& body,
              const DavHeaders& headers, Callback done);
    // Ends every open request; their callbacks are not called.
    void abortAll();

    // What went over the wire so far: answers received and their body bytes.
    int requestCount() const { return m_requests; }
    qint64 bytesReceived() const { return m_bytes; }

private:
    struct Pending;
    void start(Pending* p);
    void finish(Pending* p, QNetworkReply* reply);

    QNetworkAccessManager* m_manager;
    QByteArray m_authorization;
    std::function<bool()> m_hold;
    QString m_credentialsSource = QStringLiteral("NATALIX_DAV_USER, NATALIX_DAV_PASSWORD");
    int m_timeoutMs = 30000;
    qint64 m_maxBytes = 32 * 1024 * 1024;
    int m_requests = 0;
    qint64 m_bytes = 0;
    QList<Pending*> m_pending;
};

// "Status 404 (Not Found)" style wording is left to the caller; this names the failure kind.
QString describeFailure(
    const DavResponse& r, int timeoutMs, qint64 maxBytes,
    const QString& credentialsSource = QStringLiteral("NATALIX_DAV_USER, NATALIX_DAV_PASSWORD"));

} // namespace natalix
