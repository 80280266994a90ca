#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

namespace natalix::test {

// A tiny HTTP server on 127.0.0.1 that answers from a script, for the answers a real DAV
// server never gives: broken XML, endless bodies, silence, redirects elsewhere.
class ScriptedHttp : public QObject {
public:
    struct Answer {
        int status = 200;
        QByteArray headers; // extra header lines, each ending in \r\n
        QByteArray body;
        bool silent = false;   // read the request, never answer
        bool noLength = false; // no Content-Length: the body ends with the connection
    };
    ScriptedHttp();
    QUrl url(const QString& path) const;
    void on(const QByteArray& method, const QString& path, const Answer& a);
    QStringList requests() const { return m_requests; } // "METHOD path"

private:
    void serve(class QTcpSocket* s);
    QTcpServer m_server;
    QMap<QByteArray, Answer> m_answers;
    QStringList m_requests;
};

} // namespace natalix::test
