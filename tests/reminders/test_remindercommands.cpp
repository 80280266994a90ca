#include "app/frmmain.h"
#include "reminder/frmmeldung.h"
#include "reminder/remindercore.h"
#include "support/windowharness.h"
#include "table/sortcommands.h"

#include <QtTest>
#include <QtWidgets>

using namespace natalix;
using namespace natalix::test;

namespace {

FrmMeldung* meldung(QWidget* window) {
    return qobject_cast<FrmMeldung*>(window);
}

// Closes a reminder window with its "OK" button; true when it went away.
bool clickOk(QWidget* window) {
    QPointer<QWidget> w(window);
    QTest::mouseClick(meldung(window)->Command1, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return w.isNull();
}

// The timer is driven by hand: a real tick would come at its own time.
void driveByHand(WindowHarness& h) {
    h.window().Timer1->stop();
    h.finishSplash();
}

QStringList shownTexts(WindowHarness& h) {
    QStringList texts;
    for (QWidget* w : h.services.shownWindows)
        texts << (meldung(w) ? meldung(w)->txtErinnerung->toPlainText() : QStringLiteral("<gone>"));
    return texts;
}

const QString annaToday = QStringLiteral("Anna Beispiel wird heute 45 Jahre alt ...\n\n");
const QString annaTomorrow = QStringLiteral("Anna Beispiel wird morgen 45 Jahre alt ...\n\n");
Record anna() {
    return makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7);
}

} // namespace

class TestReminderCommands : public QObject {
    Q_OBJECT
private slots:
    // The timer waits for the end of the splash, then scans at once and once a day. A
    // reminder counts as seen when the user answers it: ended without the answer, the
    // program shows the same lines at its next start, until they are answered.
    void oneScanADayAndBackUntilAnswered() {
        WindowHarness h({anna()});
        h.window().Timer1->stop();
        h.services.setToday(2025, 3, 6, 8, 15, 0);
        h.window().timer1Tick();
        QVERIFY(h.window().Timer1->interval() == 1000 && h.services.shownWindows.isEmpty());
        h.finishSplash();
        h.window().timer1Tick();
        QCOMPARE(h.window().Timer1->interval(), 60000);
        QCOMPARE(shownTexts(h), QStringList{annaTomorrow});
        h.services.setToday(2025, 3, 6, 23, 59, 0);
        h.window().timer1Tick();
        h.services.setToday(2025, 3, 7, 0, 0, 30);
        h.window().timer1Tick();
        h.window().timer1Tick();
        QCOMPARE(shownTexts(h), QStringList({annaTomorrow, annaToday}));
        // Ended from the menu: quitting closes the open windows, which is no answer.
        h.window().mnuErinnerungsmodulbeenden->trigger();
        QApplication::closeAllWindows();
        // The next start the same day: both windows, the 6th's at its time; answered, they
        // stay away.
        for (const QStringList& expected : {QStringList{annaTomorrow, annaToday}, QStringList()}) {
            h.restart();
            driveByHand(h);
            h.services.setToday(2025, 3, 7, 9, 0, 0);
            h.window().timer1Tick();
            const QList<QPointer<QWidget>> shown = h.services.shownWindows;
            QCOMPARE(shownTexts(h), expected);
            if (!shown.isEmpty())
                QCOMPARE(meldung(shown[0])->lblZeit->text(), QStringLiteral("8:15:0"));
            for (QWidget* w : shown)
                QVERIFY(clickOk(w));
        }
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    }

    // The window shows every line, its date in the window's display, and the scan leaves the
    // table in month order at the same position number.
    void windowShowsEveryLine() {
        Options options;
        options.optiondatumsanzeigehauptfenster = 0;
        WindowHarness h({makeRecord(1, QStringLiteral("Anna Beispiel"), 1981, 1, 2),
                         makeRecord(2, QStringLiteral("Jürgen Groß"), 1991, 1, 15),
                         makeRecord(5, QStringLiteral("Sommer Kind"), 1970, 7, 15),
                         makeRecord(12, QStringLiteral("Zwölf"), 1996, 1, 1)},
                        options);
        driveByHand(h);
        h.window().show();
        h.clickRow(3);
        h.services.setNow(QDateTime(QDate(2026, 1, 1), QTime(0, 0, 5)));
        // While a command loads a list, the order is its own: the scan waits for the last
        // release.
        ReminderCore& core = h.window().reminders();
        core.hold();
        core.hold();
        h.window().timer1Tick();
        core.release();
        QCOMPARE(h.services.shownWindows.size(), 0);
        QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));
        core.release();
        QCOMPARE(h.services.shownWindows.size(), 1);
        FrmMeldung* m = meldung(h.services.shownWindows[0]);
        QCOMPARE(QStringList({m->windowTitle(), m->lblDatum->text(), m->lblZeit->text()}),
                 QStringList({"Geburtstags-Erinnerung", "2026-1-1", "0:0:5"}));
        QCOMPARE(m->txtErinnerung->toPlainText(),
                 QStringLiteral("Zwölf wird heute 30 Jahre alt ...\n\nAnna Beispiel wird "
                                "morgen 45 Jahre alt ...\n\n"));
        // A window of its own: a hidden main window does not take it out of sight.
        QVERIFY(m->windowFlags().testFlag(Qt::WindowStaysOnTopHint) && !m->parentWidget() &&
                m->windowModality() == Qt::ApplicationModal && !m->Picture1->pixmap().isNull());
        QVERIFY(clickOk(m));
        QCOMPARE(h.window().gridCaption(), caption::byMonthAscending());
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{12, 1, 2, 5}));
        QCOMPARE(h.cursor().absolutePosition(), 4);
        QCOMPARE(h.window().DataGrid1->currentIndex().row(), 3);
        QCOMPARE(h.window().txtName->text(), QStringLiteral("Sommer Kind"));
        // The scan set the month order: the next click on "Monat" turns it round.
        h.window().sortCommands().cmdSortierennachmonat_Click();
        QCOMPARE(h.window().gridCaption(), sortChoice(SortBy::Monat, true).caption);
        // Records imported with a birthday today are reminded at once; the grid stays as the
        // import left it.
        const QString file = h.dataDir.file(QStringLiteral("kontakte.vcf"));
        QVERIFY(writeFileBytes(file, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Neu Kind\r\n"
                                     "BDAY:1990-01-01\r\nEND:VCARD\r\n"));
        h.services.answerOpen(file);
        h.services.answerDialog([](QDialog&) { return int(QDialog::Accepted); });
        h.services.answerMessage(answer::ok);
        h.window().mnuDateikontakteimportieren->trigger();
        QCOMPARE(shownTexts(h),
                 QStringList({"<gone>", "Neu Kind wird heute 36 Jahre alt ...\n\n"}));
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{1, 2, 5, 12, 13}));
        QVERIFY2(h.services.allAnswered(), qPrintable(h.services.unexpected));
    }
};

QTEST_MAIN(TestReminderCommands)
#include "test_remindercommands.moc"
