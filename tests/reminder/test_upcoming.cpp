#include "app/datadir.h"
#include "desktop/desktopsettings.h"
#include "reminder/upcoming.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace natalix;

namespace {

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

} // namespace

class TestUpcoming : public QObject {
    Q_OBJECT
private slots:
    void list_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("days");
        QTest::addColumn<QString>("expected");
        QTest::newRow("year end") << "Alt:1950-12-29 Silvester:1990-12-31 Neujahr:2000-1-2"
                                  << QDate(2024, 12, 30) << 365
                                  << "31.12.2024 morgen Silvester 34 Jahre | 2.1.2025 in 3 Tagen "
                                     "Neujahr 25 Jahre | 29.12.2025 in 364 Tagen Alt 75 Jahre";
        // 1 March 2025 and the days 7, 8, 30, 31, 90 and 91 ahead of it.
        const QString spread = "T0:1970-3-1 T7:1970-3-8 T8:1970-3-9 T30:1970-3-31 T31:1970-4-1 "
                               "T90:1970-5-30 T91:1970-5-31";
        const QString upTo7 = "1.3.2025 heute T0 55 Jahre | 8.3.2025 in 7 Tagen T7 55 Jahre";
        const QString upTo30 =
            upTo7 + " | 9.3.2025 in 8 Tagen T8 55 Jahre | 31.3.2025 in 30 Tagen T30 55 Jahre";
        const QString upTo90 =
            upTo30 + " | 1.4.2025 in 31 Tagen T31 55 Jahre | 30.5.2025 in 90 Tagen T90 55 Jahre";
        QTest::newRow("7 days") << spread << QDate(2025, 3, 1) << 7 << upTo7;
        QTest::newRow("365 days") << spread << QDate(2025, 3, 1) << 365
                                  << upTo90 + " | 31.5.2025 in 91 Tagen T91 55 Jahre";
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
};

QTEST_GUILESS_MAIN(TestUpcoming)
#include "test_upcoming.moc"
