#include "app/frmmain.h"
#include "reminder/frmmeldung.h"
#include "reminder/remindercore.h"
#include "support/windowharness.h"
#include "table/sortcommands.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

// What the user saw of one reminder window.
struct Seen {
    QString title, datum, zeit, text;
    QStringList traits; // the window properties that held
};

// What the user sees of a reminder window that came up without waiting.
Seen look(QWidget* window) {
    auto* d = qobject_cast<QDialog*>(window);
    if (!d)
        return {QStringLiteral("<gone>"), {}, {}, {}, {}};
    auto label = [&](const char* name) {
        const auto* l = d->findChild<QLabel*>(QLatin1String(name));
        return l ? l->text() : QStringLiteral("<missing>");
    };
    const auto* box = d->findChild<QPlainTextEdit*>(QStringLiteral("txtErinnerung"));
    Seen w{d->windowTitle(),
           label("lblDatum"),
           label("lblZeit"),
           box ? box->toPlainText() : QString(),
           {}};
    const auto* picture = d->findChild<QLabel*>(QStringLiteral("Picture1"));
    const std::pair<const char*, bool> traits[] = {
        {"on top", d->windowFlags().testFlag(Qt::WindowStaysOnTopHint)},
        {"modal", d->windowModality() == Qt::ApplicationModal},
        {"visible", d->isVisible()},
        {"parent", d->parentWidget() != nullptr},
        {"picture", picture && !picture->pixmap().isNull()}};
    for (const auto& [trait, holds] : traits)
        if (holds)
            w.traits << QLatin1String(trait);
    return w;
}

// Closes a reminder window with its "OK" button; true when it went away.
bool clickOk(QWidget* window) {
    QPointer<QWidget> w(window);
    auto* ok = window ? window->findChild<QPushButton*>(QStringLiteral("Command1")) : nullptr;
    if (!ok)
        return false;
    QTest::mouseClick(ok, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return w.isNull();
}

// The timer is driven by hand: a real tick would come at its own time.
void driveByHand(WindowHarness& h) {
    h.window().Timer1->stop();
    h.finishSplash();
}

std::array<int, 3> storedMarkers(WindowHarness& h, int nummer) {
    for (const Record& r : h.storedRecords())
        if (r.nummer == nummer)
            return r.marker;
    return {-1, -1, -1};
}

const QString annaToday = QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...\n\n");
const QString annaTomorrow = QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...\n\n");
using Markers = std::array<int, 3>;

} // namespace

class TestReminderCommands : public QObject {
    Q_OBJECT
private slots:
    void oneScanAfterStartThenOnePerDay() {
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                         makeRecord(2, QStringLiteral("Sommer Kind"), 1970, 7, 15)});
        h.window().Timer1->stop();
        // Before the end of the splash the timer does nothing.
        h.services.setToday(2025, 3, 6, 9, 0, 1);
        h.window().timer1Tick();
        QCOMPARE(h.window().Timer1->interval(), 1000);
        QCOMPARE(storedMarkers(h, 1), (Markers{0, 0, 0}));
        // The first tick after the splash: minute ticks from now on, and a scan at once.
        h.finishSplash();
        h.window().timer1Tick();
        QCOMPARE(h.window().Timer1->interval(), 60000);
        QCOMPARE(h.window().reminders().altertag(), 6);
        QCOMPARE(h.services.shownWindows.size(), 1);
        QCOMPARE(look(h.services.shownWindows[0]).text, annaTomorrow);
        QCOMPARE(storedMarkers(h, 1), (Markers{2025, 2025, 0}));
        QVERIFY(clickOk(h.services.shownWindows[0]));
        // The same day again: no scan.
        h.services.setToday(2025, 3, 6, 23, 59, 0);
        h.window().timer1Tick();
        QCOMPARE(h.services.shownWindows.size(), 1);
        // The next day scans once, at the same position number.
        h.services.setToday(2025, 3, 7, 0, 0, 30);
        QVERIFY(h.cursor().setAbsolutePosition(2));
        h.window().timer1Tick();
        h.window().timer1Tick();
        QCOMPARE(h.services.shownWindows.size(), 2);
        QCOMPARE(look(h.services.shownWindows[1]).text, annaToday);
        QCOMPARE(h.window().reminders().altertag(), 7);
        QCOMPARE(h.cursor().absolutePosition(), 2);
        QCOMPARE(storedMarkers(h, 1), (Markers{2025, 2025, 2025}));
        QCOMPARE(storedMarkers(h, 2), (Markers{0, 0, 0}));
        QCOMPARE(h.state().testengesperrt, 0);
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    }

    void windowShowsEveryLine_data() {
        QTest::addColumn<double>("display");
        QTest::addColumn<QString>("datum");
        QTest::addColumn<QString>("inFourDays");
        QTest::newRow("new display") << 0.0 << "2026-1-1"
                                     << "2026-1-5";
        QTest::newRow("old display") << 1.0 << "1.1.2026"
                                     << "5.1.2026";
    }
    void windowShowsEveryLine() {
        QFETCH(double, display);
        QFETCH(QString, datum);
        QFETCH(QString, inFourDays);
        Options options;
        options.optiondatumsanzeigehauptfenster = display;
        Record juergen = makeRecord(2, QStringLiteral("Jürgen Groß"), 1991, 1, 5);
        juergen.erinnerung = {QStringLiteral("1 Woche vorher"), QStringLiteral("Keine Erinnerung"),
                              QStringLiteral("Keine Erinnerung")};
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1981, 1, 2), juergen,
                         makeRecord(5, QStringLiteral("Sommer Kind"), 1970, 7, 15),
                         makeRecord(12, QStringLiteral(" "), 1996, 1, 1)},
                        options);
        driveByHand(h);
        h.window().show();
        h.services.setNow(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 5)));
        h.window().timer1Tick();
        QCOMPARE(h.services.shownWindows.size(), 1);
        const Seen w = look(h.services.shownWindows[0]);
        QVERIFY(clickOk(h.services.shownWindows[0]));
        QCOMPARE(w.datum, datum);
        QCOMPARE(w.zeit, QStringLiteral("0:0:5"));
        QCOMPARE(w.title, QStringLiteral("Geburtstags-Erinnerung"));
        // A window of its own: a hidden or minimised main window does not take it along.
        QCOMPARE(w.traits, (QStringList{"on top", "modal", "visible", "picture"}));
        const QStringList lines{
            QStringLiteral("Ein eingegebenes Geburtstags-Kind ohne Namen (Datensatz 12)  wird "
                           "heute 30 Jahre alt ..."),
            QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ..."),
            QStringLiteral("Jürgen Groß wird am %1 35 Jahre alt ...").arg(inFourDays)};
        // The box shows each line followed by an empty one.
        QCOMPARE(w.text, lines.join(QStringLiteral("\n\n")) + QStringLiteral("\n\n"));
    }

    // Every scan leaves the table in month order at the same position number.
    void scanLeavesMonthOrderAndPosition_data() {
        QTest::addColumn<int>("today"); // day of March 2025
        QTest::addColumn<bool>("window");
        QTest::newRow("nothing due") << 20 << false;
        QTest::newRow("one due") << 7 << true;
    }
    void scanLeavesMonthOrderAndPosition() {
        QFETCH(int, today);
        QFETCH(bool, window);
        WindowHarness h({makeRecord(1, QStringLiteral("Dezember"), 1950, 12, 1),
                         makeRecord(2, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                         makeRecord(3, QStringLiteral("Januar"), 1960, 1, 20),
                         makeRecord(4, QStringLiteral("Juli"), 1970, 7, 15),
                         makeRecord(5, QStringLiteral("Januar früh"), 1961, 1, 2)});
        driveByHand(h);
        h.clickRow(1);
        h.services.setToday(2025, 3, today);
        h.window().timer1Tick();
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
        QCOMPARE(h.services.shownWindows.size(), window ? 1 : 0);
        QCOMPARE(h.window().gridCaption(), caption::byMonthAscending());
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{5, 3, 2, 4, 1}));
        const MainState& s = h.state();
        QCOMPARE((QList<int>{s.sortieren1, s.sortieren2, s.sortieren3, s.sortieren4, s.sortieren5}),
                 (QList<int>{0, 0, 0, 1, 0}));
        QCOMPARE(h.cursor().absolutePosition(), 2);
        QCOMPARE(h.window().DataGrid1->currentIndex().row(), 1);
        QCOMPARE(h.window().txtName->text(), QStringLiteral("Januar"));
        QCOMPARE(s.testengesperrt, 0);
    }

    // While a list is loaded the order is its own: held scans wait and run once at release.
    void heldScanRunsOnceAtRelease() {
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                         makeRecord(2, QStringLiteral("Jänner"), 1980, 1, 9)});
        driveByHand(h);
        ReminderCore& commands = h.window().reminders();
        h.services.setToday(2025, 2, 20);
        h.window().timer1Tick(); // the first scan: nothing due
        commands.hold();
        commands.hold();
        h.window().sortCommands().cmdSortierennachnummer_Click();
        h.services.setToday(2025, 3, 7, 0, 0, 30);
        h.window().timer1Tick();
        h.window().timer1Tick();
        commands.release(); // one hold is left
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
        QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));
        QCOMPARE(storedMarkers(h, 1), (Markers{0, 0, 0}));

        commands.release();
        QCOMPARE(h.services.shownWindows.size(), 1);
        QCOMPARE(look(h.services.shownWindows[0]).text, annaToday);
        QCOMPARE(h.cursor().sort(), QStringLiteral("Monat ASC,Tag ASC"));
        QCOMPARE(storedMarkers(h, 1), (Markers{2025, 2025, 2025}));
        // It ran once: neither a later tick nor a stray release scans again.
        commands.release();
        h.window().sortCommands().cmdSortierennachnummer_Click();
        h.window().timer1Tick();
        QCOMPARE(h.services.shownWindows.size(), 1);
        QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    }

    void hiddenWindowStillReminds() {
        // Started with "/auto": the main window is never shown; the real timer does the work.
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7)}, Options(),
                        true);
        h.services.setToday(2025, 3, 6);
        h.window().splashFinished();
        QTRY_COMPARE_WITH_TIMEOUT(h.services.shownWindows.size(), 1, 5000);
        QVERIFY(h.window().Timer1->isActive());
        QVERIFY(!h.window().isVisible());
        const Seen w = look(h.services.shownWindows[0]);
        QCOMPARE(w.text, annaTomorrow);
        QCOMPARE(w.traits, (QStringList{"on top", "modal", "visible", "picture"}));
        QVERIFY(clickOk(h.services.shownWindows[0]));
        QCOMPARE(storedMarkers(h, 1), (Markers{2025, 2025, 0}));
    }

    // A reminder counts as seen when the user answers it: ended without the answer, the
    // program shows the same lines at its next start, until they are answered.
    void reminderComesBackUntilAnswered() {
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7)});
        driveByHand(h);
        h.services.setToday(2025, 3, 6, 8, 15, 0);
        h.window().timer1Tick();
        QCOMPARE(h.services.shownWindows.size(), 1);
        // Every start the same day: the 6th's window at its time, then the 7th's, answered
        // one by one (OK, Escape once the keys are taken).
        const QStringList seen[] = {{annaTomorrow, annaToday}, {annaToday}, {}};
        for (const QStringList& expected : seen) {
            h.restart();
            driveByHand(h);
            h.services.setToday(2025, 3, 7, 9, 0, 0);
            h.window().timer1Tick();
            const QList<QPointer<QWidget>> shown = h.services.shownWindows;
            QStringList texts;
            for (QWidget* w : shown)
                texts << look(w).text;
            QCOMPARE(texts, expected);
            if (expected.size() == 2) {
                QCOMPARE(look(shown[0]).zeit, QStringLiteral("8:15:0"));
                QVERIFY(clickOk(shown[0]));
            } else if (!expected.isEmpty()) {
                auto* reminder = qobject_cast<FrmMeldung*>(shown[0].data());
                QTRY_VERIFY(!reminder->keysHeldBack());
                QTest::keyClick(reminder, Qt::Key_Escape);
            }
        }
    }

    // Records imported with a birthday today are reminded today; the grid stays as the
    // import left it.
    void importedBirthdayIsRemindedToday() {
        WindowHarness h({makeRecord(1, QStringLiteral("Sommer Kind"), 1970, 7, 15)});
        driveByHand(h);
        h.window().timer1Tick();
        const QString file = h.dataDir.file(QStringLiteral("kontakte.vcf"));
        QVERIFY(writeFileBytes(file, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Beispiel\r\n"
                                     "BDAY:1980-03-07\r\nEND:VCARD\r\n"));
        h.services.answerOpen(file);
        h.services.answerDialog([](QDialog&) { return int(QDialog::Accepted); });
        h.services.answerMessage(answer::ok);
        h.window().mnuDateikontakteimportieren->trigger();
        QCOMPARE(h.services.shownWindows.size(), 1);
        QCOMPARE(look(h.services.shownWindows[0]).text, annaToday);
        QCOMPARE(storedMarkers(h, 2), (Markers{2025, 2025, 2025}));
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{1, 2}));
        QCOMPARE(h.cursor().absolutePosition(), 2);
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    }
};

QTEST_MAIN(TestReminderCommands)
#include "test_remindercommands.moc"
