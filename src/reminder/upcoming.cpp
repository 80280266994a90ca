#include "reminder/upcoming.h"

#include "reminder/nextbirthday.h"
#include "table/cursor.h"
#include "table/textnumber.h"

#include <algorithm>

namespace natalix {

namespace {

QString entryText(const UpcomingBirthday& b) {
    QString text = b.name + QStringLiteral(", ") + daysAheadText(b.daysAhead);
    if (b.age)
        text += QStringLiteral(", ") + ageText(b.age);
    return text;
}

// More than this many on the first day are counted, not named: a tool tip is one glance.
constexpr int namedInToolTip = 3;

} // namespace

int upcomingRange(int days) {
    for (int range : upcomingRanges) {
        if (range == days)
            return days;
    }
    return defaultUpcomingRange;
}

QString upcomingName(const Record& record) {
    if (record.name.isEmpty() || record.name == u" ")
        return QStringLiteral("Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz") +
               signedNumber(record.nummer) + u')';
    return record.name;
}

QString daysAheadText(int days) {
    if (days == 0)
        return QStringLiteral("heute");
    if (days == 1)
        return QStringLiteral("morgen");
    return QStringLiteral("in") + signedNumber(days) + QStringLiteral(" Tagen");
}

QString ageText(const std::optional<int>& age) {
    if (!age)
        return QString();
    return QString::number(*age) + (*age == 1 ? QStringLiteral(" Jahr") : QStringLiteral(" Jahre"));
}

QString displayDate(const QDate& date, double dateDisplay) {
    if (dateDisplay == 0)
        return QStringLiteral("%1-%2-%3").arg(date.year()).arg(date.month()).arg(date.day());
    return QStringLiteral("%1.%2.%3").arg(date.day()).arg(date.month()).arg(date.year());
}

std::vector<UpcomingBirthday> upcomingBirthdays(const Snapshot& rows, const QDate& today,
                                                int days) {
    std::vector<UpcomingBirthday> found;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const Record& r = rows[row];
        if (r.monat < 1 || r.monat > 12 || r.tag < 1 || r.tag > 31)
            continue;
        const NextBirthday next = nextBirthday(r.jahr, r.monat, r.tag, today);
        if (next.days > days)
            continue;
        UpcomingBirthday b;
        if (r.jahr != 0) {
            // The day of birth itself is no birthday, and a later one lies ahead of it.
            if (next.age < 1)
                continue;
            b.age = static_cast<int>(next.age);
        }
        b.date = birthdayIn(next.year, r.monat, r.tag);
        b.daysAhead = static_cast<int>(next.days);
        b.name = upcomingName(r);
        b.row = row;
        b.nummer = r.nummer;
        found.push_back(std::move(b));
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const UpcomingBirthday& a, const UpcomingBirthday& b) {
                         if (a.daysAhead != b.daysAhead)
                             return a.daysAhead < b.daysAhead;
                         if (const int c = compareText(a.name, b.name); c != 0)
                             return c < 0;
                         return a.nummer < b.nummer;
                     });
    return found;
}

std::vector<UpcomingBirthday> upcomingBirthdays(const Cursor& cursor, const QDate& today,
                                                int days) {
    std::vector<UpcomingBirthday> found = upcomingBirthdays(cursor.snapshot(), today, days);
    for (UpcomingBirthday& b : found)
        b.bookmark = cursor.bookmarkAt(b.row);
    return found;
}

QString upcomingToolTip(const std::vector<UpcomingBirthday>& yearAhead) {
    if (yearAhead.empty())
        return QStringLiteral("Nächster Geburtstag: keiner im kommenden Jahr");
    const int firstDay = yearAhead.front().daysAhead;
    QStringList entries;
    int sameDay = 0;
    for (const UpcomingBirthday& b : yearAhead) {
        if (b.daysAhead != firstDay)
            break;
        if (++sameDay <= namedInToolTip)
            entries << entryText(b);
    }
    if (sameDay == 1)
        return QStringLiteral("Nächster Geburtstag: ") + entries.front();
    QString text = QStringLiteral("Nächste Geburtstage: ") + entries.join(QStringLiteral("; "));
    const int more = sameDay - namedInToolTip;
    if (more == 1)
        text += QStringLiteral("; und 1 weiterer");
    else if (more > 1)
        text += QStringLiteral("; und %1 weitere").arg(more);
    return text;
}

} // namespace natalix
