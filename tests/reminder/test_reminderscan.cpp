#include "reminder/remindercodes.h"
#include "reminder/reminderscan.h"
#include "reminder/scanrunner.h"
#include "support/testsupport.h"
#include "table/cursor.h"
#include "table/tablestore.h"

#include <QtTest>

#include <memory>

using namespace natalix;
using natalix::test::TempDataDir;

Q_DECLARE_METATYPE(natalix::Record)

namespace {

constexpr int unusable = -99; // stands for "no usable number" in the tables below

const QString keine = QStringLiteral("Keine Erinnerung");
const QString amTage = QStringLiteral("Am Tage des Geburtstages");

Record birthday(int nummer, const QString& name, int jahr, int monat, int tag,
                const QStringList& offsets, const QString& start = QStringLiteral("1. Geburtstag"),
                const QString& cycle = QStringLiteral("jährlich")) {
    Record r = natalix::test::makeRecord(nummer, name, jahr, monat, tag);
    for (int k = 0; k < 3; ++k)
        r.erinnerung[k] = k < offsets.size() ? offsets[k] : keine;
    r.erinnerungsbeginn = start;
    r.erinnerungszyklus = cycle;
    return r;
}

Record anna() {
    return birthday(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7,
                    {QStringLiteral("1 Woche vorher"), QStringLiteral("1 Tag vorher"), amTage});
}

// A birthday far from every date used here, so that it never gives a line.
Record summer() {
    return birthday(2, QStringLiteral("Sommer Kind"), 1970, 7, 15,
                    {QStringLiteral("3 Monate vorher"), QStringLiteral("1 Tag vorher"), amTage});
}

struct Table {
    TempDataDir dir;
    std::unique_ptr<TableStore> store;

    explicit Table(const std::vector<Record>& records) {
        QString error;
        store = TableStore::open(dir.file(TableStore::databaseFileName()), records.front(), &error);
        if (!store || !store->replaceAll(records))
            qFatal("cannot set up the test database");
    }

    // A fresh cursor reads what the database holds, as the next run of the program would.
    ScanRun scanOn(const QDate& today, double display = 1) {
        Cursor cursor(*store);
        return runReminderScan(cursor, today, display);
    }

    std::vector<Record> storedByNumber() {
        Cursor cursor(*store);
        cursor.setSort(QStringLiteral("Nummer ASC"));
        return cursor.snapshot();
    }
};

QList<int> markersOf(const Record& r) {
    return {r.marker[0], r.marker[1], r.marker[2]};
}

} // namespace

class TestReminderScan : public QObject {
    Q_OBJECT
private slots:
    void conversions_data();
    void conversions();
    void unusableSettings_data();
    void unusableSettings();
    void dueOrNot_data();
    void dueOrNot();
    void dayByDay_data();
    void dayByDay();
    void firstScanTheDayBefore();
    void acrossTheYearChange();
    void linesInMonthDayOrder_data();
    void linesInMonthDayOrder();
    void windowText();
};

void TestReminderScan::conversions_data() {
    QTest::addColumn<QStringList>("texts"); // offsets 1 to 3, start, cycle
    QTest::addColumn<QList<int>>("offsets");
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("cycle");
    QTest::newRow("list ends") << QStringList{keine, QStringLiteral("4 Wochen vorher"),
                                              QStringLiteral("3 Monate vorher"),
                                              QStringLiteral("125. Geburtstag"),
                                              QStringLiteral("alle 100 Jahre")}
                               << QList<int>{-1, 28, 92} << 125.0 << 100;
    QTest::newRow("list starts") << QStringList{amTage, QStringLiteral("1 Tag vorher"),
                                                QStringLiteral("1 Monat vorher"),
                                                QStringLiteral("1. Geburtstag"),
                                                QStringLiteral("jährlich")}
                                 << QList<int>{0, 1, 31} << 1.0 << 1;
    QTest::newRow("case and blanks count")
        << QStringList{QStringLiteral("1 monat vorher"), QStringLiteral("1 Woche vorher "),
                       QStringLiteral("2 Wochen vorher"), QStringLiteral("18. Geburtstag"),
                       QStringLiteral("Jährlich")}
        << QList<int>{unusable, unusable, 14} << 18.0 << unusable;
    QTest::newRow("no numbers") << QStringList{QString(), QStringLiteral("7"),
                                               QStringLiteral("3 Tage vorher"),
                                               QStringLiteral("Geburtstag"),
                                               QStringLiteral("alle 0 Jahre")}
                                << QList<int>{unusable, unusable, 3} << double(unusable)
                                << unusable;
}

void TestReminderScan::conversions() {
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, offsets);
    QFETCH(double, start);
    QFETCH(int, cycle);
    Record r = birthday(3, QStringLiteral("Bea"), 1990, 5, 6, texts.mid(0, 3), texts[3], texts[4]);
    r.marker = {2024, 0, 2025};
    const std::vector<ConvertedRow> rows = erinnerungstexteumwandeln({r});
    QCOMPARE(rows.size(), size_t(1));
    const ConvertedRow& c = rows.front();
    for (int k = 0; k < 3; ++k)
        QCOMPARE(c.offset[k].value_or(unusable), offsets[k]);
    QCOMPARE(c.start.value_or(unusable), start);
    QCOMPARE(c.cycle.value_or(unusable), cycle);
    QCOMPARE(c.nummer, 3);
    QCOMPARE(c.name, QStringLiteral("Bea"));
    QCOMPARE((QList<int>{c.jahr, c.monat, c.tag}), (QList<int>{1990, 5, 6}));
    QCOMPARE((QList<int>{c.marker[0], c.marker[1], c.marker[2]}), (QList<int>{2024, 0, 2025}));
}

void TestReminderScan::unusableSettings_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("due");
    QTest::addColumn<QList<int>>("marked"); // reminders marked, 0-based
    // All on the birthday itself, 7 March 2025.
    QTest::newRow("usable") << QStringList{amTage, amTage, amTage, "1. Geburtstag", "jährlich"}
                            << true << QList<int>{0, 1, 2};
    QTest::newRow("unknown cycle")
        << QStringList{amTage, amTage, amTage, "1. Geburtstag", "alle 11 Jahre"} << false
        << QList<int>{};
    QTest::newRow("cycle 0") << QStringList{amTage, amTage, amTage, "1. Geburtstag", "alle 0 Jahre"}
                             << false << QList<int>{};
    QTest::newRow("start without number")
        << QStringList{amTage, amTage, amTage, "Geburtstag", "jährlich"} << false << QList<int>{};
    QTest::newRow("one unusable offset")
        << QStringList{"1 monat vorher", amTage, "irgendwann", "1. Geburtstag", "jährlich"} << true
        << QList<int>{1};
    QTest::newRow("start at the age")
        << QStringList{keine, keine, amTage, "45. Geburtstag", "jährlich"} << true << QList<int>{2};
    QTest::newRow("start above the age")
        << QStringList{amTage, amTage, amTage, "46. Geburtstag", "jährlich"} << false
        << QList<int>{};
    QTest::newRow("no reminder") << QStringList{keine, keine, keine, "1. Geburtstag", "jährlich"}
                                 << false << QList<int>{};
}

void TestReminderScan::unusableSettings() {
    QFETCH(QStringList, texts);
    QFETCH(bool, due);
    QFETCH(QList<int>, marked);
    const std::vector<Record> records{
        summer(),
        birthday(5, QStringLiteral("Anna Beispiel"), 1980, 3, 7, texts.mid(0, 3), texts[3],
                 texts[4]),
        birthday(6, QStringLiteral("Nach Ihr"), 1990, 3, 7, {amTage})};
    const ScanResult r =
        geburtstagedurchgehen(erinnerungstexteumwandeln(records), QDate(2025, 3, 7), 1);
    // The record after the unusable one is scanned all the same.
    QStringList expected;
    if (due)
        expected << QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...");
    expected << QStringLiteral("Nach Ihr wird heute 35 Jahre alt ...");
    QCOMPARE(r.lines, expected);
    QList<int> gotMarks;
    for (const ReminderMark& m : r.marks) {
        QCOMPARE(m.year, 2025);
        if (m.row == 1)
            gotMarks << m.reminder;
    }
    QCOMPARE(gotMarks, marked);
}

void TestReminderScan::dueOrNot_data() {
    QTest::addColumn<Record>("record");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("line"); // empty: nothing due

    const QString dreiMonate = QStringLiteral("3 Monate vorher");
    QTest::newRow("30 April seen from 20 December")
        << birthday(1, "Mai", 1990, 4, 30, {dreiMonate}) << QDate(2024, 12, 20) << QString();
    QTest::newRow("30 January seen from 20 August")
        << birthday(1, "Jan", 1990, 1, 30, {dreiMonate}) << QDate(2025, 8, 20) << QString();
    QTest::newRow("30 January seen from 1 November")
        << birthday(1, "Jan", 1990, 1, 30, {dreiMonate}) << QDate(2025, 11, 1)
        << "Jan wird am 30.1.2026 36 Jahre alt ...";

    const Record every10 =
        birthday(7, "Zehner", 2000, 3, 7, {amTage}, "18. Geburtstag", "alle 10 Jahre");
    for (int age : {17, 18, 19, 27, 28, 38}) {
        const bool due = age == 18 || age == 28 || age == 38;
        QTest::addRow("start 18, cycle 10, age %d", age)
            << every10 << QDate(2000 + age, 3, 7)
            << (due ? QStringLiteral("Zehner wird heute %1 Jahre alt ...").arg(age) : QString());
    }

    QTest::newRow("29 February in a common year")
        << birthday(1, "Schalt", 2000, 2, 29, {QStringLiteral("1 Tag vorher")})
        << QDate(2025, 2, 28) << "Schalt wird morgen 25 Jahre alt ...";
    QTest::newRow("29 February in a leap year")
        << birthday(1, "Schalt", 2000, 2, 29, {QStringLiteral("1 Tag vorher")})
        << QDate(2028, 2, 28) << "Schalt wird morgen 28 Jahre alt ...";
    QTest::newRow("born after the reference year")
        << birthday(1, "Zukunft", 2030, 3, 7, {amTage}) << QDate(2025, 3, 7) << QString();
    QTest::newRow("the day after")
        << birthday(1, "Gestern", 1980, 3, 6, {QStringLiteral("1 Woche vorher")})
        << QDate(2025, 3, 7) << QString();
    QTest::newRow("one day before the lead time")
        << birthday(1, "Bald", 1980, 3, 15, {QStringLiteral("1 Woche vorher")}) << QDate(2025, 3, 7)
        << QString();
    QTest::newRow("a week ahead") << birthday(1, "Neu", 1980, 3, 14,
                                              {QStringLiteral("1 Woche vorher")})
                                  << QDate(2025, 3, 7) << "Neu wird am 14.3.2025 45 Jahre alt ...";

    Record unnamed = birthday(12, " ", 1995, 3, 7, {amTage});
    QTest::newRow("no name") << unnamed << QDate(2025, 3, 7)
                             << "Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz 12)  wird "
                                "heute 30 Jahre alt ...";
    // The name is written as stored, so an empty one leaves a single blank.
    unnamed.name.clear();
    QTest::newRow("empty name") << unnamed << QDate(2025, 3, 7)
                                << "Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz 12) "
                                   "wird heute 30 Jahre alt ...";

    Record given = birthday(1, "Gegeben", 1980, 3, 7, {amTage});
    given.marker = {2025, 0, 0};
    QTest::newRow("marked this year") << given << QDate(2025, 3, 7) << QString();
    given.marker = {2024, 0, 0};
    QTest::newRow("marked last year")
        << given << QDate(2025, 3, 7) << "Gegeben wird heute 45 Jahre alt ...";
}

void TestReminderScan::dueOrNot() {
    QFETCH(Record, record);
    QFETCH(QDate, today);
    QFETCH(QString, line);
    const ScanResult r = geburtstagedurchgehen(erinnerungstexteumwandeln({record}), today, 1);
    QCOMPARE(r.lines, line.isEmpty() ? QStringList() : QStringList{line});
    QCOMPARE(r.marks.empty(), line.isEmpty());
}

void TestReminderScan::dayByDay_data() {
    QTest::addColumn<double>("display");
    QTest::addColumn<QString>("aheadLine");
    QTest::newRow("old display") << 1.0 << "Anna Beispiel wird am 7.3.2025 45 Jahre alt ...";
    QTest::newRow("new display") << 0.0 << "Anna Beispiel wird am 2025-3-7 45 Jahre alt ...";
}

void TestReminderScan::dayByDay() {
    QFETCH(double, display);
    QFETCH(QString, aheadLine);
    Table t({summer(), anna()});
    const QString morgen = QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...");
    const QString heute = QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...");
    struct Step {
        QDate day;
        QStringList lines;
        QList<int> markers;
    };
    const Step steps[] = {
        {QDate(2025, 2, 27), {}, {0, 0, 0}},
        {QDate(2025, 2, 28), {aheadLine}, {2025, 0, 0}},
        {QDate(2025, 3, 1), {}, {2025, 0, 0}},
        {QDate(2025, 3, 2), {}, {2025, 0, 0}},
        {QDate(2025, 3, 3), {}, {2025, 0, 0}},
        {QDate(2025, 3, 4), {}, {2025, 0, 0}},
        {QDate(2025, 3, 5), {}, {2025, 0, 0}},
        {QDate(2025, 3, 6), {morgen}, {2025, 2025, 0}},
        {QDate(2025, 3, 7), {heute}, {2025, 2025, 2025}},
        {QDate(2025, 3, 7), {}, {2025, 2025, 2025}},
        {QDate(2025, 3, 8), {}, {2025, 2025, 2025}},
    };
    for (const Step& s : steps) {
        const QByteArray when = s.day.toString(Qt::ISODate).toLatin1();
        const ScanRun run = t.scanOn(s.day, display);
        QVERIFY2(run.marksStored, when);
        QVERIFY2(run.lines == s.lines, when + ": " + run.lines.join(u'/').toUtf8());
        const std::vector<Record> stored = t.storedByNumber();
        QVERIFY2(markersOf(stored[0]) == s.markers, when);
        QVERIFY2(markersOf(stored[1]) == (QList<int>{0, 0, 0}), when);
    }
    // Only the markers were written: the reminder texts stay texts.
    Record expected = anna();
    expected.marker = {2025, 2025, 2025};
    QVERIFY(t.storedByNumber()[0] == expected);
    QVERIFY(t.storedByNumber()[1] == summer());
}

void TestReminderScan::firstScanTheDayBefore() {
    Table t({anna(), summer()});
    Cursor cursor(*t.store);
    QVERIFY(cursor.setSort(QStringLiteral("Nummer DESC")));
    ScanRun run = runReminderScan(cursor, QDate(2025, 3, 6), 1);
    QCOMPARE(run.lines, QStringList{QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...")});
    QCOMPARE(markersOf(t.storedByNumber()[0]), (QList<int>{2025, 2025, 0}));
    QCOMPARE(cursor.sort(), scanSortExpression());
    // The same cursor knows its markers too: a second scan that day finds nothing new.
    run = runReminderScan(cursor, QDate(2025, 3, 6), 1);
    QVERIFY(run.lines.isEmpty());
    run = runReminderScan(cursor, QDate(2025, 3, 7), 1);
    QCOMPARE(run.lines, QStringList{QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...")});
    QCOMPARE(markersOf(t.storedByNumber()[0]), (QList<int>{2025, 2025, 2025}));
}

void TestReminderScan::acrossTheYearChange() {
    Table t({birthday(4, QStringLiteral("Neujahr Kind"), 1990, 1, 5,
                      {QStringLiteral("3 Wochen vorher")})});
    ScanRun run = t.scanOn(QDate(2024, 12, 20));
    QCOMPARE(run.lines,
             QStringList{QStringLiteral("Neujahr Kind wird am 5.1.2025 35 Jahre alt ...")});
    QCOMPARE(markersOf(t.storedByNumber()[0]), (QList<int>{2025, 0, 0}));

    run = t.scanOn(QDate(2025, 1, 2));
    QVERIFY(run.lines.isEmpty());
    QCOMPARE(markersOf(t.storedByNumber()[0]), (QList<int>{2025, 0, 0}));

    // A year later the next birthday is due again.
    run = t.scanOn(QDate(2025, 12, 20), 0);
    QCOMPARE(run.lines,
             QStringList{QStringLiteral("Neujahr Kind wird am 2026-1-5 36 Jahre alt ...")});
    QCOMPARE(markersOf(t.storedByNumber()[0]), (QList<int>{2026, 0, 0}));
}

void TestReminderScan::linesInMonthDayOrder_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("end of February")
        << QDate(2025, 2, 27) << QStringList{"Feb28", "Mar1", "Mar8", "Mar10"};
    QTest::newRow("next year's January first")
        << QDate(2025, 12, 20) << QStringList{"Jan2", "Dez28"};
}

void TestReminderScan::linesInMonthDayOrder() {
    QFETCH(QDate, today);
    QFETCH(QStringList, names);
    const QStringList lead{QStringLiteral("2 Wochen vorher")};
    // Stored in an order that is neither by date nor by year.
    Table t({birthday(1, "Mar10", 1990, 3, 10, lead), birthday(2, "Dez28", 1960, 12, 28, lead),
             birthday(3, "Mar8", 1985, 3, 8, lead), birthday(4, "Feb28", 2001, 2, 28, lead),
             birthday(5, "Jan2", 1999, 1, 2, lead), birthday(6, "Mar1", 1970, 3, 1, lead)});
    const ScanRun run = t.scanOn(today);
    QStringList got;
    for (const QString& line : run.lines)
        got << line.section(u' ', 0, 0);
    QCOMPARE(got, names);
}

void TestReminderScan::windowText() {
    QCOMPARE(reminderWindowText({}), QString());
    QCOMPARE(reminderWindowText({QStringLiteral("A wird heute 1 Jahre alt ..."),
                                 QStringLiteral("B wird morgen 2 Jahre alt ...")}),
             QStringLiteral("A wird heute 1 Jahre alt ...\r\n\r\nB wird morgen 2 Jahre alt "
                            "...\r\n\r\n"));
}

QTEST_GUILESS_MAIN(TestReminderScan)
#include "test_reminderscan.moc"
