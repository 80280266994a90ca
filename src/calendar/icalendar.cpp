#include "calendar/icalendar.h"

#include "reminder/nextbirthday.h"
#include "reminder/remindercodes.h"
#include "reminder/reminderscan.h"

#include <algorithm>
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

struct Series {
    int firstYear = 0;                  // of the first birthday shown
    std::optional<ReminderCycle> cycle; // of the reminded ones; none: shown yearly, no alarm
};

// Which birthdays the scan reminds of: from the start birthday on, every cycle years; a
// record of unknown year every year.
std::optional<Series> seriesOf(const Record& r) {
    Series s;
    if (r.jahr == 0) {
        s.firstYear = unknownYearStart;
        s.cycle = ReminderCycle{};
        return s;
    }
    if (r.jahr < 0)
        return std::nullopt;
    s.cycle = reminderCycle(startNumber(r.erinnerungsbeginn), cycleYears(r.erinnerungszyklus));
    // Without a usable cycle the scan never reminds of it: shown every year, without alarms.
    const long long first = r.jahr + (s.cycle ? s.cycle->firstFrom(0) : 1);
    if (first < 1 || first > 9999)
        return std::nullopt;
    s.firstYear = static_cast<int>(first);
    return s;
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
    const int interval = series->cycle ? series->cycle->cycle : 1;

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
    if (interval > 1)
        rule += QStringLiteral(";INTERVAL=%1").arg(interval);
    // Day 60 is 29 February in a leap year and 1 March in any other.
    if (leapDay)
        rule += QStringLiteral(";BYYEARDAY=60");
    out += crlf(rule);
    out += crlf(QStringLiteral("SUMMARY:") + escapeText(summaryOf(r)));
    out += "CATEGORIES:Geburtstag\r\nTRANSP:TRANSPARENT\r\n";

    if (series->cycle) {
        // The alarm texts are the lines of the next due birthday; an export refreshes them.
        const int next =
            nextBirthday(r.jahr, r.monat, r.tag, context.today.isValid() ? context.today : first,
                         r.jahr != 0 ? series->cycle : std::nullopt)
                .year;
        std::set<int> leads;
        for (const QString& text : r.erinnerung) {
            const std::optional<int> days = offsetDays(text);
            if (days && *days >= 0 && leads.insert(*days).second) {
                out += "BEGIN:VALARM\r\nACTION:DISPLAY\r\n";
                out += crlf(QStringLiteral("DESCRIPTION:") +
                            escapeText(reminderLine(r.name, r.nummer, r.jahr, r.monat, r.tag, next,
                                                    *days, context.dateDisplay)));
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
