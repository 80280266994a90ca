#include "reminder/reminderscan.h"

#include "reminder/nextbirthday.h"
#include "table/textnumber.h"

#include <optional>

namespace natalix {

namespace {

struct Decision {
    bool due = false;
    NextBirthday birthday;
    std::array<bool, 3> reminders{false, false, false};
};

Decision erinnerungfaellig(const ConvertedRow& row, const QDate& today) {
    Decision d;
    // Without a year there is no age: every birthday is due, start and cycle do not apply.
    std::optional<ReminderCycle> cycle;
    if (row.jahr != 0) {
        // A start or cycle that is no usable number skips the record.
        cycle = reminderCycle(row.start, row.cycle);
        if (!cycle)
            return d;
    }
    const auto active = [&](int k) { return row.offset[k] && *row.offset[k] != -1; };
    if (!active(0) && !active(1) && !active(2))
        return d;
    d.birthday = nextBirthday(row.jahr, row.monat, row.tag, today, cycle);
    const long long days = d.birthday.days;
    for (int k = 0; k < 3; ++k) {
        if (active(k) && row.marker[k] != d.birthday.year && days <= *row.offset[k] && days >= 0) {
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
    for (int x = 0; x < static_cast<int>(rows.size()); ++x) {
        const Decision d = erinnerungfaellig(rows[x], date);
        if (!d.due)
            continue;
        for (int k = 0; k < 3; ++k) {
            if (d.reminders[k])
                result.marks.push_back({x, k, d.birthday.year});
        }
        const ConvertedRow& row = rows[x];
        result.lines << reminderLine(nameOf(x), row.nummer, row.jahr, row.monat, row.tag,
                                     d.birthday.year, d.birthday.days, dateDisplay);
    }
    return result;
}

ScanDay::ScanDay(const QDate& today) : m_today(today) {
    for (int monat = 1; monat <= 12; ++monat)
        for (int tag = 1; tag <= 31; ++tag)
            m_usual[(monat - 1) * 31 + tag - 1] = window(monat, tag);
}

bool ScanDay::window(int monat, int tag) const {
    // The days to go as erinnerungfaellig counts them; a reminder is due only from its lead
    // time ahead up to the day itself.
    const long long days = nextBirthday(0, monat, tag, m_today).days;
    return days >= 0 && days <= longestLeadDays();
}

bool ScanDay::mayBeDue(int monat, int tag) const {
    if (monat >= 1 && monat <= 12 && tag >= 1 && tag <= 31)
        return m_usual[(monat - 1) * 31 + tag - 1];
    return window(monat, tag);
}

bool ScanDay::anyDue(const ConvertedRow& row) const {
    return erinnerungfaellig(row, m_today).due;
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
