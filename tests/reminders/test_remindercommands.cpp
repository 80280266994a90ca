#include "app/frmmain.h"
#include "reminder/remindercommands.h"
#include "support/windowharness.h"
#include "table/sortcommands.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using natalix::MainState;
using natalix::Options;
using natalix::Record;
using natalix::ReminderCommands;
using natalix::test::makeRecord;
using natalix::test::WindowHarness;

namespace {

// What the user saw of one reminder window.
struct SeenWindow {
    QString title;
    QString datum;
    QString zeit;
    QString text;      // the text box, read back
    QStringList fixed; // the fixed captions, in reading order
    bool onTop = false;
    bool modal = false;
    bool visible = false;
    bool hasParent = true;
    bool hasPicture = false;
    bool closedByOk = false;
};

template <typename W> QString textOf(QDialog& d, const char* name) {
    W* w = d.findChild<W*>(QLatin1String(name));
    if (!w)
        return QStringLiteral("<missing %1>").arg(QLatin1String(name));
    if constexpr (std::is_same_v<W, QGroupBox>)
        return w->title();
    else if constexpr (std::is_same_v<W, QPlainTextEdit>)
        return w->toPlainText();
    else
        return w->text();
}

// Reads the window, runs `whileOpen` (a tick of the timer, say) and closes it with "OK".
std::function<int(QDialog&)> readWindow(QList<SeenWindow>& seen,
                                        std::function<void()> whileOpen = {}) {
    return [&seen, whileOpen](QDialog& d) {
        SeenWindow w;
        w.title = d.windowTitle();
        w.datum = textOf<QLabel>(d, "lblDatum");
        w.zeit = textOf<QLabel>(d, "lblZeit");
        w.text = textOf<QPlainTextEdit>(d, "txtErinnerung");
        w.fixed = {textOf<QGroupBox>(d, "Frame2"), textOf<QLabel>(d, "label0"),
                   textOf<QLabel>(d, "Label1"), textOf<QGroupBox>(d, "Frame1"),
                   textOf<QPushButton>(d, "Command1")};
        w.onTop = d.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        w.modal = d.isModal();
        w.visible = d.isVisible();
        w.hasParent = d.parentWidget() != nullptr;
        const QLabel* picture = d.findChild<QLabel*>(QStringLiteral("Picture1"));
        w.hasPicture = picture && !picture->pixmap().isNull();
        if (whileOpen)
            whileOpen();
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        w.closedByOk = !d.isVisible() && d.result() == QDialog::Accepted;
        seen << w;
        return d.result();
    };
}

// One tick of the reminder timer, as its timeout delivers it.
void tick(WindowHarness& h) {
    h.window().timer1Tick();
}

// The timer is driven by hand; a real tick would come at its own time.
void driveByHand(WindowHarness& h) {
    h.window().Timer1->stop();
    h.finishSplash();
}

Record withReminders(Record r, const QString& first, const QString& second, const QString& third) {
    r.erinnerung = {first, second, third};
    return r;
}

std::array<int, 3> storedMarkers(WindowHarness& h, int nummer) {
    for (const Record& r : h.storedRecords())
        if (r.nummer == nummer)
            return r.marker;
    return {-1, -1, -1};
}

Options withDateDisplay(double display) {
    Options o;
    o.optiondatumsanzeigehauptfenster = display;
    return o;
}

const QString keine = QStringLiteral("Keine Erinnerung");

} // namespace

class TestReminderCommands : public QObject {
    Q_OBJECT
private slots:
    void timerWaitsForTheEndOfTheSplash();
    void oneScanAfterStartThenOnePerDay();
    void windowShowsEveryLine_data();
    void windowShowsEveryLine();
    void windowDateAndTime_data();
    void windowDateAndTime();
    void scanLeavesMonthOrderAndPosition_data();
    void scanLeavesMonthOrderAndPosition();
    void heldScanRunsOnceAtRelease();
    void busyDisplayDefersTheScan();
    void hiddenWindowStillReminds();
};

void TestReminderCommands::timerWaitsForTheEndOfTheSplash() {
    WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7)});
    h.window().Timer1->stop();
    h.services.setToday(2025, 3, 7);
    QVERIFY(h.window().findChild<ReminderCommands*>(QStringLiteral("ReminderCommands")));
    for (int i = 0; i < 3; ++i)
        tick(h);
    QCOMPARE(h.window().Timer1->interval(), 1000);
    QCOMPARE(h.state().altertag, 0);
    QCOMPARE(h.window().gridCaption(), natalix::caption::byNumberAscending());
    QCOMPARE(storedMarkers(h, 1), (std::array<int, 3>{0, 0, 0}));
    QVERIFY(h.services.allAnswered());
}

void TestReminderCommands::oneScanAfterStartThenOnePerDay() {
    WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                     makeRecord(2, QStringLiteral("Sommer Kind"), 1970, 7, 15)});
    driveByHand(h);
    QList<SeenWindow> seen;

    // First tick after the splash: switches to minute ticks and scans at once.
    h.services.setToday(2025, 3, 6, 9, 0, 1);
    h.services.answerDialog(readWindow(seen));
    tick(h);
    QCOMPARE(h.window().Timer1->interval(), 60000);
    QCOMPARE(h.state().altertag, 6);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].text, QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...\n\n"));
    QVERIFY(seen[0].closedByOk);
    QCOMPARE(storedMarkers(h, 1), (std::array<int, 3>{2025, 2025, 0}));

    // The same day again: no scan at all.
    h.services.setToday(2025, 3, 6, 23, 59, 0);
    tick(h);
    QCOMPARE(seen.size(), 1);
    QVERIFY(h.services.allAnswered());

    // The next day scans; the tick that comes while its window is open scans once more and
    // finds nothing new: no second window (none is queued).
    h.services.setToday(2025, 3, 7, 0, 0, 30);
    QVERIFY(h.cursor().setAbsolutePosition(2));
    int altertagWhileOpen = -1;
    h.services.answerDialog(readWindow(seen, [&] {
        altertagWhileOpen = h.state().altertag;
        tick(h);
    }));
    tick(h);
    QCOMPARE(altertagWhileOpen, 6);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[1].text, QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...\n\n"));
    QCOMPARE(h.state().altertag, 7);
    QCOMPARE(h.cursor().absolutePosition(), 2);
    QCOMPARE(storedMarkers(h, 1), (std::array<int, 3>{2025, 2025, 2025}));
    QCOMPARE(storedMarkers(h, 2), (std::array<int, 3>{0, 0, 0}));
    QCOMPARE(h.state().testengesperrt, 0);

    // Later that day nothing; the following day nothing is due.
    h.services.setToday(2025, 3, 7, 12, 0, 0);
    tick(h);
    h.services.setToday(2025, 3, 8, 0, 0, 30);
    tick(h);
    QCOMPARE(h.state().altertag, 8);
    QCOMPARE(seen.size(), 2);
    QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
}

void TestReminderCommands::windowShowsEveryLine_data() {
    QTest::addColumn<double>("display");
    QTest::addColumn<QString>("inFourDays");
    QTest::newRow("new display") << 0.0 << "2025-3-10";
    QTest::newRow("old display") << 1.0 << "10.3.2025";
}

void TestReminderCommands::windowShowsEveryLine() {
    QFETCH(double, display);
    QFETCH(QString, inFourDays);
    WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                     withReminders(makeRecord(2, QStringLiteral("Jürgen Groß"), 1990, 3, 10),
                                   QStringLiteral("1 Woche vorher"), keine, keine),
                     makeRecord(5, QStringLiteral("Sommer Kind"), 1970, 7, 15),
                     makeRecord(12, QStringLiteral(" "), 1995, 3, 6)},
                    withDateDisplay(display));
    driveByHand(h);
    h.services.setToday(2025, 3, 6);
    QList<SeenWindow> seen;
    h.services.answerDialog(readWindow(seen));
    tick(h);
    QCOMPARE(seen.size(), 1);

    const QStringList lines{
        QStringLiteral("Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz 12)  wird heute "
                       "30 Jahre alt ..."),
        QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ..."),
        QStringLiteral("Jürgen Groß wird am %1 35 Jahre alt ...").arg(inFourDays)};
    // Kept with its CR LF line ends; the box shows one line each, then an empty line.
    QCOMPARE(h.state().texterinnerungen,
             lines.join(QStringLiteral("\r\n\r\n")) + QStringLiteral("\r\n\r\n"));
    QCOMPARE(seen[0].text.split(u'\n'), (QStringList{lines[0], QString(), lines[1], QString(),
                                                     lines[2], QString(), QString()}));
}

void TestReminderCommands::windowDateAndTime_data() {
    QTest::addColumn<double>("display");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("datum");
    QTest::addColumn<QString>("zeit");
    const QDateTime newYear(QDate(2026, 1, 1), QTime(0, 0, 5));
    const QDateTime lastSecond(QDate(2025, 12, 31), QTime(23, 59, 59));
    const QDateTime morning(QDate(2025, 5, 3), QTime(9, 5, 7));
    QTest::newRow("new year, new display") << 0.0 << newYear << "2026-1-1"
                                           << "0:0:5";
    QTest::newRow("new year, old display") << 1.0 << newYear << "1.1.2026"
                                           << "0:0:5";
    QTest::newRow("year's end, new display") << 0.0 << lastSecond << "2025-12-31"
                                             << "23:59:59";
    QTest::newRow("year's end, old display") << 1.0 << lastSecond << "31.12.2025"
                                             << "23:59:59";
    QTest::newRow("morning, old display") << 1.0 << morning << "3.5.2025"
                                          << "9:5:7";
}

void TestReminderCommands::windowDateAndTime() {
    QFETCH(double, display);
    QFETCH(QDateTime, now);
    QFETCH(QString, datum);
    QFETCH(QString, zeit);
    const QDate d = now.date();
    WindowHarness h({makeRecord(1, QStringLiteral("Kind"), 1990, d.month(), d.day())},
                    withDateDisplay(display));
    driveByHand(h);
    h.window().show();
    h.services.setNow(now);
    QList<SeenWindow> seen;
    h.services.answerDialog(readWindow(seen));
    tick(h);
    QCOMPARE(seen.size(), 1);
    const SeenWindow& w = seen[0];
    QCOMPARE(w.datum, datum);
    QCOMPARE(w.zeit, zeit);
    QCOMPARE(w.text, QStringLiteral("Kind wird heute %1 Jahre alt ...\n\n").arg(d.year() - 1990));
    QCOMPARE(w.title, QStringLiteral("Geburtstags-Erinnerung"));
    QCOMPARE(w.fixed, (QStringList{"Meldung", "Datum:", "Uhrzeit:", "Geburtstage", "OK"}));
    QVERIFY(w.onTop);
    QVERIFY(w.modal);
    QVERIFY(w.visible);
    QVERIFY(w.hasParent);
    QVERIFY(w.hasPicture);
    QVERIFY(w.closedByOk);
}

void TestReminderCommands::scanLeavesMonthOrderAndPosition_data() {
    QTest::addColumn<int>("today"); // day of March 2025
    QTest::addColumn<bool>("window");
    QTest::newRow("nothing due") << 20 << false;
    QTest::newRow("one due") << 7 << true;
}

void TestReminderCommands::scanLeavesMonthOrderAndPosition() {
    QFETCH(int, today);
    QFETCH(bool, window);
    WindowHarness h({makeRecord(1, QStringLiteral("Dezember"), 1950, 12, 1),
                     makeRecord(2, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                     makeRecord(3, QStringLiteral("Januar"), 1960, 1, 20),
                     makeRecord(4, QStringLiteral("Juli"), 1970, 7, 15),
                     makeRecord(5, QStringLiteral("Januar früh"), 1961, 1, 2)});
    driveByHand(h);
    h.window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.window()));
    h.clickRow(1);
    QCOMPARE(h.cursor().absolutePosition(), 2);
    QCOMPARE(h.state().sortieren1, 1);

    h.services.setToday(2025, 3, today);
    QList<SeenWindow> seen;
    if (window)
        h.services.answerDialog(readWindow(seen));
    tick(h);
    QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    QCOMPARE(seen.size(), window ? 1 : 0);
    if (!window)
        QCOMPARE(h.state().texterinnerungen, QString());

    QCOMPARE(h.window().gridCaption(),
             QStringLiteral("Alle Datensätze - sortiert nach Monat - aufsteigend"));
    QCOMPARE(h.cursor().sort(), QStringLiteral("Monat ASC,Tag ASC"));
    QCOMPARE(h.numbersInOrder(), (std::vector<int>{5, 3, 2, 4, 1}));
    const MainState& s = h.state();
    QCOMPARE((QList<int>{s.sortieren1, s.sortieren2, s.sortieren3, s.sortieren4, s.sortieren5}),
             (QList<int>{0, 0, 0, 1, 0}));
    // The same position number, now in month order, in the cursor, the grid and the form.
    QCOMPARE(s.alteposition, 2);
    QCOMPARE(h.cursor().absolutePosition(), 2);
    QCOMPARE(h.window().DataGrid1->currentIndex().row(), 1);
    QCOMPARE(h.window().txtName->text(), QStringLiteral("Januar"));
    QCOMPARE(s.testengesperrt, 0);
    // The next click on "Geburts-Monat" continues with the descending order.
    h.window().sortCommands().cmdSortierennachmonat_Click();
    QCOMPARE(h.numbersInOrder(), (std::vector<int>{1, 4, 2, 3, 5}));
}

void TestReminderCommands::heldScanRunsOnceAtRelease() {
    WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                     makeRecord(2, QStringLiteral("Jänner"), 1980, 1, 9)});
    driveByHand(h);
    auto* commands = h.window().findChild<ReminderCommands*>(QStringLiteral("ReminderCommands"));
    QVERIFY(commands);
    h.services.setToday(2025, 2, 20);
    tick(h); // the first scan: nothing due
    QVERIFY(h.services.allAnswered());

    // A list is being loaded: the order is its own, and no scan may change it.
    commands->holdScans();
    commands->holdScans();
    h.window().sortCommands().cmdSortierennachnummer_Click();
    QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));
    h.services.setToday(2025, 3, 7, 0, 0, 30);
    tick(h);
    h.services.setToday(2025, 3, 7, 0, 1, 30);
    tick(h);
    QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));
    QCOMPARE(h.window().gridCaption(), natalix::caption::byNumberAscending());
    QCOMPARE(storedMarkers(h, 1), (std::array<int, 3>{0, 0, 0}));

    commands->releaseScans(); // one hold is left
    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));

    QList<SeenWindow> seen;
    h.services.answerDialog(readWindow(seen));
    commands->releaseScans();
    QCOMPARE(seen.size(), 1);
    QCOMPARE(seen[0].text, QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...\n\n"));
    QCOMPARE(h.cursor().sort(), QStringLiteral("Monat ASC,Tag ASC"));
    QCOMPARE(storedMarkers(h, 1), (std::array<int, 3>{2025, 2025, 2025}));

    // It ran once: neither a later tick nor a stray release scans again.
    tick(h);
    commands->releaseScans();
    h.window().sortCommands().cmdSortierennachnummer_Click();
    tick(h);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));
    QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
}

void TestReminderCommands::busyDisplayDefersTheScan() {
    WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7)});
    driveByHand(h);
    auto* commands = h.window().findChild<ReminderCommands*>(QStringLiteral("ReminderCommands"));
    QVERIFY(commands);
    h.services.setToday(2025, 3, 7);
    QList<SeenWindow> seen;

    // The first scan falls due while the table is emptied under the busy display.
    h.window().enterBusyDisplay(10, QStringLiteral("Leeren"));
    commands->holdScans();
    tick(h);
    QCOMPARE(h.window().Timer1->interval(), 60000);
    QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    // Released while the display is still up: it runs once control is back.
    commands->releaseScans();
    QVERIFY(h.services.allAnswered());
    h.window().leaveBusyDisplay();
    h.services.answerDialog(readWindow(seen));
    QTRY_COMPARE(seen.size(), 1);
    QCOMPARE(h.window().gridCaption(), natalix::caption::byMonthAscending());

    // Without a hold, the busy display alone makes the next tick wait for the one after it.
    h.services.setToday(2026, 3, 6);
    h.window().enterBusyDisplay(10, QStringLiteral("Laden"));
    tick(h);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(h.state().altertag, 6);
    h.window().leaveBusyDisplay();
    h.services.answerDialog(readWindow(seen));
    tick(h);
    QCOMPARE(seen.size(), 2);
    QCOMPARE(seen[1].text, QStringLiteral("Anna Beispiel wird morgen 46 Jahre alt ...\n\n"));
    tick(h);
    QCOMPARE(seen.size(), 2);
    QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
}

void TestReminderCommands::hiddenWindowStillReminds() {
    // Started with "/auto": the main window is never shown; the real timer does the work.
    WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7)}, Options(), true);
    h.services.setToday(2025, 3, 6);
    QList<SeenWindow> seen;
    h.services.answerDialog(readWindow(seen));
    h.window().splashFinished();
    QVERIFY(!h.window().isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 1, 5000);
    QCOMPARE(h.window().Timer1->interval(), 60000);
    QVERIFY(h.window().Timer1->isActive());
    QVERIFY(!h.window().isVisible());
    const SeenWindow& w = seen[0];
    QCOMPARE(w.text, QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...\n\n"));
    QVERIFY(w.visible);
    QVERIFY(!w.hasParent);
    QVERIFY(w.onTop);
    QVERIFY(w.modal);
    QCOMPARE(storedMarkers(h, 1), (std::array<int, 3>{2025, 2025, 0}));
    QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
}

QTEST_MAIN(TestReminderCommands)
#include "test_remindercommands.moc"
