#pragma once

#include "table/record.h"

#include <QDate>
#include <QString>

#include <optional>
#include <vector>

namespace natalix {

class Cursor;

// The ranges the user can pick for "Nächste Geburtstage"; 30 when nothing was chosen.
inline constexpr int upcomingRanges[] = {7, 30, 90, 365};
inline constexpr int defaultUpcomingRange = 30;
// 7, 30, 90 or 365; anything else gives the default.
int upcomingRange(int days);

// One birthday ahead.
struct UpcomingBirthday {
    QDate date;             // the day it falls on: 29 February is 1 March in a common year
    int daysAhead = 0;      // 0 today, 1 tomorrow ...
    QString name;           // as shown: a record without a name gets the scan's text
    std::optional<int> age; // the age reached; none when the birth year is unknown (0)
    int row = 0;            // 0-based row of the snapshot
    qint64 bookmark = 0;    // the record's bookmark, where the rows came from a cursor
    int nummer = 0;

    bool operator==(const UpcomingBirthday&) const = default;
};

// Every birthday from today up to `days` days ahead (both ends included: with 365 every
// record appears once), in date order; records of the same day by name, then number. A
// record not born by then (age below 1) and one whose month or day is no date are left out.
std::vector<UpcomingBirthday> upcomingBirthdays(const Snapshot& rows, const QDate& today, int days);
// The same over the cursor's rows, with each record's bookmark.
std::vector<UpcomingBirthday> upcomingBirthdays(const Cursor& cursor, const QDate& today, int days);

// The name as the list shows it: "" and " " become the scan's text for a nameless record,
// "Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz 12)".
QString upcomingName(const Record& record);
// "heute", "morgen", "in 5 Tagen"
QString daysAheadText(int days);
// "45 Jahre", "1 Jahr"; "" when unknown
QString ageText(const std::optional<int>& age);
// A date in the date display of the options: 0 gives 2025-3-7, any other value 7.3.2025.
QString displayDate(const QDate& date, double dateDisplay);

// The tray's tool tip from the birthdays of the coming year (upcomingBirthdays(..., 365)):
// "Nächster Geburtstag: Anna Beispiel, morgen, 45 Jahre", all of the first day's when there
// are several (at most three named), "Nächster Geburtstag: keiner im kommenden Jahr" when
// there is none.
QString upcomingToolTip(const std::vector<UpcomingBirthday>& yearAhead);

} // namespace natalix
