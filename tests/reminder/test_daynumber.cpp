#include "reminder/daynumber.h"
#include "reminder/nextbirthday.h"
#include "reminder/remindercodes.h"

#include <QDate>
#include <QtTest>

#include <algorithm>

using namespace natalix;

namespace {

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

} // namespace

class TestDayNumber : public QObject {
    Q_OBJECT
private slots:

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
};

QTEST_GUILESS_MAIN(TestDayNumber)
#include "test_daynumber.moc"
