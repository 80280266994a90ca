#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <utility>
#include <vector>

namespace natalix {

class TableStore;

// The markers E1 to E3 a scan gives a row, by rowid.
using MarkerWrites = std::vector<std::pair<qint64, std::array<int, 3>>>;

struct ScanRun {
    bool read = true; // false: the table could not be read, so nothing was decided
    bool marksStored = true;
    QStringList lines;  // one per record with a due reminder, by month and day
    MarkerWrites marks; // what marks them as given
};

// Decides what is due today straight on the database: it reads the rows in scan order
// without building records (only those whose birthday lies within the longest lead time in
// full) and writes nothing.
ScanRun decideReminders(TableStore& store, const QDate& today, double dateDisplay);

// One reminder scan of the command line: decided, then every due reminder marked with its
// reference year (all marks in one transaction). If the marks cannot be stored the lines
// still come, and the reminders come again next time.
ScanRun runReminderScan(TableStore& store, const QDate& today, double dateDisplay);

} // namespace natalix
