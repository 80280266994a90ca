#include "contacts/csvcontacts.h"

#include "listfile/cp1252.h"

#include <QStringDecoder>

#include <algorithm>

namespace natalix {

namespace {

QString decodeText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.sliced(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE
                                                            : QStringConverter::Utf16BE);
        return decoder.decode(bytes.sliced(2));
    }
    // Outlook writes the Windows code page; anything that is not valid UTF-8 is taken as that.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    return utf8.hasError() ? decodeCp1252(bytes) : text;
}

// The separator of the header line: the one of ',', ';' and tab that occurs most outside
// quotes (',' when there is none).
QChar separatorOf(QStringView text) {
    int comma = 0, semicolon = 0, tab = 0;
    bool quoted = false;
    for (QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\n' || c == u'\r'))
            break;
        else if (!quoted)
            comma += c == u',', semicolon += c == u';', tab += c == u'\t';
    }
    if (semicolon > comma && semicolon >= tab)
        return u';';
    if (tab > comma && tab > semicolon)
        return u'\t';
    return u',';
}

// Birthday is a whole date (Google, Outlook), the three Birth columns its parts (Thunderbird).
enum class Column { FullName, First, Middle, Last, Birthday, BirthYear, BirthMonth, BirthDay };
constexpr int columnCount = 8;

std::optional<Column> columnOf(const QString& header) {
    static const struct {
        const char16_t* name;
        Column column;
    } known[] = {
        {u"name", Column::FullName},           {u"display name", Column::FullName},
        {u"anzeigename", Column::FullName},    {u"first name", Column::First},
        {u"given name", Column::First},        {u"vorname", Column::First},
        {u"middle name", Column::Middle},      {u"additional name", Column::Middle},
        {u"weitere vornamen", Column::Middle}, {u"zweiter vorname", Column::Middle},
        {u"last name", Column::Last},          {u"family name", Column::Last},
        {u"nachname", Column::Last},           {u"birthday", Column::Birthday},
        {u"geburtstag", Column::Birthday},     {u"geburtsdatum", Column::Birthday},
        {u"birth year", Column::BirthYear},    {u"geburtsjahr", Column::BirthYear},
        {u"birth month", Column::BirthMonth},  {u"geburtsmonat", Column::BirthMonth},
        {u"birth day", Column::BirthDay},
    };
    const QString h = header.trimmed().toLower();
    for (const auto& k : known)
        if (h == QStringView(k.name))
            return k.column;
    return std::nullopt;
}

bool allDigits(QStringView s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Three numbers separated by `sep`: the year (at `yearAt`) with four digits, the others one or two.
bool splitDate(const QString& v, QChar sep, int yearAt, int (&out)[3]) {
    const QStringList parts = v.split(sep);
    if (parts.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        const qsizetype max = i == yearAt ? 4 : 2;
        if (!allDigits(parts[i]) || parts[i].size() > max || (i == yearAt && parts[i].size() != 4))
            return false;
        out[i] = parts[i].toInt();
    }
    return true;
}

// The date part of a cell: a time after it ("1980-03-07 00:00:00") is dropped.
QString datePart(const QString& value) {
    return value.trimmed().section(u' ', 0, 0).section(u'T', 0, 0);
}

// Day and month with the year last, separated by '/' or '-': in either order.
bool splitYearLast(const QString& date, int (&out)[3]) {
    return splitDate(date, u'/', 2, out) || splitDate(date, u'-', 2, out);
}

// Thunderbird's three columns; an empty year is the unknown one.
ContactBirthday splitBirthday(const QString& year, const QString& month, const QString& day) {
    ContactBirthday b;
    if (year.isEmpty() && month.isEmpty() && day.isEmpty())
        return b; // Missing
    b.status = ContactBirthday::Status::Unreadable;
    if (!allDigits(month) || !allDigits(day) || month.size() > 2 || day.size() > 2 ||
        (!year.isEmpty() && (!allDigits(year) || year.size() != 4)))
        return b;
    return checkedBirthday(year.toInt(), month.toInt(), day.toInt());
}

QString joined(std::initializer_list<QString> parts) {
    QStringList nonEmpty;
    for (const QString& p : parts)
        if (!p.trimmed().isEmpty())
            nonEmpty << p.trimmed();
    return nonEmpty.join(u' ');
}

} // namespace

std::vector<QStringList> splitCsv(QStringView text, QChar separator) {
    std::vector<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false, anything = false;
    auto endField = [&] {
        fields << field;
        field.clear();
    };
    auto endRecord = [&] {
        endField();
        if (anything)
            records.push_back(fields);
        fields.clear();
        anything = false;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
            anything = true;
        } else if (c == separator) {
            endField();
            anything = true;
        } else if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            endRecord();
        } else {
            field += c;
            anything = true;
        }
    }
    endRecord();
    return records;
}

ContactBirthday parseCsvBirthday(const QString& value, DayOrder order) {
    ContactBirthday b;
    const QString v = value.trimmed();
    if (v.isEmpty() || v == u"0.0.00" || v == u"0/0/00" || v == u"00.00.00")
        return b; // Missing
    b.status = ContactBirthday::Status::Unreadable;
    int n[3] = {0, 0, 0};
    if (v.startsWith(u"--")) {
        const QString md = v.mid(2).remove(u'-');
        if (md.size() != 4 || !allDigits(md))
            return b;
        return checkedBirthday(0, md.left(2).toInt(), md.mid(2).toInt());
    }
    if (v.size() == 8 && allDigits(v))
        return checkedBirthday(v.left(4).toInt(), v.mid(4, 2).toInt(), v.mid(6).toInt());
    const QString date = datePart(v);
    if (splitDate(date, u'-', 0, n))
        return n[0] == 0 ? b : checkedBirthday(n[0], n[1], n[2]);
    if (splitDate(date, u'.', 2, n))
        return checkedBirthday(n[2], n[1], n[0]);
    if (splitYearLast(date, n))
        return order == DayOrder::DayFirst ? checkedBirthday(n[2], n[1], n[0])
                                           : checkedBirthday(n[2], n[0], n[1]);
    return b;
}

DayOrder dayOrderOf(const QStringList& values, DayOrder fallback) {
    for (const QString& value : values) {
        int n[3] = {0, 0, 0};
        if (!splitYearLast(datePart(value), n))
            continue;
        if (n[0] > 12 && n[1] <= 12)
            return DayOrder::DayFirst;
        if (n[1] > 12 && n[0] <= 12)
            return DayOrder::MonthFirst;
    }
    return fallback;
}

CsvContacts readCsvContacts(QByteArrayView bytes) {
    CsvContacts result;
    const QString text = decodeText(bytes);
    const std::vector<QStringList> records = splitCsv(text, separatorOf(text));
    if (records.empty())
        return result;
    // The first column that carries each meaning wins (Outlook repeats none, Google neither).
    int at[columnCount];
    std::fill(std::begin(at), std::end(at), -1);
    const QStringList& header = records.front();
    for (int i = 0; i < header.size(); ++i) {
        if (const auto c = columnOf(header[i]); c && at[int(*c)] < 0)
            at[int(*c)] = i;
    }
    int& birthday = at[int(Column::Birthday)];
    // Beside a year and a month column, the German "Geburtstag" is the day of the month.
    if (birthday >= 0 && at[int(Column::BirthDay)] < 0 &&
        (at[int(Column::BirthYear)] >= 0 || at[int(Column::BirthMonth)] >= 0)) {
        at[int(Column::BirthDay)] = birthday;
        birthday = -1;
    }
    bool known = false;
    for (int i : at)
        known = known || i >= 0;
    if (!known)
        return result;
    result.ok = true;
    auto cell = [&](const QStringList& row, Column c) {
        const int i = at[int(c)];
        return i >= 0 ? row.value(i).trimmed() : QString();
    };
    // Dates such as 05/03/1980 follow one order per file: a day above 12 tells it, else the
    // language of the columns does.
    QStringList dates;
    for (size_t r = 1; r < records.size(); ++r)
        dates << cell(records[r], Column::Birthday);
    const bool german = birthday >= 0 && header[birthday].trimmed().toLower().startsWith(u"geburt");
    const DayOrder order = dayOrderOf(dates, german ? DayOrder::DayFirst : DayOrder::MonthFirst);
    for (size_t r = 1; r < records.size(); ++r) {
        const QStringList& row = records[r];
        Contact c;
        c.formattedName = cell(row, Column::FullName);
        c.givenName = joined({cell(row, Column::First), cell(row, Column::Middle)});
        c.familyName = cell(row, Column::Last);
        if (birthday >= 0) {
            c.birthdayText = cell(row, Column::Birthday);
            c.birthday = parseCsvBirthday(c.birthdayText, order);
        } else {
            const QString year = cell(row, Column::BirthYear);
            const QString month = cell(row, Column::BirthMonth);
            const QString day = cell(row, Column::BirthDay);
            c.birthday = splitBirthday(year, month, day);
            if (c.birthday.status != ContactBirthday::Status::Missing)
                c.birthdayText =
                    (year.isEmpty() ? QStringLiteral("-") : year) + u'-' + month + u'-' + day;
        }
        result.contacts.push_back(std::move(c));
    }
    return result;
}

} // namespace natalix
