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

// From September on, a birthday in January to April is next year's.
int referenceYear(int year, int month, int monat) {
    return (month > 8 && monat < 5) ? year + 1 : year;
}

Decision erinnerungfaellig(const ConvertedRow& row, const ScanDay& today) {
    Decision d;
    d.referenceYear = referenceYear(today.year(), today.month(), row.monat);
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
    d.days = static_cast<long long>(berechnetage(d.referenceYear, row.monat, row.tag)) -
             today.dayNumber();
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
    const ScanDay today(date);
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

ScanDay::ScanDay(const QDate& today)
    : m_year(today.year()), m_month(today.month()),
      m_dayNumber(berechnetage(today.year(), today.month(), today.day())) {
    for (int monat = 1; monat <= 12; ++monat)
        for (int tag = 1; tag <= 31; ++tag)
            m_usual[(monat - 1) * 31 + tag - 1] = window(monat, tag);
}

bool ScanDay::window(int monat, int tag) const {
    // The days to go as erinnerungfaellig counts them; a reminder is due only from its lead
    // time ahead up to the day itself.
    const long long days =
        static_cast<long long>(berechnetage(referenceYear(m_year, m_month, monat), monat, tag)) -
        m_dayNumber;
    return days >= 0 && days <= longestLeadDays();
}

bool ScanDay::mayBeDue(int monat, int tag) const {
    if (monat >= 1 && monat <= 12 && tag >= 1 && tag <= 31)
        return m_usual[(monat - 1) * 31 + tag - 1];
    return window(monat, tag);
}

bool ScanDay::anyDue(const ConvertedRow& row) const {
    return erinnerungfaellig(row, *this).due;
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
