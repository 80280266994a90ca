#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

namespace natalix {

class Cursor;

struct ScanRun {
    bool read = true; // false: the table could not be read, so nothing was decided
    bool marksStored = true;
    QStringList lines;
};

// One reminder scan over the table: sorted by month and day, every due reminder marked with
// its reference year (all marks in one transaction), the message lines returned in order.
// If the marks cannot be stored the lines still come, and the reminders come again next time.
ScanRun runReminderScan(Cursor& cursor, const QDate& today, double dateDisplay);

class TableStore;
// The same scan straight on the database, for the command line: it reads the rows in scan
// order without building records and writes only the markers that change.
ScanRun runReminderScan(TableStore& store, const QDate& today, double dateDisplay);

} // namespace natalix
