#include "reminder/reminderscan.h"

#include "reminder/daynumber.h"
#include "table/textnumber.h"

#include <cmath>

namespace natalix {

namespace {

struct Decision {
    bool due = false;
    long long days = 0;
    long long age = 0;
    int referenceYear = 0;
    std::array<bool, 3> reminders{false, false, false};
};

struct Today {
    int year;
    int month;
    int dayNumber;
};

Decision erinnerungfaellig(const ConvertedRow& row, const Today& today) {
    Decision d;
    // From September on, a birthday in January to April is next year's.
    const int einjahrplus = (today.month > 8 && row.monat < 5) ? 1 : 0;
    d.referenceYear = today.year + einjahrplus;
    d.age = static_cast<long long>(d.referenceYear) - row.jahr;
    // Without a year there is no age: every birthday is due, start and cycle do not apply.
    if (row.jahr != 0) {
        // A start or cycle that is no usable number skips the record.
        if (!row.start || !row.cycle || *row.cycle == 0)
            return d;
        if (*row.start > d.age)
            return d;
        const double yearsSinceStart = static_cast<double>(d.age) - *row.start;
        if (std::fmod(yearsSinceStart, *row.cycle) != 0.0)
            return d;
    }
    const auto active = [&](int k) { return row.offset[k] && *row.offset[k] != -1; };
    if (!active(0) && !active(1) && !active(2))
        return d;
    d.days =
        static_cast<long long>(berechnetage(d.referenceYear, row.monat, row.tag)) - today.dayNumber;
    for (int k = 0; k < 3; ++k) {
        if (active(k) && row.marker[k] != d.referenceYear && d.days <= *row.offset[k] &&
            d.days >= 0) {
            d.reminders[k] = true;
            d.due = true;
        }
    }
    return d;
}

} // namespace

ScanResult geburtstagedurchgehen(const std::vector<ConvertedRow>& rows, const QDate& today,
                                 double dateDisplay) {
    return geburtstagedurchgehen(rows, today, dateDisplay, [&](int x) { return rows[x].name; });
}

ScanResult geburtstagedurchgehen(const std::vector<ConvertedRow>& rows, const QDate& date,
                                 double dateDisplay, const std::function<QString(int)>& nameOf) {
    ScanResult result;
    const Today today{date.year(), date.month(),
                      berechnetage(date.year(), date.month(), date.day())};
    for (int x = 0; x < static_cast<int>(rows.size()); ++x) {
        const Decision d = erinnerungfaellig(rows[x], today);
        if (!d.due)
            continue;
        for (int k = 0; k < 3; ++k) {
            if (d.reminders[k])
                result.marks.push_back({x, k, d.referenceYear});
        }
        const ConvertedRow& row = rows[x];
        result.lines << reminderLine(nameOf(x), row.nummer, row.jahr, row.monat, row.tag,
                                     d.referenceYear, d.days, dateDisplay);
    }
    return result;
}

QString reminderLine(const QString& name, int nummer, int jahr, int monat, int tag,
                     int referenceYear, long long days, double dateDisplay) {
    const bool yearKnown = jahr != 0;
    QString line = name;
    if (days == 0) {
        line += yearKnown ? QStringLiteral(" wird heute") : QStringLiteral(" hat heute");
    } else if (days == 1) {
        line += yearKnown ? QStringLiteral(" wird morgen") : QStringLiteral(" hat morgen");
    } else {
        line += yearKnown ? QStringLiteral(" wird am ") : QStringLiteral(" hat am ");
        line += dateDisplay == 0
                    ? QStringLiteral("%1-%2-%3").arg(referenceYear).arg(monat).arg(tag)
                    : QStringLiteral("%1.%2.%3").arg(tag).arg(monat).arg(referenceYear);
    }
    if (yearKnown)
        line += signedNumber(static_cast<long long>(referenceYear) - jahr) +
                QStringLiteral(" Jahre alt ...");
    else
        line += QStringLiteral(" Geburtstag ...");
    if (name.isEmpty() || name == u" ")
        line = QStringLiteral("Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz") +
               signedNumber(nummer) + u')' + line;
    return line;
}

QString reminderWindowText(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n\r\n");
    return text;
}

} // namespace natalix
