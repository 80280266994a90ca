#include "reminder/remindercore.h"
#include "reminder/reminderscan.h"
#include "reminder/scanrunner.h"
#include "support/testsupport.h"
#include "table/cursor.h"
#include "table/tablestore.h"

#include <QtTest>

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

} // namespace

class TestReminderScan : public QObject {
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

    // The running program scans through a connection of its own (first started the day
    // before: two reminders at once, one line): a change the window holds
    // open makes it try again at the next tick; the lines it gives stay open in the database
    // until answered, and a start without the answer shows them again; a full disk gives
    // them unmarked and unkept, so the next start gives them again.
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
        const QString path = t.store->path();
        QVERIFY(t.store->begin()); // the window's list in the middle of a load
        auto first = std::make_unique<Program>(path, now);
        QVERIFY(first->scanned.isEmpty());
        QVERIFY(t.store->commit());
        QCOMPARE(markers(t, 1), (QList<int>{0, 0, 0}));
        first->core.tick();
        QCOMPARE(first->scanned.size(), 1);
        const ReminderReport shown = first->scanned[0];
        QCOMPARE(shown.lines, QStringList{morgen});
        QCOMPARE(markers(t, 1), (QList<int>{2025, 2025, 0}));
        first.reset();
        for (int start = 1; start <= 3; ++start) {
            Program next(path, now);
            QCOMPARE(next.scanned.size(), 1);
            QVERIFY(next.scanned[0].lines.isEmpty());
            QCOMPARE(next.reopened.size(), start < 3 ? 1 : 0);
            if (start == 3)
                break;
            QCOMPARE(next.reopened[0].lines, shown.lines);
            QCOMPARE(next.reopened[0].at, shown.at);
            if (start == 2)
                next.core.answered(next.reopened[0].openWindow);
        }
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
};

QTEST_GUILESS_MAIN(TestReminderScan)
#include "test_reminderscan.moc"
