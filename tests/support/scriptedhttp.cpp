#include "support/scriptedhttp.h"

#include <QTcpSocket>

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

void ScriptedHttp::on(const QByteArray& method, const QString& path, const Answer& a) {
    m_answers.insert(method + ' ' + path.toUtf8(), a);
}

void ScriptedHttp::serve(QTcpSocket* s) {
    QByteArray request = s->property("request").toByteArray() + s->readAll();
    s->setProperty("request", request);
    const qsizetype end = request.indexOf("\r\n\r\n");
    if (end < 0)
        return;
    const QList<QByteArray> lines = request.left(end).split('\n');
    qint64 length = 0;
    for (const QByteArray& line : lines) {
        const QByteArray l = line.trimmed();
        if (l.toLower().startsWith("content-length:"))
            length = l.mid(15).trimmed().toLongLong();
    }
    if (request.size() < end + 4 + length)
        return;
    s->setProperty("request", QByteArray());
    const QList<QByteArray> first = lines.first().trimmed().split(' ');
    const QByteArray method = first.value(0), path = first.value(1);
    m_requests << QString::fromUtf8(method + ' ' + path);
    const Answer a = m_answers.value(method + ' ' + path, {404, {}, {}, false, false});
    if (a.silent)
        return;
    const QByteArray lengthLine =
        a.noLength ? QByteArray() : "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
    s->write("HTTP/1.1 " + QByteArray::number(a.status) + " Scripted\r\n" + lengthLine + a.headers +
             "Connection: close\r\n\r\n" + a.body);
    s->disconnectFromHost();
}

} // namespace natalix::test
