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
    // A start or cycle that is no usable number skips the record.
    if (!row.start || !row.cycle || *row.cycle == 0)
        return d;
    if (*row.start > d.age)
        return d;
    const double yearsSinceStart = static_cast<double>(d.age) - *row.start;
    if (std::fmod(yearsSinceStart, *row.cycle) != 0.0)
        return d;
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

QString nachrichterstellen(const ConvertedRow& row, const QString& name, const Decision& d,
                           double dateDisplay) {
    QString line = name;
    if (d.days == 0) {
        line += QStringLiteral(" wird heute");
    } else if (d.days == 1) {
        line += QStringLiteral(" wird morgen");
    } else if (dateDisplay == 0) {
        line +=
            QStringLiteral(" wird am %1-%2-%3").arg(d.referenceYear).arg(row.monat).arg(row.tag);
    } else {
        line +=
            QStringLiteral(" wird am %1.%2.%3").arg(row.tag).arg(row.monat).arg(d.referenceYear);
    }
    line += signedNumber(d.age) + QStringLiteral(" Jahre alt ...");
    if (name.isEmpty() || name == u" ")
        line = QStringLiteral("Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz") +
               signedNumber(row.nummer) + u')' + line;
    return line;
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
        result.lines << nachrichterstellen(rows[x], nameOf(x), d, dateDisplay);
    }
    return result;
}

QString reminderWindowText(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n\r\n");
    return text;
}

} // namespace natalix
