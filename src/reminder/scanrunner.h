#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace natalix {

class Cursor;

struct ScanRun {
    bool marksStored = true;
    QStringList lines;
};

// One reminder scan over the table: sorted by month and day, every due reminder marked with
// its reference year (all marks in one transaction), the message lines returned in order.
// If the marks cannot be stored the lines still come, and the reminders come again next time.
ScanRun runReminderScan(Cursor& cursor, const QDate& today, double dateDisplay);

} // namespace natalix
