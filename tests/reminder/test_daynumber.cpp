#include "reminder/daynumber.h"

#include <QDate>
#include <QtTest>

using namespace natalix;

class TestDayNumber : public QObject {
    Q_OBJECT
private slots:
    void everyDayMatchesTheCalendar();
    void fixedDays_data();
    void fixedDays();
    void sameNumber_data();
    void sameNumber();
    void weekday_data();
    void weekday();
    void negativeDayNumbersGiveAWeekday();
};

void TestDayNumber::everyDayMatchesTheCalendar() {
    const QDate origin(1880, 1, 1);
    const QDate last(2099, 12, 31);
    int checked = 0;
    for (QDate d = origin; d <= last; d = d.addDays(1)) {
        const qint64 expected = origin.daysTo(d);
        const int got = berechnetage(d.year(), d.month(), d.day());
        if (got != expected)
            QFAIL(qPrintable(QStringLiteral("%1: %2 instead of %3")
                                 .arg(d.toString(Qt::ISODate))
                                 .arg(got)
                                 .arg(expected)));
        ++checked;
    }
    QCOMPARE(checked, 80354);
}

void TestDayNumber::fixedDays_data() {
    QTest::addColumn<int>("jahr");
    QTest::addColumn<int>("monat");
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("expected");
    QTest::newRow("1.1.1880") << 1880 << 1 << 1 << 0;
    QTest::newRow("1.3.1880") << 1880 << 3 << 1 << 60;
    QTest::newRow("1.1.1881") << 1881 << 1 << 1 << 366;
    QTest::newRow("31.12.1879") << 1879 << 12 << 31 << -1;
    // A month outside the table adds no month days, yet 13 still counts as after the leap day.
    QTest::newRow("month 13") << 1880 << 13 << 1 << 1;
    QTest::newRow("month 0") << 1880 << 0 << 5 << 4;
}

void TestDayNumber::fixedDays() {
    QFETCH(int, jahr);
    QFETCH(int, monat);
    QFETCH(int, tag);
    QFETCH(int, expected);
    QCOMPARE(berechnetage(jahr, monat, tag), expected);
}

void TestDayNumber::sameNumber_data() {
    QTest::addColumn<QList<int>>("nonexistent");
    QTest::addColumn<QDate>("real");
    // Days that do not exist are counted on, not refused.
    QTest::newRow("29.2.1900") << QList<int>{1900, 2, 29} << QDate(1900, 3, 1);
    QTest::newRow("29.2.2025") << QList<int>{2025, 2, 29} << QDate(2025, 3, 1);
    QTest::newRow("31.4.2025") << QList<int>{2025, 4, 31} << QDate(2025, 5, 1);
    QTest::newRow("31.11.1999") << QList<int>{1999, 11, 31} << QDate(1999, 12, 1);
}

void TestDayNumber::sameNumber() {
    QFETCH(QList<int>, nonexistent);
    QFETCH(QDate, real);
    QCOMPARE(berechnetage(nonexistent[0], nonexistent[1], nonexistent[2]),
             berechnetage(real.year(), real.month(), real.day()));
}

void TestDayNumber::weekday_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("name");
    QTest::newRow("1.1.1880") << QDate(1880, 1, 1) << "Donnerstag";
    QTest::newRow("2.1.1880") << QDate(1880, 1, 2) << "Freitag";
    QTest::newRow("3.1.1880") << QDate(1880, 1, 3) << "Samstag";
    QTest::newRow("4.1.1880") << QDate(1880, 1, 4) << "Sonntag";
    QTest::newRow("5.1.1880") << QDate(1880, 1, 5) << "Montag";
    QTest::newRow("1.1.1900") << QDate(1900, 1, 1) << "Montag";
    QTest::newRow("1.1.2000") << QDate(2000, 1, 1) << "Samstag";
    QTest::newRow("29.2.2000") << QDate(2000, 2, 29) << "Dienstag";
    QTest::newRow("22.12.1971") << QDate(1971, 12, 22) << "Mittwoch";
}

void TestDayNumber::weekday() {
    QFETCH(QDate, date);
    QFETCH(QString, name);
    const int n = berechnetage(date.year(), date.month(), date.day());
    QCOMPARE(QString::fromLatin1(weekdayName(n)), name);
    if (date == QDate(1971, 12, 22))
        QCOMPARE(n % 7, 6);
}

void TestDayNumber::negativeDayNumbersGiveAWeekday() {
    // 31.12.1879 was a Wednesday; going back a week at a time keeps it.
    for (int n = -1; n >= -71; n -= 7) {
        QCOMPARE(weekdayIndex(n), 6);
        QCOMPARE(QString::fromLatin1(weekdayName(n)), QStringLiteral("Mittwoch"));
    }
    for (int n = -1; n >= -20; --n) {
        const int i = weekdayIndex(n);
        QVERIFY2(i >= 0 && i <= 6, qPrintable(QString::number(n)));
        QCOMPARE(i, weekdayIndex(n + 7));
    }
}

QTEST_GUILESS_MAIN(TestDayNumber)
#include "test_daynumber.moc"
