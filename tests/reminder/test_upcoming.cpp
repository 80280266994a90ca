#include "app/datadir.h"
#include "desktop/desktopsettings.h"
#include "reminder/upcoming.h"
#include "support/testsupport.h"
#include "table/cursor.h"
#include "table/tablestore.h"

#include <QtTest>

using namespace natalix;
using natalix::test::makeRecord;

namespace {

// Records as "Nummer Name Jahr-Monat-Tag"; the name is one word, "_" for a blank name.
Snapshot records(const QStringList& specs) {
    Snapshot rows;
    for (const QString& spec : specs) {
        const QStringList parts = spec.split(u' ');
        const QStringList date = parts[2].split(u'-');
        const QString name = parts[1] == u"_" ? QStringLiteral(" ") : parts[1];
        rows.push_back(
            makeRecord(parts[0].toInt(), name, date[0].toInt(), date[1].toInt(), date[2].toInt()));
    }
    return rows;
}

// One birthday as the window would list it, with the row it points at.
QString shown(const UpcomingBirthday& b) {
    return QStringLiteral("%1 | %2 | %3 | %4 | row %5")
        .arg(displayDate(b.date, 1), daysAheadText(b.daysAhead), b.name, ageText(b.age))
        .arg(b.row);
}

QStringList shownAll(const std::vector<UpcomingBirthday>& list) {
    QStringList out;
    for (const UpcomingBirthday& b : list)
        out << shown(b);
    return out;
}

} // namespace

class TestUpcoming : public QObject {
    Q_OBJECT
private slots:
    void list_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("days");
        QTest::addColumn<QStringList>("expected");

        const QStringList yearEnd{"1 Alt 1950-12-29", "2 Silvester 1990-12-31",
                                  "3 Neujahr 2000-1-2"};
        QTest::newRow("year end: next year's dates and ages")
            << yearEnd << QDate(2024, 12, 30) << 30
            << QStringList{"31.12.2024 | morgen | Silvester | 34 Jahre | row 1",
                           "2.1.2025 | in 3 Tagen | Neujahr | 25 Jahre | row 2"};
        QTest::newRow("year end: yesterday's comes last in a year")
            << yearEnd << QDate(2024, 12, 30) << 365
            << QStringList{"31.12.2024 | morgen | Silvester | 34 Jahre | row 1",
                           "2.1.2025 | in 3 Tagen | Neujahr | 25 Jahre | row 2",
                           "29.12.2025 | in 364 Tagen | Alt | 75 Jahre | row 0"};

        const QStringList leapling{"7 Schalt 2000-2-29"};
        QTest::newRow("29 February, common year: falls on 1 March")
            << leapling << QDate(2025, 2, 28) << 7
            << QStringList{"1.3.2025 | morgen | Schalt | 25 Jahre | row 0"};
        QTest::newRow("29 February, common year, on 1 March: today")
            << leapling << QDate(2025, 3, 1) << 7
            << QStringList{"1.3.2025 | heute | Schalt | 25 Jahre | row 0"};
        QTest::newRow("29 February, leap year: its own day")
            << leapling << QDate(2024, 2, 28) << 7
            << QStringList{"29.2.2024 | morgen | Schalt | 24 Jahre | row 0"};
        QTest::newRow("29 February, leap year, on 1 March: next year's 1 March")
            << leapling << QDate(2024, 3, 1) << 365
            << QStringList{"1.3.2025 | in 365 Tagen | Schalt | 25 Jahre | row 0"};
        QTest::newRow("a year holds everyone, also 365 days ahead over a leap day")
            << QStringList{"1 Eins 1980-3-1", "2 Zwei 1980-3-2"} << QDate(2023, 3, 2) << 365
            << QStringList{"2.3.2023 | heute | Zwei | 43 Jahre | row 1",
                           "1.3.2024 | in 365 Tagen | Eins | 44 Jahre | row 0"};

        // 1 March 2025 and the days 7, 8, 30, 31, 90, 91 ahead of it.
        const QStringList spread{"1 T0 1970-3-1",   "2 T7 1970-3-8",  "3 T8 1970-3-9",
                                 "4 T30 1970-3-31", "5 T31 1970-4-1", "6 T90 1970-5-30",
                                 "7 T91 1970-5-31"};
        const QDate march1(2025, 3, 1);
        QTest::newRow("7 days: today to 7 days ahead")
            << spread << march1 << 7
            << QStringList{"1.3.2025 | heute | T0 | 55 Jahre | row 0",
                           "8.3.2025 | in 7 Tagen | T7 | 55 Jahre | row 1"};
        QTest::newRow("30 days") << spread << march1 << 30
                                 << QStringList{"1.3.2025 | heute | T0 | 55 Jahre | row 0",
                                                "8.3.2025 | in 7 Tagen | T7 | 55 Jahre | row 1",
                                                "9.3.2025 | in 8 Tagen | T8 | 55 Jahre | row 2",
                                                "31.3.2025 | in 30 Tagen | T30 | 55 Jahre | row 3"};
        QTest::newRow("90 days") << spread << march1 << 90
                                 << QStringList{"1.3.2025 | heute | T0 | 55 Jahre | row 0",
                                                "8.3.2025 | in 7 Tagen | T7 | 55 Jahre | row 1",
                                                "9.3.2025 | in 8 Tagen | T8 | 55 Jahre | row 2",
                                                "31.3.2025 | in 30 Tagen | T30 | 55 Jahre | row 3",
                                                "1.4.2025 | in 31 Tagen | T31 | 55 Jahre | row 4",
                                                "30.5.2025 | in 90 Tagen | T90 | 55 Jahre | row 5"};
        QTest::newRow("365 days") << spread << march1 << 365
                                  << QStringList{
                                         "1.3.2025 | heute | T0 | 55 Jahre | row 0",
                                         "8.3.2025 | in 7 Tagen | T7 | 55 Jahre | row 1",
                                         "9.3.2025 | in 8 Tagen | T8 | 55 Jahre | row 2",
                                         "31.3.2025 | in 30 Tagen | T30 | 55 Jahre | row 3",
                                         "1.4.2025 | in 31 Tagen | T31 | 55 Jahre | row 4",
                                         "30.5.2025 | in 90 Tagen | T90 | 55 Jahre | row 5",
                                         "31.5.2025 | in 91 Tagen | T91 | 55 Jahre | row 6"};

        QTest::newRow("unknown year: no age; born later or that day: left out")
            << QStringList{"1 Ohne 0-3-3", "2 Baby 2025-3-3", "3 Einjaehrig 2024-3-4",
                           "4 Kuenftig 2026-3-2"}
            << QDate(2025, 3, 1) << 30
            << QStringList{"3.3.2025 | in 2 Tagen | Ohne |  | row 0",
                           "4.3.2025 | in 3 Tagen | Einjaehrig | 1 Jahr | row 2"};
        QTest::newRow("same day: by name, case and umlauts folded, then by number")
            << QStringList{"5 Zoe 1990-6-1", "4 Ärger 1990-6-1", "9 anna 1990-6-1",
                           "3 Zoe 1990-6-1", "1 _ 1990-6-1",     "2 Bert 1990-5-31"}
            << QDate(2025, 5, 31) << 7
            << QStringList{
                   "31.5.2025 | heute | Bert | 35 Jahre | row 5",
                   "1.6.2025 | morgen | anna | 35 Jahre | row 2",
                   "1.6.2025 | morgen | Ärger | 35 Jahre | row 1",
                   "1.6.2025 | morgen | Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz "
                   "1) | 35 Jahre | row 4",
                   "1.6.2025 | morgen | Zoe | 35 Jahre | row 3",
                   "1.6.2025 | morgen | Zoe | 35 Jahre | row 0"};
        QTest::newRow("no date: month or day out of range")
            << QStringList{"1 Monat 1990-13-1", "2 Null 1990-0-5", "3 Tag 1990-5-0",
                           "4 Tag32 1990-5-32", "5 April31 1990-4-31"}
            << QDate(2025, 4, 28) << 7
            << QStringList{"1.5.2025 | in 3 Tagen | April31 | 35 Jahre | row 4"};
        QTest::newRow("empty table") << QStringList{} << QDate(2025, 1, 1) << 365 << QStringList{};
    }
    void list() {
        QFETCH(QStringList, rows);
        QFETCH(QDate, today);
        QFETCH(int, days);
        QFETCH(QStringList, expected);
        QCOMPARE(shownAll(upcomingBirthdays(records(rows), today, days)), expected);
    }

    void dateDisplay_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<double>("display");
        QTest::addColumn<QString>("expected");
        QTest::newRow("new") << QDate(2025, 3, 7) << 0.0 << "2025-3-7";
        QTest::newRow("old") << QDate(2025, 3, 7) << 1.0 << "7.3.2025";
        QTest::newRow("new, two digits") << QDate(2026, 12, 31) << 0.0 << "2026-12-31";
        QTest::newRow("hand-edited value: old") << QDate(2026, 1, 1) << 2.0 << "1.1.2026";
    }
    void dateDisplay() {
        QFETCH(QDate, date);
        QFETCH(double, display);
        QFETCH(QString, expected);
        QCOMPARE(displayDate(date, display), expected);
    }

    void toolTip_data() {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("expected");
        // Today is 6 March 2025.
        QTest::newRow("one") << QStringList{"1 Anna 1980-3-7", "2 Bert 1980-5-1"}
                             << "Nächster Geburtstag: Anna, morgen, 45 Jahre";
        QTest::newRow("today, one year")
            << QStringList{"1 Klein 2024-3-6"} << "Nächster Geburtstag: Klein, heute, 1 Jahr";
        QTest::newRow("unknown year")
            << QStringList{"1 Anna 0-3-16"} << "Nächster Geburtstag: Anna, in 10 Tagen";
        QTest::newRow("after the year's end")
            << QStringList{"1 Anna 1980-3-5"}
            << "Nächster Geburtstag: Anna, in 364 Tagen, 46 Jahre";
        QTest::newRow("two on the first day")
            << QStringList{"1 Bert 1990-3-8", "2 Anna 0-3-8", "3 Carl 1980-3-9"}
            << "Nächste Geburtstage: Anna, in 2 Tagen; Bert, in 2 Tagen, 35 Jahre";
        QTest::newRow("four on the first day")
            << QStringList{"1 A 1990-3-8", "2 B 1990-3-8", "3 C 1990-3-8", "4 D 1990-3-8"}
            << "Nächste Geburtstage: A, in 2 Tagen, 35 Jahre; B, in 2 Tagen, 35 Jahre; C, in 2 "
               "Tagen, 35 Jahre; und 1 weiterer";
        QTest::newRow("five on the first day")
            << QStringList{"1 A 1990-3-8", "2 B 1990-3-8", "3 C 1990-3-8", "4 D 1990-3-8",
                           "5 E 1990-3-8"}
            << "Nächste Geburtstage: A, in 2 Tagen, 35 Jahre; B, in 2 Tagen, 35 Jahre; C, in 2 "
               "Tagen, 35 Jahre; und 2 weitere";
        QTest::newRow("nobody born yet") << QStringList{"1 Kuenftig 2027-1-1"}
                                         << "Nächster Geburtstag: keiner im kommenden Jahr";
        QTest::newRow("empty list")
            << QStringList{} << "Nächster Geburtstag: keiner im kommenden Jahr";
    }
    void toolTip() {
        QFETCH(QStringList, rows);
        QFETCH(QString, expected);
        QCOMPARE(upcomingToolTip(upcomingBirthdays(records(rows), QDate(2025, 3, 6), 365)),
                 expected);
    }

    // The window makes the record current by its bookmark, whatever the grid's order.
    void bookmarkMakesTheRecordCurrent() {
        test::TempDataDir dir;
        const Snapshot rows = records({"1 Anna 1980-3-9", "2 Bert 1980-3-7", "3 Carl 1980-8-1"});
        auto store =
            TableStore::open(dir.file(TableStore::databaseFileName()), rows.front(), nullptr);
        QVERIFY(store && store->replaceAll(rows));
        Cursor cursor(*store);
        QVERIFY(cursor.setSort(QStringLiteral("Name DESC")));
        const auto list = upcomingBirthdays(cursor, QDate(2025, 3, 6), 30);
        QCOMPARE(list.size(), size_t(2));
        QCOMPARE(list[0].nummer, 2);
        QCOMPARE(list[1].nummer, 1);
        for (const UpcomingBirthday& b : list) {
            QVERIFY(cursor.moveFirst());
            QVERIFY(cursor.setBookmark(b.bookmark));
            QCOMPARE(cursor.currentRecord().nummer, b.nummer);
        }
    }

    void range_data() {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("expected");
        for (int days : {7, 30, 90, 365})
            QTest::addRow("%d", days) << days << days;
        for (int days : {0, -7, 31, 366})
            QTest::addRow("%d gives the default", days) << days << 30;
    }
    void range() {
        QFETCH(int, asked);
        QFETCH(int, expected);
        QCOMPARE(upcomingRange(asked), expected);
    }

    // The settings store's text for the notification switch and the range, as another
    // version or a hand edit may leave it.
    void settings_data() {
        QTest::addColumn<QString>("stored"); // null: no such value
        QTest::addColumn<bool>("notifications");
        QTest::addColumn<int>("days");
        QTest::newRow("nothing stored") << QString() << true << 30;
        QTest::newRow("0") << "0" << false << 30;
        QTest::newRow("1") << "1" << true << 30;
        QTest::newRow("90") << "90" << true << 90;
        QTest::newRow("365") << "365" << true << 365;
        QTest::newRow("31") << "31" << true << 30;
        QTest::newRow("text") << "viele" << true << 30;
    }
    void settings() {
        QFETCH(QString, stored);
        QFETCH(bool, notifications);
        QFETCH(int, days);
        test::TempDataDir dir;
        SettingsStore store(DataDir{dir.path(), true});
        if (!stored.isNull()) {
            QVERIFY(store.setValue(QLatin1String(desktopsetting::notifications), stored));
            QVERIFY(store.setValue(QLatin1String(desktopsetting::upcomingDays), stored));
        }
        QCOMPARE(notificationsEnabled(store), notifications);
        QCOMPARE(upcomingDays(store), days);
    }
    void settingsWritten() {
        test::TempDataDir dir;
        SettingsStore store(DataDir{dir.path(), true});
        QVERIFY(setNotificationsEnabled(store, false));
        QVERIFY(setUpcomingDays(store, 7));
        QCOMPARE(store.value(QStringLiteral("Global/notifications")), QStringLiteral("0"));
        QCOMPARE(store.value(QStringLiteral("Global/upcomingdays")), QStringLiteral("7"));
        QVERIFY(setNotificationsEnabled(store, true));
        QVERIFY(setUpcomingDays(store, 12));
        QCOMPARE(notificationsEnabled(store), true);
        QCOMPARE(store.value(QStringLiteral("upcomingdays")), QStringLiteral("30"));
    }
};

QTEST_GUILESS_MAIN(TestUpcoming)
#include "test_upcoming.moc"
