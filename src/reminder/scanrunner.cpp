#include "reminder/scanrunner.h"

#include "reminder/reminderscan.h"
#include "table/cursor.h"

namespace natalix {

ScanRun runReminderScan(Cursor& cursor, const QDate& today, double dateDisplay) {
    ScanRun run;
    cursor.setSort(scanSortExpression());
    if (cursor.recordCount() == 0)
        return run;
    const Snapshot snapshot = cursor.snapshot();
    const ScanResult result =
        geburtstagedurchgehen(erinnerungstexteumwandeln(snapshot), today, dateDisplay);
    run.lines = result.lines;
    if (result.marks.empty())
        return run;
    if (!cursor.begin()) {
        run.marksStored = false;
        return run;
    }
    bool ok = true;
    for (size_t i = 0; i < result.marks.size() && ok;) {
        const int row = result.marks[i].row;
        Record r = cursor.rowAt(row);
        for (; i < result.marks.size() && result.marks[i].row == row; ++i)
            r.marker[result.marks[i].reminder] = result.marks[i].year;
        ok = cursor.writeRecord(cursor.bookmarkAt(row), r);
    }
    run.marksStored = ok ? cursor.commit() : (cursor.rollback(), false);
    return run;
}

} // namespace natalix
