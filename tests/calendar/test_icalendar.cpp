#include "calendar/icalendar.h"
#include "support/testsupport.h"

#include <QtTest>

using namespace natalix;
using natalix::test::makeRecord;

Q_DECLARE_METATYPE(natalix::Record)

namespace {

const QString keine = QStringLiteral("Keine Erinnerung");

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

class TestICalendar : public QObject {
    Q_OBJECT
private slots:
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

QTEST_GUILESS_MAIN(TestICalendar)
#include "test_icalendar.moc"
