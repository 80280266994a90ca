#include "reminder/scanrunner.h"

#include "reminder/reminderscan.h"
#include "table/tablestore.h"

#include <algorithm>
#include <tuple>

namespace natalix {

ScanRun decideReminders(TableStore& store, const QDate& today, double dateDisplay) {
    ScanRun run;
    // Only records whose birthday lies within the longest lead time are read in full (about
    // a quarter), and only the due ones are kept.
    const ScanDay day(today);
    struct Due {
        qint64 rowid;
        ConvertedRow row;
        QString name;
    };
    std::vector<Due> due;
    const bool read = store.forEachRow(
        [&](const ScanRowView& v) {
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
            if (day.anyDue(c))
                due.push_back({v.rowid, std::move(c), QString::fromUtf8(v.name)});
        },
        [&](int monat, int tag) { return day.mayBeDue(monat, tag); });
    if (!read) {
        run.read = false;
        run.marksStored = false;
        return run;
    }
    // The order of a scan: by month and day, equal days in the order they were stored.
    std::sort(due.begin(), due.end(), [](const Due& a, const Due& b) {
        return std::tie(a.row.monat, a.row.tag, a.rowid) <
               std::tie(b.row.monat, b.row.tag, b.rowid);
    });
    std::vector<ConvertedRow> rows;
    rows.reserve(due.size());
    for (Due& d : due)
        rows.push_back(std::move(d.row));
    const ScanResult result =
        geburtstagedurchgehen(rows, today, dateDisplay, [&](int x) { return due[x].name; });
    run.lines = result.lines;
    for (const ReminderMark& m : result.marks) {
        const qint64 rowid = due[m.row].rowid;
        if (run.marks.empty() || run.marks.back().first != rowid)
            run.marks.push_back({rowid, rows[m.row].marker});
        run.marks.back().second[m.reminder] = m.year;
    }
    return run;
}

ScanRun runReminderScan(TableStore& store, const QDate& today, double dateDisplay) {
    ScanRun run = decideReminders(store, today, dateDisplay);
    if (run.read && !run.marks.empty())
        run.marksStored = store.writeMarkers(run.marks);
    return run;
}

} // namespace natalix
