// Day numbers, the next birthday, the scan and its markers, the upcoming list, the calendar.
#include "app/datadir.h"
#include "calendar/icalendar.h"
#include "desktop/desktopsettings.h"
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

#include <algorithm>
#include <climits>
#include <memory>
#include <optional>

using namespace natalix;
using natalix::test::FileSizeLimit;
using natalix::test::makeRecord;

Q_DECLARE_METATYPE(natalix::Record)

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

using Table = test::TestTable;

QList<int> markers(Table& t, int nummer) {
    for (const Record& r : Cursor(*t.store).snapshot())
        if (r.nummer == nummer)
            return {r.marker[0], r.marker[1], r.marker[2]};
    return {};
}

ScanResult scanRows(const std::vector<Record>& records, const QDate& today) {
    return geburtstagedurchgehen(erinnerungstexteumwandeln(records), today, 1);
}

const QDate origin(1880, 1, 1);

// The German name of a calendar day's weekday, independent of the code under test.
QByteArray nameOf(const QDate& d) {
    static const char* const names[] = {"Montag",  "Dienstag", "Mittwoch", "Donnerstag",
                                        "Freitag", "Samstag",  "Sonntag"};
    return names[d.dayOfWeek() - 1];
}

// weekdayIndex counts from Thursday (0) to Wednesday (6).
int indexOf(const QDate& d) {
    return (d.dayOfWeek() + 3) % 7;
}

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
    void codesFromStoredBytes_data() {
        QTest::addColumn<QString>("text");
        QStringList texts = reminderOffsetTexts() + reminderStartTexts() + reminderCycleTexts();
        texts << QString::fromUtf8("4 Wochen vorher|1 monat vorher|1 Tag vorher || |5 Tage Vorher|"
                                   "8 Tage vorher|alle 11 Jahre|alle 0 Jahre|Jährlich|jahrlich|"
                                   "007. Geburtstag|Geburtstag|1.5 Geburtstag|126. Geburtstag|"
                                   "-3. Geburtstag|1. Geburtstag!")
                     .split(u'|');
        for (const QString& t : texts)
            QTest::newRow(qPrintable(u'"' + t + u'"')) << t;
    }

    void codesFromStoredBytes() {
        QFETCH(QString, text);
        if (const qsizetype start = reminderStartTexts().indexOf(text); start >= 0)
            QCOMPARE(startNumber(text), std::optional<double>(start + 1));
        if (text == u"007. Geburtstag" || text == u"-3. Geburtstag")
            QCOMPARE(startNumber(text), std::optional<double>(text.startsWith(u'-') ? -3 : 7));
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(offsetDays(QByteArrayView(utf8)), offsetDays(text));
        QCOMPARE(startNumber(QByteArrayView(utf8)), startNumber(text));
        QCOMPARE(cycleYears(QByteArrayView(utf8)), cycleYears(text));
    }

    void dueOrNot_data() {
        QTest::addColumn<Record>("record");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("line");      // empty: nothing due
        QTest::addColumn<QList<int>>("marked"); // the reminders given
        const auto add = [](const char* name, const Record& r, QDate today, const QString& line,
                            QList<int> marked = {0}) {
            QTest::newRow(name) << r << today << line << (line.isEmpty() ? QList<int>{} : marked);
        };
        const auto row = [&](const char* name, QList<int> born, const char* lead, QDate today,
                             const char* line) {
            add(name, makeRecord(1, "Kind", born[0], born[1], born[2], {lead}), today,
                QString::fromUtf8(line));
        };
        // The days to the next birthday are nextBirthday's; here the lead time and the line.
        row("3 January from 5 October", {1990, 1, 3}, "3 Monate vorher", {2025, 10, 5},
            "Kind wird am 3.1.2026 36 Jahre alt ...");
        row("1 April from 31 December", {1990, 4, 1}, "3 Monate vorher", {2025, 12, 31},
            "Kind wird am 1.4.2026 36 Jahre alt ...");
        row("born after the reference year", {2030, 3, 7}, "Am Tage des Geburtstages", {2025, 3, 7},
            "");
        row("a day before the lead time", {1980, 3, 15}, "1 Woche vorher", {2025, 3, 7}, "");
        row("a week ahead", {1980, 3, 14}, "1 Woche vorher", {2025, 3, 7},
            "Kind wird am 14.3.2025 45 Jahre alt ...");
        const QDate march7(2025, 3, 7);
        const QString today45 = QStringLiteral("Kind wird heute 45 Jahre alt ...");
        add("three at once", makeRecord(1, "Kind", 1980, 3, 7, {amTage, amTage, amTage}), march7,
            today45, {0, 1, 2});
        // Unusable settings skip their reminder or record, nothing else.
        add("cycle 0",
            makeRecord(1, "Kind", 1980, 3, 7,
                       {amTage, amTage, amTage, "1. Geburtstag", "alle 0 Jahre"}),
            march7, "");
        add("unusable lead times",
            makeRecord(1, "Kind", 1980, 3, 7, {"1 monat vorher", amTage, "1 Tag vorher "}), march7,
            today45, {1});
        const Record every10 = makeRecord(
            7, "Zehner", 2000, 3, 7, {amTage, keine, keine, "18. Geburtstag", "alle 10 Jahre"});
        add("start 18, cycle 10, age 27", every10, {2027, 3, 7}, "");
        add("start 18, cycle 10, age 28", every10, {2028, 3, 7},
            "Zehner wird heute 28 Jahre alt ...");
        // Jahr 0: the year is unknown, so every birthday counts and no age is told.
        row("unknown year, today", {0, 3, 7}, "Am Tage des Geburtstages", {2025, 3, 7},
            "Kind hat heute Geburtstag ...");
        row("unknown year, tomorrow", {0, 3, 8}, "1 Tag vorher", {2025, 3, 7},
            "Kind hat morgen Geburtstag ...");
        row("unknown year, in a week", {0, 3, 14}, "1 Woche vorher", {2025, 3, 7},
            "Kind hat am 14.3.2025 Geburtstag ...");
        add("unknown year, start and cycle do not apply",
            makeRecord(3, "Ohne Jahr", 0, 3, 7,
                       {amTage, keine, keine, "125. Geburtstag", "alle 11 Jahre"}),
            march7, "Ohne Jahr hat heute Geburtstag ...");
        // The blank name is written as stored, hence two blanks.
        add("no name", makeRecord(12, " ", 1995, 3, 7, {amTage}), march7,
            "Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz 12)  wird heute 30 Jahre "
            "alt ...");
    }

    void dueOrNot() {
        QFETCH(Record, record);
        QFETCH(QDate, today);
        QFETCH(QString, line);
        QFETCH(QList<int>, marked);
        // The record after it is scanned all the same.
        const ScanResult r = scanRows(
            {record, makeRecord(2, "Danach", 0, today.month(), today.day(), {amTage})}, today);
        QCOMPARE(r.lines, (line.isEmpty() ? QStringList() : QStringList{line}) +
                              QStringList{"Danach hat heute Geburtstag ..."});
        QList<int> given;
        for (const ReminderMark& m : r.marks)
            if (m.row == 0)
                given << m.reminder;
        QCOMPARE(given, marked);
    }

    // In the new date display (Year-Month-Day); the old one is the other tests'.
    void dayByDay() {
        const Record neujahr = makeRecord(4, "Neujahr Kind", 1990, 1, 5, {"3 Wochen vorher"});
        Table t({summer, anna, neujahr});
        const QString ahead = "Anna Beispiel wird am 2025-3-7 45 Jahre alt ...",
                      neujahr25 = "Neujahr Kind wird am 2025-1-5 35 Jahre alt ...",
                      neujahr26 = "Neujahr Kind wird am 2026-1-5 36 Jahre alt ...";
        const struct {
            QDate day;
            QStringList lines;
            QList<int> markers; // Anna's, then the New Year child's
        } steps[] = {
            {QDate(2024, 12, 20), {neujahr25}, {0, 0, 0, 2025, 0, 0}},
            // Marked in December for the birthday in January: not given again.
            {QDate(2025, 1, 2), {}, {0, 0, 0, 2025, 0, 0}},
            {QDate(2025, 2, 28), {ahead}, {2025, 0, 0, 2025, 0, 0}},
            {QDate(2025, 3, 6), {morgen}, {2025, 2025, 0, 2025, 0, 0}},
            {QDate(2025, 3, 7), {heute}, {2025, 2025, 2025, 2025, 0, 0}},
            {QDate(2025, 3, 7), {}, {2025, 2025, 2025, 2025, 0, 0}},
            {QDate(2025, 12, 20), {neujahr26}, {2025, 2025, 2025, 2026, 0, 0}},
        };
        for (const auto& s : steps) {
            const QByteArray when = s.day.toString(Qt::ISODate).toLatin1();
            const ScanRun run = runReminderScan(*t.store, s.day, 0);
            QVERIFY2(run.marksStored, when);
            QVERIFY2(run.lines == s.lines, when + ": " + run.lines.join(u'/').toUtf8());
            QVERIFY2(markers(t, 1) + markers(t, 4) == s.markers, when);
        }
        // Only the markers were written: the reminder texts stay texts.
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
        Table t({anna, summer});
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
            QVERIFY(next.scanned.value(0).lines.isEmpty());
            QCOMPARE(next.reopened.size(), 1);
            QCOMPARE(next.reopened[0].lines, shown.lines);
            QCOMPARE(next.reopened[0].at, shown.at);
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
        std::vector<std::pair<int, int>> monthDays;
        for (int monat = -1; monat <= 14; ++monat)
            for (int tag = -1; tag <= 33; ++tag)
                monthDays.emplace_back(monat, tag);
        for (int huge : {INT_MIN, INT_MAX})
            monthDays.insert(monthDays.end(), {{huge, 1}, {3, huge}});
        const std::vector<ConvertedRow> rows = erinnerungstexteumwandeln(
            {makeRecord(1, "Kind", 1950, 1, 1, {QStringLiteral("3 Monate vorher")})});
        // A leap year and a common year.
        for (QDate day(2024, 1, 1); day.year() <= 2025; day = day.addDays(1)) {
            const ScanDay scanDay(day);
            for (const auto& [monat, tag] : monthDays) {
                ConvertedRow row = rows.front();
                row.monat = monat;
                row.tag = tag;
                if (scanDay.mayBeDue(monat, tag) != scanDay.anyDue(row))
                    QFAIL(qPrintable(QStringLiteral("%1: %2.%3.")
                                         .arg(day.toString(Qt::ISODate))
                                         .arg(tag)
                                         .arg(monat)));
            }
        }
    }

    // From 30 days before the first day counted: negative day numbers give a weekday too.
    void everyDayMatchesTheCalendar() {
        int checked = 0;
        for (QDate d = origin.addDays(-30); d <= QDate(2099, 12, 31); d = d.addDays(1), ++checked) {
            const int n = int(origin.daysTo(d));
            if ((n >= 0 && berechnetage(d.year(), d.month(), d.day()) != n) ||
                QByteArray(weekdayName(n)) != nameOf(d) || weekdayIndex(n) != indexOf(d))
                QFAIL(qPrintable(d.toString(Qt::ISODate)));
        }
        QCOMPARE(checked, 80384);
        QCOMPARE(berechnetage(1879, 12, 31), -1);
        // Days that do not exist are counted on, not refused; a month outside the table adds
        // no month days, yet 13 still counts as after the leap day.
        for (const auto& [y, m, d, countsAs] : {std::tuple{1900, 2, 29, QDate(1900, 3, 1)},
                                                {2025, 2, 29, QDate(2025, 3, 1)},
                                                {1999, 11, 31, QDate(1999, 12, 1)},
                                                {1880, 13, 1, QDate(1880, 1, 2)},
                                                {1880, 0, 5, QDate(1880, 1, 5)}})
            QCOMPARE(berechnetage(y, m, d), origin.daysTo(countsAs));
    }

    // The rule the scan, the upcoming list and the calendar's alarms share.
    void nextBirthdayAndAge_data() {
        QTest::addColumn<QList<int>>("born"); // Jahr, Monat, Tag; then start and cycle, if any
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QList<int>>("next"); // year, days, age
        const auto row = [](const char* name, QList<int> born, QDate today, QList<int> next) {
            QTest::newRow(name) << born << today << next;
        };
        row("on the birthday", {1980, 3, 7}, {2025, 3, 7}, {2025, 0, 45});
        row("the day after", {1980, 3, 7}, {2025, 3, 8}, {2026, 364, 46});
        row("31 December to 1 January", {1990, 1, 1}, {2025, 12, 31}, {2026, 1, 36});
        row("January from October", {1990, 1, 3}, {2025, 10, 5}, {2026, 90, 36});
        row("1 April from 31 December", {1990, 4, 1}, {2025, 12, 31}, {2026, 91, 36});
        row("29 February in a common year is 1 March", {2000, 2, 29}, {2025, 2, 28}, {2025, 1, 25});
        row("29 February passed on 1 March", {2000, 2, 29}, {2025, 3, 2}, {2026, 364, 26});
        row("29 February in a leap year", {2000, 2, 29}, {2028, 2, 28}, {2028, 1, 28});
        row("31 April is 1 May", {1990, 4, 31}, {2025, 4, 30}, {2025, 1, 35});
        row("born later", {2030, 3, 7}, {2025, 3, 7}, {2025, 0, -5});
        row("start 18, cycle 10, before the start", {2000, 6, 15, 18, 10}, {2005, 1, 1},
            {2018, 4913, 18});
        row("start 18, cycle 10, on the 28th", {2000, 6, 15, 18, 10}, {2028, 6, 15}, {2028, 0, 28});
        row("start 18, cycle 10, the day after", {2000, 6, 15, 18, 10}, {2028, 6, 16},
            {2038, 3651, 38});
        row("every 2 years from the 1st", {2000, 3, 7, 1, 2}, {2025, 3, 8}, {2027, 729, 27});
        row("start 0 counts the day of birth", {2025, 3, 7, 0, 5}, {2025, 3, 7}, {2025, 0, 0});
    }

    void nextBirthdayAndAge() {
        QFETCH(QList<int>, born);
        QFETCH(QDate, today);
        QFETCH(QList<int>, next);
        std::optional<ReminderCycle> cycle;
        if (born.size() == 5)
            cycle = ReminderCycle{born[3], born[4]};
        const NextBirthday got = nextBirthday(born[0], born[1], born[2], today, cycle);
        QCOMPARE((QList<long long>{got.year, got.days, got.age}),
                 (QList<long long>{next[0], next[1], next[2]}));
    }

    void usableCycles_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("cycle");
        QTest::addColumn<QList<int>>("reminded"); // ages 0 to 30 reminded; empty: never
        const auto row = [](const char* start, const char* cycle, QList<int> reminded) {
            QTest::addRow("%s, %s", start, cycle) << start << cycle << reminded;
        };
        row("18. Geburtstag", "alle 10 Jahre", {18, 28});
        row("1. Geburtstag", "alle 2 Jahre",
            {1, 3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29});
        row("30. Geburtstag", "jährlich", {30});
        row("-3. Geburtstag", "alle 20 Jahre", {17});
        // Not usable: never reminded.
        row("1. Geburtstag", "alle 11 Jahre", {});
        row("1. Geburtstag", "alle 0 Jahre", {});
        row("Geburtstag", "jährlich", {});
        row("1.5 Geburtstag", "jährlich", {});
        row("10001. Geburtstag", "jährlich", {});
    }

    void usableCycles() {
        QFETCH(QString, start);
        QFETCH(QString, cycle);
        QFETCH(QList<int>, reminded);
        const std::optional<ReminderCycle> c = reminderCycle(startNumber(start), cycleYears(cycle));
        QCOMPARE(c.has_value(), !reminded.isEmpty());
        QList<int> got;
        for (int age = 0; c && age <= 30; ++age) {
            if (c->includes(age))
                got << age;
            // The first reminded age from any age on is the next one the list holds.
            const auto later =
                std::find_if(reminded.begin(), reminded.end(), [&](int r) { return r >= age; });
            if (later != reminded.end())
                QCOMPARE(c->firstFrom(age), (long long)*later);
        }
        QCOMPARE(got, reminded);
    }

    void list_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("expected");
        QTest::newRow("year end") << "Alt:1950-12-29 Silvester:1990-12-31 Neujahr:2000-1-2"
                                  << QDate(2024, 12, 30) << 365
                                  << "31.12.2024 morgen Silvester 34 Jahre | 2.1.2025 in 3 Tagen "
                                     "Neujahr 25 Jahre | 29.12.2025 in 364 Tagen Alt 75 Jahre";
        QTest::newRow("7 days: the 7th day ahead, not the 8th")
            << "T0:1970-3-1 T7:1970-3-8 T8:1970-3-9" << QDate(2025, 3, 1) << 7
            << "1.3.2025 heute T0 55 Jahre | 8.3.2025 in 7 Tagen T7 55 Jahre";
        QTest::newRow("unknown year; not born, born that day: left out")
            << "Ohne:0-3-3 Baby:2025-3-3 Einjaehrig:2024-3-4 Kuenftig:2026-3-2" << QDate(2025, 3, 1)
            << 30 << "3.3.2025 in 2 Tagen Ohne | 4.3.2025 in 3 Tagen Einjaehrig 1 Jahr";
        QTest::newRow("same day: by name, case and umlauts folded")
            << "Zoe:1990-6-1 Ärger:1990-6-1 anna:1990-6-1 _:1990-6-1 Bert:1990-5-31"
            << QDate(2025, 5, 31) << 1
            << "31.5.2025 heute Bert 35 Jahre | 1.6.2025 morgen anna 35 Jahre | 1.6.2025 morgen "
               "Ärger 35 Jahre | 1.6.2025 morgen Ein eingegebenes Geburtstags-Kind ohne Namen "
               "(Datensatz 4) 35 Jahre | 1.6.2025 morgen Zoe 35 Jahre";
        QTest::newRow("no date") << "M13:1990-13-1 M0:1990-0-5 T0:1990-5-0 T32:1990-5-32 "
                                    "April31:1990-4-31"
                                 << QDate(2025, 4, 28) << 7
                                 << "1.5.2025 in 3 Tagen April31 35 Jahre";
    }
    void list() {
        QFETCH(QString, rows);
        QFETCH(QDate, today);
        QFETCH(int, days);
        QFETCH(QString, expected);
        QCOMPARE(shown(upcomingBirthdays(records(rows), today, days)), expected);
    }

    void toolTip_data() {
        QTest::addColumn<QString>("rows"); // today is 6 March 2025
        QTest::addColumn<QString>("expected");
        QTest::newRow("one") << "Anna:1980-3-7 Bert:1980-5-1"
                             << "Nächster Geburtstag: Anna, morgen, 45 Jahre";
        QTest::newRow("1 Jahr") << "Klein:2024-3-6"
                                << "Nächster Geburtstag: Klein, heute, 1 Jahr";
        QTest::newRow("unknown year") << "Anna:0-3-16"
                                      << "Nächster Geburtstag: Anna, in 10 Tagen";
        QTest::newRow("two on the first day")
            << "Bert:1990-3-8 Anna:0-3-8 Carl:1980-3-9"
            << "Nächste Geburtstage: Anna, in 2 Tagen; Bert, in 2 Tagen, 35 Jahre";
        QTest::newRow("four") << "A:0-3-8 B:0-3-8 C:0-3-8 D:0-3-8"
                              << "Nächste Geburtstage: A, in 2 Tagen; B, in 2 Tagen; C, in 2 "
                                 "Tagen; und 1 weiterer";
        QTest::newRow("five") << "A:0-3-8 B:0-3-8 C:0-3-8 D:0-3-8 E:0-3-8"
                              << "Nächste Geburtstage: A, in 2 Tagen; B, in 2 Tagen; C, in 2 "
                                 "Tagen; und 2 weitere";
        QTest::newRow("nobody born") << "Kuenftig:2027-1-1"
                                     << "Nächster Geburtstag: keiner im kommenden Jahr";
    }
    void toolTip() {
        QFETCH(QString, rows);
        QFETCH(QString, expected);
        QCOMPARE(upcomingToolTip(upcomingBirthdays(records(rows), QDate(2025, 3, 6), 365)),
                 expected);
    }

    // The settings store's text, as another version or a hand edit may leave it (null: none).
    void settings() {
        for (const auto& [stored, notifications, days] : {std::tuple{QString(), true, 30},
                                                          {"0", false, 30},
                                                          {"365", true, 365},
                                                          {"31", true, 30},
                                                          {"viele", true, 30}}) {
            test::TempDataDir dir;
            SettingsStore store(DataDir{dir.path(), true});
            if (!stored.isNull()) {
                QVERIFY(store.setValue(QStringLiteral("Global/notifications"), stored));
                QVERIFY(store.setValue(QStringLiteral("Global/upcomingdays"), stored));
            }
            QCOMPARE(notificationsEnabled(store), notifications);
            QCOMPARE(upcomingDays(store), days);
            QVERIFY(setNotificationsEnabled(store, !notifications) && setUpcomingDays(store, 7));
            QCOMPARE(notificationsEnabled(store), !notifications);
            QCOMPARE(upcomingDays(store), 7);
        }
    }

    void folding_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("folded");
        const QByteArray a74(74, 'a');
        QTest::newRow("75 octets") << a74 + 'b' << a74 + "b\r\n";
        QTest::newRow("76 octets") << a74 + "bc" << a74 + "b\r\n c\r\n";
        QTest::newRow("a two-octet character at the limit")
            << a74 + "\xC3\xA4" << a74 + "\r\n \xC3\xA4\r\n";
        QTest::newRow("continuations hold 74 octets after the blank")
            << QByteArray(75 + 74 + 1, 'x')
            << QByteArray(75, 'x') + "\r\n " + QByteArray(74, 'x') + "\r\n x\r\n";
    }

    void folding() {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, folded);
        QCOMPARE(foldContentLine(line), folded);
    }

    void escaping() {
        QCOMPARE(escapeText(QStringLiteral("a\\b;c,d\ne\r")), QStringLiteral("a\\\\b\\;c\\,d\\ne"));
    }

    void wholeEvent() {
        const Record r = makeRecord(12, QStringLiteral("Jürgen Groß, jun."), 1980, 3, 7,
                                    {"1 Woche vorher", "1 Tag vorher", "Am Tage des Geburtstages"});
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
                            "DESCRIPTION:J\xC3\xBCrgen Gro\xC3\x9F\\, jun. wird am 7.3.2026 46 "
                            "Jahre alt ...\r\n"
                            "TRIGGER:-P7D\r\nEND:VALARM\r\n"
                            "BEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                            "DESCRIPTION:J\xC3\xBCrgen Gro\xC3\x9F\\, jun. wird morgen 46 Jahre "
                            "alt ...\r\n"
                            "TRIGGER:-P1D\r\nEND:VALARM\r\n"
                            "BEGIN:VALARM\r\nACTION:DISPLAY\r\n"
                            "DESCRIPTION:J\xC3\xBCrgen Gro\xC3\x9F\\, jun. wird heute 46 Jahre "
                            "alt ...\r\n"
                            "TRIGGER:PT0S\r\nEND:VALARM\r\n"
                            "END:VEVENT\r\n"));
    }

    void timing_data() {
        QTest::addColumn<Record>("record");
        QTest::addColumn<QStringList>("lines");
        auto row = [](const char* name, const Record& r, const QStringList& lines) {
            QTest::newRow(name) << r << lines;
        };
        row("29 February, first birthday in a common year", makeRecord(1, "Leap", 2000, 2, 29, {}),
            {"DTSTART;VALUE=DATE:20010301", "RRULE:FREQ=YEARLY;BYYEARDAY=60"});
        row("29 February, start in a leap year",
            makeRecord(1, "Leap", 2000, 2, 29,
                       {keine, "2 Monate vorher", keine, "4. Geburtstag", "alle 4 Jahre"}),
            {"DTSTART;VALUE=DATE:20040229", "RRULE:FREQ=YEARLY;INTERVAL=4;BYYEARDAY=60",
             "TRIGGER:-P62D"});
        row("start and cycle",
            makeRecord(1, "Z", 2000, 6, 15,
                       {"3 Monate vorher", "4 Wochen vorher", "1 Monat vorher", "18. Geburtstag",
                        "alle 10 Jahre"}),
            {"DTSTART;VALUE=DATE:20180615", "RRULE:FREQ=YEARLY;INTERVAL=10", "TRIGGER:-P92D",
             "TRIGGER:-P28D", "TRIGGER:-P31D"});
        row("unknown year ignores start and cycle",
            makeRecord(1, "P", 0, 8, 15,
                       {"3 Tage vorher", keine, "3 Tage vorher", "50. Geburtstag", "alle 7 Jahre"}),
            {"DTSTART;VALUE=DATE:20000815", "RRULE:FREQ=YEARLY", "TRIGGER:-P3D"});
        row("unknown year, 29 February", makeRecord(1, "K", 0, 2, 29, {}),
            {"DTSTART;VALUE=DATE:20000229", "RRULE:FREQ=YEARLY;BYYEARDAY=60"});
        row("a cycle the scan cannot use: every year, no alarm",
            makeRecord(1, "E", 1990, 9, 9,
                       {"1 Tag vorher", keine, keine, "1. Geburtstag", "alle 11 Jahre"}),
            {"DTSTART;VALUE=DATE:19910909", "RRULE:FREQ=YEARLY"});
        row("0. Geburtstag counts from the birth",
            makeRecord(1, "N", 1990, 9, 9,
                       {"Am Tage des Geburtstages", "1 Monat vorher", "1 monat vorher",
                        "0. Geburtstag", "alle 5 Jahre"}),
            {"DTSTART;VALUE=DATE:19900909", "RRULE:FREQ=YEARLY;INTERVAL=5", "TRIGGER:PT0S",
             "TRIGGER:-P31D"});
        for (const auto& [name, y, m, d] :
             {std::tuple{"31 April", 1990, 4, 31}, std::tuple{"month 13", 1990, 13, 1},
              std::tuple{"day 0", 1990, 5, 0},
              std::tuple{"29 February of a common year", 2001, 2, 29},
              std::tuple{"negative year", -5, 5, 5}})
            row(name, makeRecord(1, "X", y, m, d, {"1 Woche vorher"}), {});
    }

    // The alarm texts are the lines of the next reminded birthday from the day of the export.
    void alarmTexts() {
        for (const auto& [today, cycle, age] : {std::tuple{QDate(2026, 3, 7), "jährlich", 46},
                                                {QDate(2025, 3, 8), "alle 2 Jahre", 47},
                                                {QDate(2027, 3, 7), "alle 2 Jahre", 47}}) {
            const Record r =
                makeRecord(1, "Anna", 1980, 3, 7,
                           {"Am Tage des Geburtstages", keine, keine, "1. Geburtstag", cycle});
            const QString event = QString::fromUtf8(renderEvent(r, {today, context.stamp, 1}));
            QVERIFY2(
                event.contains(u"DESCRIPTION:Anna wird heute %1 Jahre alt ...\r\n"_qs.arg(age)),
                qPrintable(event));
        }
    }

    void timing() {
        QFETCH(Record, record);
        QFETCH(QStringList, lines);
        const QByteArray event = renderEvent(record, context);
        QCOMPARE(timingLines(event), lines);
        QCOMPARE(event.isEmpty(), lines.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReminder)
#include "test_reminder.moc"
