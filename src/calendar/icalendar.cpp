#include "calendar/icalendar.h"

#include "reminder/remindercodes.h"
#include "reminder/reminderscan.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace natalix {

namespace {

// The year a birthday of unknown year is counted from: a leap year, so that a 29 February
// keeps its day where there is one.
constexpr int unknownYearStart = 2000;

QByteArray crlf(const QString& line) {
    return foldContentLine(line.toUtf8());
}

QString dateValue(const QDate& d) {
    return QStringLiteral("%1%2%3")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'));
}

// The day the program reminds of a birthday in `year`: 29 February falls on 1 March in a
// common year, as the day numbers count it.
QDate birthdayIn(int year, int monat, int tag) {
    if (monat == 2 && tag == 29 && !QDate::isLeapYear(year))
        return QDate(year, 3, 1);
    return QDate(year, monat, tag);
}

struct Series {
    int firstYear = 0; // of the first birthday that is reminded
    int interval = 1;  // years between them
    bool reminded = true;
};

// Which birthdays the scan reminds of: from the start birthday on, every cycle years; a
// record of unknown year every year.
std::optional<Series> seriesOf(const Record& r) {
    Series s;
    if (r.jahr == 0) {
        s.firstYear = unknownYearStart;
        return s;
    }
    if (r.jahr < 0)
        return std::nullopt;
    const std::optional<double> start = startNumber(r.erinnerungsbeginn);
    const std::optional<int> cycle = cycleYears(r.erinnerungszyklus);
    long long first = static_cast<long long>(r.jahr) + 1;
    if (start && cycle && *cycle > 0 && *start >= 0 && *start == std::floor(*start) &&
        *start <= 10000) {
        first = r.jahr + static_cast<long long>(*start);
        s.interval = *cycle;
    } else {
        // The scan never reminds of it: the birthday is shown every year, without alarms.
        s.reminded = false;
    }
    if (first < 1 || first > 9999)
        return std::nullopt;
    s.firstYear = static_cast<int>(first);
    return s;
}

// The first birthday of the series on or after `today`.
QDate nextBirthday(const Record& r, const Series& s, const QDate& today) {
    long long year = s.firstYear;
    if (today.year() > year) {
        const long long steps = (today.year() - year + s.interval - 1) / s.interval;
        year += steps * s.interval;
    }
    QDate d = birthdayIn(static_cast<int>(year), r.monat, r.tag);
    if (d < today)
        d = birthdayIn(static_cast<int>(year + s.interval), r.monat, r.tag);
    return d;
}

QString summaryOf(const Record& r) {
    if (r.name.trimmed().isEmpty())
        return QStringLiteral("Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz %1)")
            .arg(r.nummer);
    if (r.jahr == 0)
        return r.name;
    return QStringLiteral("%1 (*%2)").arg(r.name).arg(r.jahr);
}

QString triggerOf(int days) {
    return days == 0 ? QStringLiteral("PT0S") : QStringLiteral("-P%1D").arg(days);
}

} // namespace

QString eventUid(const Record& record) {
    return QStringLiteral("natalix-%1").arg(record.nummer);
}

QString escapeText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'\\' || c == u';' || c == u',')
            out += u'\\', out += c;
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c != u'\r')
            out += c;
    }
    return out;
}

QByteArray foldContentLine(QByteArrayView line) {
    QByteArray out;
    out.reserve(line.size() + line.size() / 70 * 3 + 2);
    qsizetype pos = 0;
    qsizetype room = 75;
    while (line.size() - pos > room) {
        qsizetype cut = pos + room;
        // Never between the bytes of one UTF-8 character.
        while (cut > pos && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        if (cut == pos)
            cut = pos + room;
        out += line.sliced(pos, cut - pos);
        out += "\r\n ";
        pos = cut;
        room = 74; // the blank that starts a continuation line counts
    }
    out += line.sliced(pos);
    out += "\r\n";
    return out;
}

QByteArray renderEvent(const Record& r, const CalendarContext& context) {
    if (r.monat < 1 || r.monat > 12 || r.tag < 1 || !QDate::isValid(2000, r.monat, r.tag))
        return {};
    const std::optional<Series> series = seriesOf(r);
    if (!series)
        return {};
    const bool leapDay = r.monat == 2 && r.tag == 29;
    if (leapDay && r.jahr != 0 && !QDate::isLeapYear(r.jahr))
        return {}; // a date that never was
    const QDate first = birthdayIn(series->firstYear, r.monat, r.tag);

    QByteArray out;
    out += "BEGIN:VEVENT\r\n";
    out += crlf(QStringLiteral("UID:") + eventUid(r));
    // DTSTAMP is required; without a clock time the day at midnight stands in.
    const QDateTime stamp =
        context.stamp.isValid() ? context.stamp : QDateTime(first, QTime(0, 0), Qt::UTC);
    out += crlf(QStringLiteral("DTSTAMP:") +
                stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")));
    out += crlf(QStringLiteral("DTSTART;VALUE=DATE:") + dateValue(first));
    out += crlf(QStringLiteral("DTEND;VALUE=DATE:") + dateValue(first.addDays(1)));
    QString rule = QStringLiteral("RRULE:FREQ=YEARLY");
    if (series->interval > 1)
        rule += QStringLiteral(";INTERVAL=%1").arg(series->interval);
    // Day 60 is 29 February in a leap year and 1 March in any other.
    if (leapDay)
        rule += QStringLiteral(";BYYEARDAY=60");
    out += crlf(rule);
    out += crlf(QStringLiteral("SUMMARY:") + escapeText(summaryOf(r)));
    out += "CATEGORIES:Geburtstag\r\nTRANSP:TRANSPARENT\r\n";

    if (series->reminded) {
        // The alarm texts are the lines of the next due birthday; an export refreshes them.
        const QDate next =
            nextBirthday(r, *series, context.today.isValid() ? context.today : first);
        std::set<int> leads;
        for (const QString& text : r.erinnerung) {
            const std::optional<int> days = offsetDays(text);
            if (days && *days >= 0 && leads.insert(*days).second) {
                out += "BEGIN:VALARM\r\nACTION:DISPLAY\r\n";
                out += crlf(QStringLiteral("DESCRIPTION:") +
                            escapeText(reminderLine(r.name, r.nummer, r.jahr, r.monat, r.tag,
                                                    next.year(), *days, context.dateDisplay)));
                out += crlf(QStringLiteral("TRIGGER:") + triggerOf(*days));
                out += "END:VALARM\r\n";
            }
        }
    }
    out += "END:VEVENT\r\n";
    return out;
}

QByteArray renderCalendar(const Snapshot& records, const CalendarContext& context, int* skipped) {
    QByteArray out;
    out += "BEGIN:VCALENDAR\r\n"
           "VERSION:2.0\r\n"
           "PRODID:-//Natalix//Geburtstage//DE\r\n"
           "CALSCALE:GREGORIAN\r\n"
           "X-WR-CALNAME:Natalix Geburtstage\r\n";
    int none = 0;
    for (const Record& r : records) {
        const QByteArray event = renderEvent(r, context);
        if (event.isEmpty())
            ++none;
        out += event;
    }
    out += "END:VCALENDAR\r\n";
    if (skipped)
        *skipped = none;
    return out;
}

} // namespace natalix
