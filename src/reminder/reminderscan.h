#pragma once

#include "reminder/remindercodes.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <vector>

namespace natalix {

// One due reminder to be marked: snapshot row, reminder 0..2, the reference year.
struct ReminderMark {
    int row = 0;
    int reminder = 0;
    int year = 0;
};

struct ScanResult {
    QStringList lines; // one per record with a due reminder, in snapshot order
    std::vector<ReminderMark> marks;
};

// Decides for every row which reminders are due today and builds the message lines.
// dateDisplay 0 writes dates as 2025-3-7, any other value as 7.3.2025.
ScanResult geburtstagedurchgehen(const std::vector<ConvertedRow>& rows, const QDate& today,
                                 double dateDisplay);
// The same, with the names supplied only for the rows that get a line.
ScanResult geburtstagedurchgehen(const std::vector<ConvertedRow>& rows, const QDate& today,
                                 double dateDisplay, const std::function<QString(int)>& nameOf);

// Today as a scan sees it.
class ScanDay {
public:
    explicit ScanDay(const QDate& today);

    // Whether a record with this month and day can have a reminder due: its birthday lies
    // between today and the longest lead time ahead. A scan need not read any other record.
    bool mayBeDue(int monat, int tag) const;
    // Whether erinnerungfaellig gives at least one reminder of the row.
    bool anyDue(const ConvertedRow& row) const;

private:
    bool window(int monat, int tag) const;
    QDate m_today;
    std::array<bool, 12 * 31> m_usual{}; // mayBeDue of 1 January to 31 December
};

// The line of a record with a due reminder: `days` to its birthday in `referenceYear`, at the
// age reached then; a record of unknown year (Jahr 0) gets the line without an age.
QString reminderLine(const QString& name, int nummer, int jahr, int monat, int tag,
                     int referenceYear, long long days, double dateDisplay);

// The text of the reminder window: every line followed by two line breaks.
QString reminderWindowText(const QStringList& lines);

// The sort order a scan works in.
inline QString scanSortExpression() {
    return QStringLiteral("Monat ASC,Tag ASC");
}

} // namespace natalix
