#include "reminder/scanrunner.h"

#include "reminder/reminderscan.h"
#include "table/cursor.h"
#include "table/tablestore.h"

#include <algorithm>

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
    // Names are kept as bytes and turned into text only for the lines that are built.
    QByteArray names;
    names.reserve(1 << 16);
    std::vector<std::pair<qsizetype, qsizetype>> nameAt;
    const bool read = store.forEachRow([&](const ScanRowView& v) {
        ConvertedRow c;
        c.nummer = v.nummer;
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
        nameAt.emplace_back(names.size(), v.name.size());
        names.append(v.name);
    });
    if (!read) {
        run.read = false;
        run.marksStored = false;
        return run;
    }
    // The order of a scan: by month and day, equal days as stored (the row index decides).
    std::vector<std::pair<qint64, int>> keyed(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keyed[i] = {(static_cast<qint64>(rows[i].monat) << 32) +
                        (static_cast<qint64>(rows[i].tag) + 0x80000000LL),
                    static_cast<int>(i)};
    std::sort(keyed.begin(), keyed.end());
    std::vector<int> order(rows.size());
    for (size_t i = 0; i < keyed.size(); ++i)
        order[i] = keyed[i].second;
    std::vector<ConvertedRow> sorted;
    sorted.reserve(rows.size());
    for (int i : order)
        sorted.push_back(std::move(rows[i]));
    const ScanResult result = geburtstagedurchgehen(sorted, today, dateDisplay, [&](int x) {
        const auto [at, size] = nameAt[order[x]];
        return QString::fromUtf8(names.constData() + at, size);
    });
    run.lines = result.lines;
    std::vector<std::pair<qint64, std::array<int, 3>>> marks;
    for (const ReminderMark& m : result.marks) {
        const qint64 rowid = rowids[order[m.row]];
        if (marks.empty() || marks.back().first != rowid)
            marks.push_back({rowid, sorted[m.row].marker});
        marks.back().second[m.reminder] = m.year;
    }
    if (!marks.empty())
        run.marksStored = store.writeMarkers(marks);
    return run;
}

} // namespace natalix
