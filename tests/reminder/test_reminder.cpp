// Day numbers, the next birthday, the scan and its markers, the upcoming list, the calendar.
#include "calendar/icalendar.h"
#include "reminder/daynumber.h"
#include "reminder/nextbirthday.h"
#include "reminder/remindercodes.h"
#include "reminder/remindercore.h"
#include "reminder/reminderscan.h"
#include "reminder/scanrunner.h"
#include "reminder/upcoming.h"
#include "support/testsupport.h"
#include "table/cursor.h"

#include <QDate>
#include <QtTest>

#include <climits>
#include <memory>
#include <optional>

using namespace natalix;
using natalix::test::FileSizeLimit;
using natalix::test::makeRecord;

namespace {

const QString keine = QStringLiteral("Keine Erinnerung");
const QString amTage = QStringLiteral("Am Tage des Geburtstages");

const Record anna =
    makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7,
               {QStringLiteral("1 Woche vorher"), QStringLiteral("1 Tag vorher"), amTage});
const QString morgen = QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...");
const QString heute = QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...");
// Far from every date used here, so it never gives a line.
const Record summer =
    makeRecord(2, QStringLiteral("Sommer Kind"), 1970, 7, 15,
               {QStringLiteral("3 Monate vorher"), QStringLiteral("1 Tag vorher"), amTage});

QList<int> markers(test::TestTable& t, int nummer) {
    for (const Record& r : Cursor(*t.store).snapshot())
        if (r.nummer == nummer)
            return {r.marker[0], r.marker[1], r.marker[2]};
    return {};
}

const QDate origin(1880, 1, 1);

// "Name:Jahr-Monat-Tag ..." with the numbers 1, 2, ... in order; "_" is the blank name.
Snapshot records(const QString& entries) {
    Snapshot rows;
    for (const QString& entry : entries.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList name = entry.split(u':');
        const QStringList d = name[1].split(u'-');
        rows.push_back(test::makeRecord(int(rows.size()) + 1, name[0] == u"_" ? " " : name[0],
                                        d[0].toInt(), d[1].toInt(), d[2].toInt()));
    }
    return rows;
}

// Every birthday as the window lists it: "7.3.2025 morgen Anna 45 Jahre", joined by " | ".
QString shown(const std::vector<UpcomingBirthday>& list) {
    QStringList out;
    for (const UpcomingBirthday& b : list)
        out << QStringList{displayDate(b.date, 1), daysAheadText(b.daysAhead), b.name,
                           ageText(b.age)}
                   .join(u' ')
                   .trimmed();
    return out.join(QStringLiteral(" | "));
}

const CalendarContext context{QDate(2025, 12, 1),
                              QDateTime(QDate(2025, 12, 1), QTime(9, 30), Qt::UTC), 1};

// The lines of an event that say when it falls and when it rings.
QStringList timingLines(const QByteArray& event) {
    QStringList out;
    for (const QString& line : QString::fromUtf8(event).split(QStringLiteral("\r\n")))
        if (line.startsWith(u"DTSTART") || line.startsWith(u"RRULE") || line.startsWith(u"TRIGGER"))
            out << line;
    return out;
}

} // namespace

class TestReminder : public QObject {
    Q_OBJECT
private slots:
    // The command line reads the settings from the stored UTF-8 bytes, the window from texts:
    // both must give the same numbers for every text of the lists and for near misses.
    void codesFromStoredBytes() {
        QStringList texts = reminderOffsetTexts() + reminderStartTexts() + reminderCycleTexts();
        texts << QString::fromUtf8("4 Wochen vorher|1 monat vorher|1 Tag vorher || |5 Tage Vorher|"
                                   "8 Tage vorher|alle 11 Jahre|alle 0 Jahre|Jährlich|jahrlich|"
                                   "007. Geburtstag|Geburtstag|1.5 Geburtstag|126. Geburtstag|"
                                   "-3. Geburtstag|1. Geburtstag!")
                     .split(u'|');
        for (const QString& text : texts) {
            if (const qsizetype start = reminderStartTexts().indexOf(text); start >= 0)
                QCOMPARE(startNumber(text), std::optional<double>(start + 1));
            const QByteArray utf8 = text.toUtf8();
            QCOMPARE(offsetDays(QByteArrayView(utf8)), offsetDays(text));
            QCOMPARE(startNumber(QByteArrayView(utf8)), startNumber(text));
            QCOMPARE(cycleYears(QByteArrayView(utf8)), cycleYears(text));
        }
    }

    // A record, today, the line it gives (empty: nothing due) and the reminders given.
    void dueOrNot() {
        const QDate march7(2025, 3, 7);
        const QString today45 = QStringLiteral("Kind wird heute 45 Jahre alt ...");
        const auto kind = [](QList<int> born, const QStringList& settings) {
            return makeRecord(1, "Kind", born[0], born[1], born[2], settings);
        };
        const Record every10 = makeRecord(
            7, "Zehner", 2000, 3, 7, {amTage, keine, keine, "18. Geburtstag", "alle 10 Jahre"});
        const std::tuple<Record, QDate, QString, QList<int>> rows[] = {
            // The days to the next birthday are nextBirthday's; here the lead time and the line.
            {kind({1990, 1, 3}, {"3 Monate vorher"}),
             {2025, 10, 5},
             "Kind wird am 3.1.2026 36 Jahre alt ...",
             {0}},
            {kind({2030, 3, 7}, {amTage}), march7, "", {}}, // born after the reference year
            {kind({1980, 3, 15}, {"1 Woche vorher"}), march7, "", {}},
            {kind({1980, 3, 14}, {"1 Woche vorher"}),
             march7,
             "Kind wird am 14.3.2025 45 Jahre alt ...",
             {0}},
            {kind({1980, 3, 7}, {amTage, amTage, amTage}), march7, today45, {0, 1, 2}},
            // Unusable settings skip their reminder or record, nothing else.
            {kind({1980, 3, 7}, {amTage, amTage, amTage, "1. Geburtstag", "alle 0 Jahre"}),
             march7,
             "",
             {}},
            {kind({1980, 3, 7}, {"1 monat vorher", amTage, "1 Tag vorher "}), march7, today45, {1}},
            {every10, {2027, 3, 7}, "", {}},
            {every10, {2028, 3, 7}, "Zehner wird heute 28 Jahre alt ...", {0}},
            // Jahr 0: the year is unknown, so every birthday counts and no age is told (today:
            // the record after each); start and cycle do not apply.
            {kind({0, 3, 8}, {"1 Tag vorher"}), march7, "Kind hat morgen Geburtstag ...", {0}},
            {makeRecord(3, "Ohne Jahr", 0, 3, 7,
                        {amTage, keine, keine, "125. Geburtstag", "alle 11 Jahre"}),
             march7,
             "Ohne Jahr hat heute Geburtstag ...",
             {0}},
            // The blank name is written as stored, hence two blanks.
            {makeRecord(12, " ", 1995, 3, 7, {amTage}),
             march7,
             "Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz 12)  wird heute 30 Jahre "
             "alt ...",
             {0}}};
        for (const auto& [record, today, line, marked] : rows) {
            // The record after it is scanned all the same.
            const ScanResult r = geburtstagedurchgehen(
                erinnerungstexteumwandeln(
                    {record, makeRecord(2, "Danach", 0, today.month(), today.day(), {amTage})}),
                today, 1);
            QCOMPARE(r.lines, (line.isEmpty() ? QStringList() : QStringList{line}) +
                                  QStringList{"Danach hat heute Geburtstag ..."});
            QList<int> given;
            for (const ReminderMark& m : r.marks)
                if (m.row == 0)
                    given << m.reminder;
            QCOMPARE(given, marked);
        }
    }

    // In the new date display (Year-Month-Day); the old one is the other tests'.
    void dayByDay() {
        const Record neujahr = makeRecord(4, "Neujahr Kind", 1990, 1, 5, {"3 Wochen vorher"});
        test::TestTable t({summer, anna, neujahr});
        const QString ahead = "Anna Beispiel wird am 2025-3-7 45 Jahre alt ...",
                      neujahr25 = "Neujahr Kind wird am 2025-1-5 35 Jahre alt ...",
                      neujahr26 = "Neujahr Kind wird am 2026-1-5 36 Jahre alt ...";
        const std::pair<QDate, QStringList> steps[] = {
            {{2024, 12, 20}, {neujahr25}},
            {{2025, 1, 2}, {}}, // marked in December for the birthday in January
            {{2025, 2, 28}, {ahead}},
            {{2025, 3, 6}, {morgen}},
            {{2025, 3, 7}, {heute}},
            {{2025, 3, 7}, {}},
            {{2025, 12, 20}, {neujahr26}}};
        for (const auto& [day, lines] : steps) {
            const ScanRun run = runReminderScan(*t.store, day, 0);
            QVERIFY(run.marksStored);
            QVERIFY2(run.lines == lines, qPrintable(day.toString() + ": " + run.lines.join(u'/')));
        }
        // Only the markers were written, none cleared: the reminder texts stay texts.
        Record annaDone = anna, neujahrDone = neujahr;
        annaDone.marker = {2025, 2025, 2025};
        neujahrDone.marker = {2026, 0, 0};
        QVERIFY(Cursor(*t.store).snapshot() == (Snapshot{annaDone, summer, neujahrDone}));
    }

    // The running program scans through a connection of its own: a change the window holds
    // open makes it try again at the next tick; the lines it gives stay open in the database
    // and come back at every start until answered; a full disk gives them unmarked and
    // unkept, so the next start gives them again.
    void runningProgramKeepsItsLinesOpen() {
        test::TestTable t({anna, summer});
        QDateTime now(QDate(2025, 3, 6), QTime(9, 0));
        struct Program {
            ReminderCore core;
            QList<ReminderReport> scanned, reopened;
            Program(const QString& path, const QDateTime& now)
                : core(
                      path, [&now] { return now; }, [] { return 1.0; }) {
                connect(&core, &ReminderCore::scanned,
                        [this](const ReminderReport& r) { scanned << r; });
                connect(&core, &ReminderCore::reopened,
                        [this](const ReminderReport& r) { reopened << r; });
                core.start();
                core.tick();
            }
        };
        const QString path = t.path;
        QVERIFY(t.store->begin()); // the window's list in the middle of a load
        auto first = std::make_unique<Program>(path, now);
        QVERIFY(first->scanned.isEmpty());
        QVERIFY(t.store->commit());
        first->core.tick();
        const ReminderReport shown = first->scanned.value(0);
        QCOMPARE(shown.lines, QStringList{morgen}); // two reminders, one line
        QCOMPARE(markers(t, 1), (QList<int>{2025, 2025, 0}));
        first.reset();
        for (const bool answer : {false, true}) {
            Program next(path, now);
            QVERIFY(next.scanned.value(0).lines.isEmpty() && next.reopened.size() == 1);
            QCOMPARE(std::pair(next.reopened[0].lines, next.reopened[0].at),
                     std::pair(shown.lines, shown.at));
            if (answer)
                next.core.answered(next.reopened[0].openWindow);
        }
        QVERIFY(Program(path, now).reopened.isEmpty());
        now = QDateTime(QDate(2025, 3, 7), QTime(9, 0));
        std::optional<Program> full;
        {
            FileSizeLimit noRoom(0);
            full.emplace(path, now);
        }
        const ReminderReport unkept = full->scanned.value(0);
        QCOMPARE(unkept.lines, QStringList{heute});
        QVERIFY(!unkept.marksStored && unkept.openWindow == 0);
        QCOMPARE(markers(t, 1), (QList<int>{2025, 2025, 0}));
        Program again(path, now);
        QVERIFY(again.reopened.isEmpty());
        QCOMPARE(again.scanned.value(0).lines, QStringList{heute});
        QCOMPARE(markers(t, 1), (QList<int>{2025, 2025, 2025}));
    }

    // A scan may leave a record unread only when none of its reminders can be due: with the
    // longest lead time, a record is due exactly on the days it is not left out.
    void dueWindowLeavesOutOnlyRecordsNotDue() {
        QList<int> months{INT_MIN, INT_MAX};
        for (int n = -1; n <= 14; ++n)
            months << n;
        QList<int> days = months;
        for (int n = 15; n <= 33; ++n)
            days << n;
        ConvertedRow row = erinnerungstexteumwandeln(
            {makeRecord(1, "Kind", 1950, 1, 1, {QStringLiteral("3 Monate vorher")})})[0];
        // A leap year and a common year.
        for (QDate day(2024, 1, 1); day.year() <= 2025; day = day.addDays(1)) {
            const ScanDay scanDay(day);
            for (const int monat : months)
                for (const int tag : days) {
                    row.monat = monat;
                    row.tag = tag;
                    if (scanDay.mayBeDue(monat, tag) != scanDay.anyDue(row))
                        QFAIL(qPrintable(day.toString() + u' ' + QString::number(tag) + u'.' +
                                         QString::number(monat)));
                }
        }
    }

    // From 30 days before the first day counted: negative day numbers give a weekday too.
    void everyDayMatchesTheCalendar() {
        // The weekday's German name from Qt's locale data; weekdayIndex counts from Thursday.
        const QLocale german(QLocale::German);
        int checked = 0;
        for (QDate d = origin.addDays(-30); d <= QDate(2099, 12, 31); d = d.addDays(1), ++checked) {
            const int n = int(origin.daysTo(d));
            if ((n >= 0 && berechnetage(d.year(), d.month(), d.day()) != n) ||
                QString::fromLatin1(weekdayName(n)) != german.dayName(d.dayOfWeek()) ||
                weekdayIndex(n) != (d.dayOfWeek() + 3) % 7)
                QFAIL(qPrintable(d.toString(Qt::ISODate)));
        }
        QCOMPARE(checked, 80384);
        QCOMPARE(berechnetage(1879, 12, 31), -1);
        // Days that do not exist are counted on, not refused; a month outside the table adds
        // no month days, yet 13 still counts as after the leap day.
        for (const auto& [y, m, d, countsAs] : {std::tuple{1900, 2, 29, QDate(1900, 3, 1)},
                                                {1880, 13, 1, QDate(1880, 1, 2)},
                                                {1880, 0, 5, QDate(1880, 1, 5)}})
            QCOMPARE(berechnetage(y, m, d), origin.daysTo(countsAs));
    }

    // The rule the scan, the upcoming list and the calendar's alarms share: from Jahr, Monat,
    // Tag (then start and cycle, if any) and today, the next birthday's year, days and age.
    void nextBirthdayAndAge() {
        const std::tuple<QList<int>, QDate, QList<long long>> rows[] = {
            {{1980, 3, 7}, {2025, 3, 7}, {2025, 0, 45}},
            {{1980, 3, 7}, {2025, 3, 8}, {2026, 364, 46}},
            {{1990, 1, 1}, {2025, 12, 31}, {2026, 1, 36}},
            {{1990, 1, 3}, {2025, 10, 5}, {2026, 90, 36}},
            {{1990, 4, 1}, {2025, 12, 31}, {2026, 91, 36}},
            // 29 February is 1 March in a common year, 31 April is 1 May.
            {{2000, 2, 29}, {2025, 2, 28}, {2025, 1, 25}},
            {{2000, 2, 29}, {2025, 3, 2}, {2026, 364, 26}},
            {{2000, 2, 29}, {2028, 2, 28}, {2028, 1, 28}},
            {{1990, 4, 31}, {2025, 4, 30}, {2025, 1, 35}},
            {{2030, 3, 7}, {2025, 3, 7}, {2025, 0, -5}},                  // born later
            {{INT_MAX, 3, 7}, {2025, 3, 7}, {2025, 0, 2025LL - INT_MAX}}, // no overflow
            {{INT_MIN, 3, 8}, {2025, 3, 7}, {2025, 1, 2025LL - INT_MIN}},
            // Start 18, cycle 10: before the start, on the 28th, the day after.
            {{2000, 6, 15, 18, 10}, {2005, 1, 1}, {2018, 4913, 18}},
            {{2000, 6, 15, 18, 10}, {2028, 6, 15}, {2028, 0, 28}},
            {{2000, 6, 15, 18, 10}, {2028, 6, 16}, {2038, 3651, 38}},
            {{2000, 3, 7, 1, 2}, {2025, 3, 8}, {2027, 729, 27}},
            {{2025, 3, 7, 0, 5}, {2025, 3, 7}, {2025, 0, 0}}}; // start 0: the day of birth
        for (const auto& [born, today, next] : rows) {
            std::optional<ReminderCycle> cycle;
            if (born.size() == 5)
                cycle = ReminderCycle{born[3], born[4]};
            const NextBirthday got = nextBirthday(born[0], born[1], born[2], today, cycle);
            QCOMPARE((QList<long long>{got.year, got.days, got.age}), next);
        }
    }

    // The ages from 0 to 30 a start and a cycle remind; none: not usable, never reminded.
    void usableCycles() {
        const std::tuple<const char*, const char*, QList<int>> rows[] = {
            {"18. Geburtstag", "alle 10 Jahre", {18, 28}},
            {"1. Geburtstag",
             "alle 2 Jahre",
             {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29}},
            {"30. Geburtstag", "jährlich", {30}},
            {"-3. Geburtstag", "alle 20 Jahre", {17}},
            {"1. Geburtstag", "alle 11 Jahre", {}},
            {"1. Geburtstag", "alle 0 Jahre", {}},
            {"Geburtstag", "jährlich", {}},
            {"1.5 Geburtstag", "jährlich", {}},
            {"10001. Geburtstag", "jährlich", {}}};
        for (const auto& [start, cycleText, reminded] : rows) {
            const std::optional<ReminderCycle> c = reminderCycle(
                startNumber(QString::fromUtf8(start)), cycleYears(QString::fromUtf8(cycleText)));
            QCOMPARE(c.has_value(), !reminded.isEmpty());
            QList<int> got;
            for (int age = 0; c && age <= 30; ++age)
                if (c->includes(age))
                    got << age;
            QCOMPARE(got, reminded);
        }
    }

    // The list from today on, so many days ahead: the rows, today, the days and the list.
    void list() {
        const std::tuple<QString, QDate, int, QString> rows[] = {
            {"Alt:1950-12-29 Silvester:1990-12-31 Neujahr:2000-1-2",
             {2024, 12, 30},
             365,
             "31.12.2024 morgen Silvester 34 Jahre | 2.1.2025 in 3 Tagen Neujahr 25 Jahre | "
             "29.12.2025 in 364 Tagen Alt 75 Jahre"},
            // The 7th day ahead, not the 8th.
            {"T0:1970-3-1 T7:1970-3-8 T8:1970-3-9",
             {2025, 3, 1},
             7,
             "1.3.2025 heute T0 55 Jahre | 8.3.2025 in 7 Tagen T7 55 Jahre"},
            // Unknown year without age; not born, born that day: left out.
            {"Ohne:0-3-3 Baby:2025-3-3 Einjaehrig:2024-3-4 Kuenftig:2026-3-2",
             {2025, 3, 1},
             30,
             "3.3.2025 in 2 Tagen Ohne | 4.3.2025 in 3 Tagen Einjaehrig 1 Jahr"},
            // The same day: by name, case and umlauts folded.
            {"Zoe:1990-6-1 Ärger:1990-6-1 anna:1990-6-1 _:1990-6-1 Bert:1990-5-31",
             {2025, 5, 31},
             1,
             "31.5.2025 heute Bert 35 Jahre | 1.6.2025 morgen anna 35 Jahre | 1.6.2025 morgen "
             "Ärger 35 Jahre | 1.6.2025 morgen Ein eingegebenes Geburtstags-Kind ohne Namen "
             "(Datensatz 4) 35 Jahre | 1.6.2025 morgen Zoe 35 Jahre"},
            // No date.
            {"M13:1990-13-1 M0:1990-0-5 T0:1990-5-0 T32:1990-5-32 April31:1990-4-31",
             {2025, 4, 28},
             7,
             "1.5.2025 in 3 Tagen April31 35 Jahre"}};
        for (const auto& [entries, today, days, expected] : rows)
            QCOMPARE(shown(upcomingBirthdays(records(entries), today, days)), expected);
        // Only the ranges the window offers; any other, as a hand edit may leave it, is 30.
        QVERIFY(upcomingRange(365) == 365 && upcomingRange(31) == 30);
    }

    // The tool tip on 6 March 2025.
    void toolTip() {
        const std::pair<QString, QString> rows[] = {
            {"Klein:2024-3-6", "Nächster Geburtstag: Klein, heute, 1 Jahr"},
            {"Bert:1990-3-8 Anna:0-3-8 Carl:1980-3-9",
             "Nächste Geburtstage: Anna, in 2 Tagen; Bert, in 2 Tagen, 35 Jahre"},
            {"A:0-3-8 B:0-3-8 C:0-3-8 D:0-3-8",
             "Nächste Geburtstage: A, in 2 Tagen; B, in 2 Tagen; C, in 2 Tagen; und 1 weiterer"},
            {"A:0-3-8 B:0-3-8 C:0-3-8 D:0-3-8 E:0-3-8",
             "Nächste Geburtstage: A, in 2 Tagen; B, in 2 Tagen; C, in 2 Tagen; und 2 weitere"},
            {"Kuenftig:2027-1-1", "Nächster Geburtstag: keiner im kommenden Jahr"}};
        for (const auto& [entries, expected] : rows)
            QCOMPARE(upcomingToolTip(upcomingBirthdays(records(entries), QDate(2025, 3, 6), 365)),
                     expected);
    }

    void folding() {
        const QByteArray a74(74, 'a'), x75(75, 'x'), x74(74, 'x');
        // 75 octets, 76, a two-octet character at the limit; continuations hold 74 octets
        // after the blank.
        const std::pair<QByteArray, QByteArray> rows[] = {
            {a74 + 'b', a74 + "b\r\n"},
            {a74 + "bc", a74 + "b\r\n c\r\n"},
            {a74 + "\xC3\xA4", a74 + "\r\n \xC3\xA4\r\n"},
            {x75 + x74 + 'x', x75 + "\r\n " + x74 + "\r\n x\r\n"}};
        for (const auto& [line, folded] : rows)
            QCOMPARE(foldContentLine(line), folded);
    }

    void escaping() {
        QCOMPARE(escapeText(QStringLiteral("a\\b;c,d\ne\r")), QStringLiteral("a\\\\b\\;c\\,d\\ne"));
    }

    void wholeEvent() {
        const Record r = makeRecord(12, QStringLiteral("Jürgen Groß, jun."), 1980, 3, 7,
                                    {keine, "1 Tag vorher", keine});
        QCOMPARE(renderEvent(r, context),
                 QByteArray("BEGIN:VEVENT\r\n"
                            "UID:natalix-12\r\n"
                            "DTSTAMP:20251201T093000Z\r\n"
                            "DTSTART;VALUE=DATE:19810307\r\n"
                            "DTEND;VALUE=DATE:19810308\r\n"
                            "RRULE:FREQ=YEARLY\r\n"
                            "SUMMARY:J\xC3\xBCrgen Gro\xC3\x9F\\, jun. (*1980)\r\n"
                            "CATEGORIES:Geburtstag\r\n"
                            "TRANSP:TRANSPARENT\r\n"
                            "BEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                            "DESCRIPTION:J\xC3\xBCrgen Gro\xC3\x9F\\, jun. wird morgen 46 Jahre "
                            "alt ...\r\n"
                            "TRIGGER:-P1D\r\nEND:VALARM\r\n"
                            "END:VEVENT\r\n"));
    }

    // When an event falls and when it rings; no lines: no event.
    void timing() {
        const std::pair<Record, QStringList> rows[] = {
            // 29 February: the first birthday in a common year, a start in a leap year.
            {makeRecord(1, "Leap", 2000, 2, 29, {}),
             {"DTSTART;VALUE=DATE:20010301", "RRULE:FREQ=YEARLY;BYYEARDAY=60"}},
            {makeRecord(1, "Leap", 2000, 2, 29,
                        {keine, "2 Monate vorher", keine, "4. Geburtstag", "alle 4 Jahre"}),
             {"DTSTART;VALUE=DATE:20040229", "RRULE:FREQ=YEARLY;INTERVAL=4;BYYEARDAY=60",
              "TRIGGER:-P62D"}},
            {makeRecord(1, "Z", 2000, 6, 15,
                        {"3 Monate vorher", "4 Wochen vorher", "1 Monat vorher", "18. Geburtstag",
                         "alle 10 Jahre"}),
             {"DTSTART;VALUE=DATE:20180615", "RRULE:FREQ=YEARLY;INTERVAL=10", "TRIGGER:-P92D",
              "TRIGGER:-P28D", "TRIGGER:-P31D"}},
            // The unknown year ignores start and cycle.
            {makeRecord(
                 1, "P", 0, 8, 15,
                 {"3 Tage vorher", keine, "3 Tage vorher", "50. Geburtstag", "alle 7 Jahre"}),
             {"DTSTART;VALUE=DATE:20000815", "RRULE:FREQ=YEARLY", "TRIGGER:-P3D"}},
            // A cycle the scan cannot use: every year, no alarm.
            {makeRecord(1, "E", 1990, 9, 9,
                        {"1 Tag vorher", keine, keine, "1. Geburtstag", "alle 11 Jahre"}),
             {"DTSTART;VALUE=DATE:19910909", "RRULE:FREQ=YEARLY"}},
            // "0. Geburtstag" counts from the birth; every 2 years.
            {makeRecord(1, "N", 1990, 9, 9,
                        {"Am Tage des Geburtstages", "1 Monat vorher", "1 monat vorher",
                         "0. Geburtstag", "alle 2 Jahre"}),
             {"DTSTART;VALUE=DATE:19900909", "RRULE:FREQ=YEARLY;INTERVAL=2", "TRIGGER:PT0S",
              "TRIGGER:-P31D"}},
            // No real date.
            {makeRecord(1, "X", 1990, 13, 1, {"1 Woche vorher"}), {}},
            {makeRecord(1, "X", 1990, 5, 0, {"1 Woche vorher"}), {}},
            {makeRecord(1, "X", 2001, 2, 29, {"1 Woche vorher"}), {}},
            {makeRecord(1, "X", -5, 5, 5, {"1 Woche vorher"}), {}}};
        for (const auto& [record, lines] : rows) {
            const QByteArray event = renderEvent(record, context);
            QCOMPARE(timingLines(event), lines);
            QCOMPARE(event.isEmpty(), lines.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestReminder)
#include "test_reminder.moc"
