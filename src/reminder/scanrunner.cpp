#include "reminder/scanrunner.h"

#include "reminder/reminderscan.h"
#include "table/cursor.h"
#include "table/tablestore.h"

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

ScanRun runReminderScan(TableStore& store, const QDate& today, double dateDisplay) {
    ScanRun run;
    std::vector<ConvertedRow> rows;
    std::vector<qint64> rowids;
    const bool read = store.forEachInScanOrder([&](const ScanRowView& v) {
        ConvertedRow c;
        c.nummer = v.nummer;
        c.name = QString::fromUtf8(v.name);
        c.jahr = v.jahr;
        c.monat = v.monat;
        c.tag = v.tag;
        for (int k = 0; k < 3; ++k)
            c.offset[k] = offsetDays(v.settings[k]);
        c.start = startNumber(v.settings[3]);
        c.cycle = cycleYears(v.settings[4]);
        c.marker = v.marker;
        rows.push_back(std::move(c));
        rowids.push_back(v.rowid);
    });
    if (!read) {
        run.marksStored = false;
        return run;
    }
    const ScanResult result = geburtstagedurchgehen(rows, today, dateDisplay);
    run.lines = result.lines;
    std::vector<std::pair<qint64, std::array<int, 3>>> marks;
    for (const ReminderMark& m : result.marks) {
        if (marks.empty() || marks.back().first != rowids[m.row])
            marks.push_back({rowids[m.row], rows[m.row].marker});
        marks.back().second[m.reminder] = m.year;
    }
    if (!marks.empty())
        run.marksStored = store.writeMarkers(marks);
    return run;
}

} // namespace natalix
