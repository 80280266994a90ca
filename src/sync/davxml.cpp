#include "sync/davxml.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace natalix {

namespace {

int statusCode(QStringView line) {
    // "HTTP/1.1 200 OK"
    const QStringList parts = line.trimmed().toString().split(u' ', Qt::SkipEmptyParts);
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

QString reasonPhrase(QStringView line) {
    return line.trimmed().toString().section(u' ', 2, -1, QString::SectionSkipEmpty);
}

bool isDav(const QXmlStreamReader& xml, QStringView name) {
    return xml.namespaceUri() == davns::dav && xml.name() == name;
}

// Reads one property element up to its end tag.
DavProperty readProperty(QXmlStreamReader& xml) {
    DavProperty p;
    int depth = 1;
    bool inHref = false;
    QString href;
    while (depth > 0 && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            ++depth;
            p.elements << davKey(xml.namespaceUri(), xml.name());
            if (isDav(xml, u"href")) {
                inHref = true;
                href.clear();
            }
            break;
        case QXmlStreamReader::EndElement:
            --depth;
            if (inHref && isDav(xml, u"href")) {
                p.hrefs << href.trimmed();
                inHref = false;
            }
            break;
        case QXmlStreamReader::Characters:
            p.text += xml.text();
            if (inHref)
                href += xml.text();
            break;
        default:
            break;
        }
    }
    return p;
}

void readPropstat(QXmlStreamReader& xml, DavResource& resource) {
    QHash<QString, DavProperty> props;
    int status = 0;
    while (xml.readNextStartElement()) {
        if (isDav(xml, u"prop")) {
            while (xml.readNextStartElement()) {
                const QString key = davKey(xml.namespaceUri(), xml.name());
                props.insert(key, readProperty(xml));
            }
        } else if (isDav(xml, u"status")) {
            status = statusCode(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else {
            xml.skipCurrentElement();
        }
    }
    if (status >= 200 && status < 300)
        resource.props.insert(props);
}

// The children of a DAV:error element, by local name; the reader ends on its end tag.
QStringList readConditions(QXmlStreamReader& xml) {
    QStringList names;
    while (xml.readNextStartElement()) {
        names << xml.name().toString();
        xml.skipCurrentElement();
    }
    return names;
}

DavResource readResponse(QXmlStreamReader& xml) {
    DavResource r;
    while (xml.readNextStartElement()) {
        if (isDav(xml, u"href") && r.href.isEmpty()) {
            r.href = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (isDav(xml, u"status")) {
            const QString line = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            r.status = statusCode(line);
            r.reason = reasonPhrase(line);
        } else if (isDav(xml, u"error")) {
            r.preconditions << readConditions(xml);
        } else if (isDav(xml, u"propstat")) {
            readPropstat(xml, r);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (r.status == 0 && !r.props.isEmpty())
        r.status = 200;
    return r;
}

void writeProps(QXmlStreamWriter& w, const DavPropNames& props) {
    w.writeStartElement(davns::dav, QStringLiteral("prop"));
    for (const auto& [ns, name] : props)
        w.writeEmptyElement(ns, name);
    w.writeEndElement();
}

QXmlStreamWriter& prepare(QXmlStreamWriter& w) {
    w.writeStartDocument();
    w.writeNamespace(davns::dav, QStringLiteral("d"));
    w.writeNamespace(davns::carddav, QStringLiteral("card"));
    w.writeNamespace(davns::caldav, QStringLiteral("cal"));
    return w;
}

} // namespace

QString davKey(QStringView ns, QStringView name) {
    return ns.toString() + u'|' + name.toString();
}

Multistatus parseMultistatus(const QByteArray& body) {
    Multistatus m;
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !isDav(xml, u"multistatus")) {
        m.error = xml.hasError() ? QStringLiteral("kein wohlgeformtes XML (%1, Zeile %2)")
                                       .arg(xml.errorString())
                                       .arg(xml.lineNumber())
                                 : QStringLiteral("kein WebDAV-Multistatus");
        return m;
    }
    while (xml.readNextStartElement()) {
        if (isDav(xml, u"response"))
            m.responses.push_back(readResponse(xml));
        else if (isDav(xml, u"sync-token"))
            m.syncToken = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        else
            xml.skipCurrentElement();
    }
    // Anything after the root element must be well-formed too.
    while (!xml.atEnd() && !xml.hasError())
        xml.readNext();
    if (xml.hasError()) {
        m.responses.clear();
        m.error = QStringLiteral("kein wohlgeformtes XML (%1, Zeile %2)")
                      .arg(xml.errorString())
                      .arg(xml.lineNumber());
        return m;
    }
    m.ok = true;
    return m;
}

QStringList parseDavError(const QByteArray& body) {
    QXmlStreamReader xml(body);
    if (!xml.readNextStartElement() || !isDav(xml, u"error"))
        return {};
    const QStringList names = readConditions(xml);
    return xml.hasError() ? QStringList() : names;
}

QByteArray propfindBody(const DavPropNames& props) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    prepare(w).writeStartElement(davns::dav, QStringLiteral("propfind"));
    writeProps(w, props);
    w.writeEndDocument();
    return out;
}

QByteArray syncCollectionBody(const QString& token, const DavPropNames& props) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    prepare(w).writeStartElement(davns::dav, QStringLiteral("sync-collection"));
    w.writeTextElement(davns::dav, QStringLiteral("sync-token"), token);
    w.writeTextElement(davns::dav, QStringLiteral("sync-level"), QStringLiteral("1"));
    writeProps(w, props);
    w.writeEndDocument();
    return out;
}

QByteArray multigetBody(const QString& reportNs, const QString& report, const DavPropNames& props,
                        const QStringList& hrefs) {
    QByteArray out;
    QXmlStreamWriter w(&out);
    prepare(w).writeStartElement(reportNs, report);
    writeProps(w, props);
    for (const QString& href : hrefs)
        w.writeTextElement(davns::dav, QStringLiteral("href"), href);
    w.writeEndDocument();
    return out;
}

} // namespace natalix
