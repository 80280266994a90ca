// Finding a record in the real main window: "Nächste Geburtstage..." (the rows, the range it
// keeps, the record a chosen row makes current) and "&Suchen..." (Ctrl+F).
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

// Today is 6 March 2025, a common year.
std::vector<Record> people() {
    return {makeRecord(1, "Anna Beispiel", 1980, 3, 7), makeRecord(2, "MÜLLER Hans", 1990, 3, 8),
            makeRecord(3, "Jörg Straße", 2000, 2, 29),  makeRecord(4, "Muller Eva", 0, 3, 20),
            makeRecord(5, "Mueller Max", 1975, 6, 30),  makeRecord(6, "Dora", 1960, 3, 6)};
}

FrmNaechste* upcoming(WindowHarness& h) {
    return h.window().findChild<UpcomingCommands*>()->frmNaechste();
}

// Opens (or raises) the window and picks the range, if one is given.
FrmNaechste* open(WindowHarness& h, int days = 0) {
    h.window().mnuExtrasnaechstegeburtstage->trigger();
    FrmNaechste* d = upcoming(h);
    if (const int i = d->cboZeitraum->findText(QStringLiteral("%1 Tage").arg(days)); i >= 0) {
        d->cboZeitraum->setCurrentIndex(i);
        emit d->cboZeitraum->activated(i);
    }
    return d;
}

// Each row as "Datum|Wann|Name|Alter", joined by " / ".
QString rows(const FrmNaechste& d) {
    QStringList out;
    for (int i = 0; i < d.lstGeburtstage->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = d.lstGeburtstage->topLevelItem(i);
        out << QStringList{item->text(0), item->text(1), item->text(2), item->text(3)}.join('|');
    }
    return out.join(QStringLiteral(" / "));
}

int rowOf(WindowHarness& h, int nummer) {
    for (int row = 0; row < h.cursor().recordCount(); ++row)
        if (h.cursor().rowAt(row).nummer == nummer)
            return row;
    return -1;
}

// Makes the record current and edits its name with blanks around, which the check removes.
void editName(WindowHarness& h, int nummer) {
    if (h.cursor().setAbsolutePosition(rowOf(h, nummer) + 1))
        h.window().setNameText(u"  "_qs + h.cursor().currentRecord().name + u"  "_qs);
}

} // namespace

class TestFindRecord : public QObject {
    Q_OBJECT
private slots:
    void upcomingRows_data() {
        QTest::addColumn<int>("days");
        QTest::addColumn<double>("dateDisplay");
        QTest::addColumn<QString>("expected");
        const QString week = "6.3.2025|heute|Dora|65 Jahre / 7.3.2025|morgen|Anna Beispiel|"
                             "45 Jahre / 8.3.2025|in 2 Tagen|MÜLLER Hans|35 Jahre";
        QTest::newRow("7, old display") << 7 << 1.0 << week;
        QTest::newRow("365, no year, 29.2. on 1.3.")
            << 365 << 1.0
            << week + " / 20.3.2025|in 14 Tagen|Muller Eva| / 30.6.2025|in 116 Tagen|Mueller "
                      "Max|50 Jahre / 1.3.2026|in 360 Tagen|Jörg Straße|26 Jahre";
        QTest::newRow("7, new display")
            << 7 << 0.0
            << "2025-3-6|heute|Dora|65 Jahre / 2025-3-7|morgen|Anna Beispiel|45 Jahre / "
               "2025-3-8|in 2 Tagen|MÜLLER Hans|35 Jahre";
    }
    void upcomingRows() {
        QFETCH(int, days);
        QFETCH(double, dateDisplay);
        QFETCH(QString, expected);
        Options options;
        options.optiondatumsanzeigehauptfenster = dateDisplay;
        WindowHarness h(people(), options);
        h.services.setToday(2025, 3, 6);
        const QByteArray ini = readFileBytes(h.dir.optionsPath());
        FrmNaechste* d = open(h);
        QCOMPARE(d->cboZeitraum->currentText(), QStringLiteral("30 Tage"));
        QCOMPARE(open(h, days), d); // one window: a second trigger raises it
        QCOMPARE(rows(*d), expected);
        // The range is kept in the settings store for the next time, never in natalix.ini.
        QCOMPARE(SettingsStore(h.dir).value(QStringLiteral("upcomingdays")), QString::number(days));
        QCOMPARE(readFileBytes(h.dir.optionsPath()), ini);
        d->close();
        QTRY_VERIFY(!upcoming(h));
        QCOMPARE(rows(*open(h)), expected);
        QCOMPARE(h.services.shownWindows.size(), 2);
    }

    // The list follows the table and the day, also while the day's scan has to wait.
    void upcomingFollowsTheListAndTheDay() {
        WindowHarness h(people());
        h.services.setToday(2025, 3, 6);
        FrmNaechste* d = open(h, 7);
        QVERIFY(
            !(d->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(d->cboZeitraum->accessibleName(), QStringLiteral("Zeitraum"));
        QCOMPARE(d->lstGeburtstage->accessibleName(), QStringLiteral("Nächste Geburtstage"));
        // The same list again keeps its rows: a click that activates the window finds its row.
        d->lstGeburtstage->topLevelItem(0)->setData(0, Qt::UserRole + 1, true);
        open(h);
        QVERIFY(d->lstGeburtstage->topLevelItem(0)->data(0, Qt::UserRole + 1).toBool());
        QVERIFY(h.cursor().setAbsolutePosition(2));
        h.window().setNameText(QStringLiteral("Hans"));
        QTRY_VERIFY(rows(*d).endsWith("8.3.2025|in 2 Tagen|Hans|35 Jahre"));
        h.finishSplash();
        h.window().reminders().hold();
        h.window().timer1Tick();
        h.services.setToday(2025, 7, 1);
        h.window().timer1Tick();
        QTRY_COMPARE(d->lblHinweis->text(),
                     QStringLiteral("Keine Geburtstage in den nächsten 7 Tagen."));
        QCOMPARE(rows(*d), QString());
    }

    // A row chosen becomes the current record once the record being edited is checked and
    // stored; one that cannot be stored is not left. A hidden main window comes back.
    void upcomingChoice_data() {
        QTest::addColumn<bool>("enter");
        QTest::addColumn<bool>("storable");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("double-click") << false << true << false;
        QTest::newRow("Enter") << true << true << false;
        QTest::newRow("cannot store") << false << false << false;
        QTest::newRow("main window hidden") << false << true << true;
    }
    void upcomingChoice() {
        QFETCH(bool, enter);
        QFETCH(bool, storable);
        QFETCH(bool, hidden);
        WindowHarness h(people());
        h.services.setToday(2025, 3, 6);
        FrmMain& w = h.window();
        w.setVisible(!hidden);
        w.cmdSortierennachnamen->click(); // the grid's order is not the list's
        QVERIFY(h.cursor().setAbsolutePosition(1));
        w.setNameText(QStringLiteral("  Anna  "));
        FrmNaechste* d = open(h, 7);
        QCOMPARE(d->parentWidget(), hidden ? nullptr : &w);
        QTreeWidget* list = d->lstGeburtstage;
        QCOMPARE(list->topLevelItem(2)->text(2), QStringLiteral("MÜLLER Hans"));
        std::optional<FileSizeLimit> full;
        if (!storable) {
            full.emplace(0);
            h.services.answerMessage(answer::ok); // the store's failure
        }
        list->setCurrentItem(list->topLevelItem(2));
        if (enter) {
            QTest::keyClick(list, Qt::Key_Return);
        } else {
            // Pressed and released, then the second press as a double-click.
            const QPoint at = list->visualItemRect(list->topLevelItem(2)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        }
        full.reset();
        QTRY_VERIFY(h.services.allAnswered());
        QCOMPARE(upcoming(h), d);
        QVERIFY(w.isVisible());
        QCOMPARE(h.cursor().currentRecord().nummer, storable ? 2 : 1);
        QCOMPARE(w.txtName->text(), storable ? "MÜLLER Hans" : "Anna");
        QCOMPARE(h.storedRecords().front().name, storable ? "Anna" : "Anna Beispiel");
    }

    // Names are folded as sorting folds them: case, ä = a, ö = o, ü = u, ß = ss.
    void search_data() {
        QTest::addColumn<bool>("byName"); // the grid ordered by name, else by number
        QTest::addColumn<int>("from");
        QTest::addColumn<std::optional<QString>>("text"); // none: cancelled
        QTest::addColumn<int>("found");                   // 0: none
        QTest::newRow("case and umlaut") << false << 1 << std::optional(u"müller"_qs) << 2;
        QTest::newRow("ü is u") << false << 2 << std::optional(u"müller"_qs) << 4;
        QTest::newRow("wraps; ü is not ue") << false << 4 << std::optional(u"müller"_qs) << 2;
        QTest::newRow("ß is ss, inside") << false << 1 << std::optional(u"RG STRASSE"_qs) << 3;
        QTest::newRow("the current one last") << false << 6 << std::optional(u"dora"_qs) << 6;
        QTest::newRow("the grid's order") << true << 1 << std::optional(u"mu"_qs) << 5;
        QTest::newRow("none") << false << 3 << std::optional(u"Zora"_qs) << 0;
        QTest::newRow("empty") << false << 3 << std::optional(QString()) << 3;
        QTest::newRow("cancelled") << false << 3 << std::optional<QString>() << 3;
    }
    void search() {
        QFETCH(bool, byName);
        QFETCH(int, from);
        QFETCH(std::optional<QString>, text);
        QFETCH(int, found);
        WindowHarness h(people());
        FrmMain& w = h.window();
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        if (byName)
            w.cmdSortierennachnamen->click();
        editName(h, from);
        if (found == 0)
            h.services.answerMessage(answer::ok);
        h.services.answerInput(text);
        w.txtName->setFocus();
        QTest::keyClick(w.txtName, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(w.lblNummer->text(), QString::number(found == 0 ? from : found));
        // The record check runs before the search, and only when there is something to find;
        // a record left is stored as checked.
        const QString name = people()[from - 1].name;
        const bool searched = text && !text->isEmpty();
        QCOMPARE(h.cursor().rowAt(rowOf(h, from)).name, searched ? name : "  " + name + "  ");
        if (found != 0 && found != from)
            QCOMPARE(h.storedRecords()[from - 1].name, name);
        if (found == 0)
            QCOMPARE(h.services.messages.front().text, QStringLiteral("Kein Name enthält „Zora“."));
        h.services.answerInput(std::nullopt);
        w.mnuBearbeitensuchen->trigger();
        const InputRequest ask = h.services.inputRequests.back();
        QCOMPARE(ask.prompt, QStringLiteral("Gesuchter Name (oder ein Teil davon):"));
        QCOMPARE(ask.title, QStringLiteral("Suchen"));
        QCOMPARE(ask.text, searched ? *text : QString());
        QVERIFY(h.services.allAnswered());
    }
};

QTEST_MAIN(TestFindRecord)
#include "test_findrecord.moc"
