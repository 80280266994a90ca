#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace natalix {

namespace davns {
inline const QString dav = QStringLiteral("DAV:");
inline const QString carddav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
inline const QString caldav = QStringLiteral("urn:ietf:params:xml:ns:caldav");
} // namespace davns

// A property name with its namespace, written "namespace|name" as a key.
QString davKey(QStringView ns, QStringView name);

struct DavProperty {
    QString text;         // character data of the property, its children's included
    QStringList hrefs;    // every DAV:href inside it
    QStringList elements; // keys of every element inside it (resourcetype, supported-report-set)
};

struct DavResource {
    QString href;
    int status = 0;                    // the response's own status (sync-collection: 404 = gone)
    QString reason;                    // its status line's words ("Precondition Failed")
    QStringList preconditions;         // local names inside its DAV:error ("no-uid-conflict")
    QHash<QString, DavProperty> props; // only properties found (2xx propstat)
    bool has(const QString& key) const { return props.contains(key); }
    QString text(const QString& key) const { return props.value(key).text; }
};

struct Multistatus {
    bool ok = false;
    QString error; // why the body is no multistatus, German
    std::vector<DavResource> responses;
    QString syncToken;
};

Multistatus parseMultistatus(const QByteArray& body);
// The local names of the conditions in a DAV:error body (RFC 4918, 16); empty for any other.
QStringList parseDavError(const QByteArray& body);

// Request bodies. Properties are given as (namespace, name) pairs.
using DavPropNames = std::vector<std::pair<QString, QString>>;
QByteArray propfindBody(const DavPropNames& props);
QByteArray syncCollectionBody(const QString& token, const DavPropNames& props);
// addressbook-multiget or calendar-multiget, after the namespace of `report`.
QByteArray multigetBody(const QString& reportNs, const QString& report, const DavPropNames& props,
                        const QStringList& hrefs);

} // namespace natalix
