#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

namespace natalix::test {

// A real Radicale 3 on 127.0.0.1 with a free port, its own storage and an htpasswd file; or,
// with startXandikos, a real Xandikos (no password; collections below /anna/). Waits bounded.
class Radicale {
public:
    static constexpr const char* user = "anna";
    static constexpr const char* password = "geheim";

    ~Radicale();
    // With `tls` the server speaks HTTPS with a self-signed certificate nobody trusts.
    bool start(bool tls = false);
    bool startXandikos();
    void kill(); // at once, as a crash would
    QString error() const { return m_error; }

    QUrl url(const QString& path = QStringLiteral("/")) const;
    // curl with the user's credentials; the HTTP status, 0 when curl failed.
    int curl(const QByteArray& method, const QString& path, const QByteArray& body = {},
             const QByteArray& contentType = {}, QByteArray* answer = nullptr) const;
    bool makeAddressBook(const QString& path) const {
        return makeCollection(path, "carddav", "addressbook");
    }
    bool makeCalendar(const QString& path) const {
        return makeCollection(path, "caldav", "calendar");
    }
    int remove(const QString& path) const { return curl("DELETE", path); }

private:
    bool makeCollection(const QString& path, const QByteArray& ns, const QByteArray& type) const;
    bool listening(const QString& what);
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_tls = false;
    QString m_error;
};

// A misbehaving front for a real server (sync/davproxy.py) that plays the faults of its rules.
class DavProxy {
public:
    ~DavProxy();
    bool start(const QUrl& upstream);
    QUrl url(const QString& path) const;
    // The rules of the next run (a JSON array); "[]" forwards everything.
    bool setRules(const QByteArray& rulesJson);
    // The program is started through `sh` so that the proxy can kill it: these go before it.
    QStringList killableCommand() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    int m_run = 0;
};

// A vCard 3.0 with CR LF line ends; an empty birthday leaves BDAY out.
QByteArray vcard(const QString& uid, const QString& name, const QString& birthday);

} // namespace natalix::test
