#include "support/radicale.h"

#include "support/processes.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace natalix::test {

namespace {

const QString python = QStringLiteral("/usr/bin/python3");

quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

QUrl localUrl(const QString& scheme, quint16 port, const QString& path) {
    QUrl u;
    u.setScheme(scheme);
    u.setHost(QStringLiteral("127.0.0.1"));
    u.setPort(port);
    u.setPath(path);
    return u;
}

bool writeText(const QString& path, const QByteArray& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) == text.size();
}

} // namespace

Radicale::~Radicale() {
    kill();
}

bool Radicale::start(bool tls) {
    m_tls = tls;
    if (!m_dir.isValid() ||
        !writeText(m_dir.filePath("users"), QByteArray(user) + ':' + password + '\n'))
        return false;
    QByteArray ssl;
    if (tls) {
        QProcess openssl;
        openssl.start("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                                  "-subj", "/CN=127.0.0.1", "-keyout", m_dir.filePath("key.pem"),
                                  "-out", m_dir.filePath("cert.pem")});
        if (!openssl.waitForFinished(20000) || openssl.exitCode() != 0) {
            m_error = "openssl failed: " + QString::fromLocal8Bit(openssl.readAllStandardError());
            return false;
        }
        ssl = "ssl = True\ncertificate = " + m_dir.filePath("cert.pem").toUtf8() +
              "\nkey = " + m_dir.filePath("key.pem").toUtf8() + "\n";
    }
    m_port = freePort();
    const QByteArray config =
        "[server]\nhosts = 127.0.0.1:" + QByteArray::number(m_port) + "\n" + ssl +
        "[auth]\ntype = htpasswd\nhtpasswd_filename = " + m_dir.filePath("users").toUtf8() +
        "\nhtpasswd_encryption = plain\ndelay = 0\n"
        "[storage]\nfilesystem_folder = " +
        m_dir.filePath("storage").toUtf8() +
        "\n[rights]\ntype = owner_only\n[logging]\nlevel = critical\n";
    if (!writeText(m_dir.filePath("config"), config))
        return false;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python, {"-m", "radicale", "--config", m_dir.filePath("config")});
    return listening(QStringLiteral("radicale"));
}

bool Radicale::startXandikos() {
    m_port = freePort();
    // It logs every request; a failing test says enough without.
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(QProcess::nullDevice());
    m_process.start("/usr/bin/xandikos",
                    {"-d", m_dir.filePath("storage"), "--current-user-principal", "/anna/",
                     "--defaults", "-l", "127.0.0.1", "-p", QString::number(m_port)});
    return listening(QStringLiteral("xandikos"));
}

bool Radicale::listening(const QString& what) {
    if (!m_process.waitForStarted(10000)) {
        m_error = what + QStringLiteral(" does not start: ") + m_process.errorString();
        return false;
    }
    for (QDeadlineTimer deadline(20000); !deadline.hasExpired();) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(500))
            return true;
        if (m_process.state() == QProcess::NotRunning)
            break;
        QThread::msleep(100);
    }
    m_error = what + QStringLiteral(" does not listen on port %1").arg(m_port);
    return false;
}

void Radicale::kill() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

QUrl Radicale::url(const QString& path) const {
    return localUrl(m_tls ? QStringLiteral("https") : QStringLiteral("http"), m_port, path);
}

int Radicale::curl(const QByteArray& method, const QString& path, const QByteArray& body,
                   const QByteArray& contentType, QByteArray* answer) const {
    RunSetup s;
    s.home = m_dir.path();
    s.program = QStringLiteral("curl");
    s.timeoutMs = 15000;
    const RunResult r = runNatalix(
        {"-s", "-k", "--max-time", "10", "-u",
         QStringLiteral("%1:%2").arg(QLatin1String(user), QLatin1String(password)), "-X", method,
         "-H", "Content-Type: " + contentType, "--data-binary", QString::fromUtf8(body), "-o", "-",
         "-w", "\n%{http_code}", url(path).toString()},
        s);
    const qsizetype cut = r.out.lastIndexOf('\n');
    if (answer)
        *answer = r.out.left(cut);
    return r.finished ? r.out.mid(cut + 1).toInt() : 0;
}

bool Radicale::makeCollection(const QString& path, const QByteArray& ns,
                              const QByteArray& type) const {
    return curl("MKCOL", path,
                "<?xml version=\"1.0\"?><mkcol xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:" +
                    ns + "\"><set><prop><resourcetype><collection/><C:" + type +
                    "/></resourcetype></prop></set></mkcol>",
                "application/xml") == 201;
}

DavProxy::~DavProxy() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool DavProxy::start(const QUrl& upstream) {
    if (!m_dir.isValid() || !setRules("[]"))
        return false;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(python, {QStringLiteral(NATALIX_TEST_SOURCES "/sync/davproxy.py"),
                             upstream.toString(), m_dir.filePath("rules")});
    if (!m_process.waitForReadyRead(20000))
        return false;
    m_port = static_cast<quint16>(m_process.readLine().trimmed().toUInt());
    return m_port != 0;
}

QUrl DavProxy::url(const QString& path) const {
    return localUrl(QStringLiteral("http"), m_port, path);
}

bool DavProxy::setRules(const QByteArray& rulesJson) {
    return writeText(m_dir.filePath("rules"),
                     "{\"run\": " + QByteArray::number(++m_run) + ", \"pidfile\": \"" +
                         m_dir.filePath("pid").toUtf8() + "\", \"rules\": " + rulesJson + "}");
}

QStringList DavProxy::killableCommand() const {
    return {QStringLiteral("-c"), QStringLiteral("echo $$ > \"$0\"; exec \"$@\""),
            m_dir.filePath("pid"), QStringLiteral(NATALIX_BINARY)};
}

QByteArray vcard(const QString& uid, const QString& name, const QString& birthday) {
    const QStringList parts = name.split(u' ');
    QByteArray out = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() +
                     "\r\nFN:" + name.toUtf8() + "\r\nN:" + parts.last().toUtf8() + ';' +
                     parts.first().toUtf8() + ";;;\r\n";
    if (!birthday.isEmpty())
        out += "BDAY:" + birthday.toUtf8() + "\r\n";
    return out + "END:VCARD\r\n";
}

} // namespace natalix::test
