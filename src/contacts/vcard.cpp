#include "contacts/vcard.h"

#include "listfile/cp1252.h"

#include <QStringDecoder>
#include <QStringList>

#include <cctype>

namespace natalix {

namespace {

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix) {
    return text.size() >= prefix.size() &&
           text.first(prefix.size()).compare(prefix, Qt::CaseInsensitive) == 0;
}

QByteArrayView withoutBom(QByteArrayView bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

// Whether `rest` begins a property line: a name (with a group) and then ';' or ':'.
bool beginsProperty(QByteArrayView rest) {
    qsizetype i = 0;
    while (i < rest.size() &&
           (std::isalnum(static_cast<unsigned char>(rest[i])) || rest[i] == '-' || rest[i] == '.'))
        ++i;
    return i > 0 && i < rest.size() && (rest[i] == ';' || rest[i] == ':');
}

// The physical lines; CR LF and LF end a line. A single CR ends one in a file without LF (as
// old Macs wrote them), at the end or where a property follows; otherwise it is part of the
// value, a line break inside a name.
std::vector<QByteArrayView> physicalLines(QByteArrayView bytes) {
    std::vector<QByteArrayView> lines;
    const bool crOnly = !bytes.contains('\n');
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        const bool crlf = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
        const QByteArrayView rest = bytes.sliced(i + 1);
        if (bytes[i] == '\r' && !crlf && !crOnly && !rest.isEmpty() && !beginsProperty(rest))
            continue;
        lines.push_back(bytes.sliced(start, i - start));
        if (crlf)
            ++i;
        start = i + 1;
    }
    if (start < bytes.size())
        lines.push_back(bytes.sliced(start));
    return lines;
}

struct Property {
    QByteArray name;                                       // upper case, without group
    std::vector<std::pair<QByteArray, QByteArray>> params; // names upper case
    QByteArray value;                                      // raw, still encoded

    QByteArray param(QByteArrayView key) const {
        for (const auto& [k, v] : params)
            if (k == key)
                return v;
        return {};
    }
    bool hasParam(QByteArrayView key) const {
        for (const auto& [k, v] : params)
            if (k == key)
                return true;
        return false;
    }
    bool quotedPrintable() const {
        // 2.1 also writes the bare parameter "QUOTED-PRINTABLE".
        return param("ENCODING").compare("QUOTED-PRINTABLE", Qt::CaseInsensitive) == 0 ||
               hasParam("QUOTED-PRINTABLE");
    }
};

// name[;param[=value]]*:value, with optional "group." before the name. Parameter values may
// be quoted (4.0) and then hold ':' and ';'.
Property parseProperty(QByteArrayView line) {
    Property p;
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n && line[i] != ';' && line[i] != ':')
        ++i;
    QByteArray name = line.first(i).toByteArray().toUpper();
    if (const qsizetype dot = name.lastIndexOf('.'); dot >= 0)
        name = name.mid(dot + 1);
    p.name = name.trimmed();
    while (i < n && line[i] == ';') {
        ++i;
        QByteArray key, value;
        bool inValue = false, quoted = false;
        for (; i < n; ++i) {
            const char c = line[i];
            if (quoted) {
                if (c == '"')
                    quoted = false;
                else
                    value += c;
                continue;
            }
            if (c == ';' || c == ':')
                break;
            if (!inValue && c == '=')
                inValue = true;
            else if (inValue && c == '"')
                quoted = true;
            else
                (inValue ? value : key) += c;
        }
        key = key.trimmed().toUpper();
        if (!key.isEmpty()) {
            // 2.1 writes bare types (TYPE=HOME as HOME) and ENCODING values (QUOTED-PRINTABLE).
            p.params.emplace_back(key, value.trimmed());
        }
    }
    if (i < n && line[i] == ':')
        p.value = line.sliced(i + 1).toByteArray();
    return p;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(QByteArrayView in) {
    QByteArray out;
    out.reserve(in.size());
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && hexDigit(in[i + 1]) >= 0 &&
            hexDigit(in[i + 2]) >= 0) {
            out += char(hexDigit(in[i + 1]) * 16 + hexDigit(in[i + 2]));
            i += 2;
        } else if (in[i] == '=' && i + 1 == in.size()) {
            // a soft line break left at the very end
        } else {
            out += in[i];
        }
    }
    return out;
}

QString decodeCharset(const QByteArray& bytes, const QByteArray& charset) {
    const QByteArray cs = charset.toUpper();
    if (cs.isEmpty() || cs == "UTF-8" || cs == "UTF8")
        return QString::fromUtf8(bytes);
    if (cs == "ISO-8859-1" || cs == "LATIN1" || cs == "WINDOWS-1252" || cs == "CP1252" ||
        cs == "US-ASCII" || cs == "ISO-8859-15")
        return decodeCp1252(bytes);
    QStringDecoder decoder(cs.constData());
    if (decoder.isValid()) {
        QString text = decoder.decode(bytes);
        if (!decoder.hasError())
            return text;
    }
    return QString::fromUtf8(bytes);
}

QString decodedValue(const Property& p) {
    const QByteArray raw = p.quotedPrintable() ? decodeQuotedPrintable(p.value) : p.value;
    return decodeCharset(raw, p.param("CHARSET"));
}

// Splits at unescaped ';' and resolves the backslash escapes of 3.0 and 4.0.
QStringList components(const QString& value) {
    QStringList parts{QString()};
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            const QChar e = value[++i];
            parts.back() += (e == u'n' || e == u'N') ? QChar(u'\n') : e;
        } else if (c == u';') {
            parts << QString();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

QString unescaped(const QString& value) {
    // An FN holds no structure, so ';' stays a character.
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar e = value[++i];
            out += (e == u'n' || e == u'N') ? QChar(u'\n') : e;
        } else {
            out += value[i];
        }
    }
    return out;
}

bool allDigits(QStringView s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

struct CardBuilder {
    Contact contact;
    bool hasFn = false, hasN = false, hasBday = false, hasUid = false;

    void take(const Property& p) {
        if (p.name == "FN" && !hasFn) {
            hasFn = true;
            contact.formattedName = unescaped(decodedValue(p)).trimmed();
        } else if (p.name == "N" && !hasN) {
            hasN = true;
            const QStringList parts = components(decodedValue(p));
            contact.familyName = parts.value(0).trimmed();
            contact.givenName = parts.value(1).trimmed();
        } else if (p.name == "UID" && !hasUid) {
            hasUid = true;
            contact.uid = unescaped(decodedValue(p)).trimmed();
        } else if (p.name == "BDAY" && !hasBday) {
            hasBday = true;
            const QString value = unescaped(decodedValue(p)).trimmed();
            contact.birthdayText = value;
            const bool text = p.param("VALUE").compare("TEXT", Qt::CaseInsensitive) == 0;
            bool ok = false;
            const int omit = QString::fromLatin1(p.param("X-APPLE-OMIT-YEAR")).toInt(&ok);
            contact.birthday = parseVCardBirthday(value, text, ok ? omit : 0);
        }
    }
};

} // namespace

ContactBirthday parseVCardBirthday(const QString& value, bool textValue, int omitYear) {
    ContactBirthday unreadable;
    unreadable.status = ContactBirthday::Status::Unreadable;
    if (textValue)
        return unreadable;
    QString v = value.trimmed();
    // A time part (T...) says nothing about the day of birth.
    if (const qsizetype t = v.indexOf(u'T', 0, Qt::CaseInsensitive); t >= 0)
        v.truncate(t);
    int year = 0, month = 0, day = 0;
    if (v.startsWith(u"--")) {
        const QString md = v.mid(2).remove(u'-');
        if (md.size() != 4 || !allDigits(md))
            return unreadable;
        month = md.left(2).toInt();
        day = md.mid(2).toInt();
    } else if (v.size() == 8 && allDigits(v)) {
        year = v.left(4).toInt();
        month = v.mid(4, 2).toInt();
        day = v.mid(6, 2).toInt();
    } else {
        const QStringList parts = v.split(u'-');
        if (parts.size() != 3 || parts[0].size() != 4 || !allDigits(parts[0]) ||
            parts[1].size() > 2 || !allDigits(parts[1]) || parts[2].size() > 2 ||
            !allDigits(parts[2]))
            return unreadable;
        year = parts[0].toInt();
        month = parts[1].toInt();
        day = parts[2].toInt();
        if (year == 0)
            return unreadable;
    }
    if (omitYear > 0 && year == omitYear)
        year = 0;
    return checkedBirthday(year, month, day);
}

bool looksLikeVCard(QByteArrayView bytes) {
    for (QByteArrayView line : physicalLines(withoutBom(bytes))) {
        if (line.trimmed().isEmpty())
            continue;
        return startsWithNoCase(line.trimmed(), "BEGIN:VCARD");
    }
    return false;
}

std::vector<Contact> readVCards(QByteArrayView bytes) {
    std::vector<Contact> cards;
    const std::vector<QByteArrayView> lines = physicalLines(withoutBom(bytes));
    int depth = 0;
    CardBuilder card;
    for (size_t i = 0; i < lines.size();) {
        // Unfold: a line that begins with a blank or a tab continues the one before; a
        // quoted-printable value also continues after a soft break ("=" at the end).
        QByteArray logical = lines[i].toByteArray();
        ++i;
        std::optional<bool> quotedPrintable; // decided once per property, not per line
        while (i < lines.size()) {
            if (logical.endsWith('=') && !quotedPrintable)
                quotedPrintable = parseProperty(logical).quotedPrintable();
            if (logical.endsWith('=') && *quotedPrintable) {
                logical.chop(1);
                logical += lines[i++];
            } else if (!lines[i].isEmpty() && (lines[i][0] == ' ' || lines[i][0] == '\t')) {
                logical += lines[i++].sliced(1);
            } else {
                break;
            }
        }
        if (logical.trimmed().isEmpty())
            continue;
        const Property p = parseProperty(logical);
        const QByteArray value = p.value.trimmed().toUpper();
        const bool begins = (p.name == "BEGIN" && value == "VCARD") ||
                            (p.name == "AGENT" && value.startsWith("BEGIN:VCARD"));
        if (begins) {
            if (depth++ == 0)
                card = CardBuilder();
            continue;
        }
        if (p.name == "END" && value == "VCARD" && depth > 0) {
            if (--depth == 0)
                cards.push_back(std::move(card.contact));
            continue;
        }
        if (depth == 1)
            card.take(p);
    }
    if (depth > 0)
        cards.push_back(std::move(card.contact));
    return cards;
}

std::optional<Contact> readVCard(QByteArrayView bytes) {
    std::vector<Contact> cards = readVCards(bytes);
    if (cards.empty())
        return std::nullopt;
    return std::move(cards.front());
}

} // namespace natalix
