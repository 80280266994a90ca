#include "support/scriptedhttp.h"

#include "contacts/contactimport.h"
#include "support/radicale.h"
#include "sync/davclient.h"

#include <QTcpSocket>
#include <QTest>

namespace natalix::test {

ScriptedHttp::ScriptedHttp() {
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* s = m_server.nextPendingConnection()) {
            s->setParent(this);
            connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
        }
    });
}

QUrl ScriptedHttp::url(const QString& path) const {
    QUrl u;
    u.setScheme(QStringLiteral("http"));
    u.setHost(QStringLiteral("127.0.0.1"));
    u.setPort(m_server.serverPort());
    u.setPath(path);
    return u;
}

void ScriptedHttp::on(const QByteArray& method, const QString& path, const Answer& a,
                      const QByteArray& depth) {
    m_answers.insert(method + ' ' + path.toUtf8() + ' ' + depth, a);
}

void ScriptedHttp::serve(QTcpSocket* s) {
    QByteArray request = s->property("request").toByteArray() + s->readAll();
    s->setProperty("request", request);
    const qsizetype end = request.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = request.left(end).split('\n');
    qint64 length = 0;
    QByteArray depth;
    for (const QByteArray& line : lines) {
        const QByteArray l = line.trimmed();
        if (l.toLower().startsWith("content-length:"))
            length = l.mid(15).trimmed().toLongLong();
        if (l.toLower().startsWith("depth:"))
            depth = l.mid(6).trimmed();
    }
    if (request.size() < end + 4 + length)
        return;
    s->setProperty("request", QByteArray());
    const QList<QByteArray> first = lines.first().trimmed().split(' ');
    const QByteArray method = first.value(0), path = first.value(1);
    m_requests << QString::fromUtf8(method + ' ' + path);
    auto it = m_answers.constFind(method + ' ' + path + ' ' + depth);
    if (it == m_answers.cend())
        it = m_answers.constFind(method + ' ' + path + ' ');
    Answer a;
    if (it != m_answers.cend())
        a = *it;
    else
        a.status = 404;
    if (a.silent)
        return;
    const QByteArray lengthLine =
        a.noLength ? QByteArray() : "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
    s->write("HTTP/1.1 " + QByteArray::number(a.status) + " Scripted\r\n" + lengthLine + a.headers +
             "Connection: close\r\n\r\n" + a.body);
    s->disconnectFromHost();
}

ContactSyncOutcome syncContacts(TableStore& store, const QUrl& url) {
    ContactSync sync(store, importRulesReader({}), isSameBirthday);
    sync.client().setCredentials(Radicale::user, Radicale::password);
    sync.client().setTimeout(5000);
    std::optional<ContactSyncOutcome> outcome;
    QObject::connect(&sync, &ContactSync::finished,
                     [&](const ContactSyncOutcome& o) { outcome = o; });
    sync.start(url);
    if (!QTest::qWaitFor([&] { return outcome.has_value(); }, 30000))
        outcome.emplace().message = QStringLiteral("no answer in time");
    return *outcome;
}

QByteArray multistatus(const QString& href, const QByteArray& props) {
    return "<?xml version=\"1.0\"?><d:multistatus xmlns:d=\"DAV:\" "
           "xmlns:card=\"urn:ietf:params:xml:ns:carddav\" "
           "xmlns:cal=\"urn:ietf:params:xml:ns:caldav\"><d:response><d:href>" +
           href.toUtf8() + "</d:href><d:propstat><d:prop>" + props +
           "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>"
           "</d:multistatus>";
}

} // namespace natalix::test
