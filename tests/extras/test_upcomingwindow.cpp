// "Nächste Geburtstage..." in the real main window: the rows it lists, the range it keeps,
// and the record a chosen row makes current.
#include "desktop/desktopsettings.h"
#include "extras/frmnaechste.h"
#include "extras/upcomingcommands.h"
#include "reminder/remindercore.h"
#include "support/windowharness.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

// Numbers 1, 2, ... in this order.
std::vector<Record> people() {
    return {makeRecord(1, "Anna Beispiel", 1980, 3, 7), makeRecord(2, "Bert", 1990, 3, 8),
            makeRecord(3, "Schalt", 2000, 2, 29),       makeRecord(4, "Ohne Jahr", 0, 3, 20),
            makeRecord(5, "Carla", 1975, 6, 30),        makeRecord(6, "Dora", 1960, 3, 6)};
}

UpcomingCommands& commands(WindowHarness& h) {
    return *h.window().findChild<UpcomingCommands*>(QStringLiteral("UpcomingCommands"));
}

FrmNaechste* open(WindowHarness& h) {
    h.window().mnuExtrasnaechstegeburtstage->trigger();
    return commands(h).frmNaechste();
}

// Each row as "Datum|Wann|Name|Alter", joined by " / ".
QString rows(const FrmNaechste& d) {
    QStringList out;
    for (int i = 0; i < d.lstGeburtstage->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = d.lstGeburtstage->topLevelItem(i);
        QStringList cells;
        for (int c = 0; c < d.lstGeburtstage->columnCount(); ++c)
            cells << item->text(c);
        out << cells.join(u'|');
    }
    return out.join(QStringLiteral(" / "));
}

void pickRange(FrmNaechste& d, int days) {
    const int index = d.cboZeitraum->findText(QStringLiteral("%1 Tage").arg(days));
    QVERIFY(index >= 0);
    d.cboZeitraum->setCurrentIndex(index);
    emit d.cboZeitraum->activated(index);
}

void doubleClickRow(FrmNaechste& d, int row) {
    QTreeWidget* list = d.lstGeburtstage;
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    // A real double-click: press and release, then the second press as a double-click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

} // namespace

class TestUpcomingWindow : public QObject {
    Q_OBJECT
private slots:
    void listsTheComingBirthdays_data() {
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("dateDisplay");
        QTest::addColumn<QString>("expected");
        // Today is 6 March 2025, a common year.
        const QString week = "6.3.2025|heute|Dora|65 Jahre / 7.3.2025|morgen|Anna Beispiel|"
                             "45 Jahre / 8.3.2025|in 2 Tagen|Bert|35 Jahre";
        QTest::newRow("7 Tage") << 7 << 1.0 << week;
        QTest::newRow("30 Tage") << 30 << 1.0 << week + " / 20.3.2025|in 14 Tagen|Ohne Jahr|";
        QTest::newRow("365 Tage, 29.2. on 1.3.")
            << 365 << 1.0
            << week + " / 20.3.2025|in 14 Tagen|Ohne Jahr| / 30.6.2025|in 116 Tagen|Carla|"
                      "50 Jahre / 1.3.2026|in 360 Tagen|Schalt|26 Jahre";
        QTest::newRow("new date display")
            << 7 << 0.0
            << "2025-3-6|heute|Dora|65 Jahre / 2025-3-7|morgen|Anna Beispiel|45 Jahre / "
               "2025-3-8|in 2 Tagen|Bert|35 Jahre";
    }
    void listsTheComingBirthdays() {
        QFETCH(int, days);
        QFETCH(double, dateDisplay);
        QFETCH(QString, expected);
        Options options;
        options.optiondatumsanzeigehauptfenster = dateDisplay;
        WindowHarness h(people(), options);
        h.services.setToday(2025, 3, 6);
        const QByteArray ini = readFileBytes(h.dir.optionsPath());
        FrmNaechste* d = open(h);
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QStringLiteral("Nächste Geburtstage"));
        QCOMPARE(d->cboZeitraum->currentText(), QStringLiteral("30 Tage"));
        pickRange(*d, days);
        QCOMPARE(rows(*d), expected);
        // The pick is kept in the settings store for the next time, never in natalix.ini.
        SettingsStore again(h.dir);
        QCOMPARE(again.value(QStringLiteral("upcomingdays")), QString::number(days));
        QCOMPARE(readFileBytes(h.dir.optionsPath()), ini);
        d->close();
        QTRY_VERIFY(!commands(h).frmNaechste());
        d = open(h);
        QCOMPARE(d->cboZeitraum->currentText(), QStringLiteral("%1 Tage").arg(days));
        QCOMPARE(rows(*d), expected);
        QVERIFY(h.services.allAnswered());
    }

    void oneWindowWithoutMinMaxButtons() {
        WindowHarness h(people());
        h.window().show();
        FrmNaechste* d = open(h);
        // A second trigger raises the same window; an unchanged list keeps its rows (a
        // click that activates the window must find its row there).
        d->lstGeburtstage->topLevelItem(0)->setData(0, Qt::UserRole + 1, true);
        QCOMPARE(open(h), d);
        QVERIFY(d->lstGeburtstage->topLevelItem(0)->data(0, Qt::UserRole + 1).toBool());
        QCOMPARE(h.services.shownWindows.size(), 1);
        QVERIFY(
            !(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(d->cboZeitraum->accessibleName(), QStringLiteral("Zeitraum"));
        QCOMPARE(d->lstGeburtstage->accessibleName(), QStringLiteral("Nächste Geburtstage"));
        QCOMPARE(d->parentWidget(), &h.window());
    }

    void followsTheListAndTheDay() {
        WindowHarness h(people());
        h.services.setToday(2025, 3, 6);
        FrmNaechste* d = open(h);
        pickRange(*d, 7);
        QVERIFY(rows(*d).startsWith("6.3.2025|heute|Dora|"));
        // A name typed in the main window is listed as typed.
        QVERIFY(h.cursor().setAbsolutePosition(2));
        h.window().setNameText(QStringLiteral("Berta"));
        QTRY_VERIFY(rows(*d).endsWith("8.3.2025|in 2 Tagen|Berta|35 Jahre"));
        // A new day: the list starts with it, also while the day's scan has to wait (as it
        // does behind a command's dialog).
        h.finishSplash();
        h.window().reminders().hold();
        h.window().timer1Tick();
        h.services.setToday(2025, 3, 7);
        h.window().timer1Tick();
        QTRY_VERIFY(rows(*d).startsWith("7.3.2025|heute|Anna Beispiel|45 Jahre"));
        // An emptied range says so.
        h.services.setToday(2025, 7, 1);
        h.window().timer1Tick();
        QTRY_COMPARE(d->lblHinweis->text(),
                     QStringLiteral("Keine Geburtstage in den nächsten 7 Tagen."));
        QCOMPARE(rows(*d), QString());
    }

    // A row chosen (double-click or Enter) becomes the current record, after the record
    // being edited has been checked and stored; one that cannot be stored is not left.
    void choosingARowMovesTheMainWindow_data() {
        QTest::addColumn<bool>("enter");
        QTest::addColumn<bool>("storable");
        QTest::newRow("double-click") << false << true;
        QTest::newRow("Enter") << true << true;
        QTest::newRow("cannot store") << false << false;
    }
    void choosingARowMovesTheMainWindow() {
        QFETCH(bool, enter);
        QFETCH(bool, storable);
        WindowHarness h(people());
        h.services.setToday(2025, 3, 6);
        FrmMain& w = h.window();
        w.show();
        // Ordered by name: the grid's order is not the list's.
        w.cmdSortierennachnamen->click();
        QVERIFY(h.cursor().setAbsolutePosition(1));
        QCOMPARE(h.cursor().currentRecord().nummer, 1);
        // Edited, not stored: blanks around the name and the 30th of February.
        w.setNameText(QStringLiteral("  Anna  "));
        w.setDateBoxText(w.cboMonat, QStringLiteral("2"));
        w.setDateBoxText(w.cboTag, QStringLiteral("30"));
        FrmNaechste* d = open(h);
        pickRange(*d, 7);
        QCOMPARE(d->lstGeburtstage->topLevelItem(1)->text(2), QStringLiteral("Bert"));
        std::optional<FileSizeLimit> full;
        if (!storable) {
            full.emplace(0);
            h.services.answerMessage(answer::ok); // the store's failure
        }
        if (enter) {
            d->lstGeburtstage->setCurrentItem(d->lstGeburtstage->topLevelItem(1));
            QTest::keyClick(d->lstGeburtstage, Qt::Key_Return);
        } else {
            doubleClickRow(*d, 1);
        }
        full.reset();
        QTRY_VERIFY(h.services.allAnswered());
        QVERIFY(commands(h).frmNaechste()); // Enter does not close it
        const Record stored = h.storedRecords().front();
        if (storable) {
            QCOMPARE(h.cursor().currentRecord().name, QStringLiteral("Bert"));
            QCOMPARE(w.txtName->text(), QStringLiteral("Bert"));
            QCOMPARE(stored.name, QStringLiteral("Anna"));
            QCOMPARE(std::pair(stored.monat, stored.tag), std::pair(2, 29)); // 1980 is a leap year
        } else {
            QCOMPARE(h.cursor().currentRecord().nummer, 1);
            QCOMPARE(stored.name, QStringLiteral("Anna Beispiel"));
        }
    }

    // From the tray while the main window is hidden: the window shows alone; a row chosen
    // brings the main window back on that record.
    void fromAHiddenMainWindow() {
        WindowHarness h(people());
        h.services.setToday(2025, 3, 6);
        FrmMain& w = h.window();
        QVERIFY(!w.isVisible());
        FrmNaechste* d = open(h);
        QVERIFY(d->isVisible());
        QVERIFY(!d->parentWidget());
        pickRange(*d, 7);
        doubleClickRow(*d, 2);
        QVERIFY(w.isVisible());
        QCOMPARE(h.cursor().currentRecord().name, QStringLiteral("Bert"));
        QCOMPARE(w.txtName->text(), QStringLiteral("Bert"));
        QVERIFY(h.services.allAnswered());
    }
};

QTEST_MAIN(TestUpcomingWindow)
#include "test_upcomingwindow.moc"
