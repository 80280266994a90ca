#include "reminder/daynumber.h"

#include <QDate>
#include <QtTest>

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
    void everyDayMatchesTheCalendar();
    void daysThatDoNotExist_data();
    void daysThatDoNotExist();
    void negativeDayNumbersGiveAWeekday();
};

void TestDayNumber::everyDayMatchesTheCalendar() {
    int checked = 0;
    for (QDate d = origin; d <= QDate(2099, 12, 31); d = d.addDays(1), ++checked) {
        const int n = berechnetage(d.year(), d.month(), d.day());
        if (n != origin.daysTo(d) || QByteArray(weekdayName(n)) != nameOf(d) ||
            weekdayIndex(n) != indexOf(d))
            QFAIL(qPrintable(QStringLiteral("%1: day %2, %3")
                                 .arg(d.toString(Qt::ISODate))
                                 .arg(n)
                                 .arg(QLatin1StringView(weekdayName(n)))));
    }
    QCOMPARE(checked, 80354);
}

void TestDayNumber::daysThatDoNotExist_data() {
    QTest::addColumn<QList<int>>("date");
    QTest::addColumn<QDate>("countsAs");
    // Counted on, not refused.
    QTest::newRow("29.2.1900") << QList<int>{1900, 2, 29} << QDate(1900, 3, 1);
    QTest::newRow("29.2.2025") << QList<int>{2025, 2, 29} << QDate(2025, 3, 1);
    QTest::newRow("31.11.1999") << QList<int>{1999, 11, 31} << QDate(1999, 12, 1);
    // A month outside the table adds no month days, yet 13 still counts as after the leap day.
    QTest::newRow("month 13") << QList<int>{1880, 13, 1} << QDate(1880, 1, 2);
    QTest::newRow("month 0") << QList<int>{1880, 0, 5} << QDate(1880, 1, 5);
}

void TestDayNumber::daysThatDoNotExist() {
    QFETCH(QList<int>, date);
    QFETCH(QDate, countsAs);
    QCOMPARE(berechnetage(date[0], date[1], date[2]), origin.daysTo(countsAs));
}

void TestDayNumber::negativeDayNumbersGiveAWeekday() {
    QCOMPARE(berechnetage(1879, 12, 31), -1);
    for (int n = -1; n >= -30; --n) {
        const QDate d = origin.addDays(n);
        QCOMPARE(QByteArray(weekdayName(n)), nameOf(d));
        QCOMPARE(weekdayIndex(n), indexOf(d));
    }
}

QTEST_GUILESS_MAIN(TestDayNumber)
#include "test_daynumber.moc"
