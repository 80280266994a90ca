// The main window's wiring: each control, key and menu item reaches its command, and the
// command leaves the table, the fields and the state as it should. The rules the commands
// apply (the record check, the sort orders) are tabled in the core tests.
#include "app/commandline.h"
#include "app/frmsplash.h"
#include "extras/frmnaechste.h"
#include "extras/upcomingcommands.h"
#include "reminder/remindercore.h"
#include "support/processes.h"
#include "support/windowharness.h"
#include "table/gridselection.h"

#include <QtTest>
#include <QtWidgets>

#include <sqlite3.h>

using namespace natalix;
using namespace natalix::test;

namespace {

const std::array<int, 3> kMarked{2024, 2024, 2024};
const std::array<int, 3> kCleared{0, 0, 0};

// Writing a record back clears its markers, so set ones show what a command left alone.
std::vector<Record> numbered(int count, int monat = 4) {
    std::vector<Record> records;
    for (int n = 1; n <= count; ++n) {
        records.push_back(makeRecord(n, u"Name %1"_qs.arg(n), 1960 + n, monat, n));
        records.back().erinnerung.fill(u"Keine Erinnerung"_qs);
        records.back().marker = kMarked;
    }
    return records;
}

std::vector<Record> fourRecords() {
    return {
        makeRecord(1, u"Anna Berg"_qs, 1980, 4, 15), makeRecord(2, u"Bernd Chor"_qs, 1975, 10, 2),
        makeRecord(3, u"Clara Dorn"_qs, 1990, 2, 28), makeRecord(4, u"Dieter Ems"_qs, 1965, 9, 9)};
}

// Today is 6 March 2025, a common year.
std::vector<Record> people() {
    return {makeRecord(1, "Anna Beispiel", 1980, 3, 7), makeRecord(2, "MÜLLER Hans", 1990, 3, 8),
            makeRecord(3, "Jörg Straße", 2000, 2, 29),  makeRecord(4, "Muller Eva", 0, 3, 20),
            makeRecord(5, "Mueller Max", 1975, 6, 30),  makeRecord(6, "Dora", 1960, 3, 6)};
}

// What the window shows and holds, in one line: the number, the name box, the records
// selected, the changed flag and the record check's lock.
QString windowState(WindowHarness& h) {
    FrmMain& w = h.window();
    return u"%1|%2|%3|%4|%5"_qs.arg(w.lblNummer->text(), w.txtName->text())
        .arg(w.selection().count())
        .arg(h.state().dateiwurdegeaendert)
        .arg(h.state().testengesperrt);
}

// The caption of the date boxes, then the boxes and their separators from left to right.
QString dateBoxes(FrmMain& w) {
    QList<QWidget*> parts{w.cboJahr, w.cboMonat, w.cboTag, w.lbl3, w.lbl4};
    std::sort(parts.begin(), parts.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    QStringList out{w.lblJahrmonattag->text()};
    for (QWidget* p : parts)
        out << (p == w.lbl3 || p == w.lbl4 ? static_cast<QLabel*>(p)->text() : p->objectName());
    return out.join(u' ');
}

auto asTuple(const MessageRequest& m) {
    return std::tuple(m.text, m.title, m.buttons, m.icon, m.defaultButton, m.onTop);
}

// Types key by key, also characters beyond ASCII, as a keyboard layout sends them.
void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(c.toUpper().unicode()), QString(c),
                            Qt::NoModifier);
}

QComboBox* combo(QDialog& d, const char* name) {
    return d.findChild<QComboBox*>(QString::fromLatin1(name));
}

void click(QDialog& d, const char* name) {
    QTest::mouseClick(d.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
}

FrmNaechste* upcoming(WindowHarness& h) {
    return h.window().findChild<UpcomingCommands*>()->frmNaechste();
}

// Opens (or raises) "Nächste Geburtstage" and picks the range, if one is given.
FrmNaechste* openUpcoming(WindowHarness& h, int days = 0) {
    h.window().mnuExtrasnaechstegeburtstage->trigger();
    FrmNaechste* d = upcoming(h);
    if (const int i = d->cboZeitraum->findText(u"%1 Tage"_qs.arg(days)); i >= 0) {
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
    return out.join(u" / "_qs);
}

struct NameCase {
    QString name;
    int key; // 0: type the text; -1: commit it through an input method
    QString text, expected;
    bool accepted;
};

struct ClipCase {
    QString field, before;
    int start, length; // length 0: only the cursor at start
    QString keys;
    std::optional<QString> clipBefore;
    QString after;
    std::optional<QString> clipAfter;
    int changed;
};

} // namespace

Q_DECLARE_METATYPE(std::vector<int>)
Q_DECLARE_METATYPE(NameCase)
Q_DECLARE_METATYPE(ClipCase)

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    // Every way out of a record runs the record check and stores what it gives: a five-digit
    // year is cut (not pulled to the bound, as leaving the box would), 31 April becomes 30.
    // While a command holds the check, it does nothing.
    void leavingARecordChecksIt_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("how"); // a field to press Enter in, or "click" on row 3
        QTest::addColumn<int>("next");
        QTest::newRow("grid click") << 0 << "click" << 3;
        QTest::newRow("Enter in the name") << 0 << "txtName" << 2;
        QTest::newRow("Enter on the last record stays") << 2 << "txtName" << 3;
        QTest::newRow("Enter in the day box") << 0 << "cboTag" << 2;
        QTest::newRow("Enter in the year box") << 0 << "cboJahr" << 2;
    }
    void leavingARecordChecksIt() {
        QFETCH(int, row);
        QFETCH(QString, how);
        QFETCH(int, next);
        WindowHarness h(numbered(3));
        FrmMain& w = h.shown();
        h.clickRow(row);
        w.txtName->setFocus(Qt::TabFocusReason);
        w.txtName->selectAll();
        QTest::keyClicks(w.txtName, u"  Dora  "_qs);
        auto* target = w.findChild<QWidget*>(how);
        if (target)
            target->setFocus(Qt::TabFocusReason);
        // Not typed: typing marks the change itself, and leaving a box would correct it.
        w.cboTag->lineEdit()->setText(u"31"_qs);
        w.cboJahr->lineEdit()->setText(u"19650"_qs);
        {
            LockRecordCheck lock(h.state()); // held by a command: the check does nothing
            w.datensatzpruefen();
            QCOMPARE(w.cboTag->currentText(), u"31"_qs);
        }
        if (target)
            QTest::keyClick(target, Qt::Key_Return);
        else
            h.clickRow(next - 1);
        std::vector<Record> want = numbered(3);
        std::tie(want[row].name, want[row].jahr, want[row].tag, want[row].marker) =
            std::tuple(u"Dora"_qs, 1965, 30, kCleared);
        QCOMPARE(h.storedRecords(), want);
        QCOMPARE(windowState(h), u"%1|%2|%3|1|0"_qs.arg(next)
                                     .arg(next == row + 1 ? u"Dora"_qs : want[next - 1].name)
                                     .arg(target ? 0 : 1));
    }

    // A date box corrects itself as the cursor leaves it, marks the list changed and clears
    // the record's reminders; an unknown year shows as an empty box.
    void leavingADateBox_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("fixed");
        QTest::newRow("month") << u"cboMonat"_qs << u"13"_qs << 12;
        QTest::newRow("day") << u"cboTag"_qs << u"0"_qs << 1;
        QTest::newRow("year") << u"cboJahr"_qs << QString() << 0;
    }
    void leavingADateBox() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, fixed);
        WindowHarness h(numbered(2, 2));
        FrmMain& w = h.shown();
        auto* b = w.findChild<QComboBox*>(box);
        const auto [code, field] = b == w.cboJahr    ? std::pair(4, Field::Jahr)
                                   : b == w.cboMonat ? std::pair(3, Field::Monat)
                                                     : std::pair(2, Field::Tag);
        b->setFocus(Qt::TabFocusReason);
        b->lineEdit()->selectAll();
        QTest::keyClick(b, Qt::Key_Backspace);
        typeText(b, typed);
        QCOMPARE(std::pair(h.state().aktuellesfeld, h.state().dateiwurdegeaendert),
                 std::pair(code, 0));
        w.cboErsteerinnerung->setFocus(Qt::TabFocusReason);
        const std::vector<Record> stored = h.storedRecords();
        QCOMPARE(std::tuple(b->currentText(), h.state().aktuellesfeld,
                            h.state().dateiwurdegeaendert,
                            h.cursor().currentRecord().wholeNumber(field), stored.at(0).marker,
                            stored.at(1).marker),
                 std::tuple(fixed == 0 ? QString() : QString::number(fixed), 0, 1, fixed, kCleared,
                            kMarked));
    }

    // The buttons toggle the direction of their own key, another key starts ascending; the
    // header's first five columns sort as the buttons do, the others not at all.
    void sortButtonsAndHeader() {
        WindowHarness h(fourRecords());
        FrmMain& w = h.shown();
        QHeaderView* header = w.DataGrid1->horizontalHeader();
        // A button clicked, or where there is none the header column.
        const std::tuple<QPushButton*, int, const char*, std::vector<int>> steps[] = {
            {w.cmdSortierennachnummer, 0, "Nr. - absteigend", {4, 3, 2, 1}},
            {w.cmdSortierennachnummer, 0, "Nr. - aufsteigend", {1, 2, 3, 4}},
            {w.cmdSortierennachnamen, 0, "Namen - aufsteigend", {1, 2, 3, 4}},
            {w.cmdSortierennachjahr, 0, "Jahr - aufsteigend", {4, 2, 1, 3}},
            {w.cmdSortierennachtag, 0, "Tag - aufsteigend", {2, 4, 1, 3}},
            {w.cmdSortierennachnummer, 0, "Nr. - aufsteigend", {1, 2, 3, 4}},
            {nullptr, 3, "Monat - aufsteigend", {3, 1, 4, 2}},
            {nullptr, 5, "Monat - aufsteigend", {3, 1, 4, 2}},
            {nullptr, 3, "Monat - absteigend", {2, 4, 1, 3}}};
        for (const auto& [button, column, caption, order] : steps) {
            const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
            if (button)
                QTest::mouseClick(button, Qt::LeftButton);
            else
                QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                                  QPoint(x, header->height() / 2));
            QCOMPARE(w.gridCaption(), u"Alle Datensätze - sortiert nach "_qs + caption);
            QCOMPARE(h.numbersInOrder(), order);
        }
    }

    // Each key reaches the control that has the focus, or the menu where no field claims it.
    // Steps are key sequences; "=" types the text after it. After them: the control with the
    // focus, then windowState() and the current record's year.
    void keysActWhereTheFocusIs_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("after");
        const auto row = [](const char* tag, const char* focus, const QStringList& steps,
                            const char* after) { QTest::newRow(tag) << focus << steps << after; };
        row("Ctrl+A in the name", "txtName", {"Ctrl+A", "=Bea"}, "txtName 1|Bea|0|1|0 1980");
        row("Ctrl+Z in the name", "txtName", {"Ctrl+A", "=Bea", "Ctrl+Z"},
            "txtName 1|Anna Berg|0|1|0 1980");
        row("Ctrl+A, year box", "cboJahr", {"Ctrl+A", "=1999"}, "cboJahr 1|Anna Berg|0|0|0 1999");
        row("Ctrl+A in the grid", "DataGrid1", {"Ctrl+A"}, "DataGrid1 1|Anna Berg|4|0|0 1980");
        row("Ctrl++ in the name", "txtName", {"Ctrl++"}, "txtName 5| |0|1|0 1900");
        row("Tab leaves the grid", "DataGrid1", {"Tab"}, "cmdAuswahlErster 1|Anna Berg|0|0|0 1980");
        row("Shift+Tab leaves the grid", "DataGrid1", {"Shift+Tab"},
            "cmdSortierennachtag 1|Anna Berg|0|0|0 1980");
        row("Alt+N", "DataGrid1", {"Alt+N"}, "txtName 1|Anna Berg|0|0|0 1980");
        row("Alt+Z", "txtName", {"Alt+Z"}, "cboErinnerungszyklus 1|Anna Berg|0|0|0 1980");
    }
    void keysActWhereTheFocusIs() {
        QFETCH(QString, focus);
        QFETCH(QStringList, steps);
        WindowHarness h(fourRecords());
        FrmMain& w = h.shown();
        w.findChild<QWidget*>(focus)->setFocus(Qt::TabFocusReason);
        for (const QString& step : steps) {
            QWidget* target = QApplication::focusWidget();
            if (step.startsWith(u'='))
                QTest::keyClicks(target, step.mid(1));
            else
                QTest::keySequence(target, QKeySequence(step));
        }
        QWidget* now = QApplication::focusWidget();
        // An editable combo box hands the focus to its text field.
        if (now && qobject_cast<QComboBox*>(now->parentWidget()))
            now = now->parentWidget();
        QCOMPARE(h.cursor().currentRecord().name, w.txtName->text());
        QTEST(u"%1 %2 %3"_qs.arg(now ? now->objectName() : QString(), windowState(h))
                  .arg(h.cursor().currentRecord().jahr),
              "after");
    }

    // The first start forgets the list and marks it changed, once; "/auto" starts hidden; the
    // splash shows the window at its third tick, with the cursor in the name.
    void startingUp() {
        Options o;
        o.programmwurdeerstmalsgestartet = 1;
        {
            WindowHarness first({}, o);
            QCOMPARE(std::tuple(first.state().dateiwurdegeaendert, first.state().dateinamemitpfad,
                                readOptionsFile(first.dir.optionsPath())
                                    .options.programmwurdeerstmalsgestartet),
                     std::tuple(1, QString(), 0));
        }
        // Only the program's own arguments count, not the value of --datadir.
        QCOMPARE(std::tuple(parseCommandLine({u"x/autostart"_qs}).autoStart,
                            parseCommandLine({u"/AUTO"_qs}).autoStart,
                            parseCommandLine({u"--datadir"_qs, u"/home/a/auto"_qs}).autoStart),
                 std::tuple(true, false, false));
        {
            WindowHarness autoStart({}, Options(), true);
            autoStart.window().splashFinished();
            QCOMPARE(std::pair(autoStart.window().isVisible(), autoStart.state().starten),
                     std::pair(false, 1));
        }
        WindowHarness h;
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
        QPointer<FrmSplash> splash(new FrmSplash(h.window()));
        splash->show();
        QCOMPARE(splash->lblVersion->text(), u"Version 1.2"_qs);
        for (const int starten : {0, 0, 1}) {
            splash->Timer1_Timer();
            QCOMPARE(std::pair(h.window().isVisible(), h.state().starten),
                     std::pair(starten == 1, starten));
        }
        // The clipboard commands know the cursor is in the name.
        QTRY_COMPARE(QApplication::focusWidget(), h.window().txtName);
        QCOMPARE(h.state().aktuellesfeld, 1);
        QTRY_VERIFY(splash.isNull());
    }

    // A second start ends at once and wakes the first, whose window comes back where it was
    // hidden, with the clipboard commands acting on the name.
    void secondProcessWakesTheFirst() {
        WindowHarness h;
        FrmMain& w = h.window();
        InstanceLock lock(h.dir);
        QVERIFY(lock.tryLock());
        // Before the splash phase has ended the poll does nothing.
        SettingsStore(h.dir).setValue(u"windowopen"_qs, u"1"_qs);
        w.Timer2_Timer();
        QVERIFY(!w.isVisible());
        h.finishSplash();
        h.shown().cboTag->setFocus(Qt::TabFocusReason);
        w.move(7, 9);
        const QPoint where = w.pos();
        w.hide();
        SettingsStore(h.dir).setValue(u"windowopen"_qs, QString());
        RunSetup other;
        other.home = h.dataDir.path();
        const RunResult second = runNatalix({u"--datadir"_qs, h.dir.path}, other);
        QVERIFY(second.finished && second.code == 0);
        // The running window's poll brings it up within about two seconds.
        QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 2500);
        QCOMPARE(std::tuple(SettingsStore(h.dir).value(u"windowopen"_qs),
                            bool(w.windowFlags() & Qt::WindowStaysOnTopHint), w.pos(),
                            h.state().aktuellesfeld),
                 std::tuple(QString(), false, where, 1));
        w.txtName->selectAll();
        w.mnuBearbeitenkopieren->trigger();
        QCOMPARE(h.services.clipboard(), std::optional<QString>(w.txtName->text()));
    }

    // A write the database refuses (here a trigger, as a full disk would) is reported, and
    // the user's edit stays on its record until it can be stored.
    void failedWriteIsReportedAndKeepsTheEdit() {
        WindowHarness h(fourRecords());
        FrmMain& w = h.shown();
        sqlite3* other = nullptr;
        QCOMPARE(sqlite3_open(h.dir.databasePath().toUtf8().constData(), &other), SQLITE_OK);
        const auto exec = [&](const char* sql) {
            QCOMPARE(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        };
        exec("CREATE TRIGGER voll BEFORE UPDATE ON Geburtstage BEGIN "
             "SELECT RAISE(ABORT, 'Datenträger voll'); END");
        w.txtName->selectAll();
        QTest::keyClicks(w.txtName, u"Anna Neu"_qs);
        h.services.answerMessage(answer::ok);
        h.clickRow(2);
        QTRY_COMPARE(h.services.messages.size(), 1);
        const QString& text = h.services.messages[0].text;
        QVERIFY(
            text.startsWith(u"Die Änderung konnte nicht in der Datenbank gespeichert werden."_qs) &&
            text.endsWith(u"( Datenträger voll )"_qs));
        QCOMPARE(std::tuple(w.lblNummer->text(), w.txtName->text()),
                 std::tuple(u"1"_qs, u"Anna Neu"_qs));
        QTRY_COMPARE(w.DataGrid1->currentIndex().row(), 0);
        QCOMPARE(h.storedRecords(), fourRecords());
        exec("DROP TRIGGER voll");
        sqlite3_close(other);
        h.clickRow(2);
        QCOMPARE(std::pair(h.cursor().absolutePosition(), h.storedRecords().at(0).name),
                 std::pair(3, u"Anna Neu"_qs));
        QVERIFY(h.services.allAnswered());
    }

    // A new record takes the highest number plus one; the grid goes back to the number order
    // with the new record current and the cursor in its name.
    void insertRecord() {
        std::vector<Record> records;
        for (int n : {3, 9, 4})
            records.push_back(makeRecord(n, u"Z%1"_qs.arg(n), 1970, 5, 5));
        WindowHarness h(records);
        FrmMain& w = h.shown();
        QTest::mouseClick(w.cmdSortierennachnamen, Qt::LeftButton);
        h.clickRow(0);
        QTest::mouseClick(w.cmdDatensatzeinfuegen, Qt::LeftButton);
        QVERIFY(h.services.messages.isEmpty());
        QCOMPARE(w.gridCaption(), u"Alle Datensätze - sortiert nach Nr. - aufsteigend"_qs);
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{3, 4, 9, 10}));
        QCOMPARE(h.cursor().absolutePosition(), 4);
        QCOMPARE(windowState(h), u"10| |0|1|0"_qs);
        QVERIFY(w.txtName->hasFocus());
        QCOMPARE(h.storedRecords().back(), makeRecord(10, u" "_qs, 1900, 1, 1));
    }

    void nameKeyFilter_data() {
        QTest::addColumn<NameCase>("c");
        const QString forty(40, u'x');
        const int bs = Qt::Key_Backspace;
        QTest::newRow("letter at 40") << NameCase{forty, 0, "y", forty, false};
        QTest::newRow("backspace on one letter") << NameCase{"A", bs, "", " ", true};
        QTest::newRow("input method")
            << NameCase{u"Zoë"_qs, -1, u" Łukasz€"_qs, u"Zoë Lukasz€"_qs, true};
    }
    void nameKeyFilter() {
        QFETCH(NameCase, c);
        std::vector<Record> records = numbered(1);
        records[0].name = c.name;
        WindowHarness h(records);
        FrmMain& w = h.shown();
        w.txtName->setFocus(Qt::TabFocusReason);
        w.txtName->end(false);
        if (c.key > 0) {
            QTest::keyClick(w.txtName, Qt::Key(c.key));
        } else if (c.key == 0) {
            typeText(w.txtName, c.text);
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(c.text);
            QCoreApplication::sendEvent(w.txtName, &commit);
        }
        QCOMPARE(std::tuple(w.txtName->text(), int(w.txtName->cursorPosition()),
                            h.cursor().currentRecord().name, h.state().dateiwurdegeaendert,
                            h.storedRecords().at(0).marker),
                 std::tuple(c.expected, int(c.expected.size()), c.expected, c.accepted ? 1 : 0,
                            c.accepted ? kCleared : kMarked));
    }

    // A reminder, the start or the cycle picked in the main window changes the list: the
    // way out saves it. Picking what is already there changes nothing.
    void reminderSettingsMarkTheListChanged_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("item");
        QTest::newRow("1. Erinnerung") << "cboErsteerinnerung" << 3;
        QTest::newRow("Ab dem") << "cboErinnerungsbeginn" << 17;
        QTest::newRow("Zyklus") << "cboErinnerungszyklus" << 4;
    }
    void reminderSettingsMarkTheListChanged() {
        QFETCH(QString, box);
        QFETCH(int, item);
        WindowHarness h(numbered(2));
        FrmMain& w = h.shown();
        const QString path = h.dataDir.file(u"liste.nxd"_qs);
        h.state().dateinamemitpfad = path;
        auto* b = w.findChild<QComboBox*>(box);
        b->setCurrentIndex(item);
        emit b->activated(item);
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
        w.mnuDateibeenden->trigger();
        QVERIFY(readFileBytes(path).contains(b->itemText(item).toLatin1() + "\r\n"));
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
        emit b->activated(item);
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
    }

    // Cut, copy, paste and delete act on the field with the focus; a reminder list takes
    // nothing, and the name that had the focus before does not either.
    void clipboardOnFocusedField_data() {
        QTest::addColumn<ClipCase>("c");
        const QString old = u"vorher"_qs;
        const auto row = [](const char* tag, const ClipCase& c) { QTest::newRow(tag) << c; };
        row("cut part", {"txtName", "Anna Berg", 5, 4, "Ctrl+X", old, "Anna ", "Berg", 1});
        row("cut all", {"txtName", "Anna", 0, 4, "Ctrl+X", old, " ", "Anna", 1});
        row("copy", {"txtName", "Anna Berg", 0, 4, "Ctrl+C", old, "Anna Berg", "Anna", 0});
        row("paste transliterated",
            {"txtName", "Zo", 2, 0, "Ctrl+V", u"ë Dvořák"_qs, u"Zoë Dvorák"_qs, u"ë Dvořák"_qs, 1});
        row("delete nothing selected", {"txtName", "Anna", 0, 0, "Del", old, "Anna", old, 1});
        row("delete the year", {"cboJahr", "1971", 0, 4, "Del", old, " ", old, 1});
        row("paste in a reminder list",
            {"cboErsteerinnerung", "Anna", 0, 4, "Ctrl+V", old, "Anna", old, 0});
    }
    void clipboardOnFocusedField() {
        QFETCH(ClipCase, c);
        Record r = makeRecord(1, u"Anna"_qs, 1971, 12, 1);
        r.name = c.field == u"txtName" ? c.before : r.name;
        WindowHarness h({r});
        FrmMain& w = h.shown();
        auto* target = w.findChild<QWidget*>(c.field);
        auto* box = qobject_cast<QComboBox*>(target);
        QLineEdit* edit = box && box->isEditable() ? box->lineEdit() : w.txtName;
        w.txtName->setFocus(Qt::TabFocusReason);
        target->setFocus(Qt::TabFocusReason);
        if (box && box->isEditable())
            edit->setText(c.before);
        edit->setSelection(c.start, c.length);
        h.state().dateiwurdegeaendert = 0;
        const QString reminder = w.cboErsteerinnerung->currentText();
        h.services.setClipboard(c.clipBefore);
        QTest::keySequence(target, QKeySequence(c.keys));
        QCOMPARE(edit->text(), c.after);
        QCOMPARE(h.services.clipboard(), c.clipAfter);
        QCOMPARE(h.state().dateiwurdegeaendert, c.changed);
        QCOMPARE(w.cboErsteerinnerung->currentText(), reminder);
        if (edit == w.txtName)
            QCOMPARE(h.cursor().currentRecord().name, c.after);
    }

    // Delete asks, then takes the selected records, or the current one; every record gone
    // leaves one new record, current in number order.
    void deletesSelection_data() {
        QTest::addColumn<std::vector<int>>("rows"); // clicked in this order; -1: unmark all
        QTest::addColumn<int>("reply");
        QTest::addColumn<std::vector<int>>("left");
        using V = std::vector<int>;
        QTest::newRow("rows 2 and 3 of four") << V{1, 2} << answer::yes << V{1, 4};
        QTest::newRow("the current one") << V{1, -1} << answer::yes << V{1, 3, 4};
        QTest::newRow("answer No") << V{1, 2} << answer::no << V{1, 2, 3, 4};
        QTest::newRow("all, sorted by year") << V{-2, 3, 0, 1, 2} << answer::yes << V{1};
    }
    void deletesSelection() {
        QFETCH(std::vector<int>, rows);
        QFETCH(int, reply);
        QFETCH(std::vector<int>, left);
        WindowHarness h(numbered(4));
        FrmMain& w = h.shown();
        int clicked = 0;
        for (int row : rows) {
            if (row == -2)
                QTest::mouseClick(w.cmdSortierennachjahr, Qt::LeftButton);
            else if (row < 0)
                w.mnuBearbeitenmarkierungenloeschen->trigger();
            else
                h.clickRow(row, clicked++ == 0 ? Qt::NoModifier : Qt::ControlModifier);
        }
        const bool all = rows.front() == -2, yes = reply == answer::yes;
        const qint64 lastSelected = h.cursor().bookmark();
        if (all) { // the current record is not the last one selected
            w.DataGrid1->setFocus();
            QTest::keyClick(w.DataGrid1, Qt::Key_Down, Qt::ControlModifier);
        }
        const Record current = yes ? numbered(4)[left.front() - 1] : h.cursor().currentRecord();
        h.services.answerMessage(reply);
        QTest::mouseClick(w.cmdDatensatzloeschen, Qt::LeftButton);
        QVERIFY(h.services.allAnswered());
        QCOMPARE(
            asTuple(h.services.messages.value(0)),
            asTuple({u"Sollen die ausgewählten Datensätze wirklich gelöscht werden?"_qs,
                     u"Datensätze löschen"_qs, Buttons::YesNo, Icon::Exclamation, answer::no}));
        std::vector<Record> survivors;
        for (int n : left)
            survivors.push_back(numbered(4)[n - 1]);
        if (all) {
            survivors = {makeRecord(1, u" "_qs, 1900, 1, 1)};
            QCOMPARE(std::pair(h.cursor().bookmark(), h.cursor().sort()),
                     std::pair(lastSelected, u"Nummer ASC"_qs));
        }
        QCOMPARE(h.storedRecords(), survivors);
        QCOMPARE(windowState(h), u"%1|%2|%3|%4|0"_qs.arg(current.nummer)
                                     .arg(all ? u" "_qs : current.name)
                                     .arg(yes ? 0 : clicked)
                                     .arg(yes ? 1 : 0));
    }

    // "Datensätze ändern...": asked, then written to the selected records only; the list
    // left untouched gives the option's preset. No, Enter in a list and Escape change nothing.
    void bulkChange_data() {
        QTest::addColumn<int>("key"); // 0: OK, answered Yes; 1: OK, answered No; else pressed
        QTest::newRow("OK, Yes") << 0;
        QTest::newRow("OK, No keeps the dialog open") << 1;
        QTest::newRow("Enter in a list") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }
    void bulkChange() {
        QFETCH(int, key);
        Options options;
        options.option1erinnerung = u"2 Monate vorher"_qs;
        WindowHarness h(numbered(4), options);
        FrmMain& w = h.shown();
        h.clickRow(0);
        h.clickRow(2, Qt::ControlModifier);
        w.DataGrid1->setFocus(); // the current record, the last, is not selected
        QTest::keyClick(w.DataGrid1, Qt::Key_Down, Qt::ControlModifier);
        if (key < 2)
            h.services.answerMessage(key == 0 ? answer::yes : answer::no);
        QStringList seen; // the presets, then the third list's text if the dialog stays open
        h.services.answerDialog([&](QDialog& d) {
            for (const char* name : {"cbo1Erinnerung", "cbo2Erinnerung", "cbo3Erinnerung",
                                     "cboErinnerungsbeginn", "cboErinnerungszyklus"})
                seen << combo(d, name)->currentText();
            combo(d, "cbo3Erinnerung")->setCurrentText(u"1 Monat vorher"_qs);
            combo(d, "cboErinnerungszyklus")->setCurrentText(u"alle 10 Jahre"_qs);
            combo(d, "cbo3Erinnerung")->setFocus();
            if (key < 2)
                click(d, "cmdOK");
            else
                QTest::keyClick(combo(d, "cbo3Erinnerung"), Qt::Key(key));
            if (d.isVisible()) {
                seen << combo(d, "cbo3Erinnerung")->currentText();
                click(d, "cmdCancel");
            }
            return d.result();
        });
        QTest::mouseClick(w.cmdDatensaetzeaendern, Qt::LeftButton);
        QVERIFY(h.services.allAnswered());
        QCOMPARE(seen.join(u'|'), u"2 Monate vorher|1 Tag vorher|Am Tage des Geburtstages|"
                                  "1. Geburtstag|jährlich"_qs +
                                      (key == 1 ? u"|1 Monat vorher"_qs : QString()));
        if (key < 2)
            QCOMPARE(asTuple(h.services.messages.first()),
                     asTuple({u"Sollen die selektierten Datensätze wirklich geändert werden?"_qs,
                              u"Mehrere Datensätze ändern"_qs, Buttons::YesNo, Icon::Exclamation,
                              answer::no}));
        std::vector<Record> want = numbered(4);
        for (int i : {0, 2})
            if (key == 0)
                std::tie(want[i].erinnerung, want[i].erinnerungsbeginn, want[i].erinnerungszyklus,
                         want[i].marker) =
                    std::tuple(
                        std::array{u"2 Monate vorher"_qs, u"1 Tag vorher"_qs, u"1 Monat vorher"_qs},
                        u"1. Geburtstag"_qs, u"alle 10 Jahre"_qs, kCleared);
        QCOMPARE(h.storedRecords(), want);
        QCOMPARE(windowState(h), u"4|Name 4|2|%1|0"_qs.arg(key == 0 ? 1 : 0));
    }

    // Apply writes the options at once and shows them (the date boxes in the new order, also
    // in tab order); what is changed after it and then cancelled does not count. New records
    // start with the applied presets. A failing write is reported; the options hold for this
    // run.
    void optionsApplyThenCancel() {
        WindowHarness h(numbered(1));
        FrmMain& w = h.shown();
        QCOMPARE(dateBoxes(w), u"&Tag . Monat . Jahr: cboTag . cboMonat . cboJahr"_qs);
        QString captionWhileOpen;
        QByteArray fileWhileOpen;
        h.services.answerDialog([&](QDialog& d) {
            d.findChild<QRadioButton*>(u"optOptionneueanzeigehauptfenster"_qs)->click();
            combo(d, "cboErinnerungszyklus")->setCurrentText(u"alle 5 Jahre"_qs);
            click(d, "cmdApply");
            captionWhileOpen = dateBoxes(w);
            fileWhileOpen = readFileBytes(h.dir.optionsPath());
            combo(d, "cbo1Erinnerung")->setCurrentText(u"Keine Erinnerung"_qs);
            d.findChild<QRadioButton*>(u"optOptionneueanzeigedrucken"_qs)->click();
            click(d, "cmdCancel");
            return d.result();
        });
        w.mnuExtrasoptionen->trigger();
        QVERIFY(h.services.allAnswered() && h.services.messages.isEmpty());
        QCOMPARE(captionWhileOpen, u"&Jahr - Monat - Tag: cboJahr - cboMonat - cboTag"_qs);
        h.shown().txtName->setFocus(); // active again after the dialog
        QStringList tabbed;
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* f = QApplication::focusWidget(); // or its text field
            tabbed << (qobject_cast<QComboBox*>(f) ? f : f->parentWidget())->objectName();
        }
        QCOMPARE(tabbed, (QStringList{"cboJahr", "cboMonat", "cboTag"}));
        w.state().options.optiondatumsanzeigehauptfenster = 0.5; // neither: nothing changes
        w.datumsanzeigeeinstellen();
        QCOMPARE(dateBoxes(w), captionWhileOpen);
        const QByteArray expected = "1 Woche vorher\r\n1 Tag vorher\r\nAm Tage des Geburtstages\r\n"
                                    "1. Geburtstag\r\nalle 5 Jahre\r\n 0 \r\n 1 \r\n 0 \r\n";
        QCOMPARE(fileWhileOpen + readFileBytes(h.dir.optionsPath()), expected + expected);
        QCOMPARE(h.state().options.optiondatumsanzeigedrucken, 1);
        QTest::mouseClick(w.cmdDatensatzeinfuegen, Qt::LeftButton);
        QCOMPARE(h.storedRecords().back().erinnerungszyklus, u"alle 5 Jahre"_qs);
        QVERIFY(QFile::remove(h.dir.optionsPath()) && QDir().mkdir(h.dir.optionsPath()));
        h.services.answerMessage(answer::ok);
        h.services.answerDialog([&](QDialog& d) {
            combo(d, "cbo2Erinnerung")->setCurrentText(u"4 Tage vorher"_qs);
            return click(d, "cmdOK"), d.result();
        });
        w.mnuExtrasoptionen->trigger();
        QVERIFY(h.services.allAnswered());
        QVERIFY(h.services.messages.value(0).text.startsWith(
            u"Die Optionen konnten nicht in der Datei"_qs));
        QCOMPARE(h.state().options.option2erinnerung, u"4 Tage vorher"_qs);
    }

    // The date is checked first: 29 February 1900 is told as the 28th.
    void weekday() {
        WindowHarness h({makeRecord(7, "Fritz", 1900, 2, 29)});
        h.services.answerMessage(answer::ok);
        h.window().mnuWochentagausgeben->trigger();
        QVERIFY(h.services.allAnswered());
        MessageRequest want{u"Fritz ist an einem Mittwoch geboren."_qs, u"Wochentag ausgeben"_qs,
                            Buttons::Ok, Icon::Information};
        want.onTop = true;
        QCOMPARE(asTuple(h.services.messages.value(0)), asTuple(want));
    }

    // "Nächste Geburtstage...": one window, its range kept in the settings store (never in
    // natalix.ini), the dates as the main window shows them; it follows the list and the day,
    // and a row chosen leads the main window to its record.
    void upcomingRows() {
        // The new date display, so that the option is seen to reach the window; the format's
        // rule is the core's.
        const QString expected = u"2025-3-6|heute|Dora|65 Jahre / 2025-3-7|morgen|Anna "
                                 "Beispiel|45 Jahre / 2025-3-8|in 2 Tagen|MÜLLER Hans|35 Jahre"_qs;
        Options options;
        options.optiondatumsanzeigehauptfenster = 0;
        WindowHarness h(people(), options);
        h.services.setToday(2025, 3, 6);
        const QByteArray ini = readFileBytes(h.dir.optionsPath());
        FrmNaechste* d = openUpcoming(h);
        QCOMPARE(d->cboZeitraum->currentText(), u"30 Tage"_qs);
        QCOMPARE(openUpcoming(h, 7), d); // a second trigger raises it
        QCOMPARE(rows(*d), expected);
        QCOMPARE(std::pair(SettingsStore(h.dir).value(u"upcomingdays"_qs),
                           readFileBytes(h.dir.optionsPath())),
                 std::pair(u"7"_qs, ini));
        d->close();
        QTRY_VERIFY(!upcoming(h));
        d = openUpcoming(h);
        QCOMPARE(std::pair(rows(*d), h.services.shownWindows.size()),
                 std::pair(expected, qsizetype(2)));
        // The same list again keeps its rows: a click that activates the window finds its row.
        d->lstGeburtstage->topLevelItem(0)->setData(0, Qt::UserRole + 1, true);
        openUpcoming(h);
        QVERIFY(d->lstGeburtstage->topLevelItem(0)->data(0, Qt::UserRole + 1).toBool());
        QVERIFY(h.cursor().setAbsolutePosition(2));
        h.window().setNameText(u"Hans"_qs);
        QTRY_VERIFY(rows(*d).contains(u"in 2 Tagen|Hans|35 Jahre"_qs));
        // Enter on a row makes it the current record once the record being edited is stored.
        d->lstGeburtstage->setCurrentItem(d->lstGeburtstage->topLevelItem(0));
        QTest::keyClick(d->lstGeburtstage, Qt::Key_Return);
        QCOMPARE(std::tuple(h.cursor().currentRecord().nummer, h.storedRecords().at(1).name),
                 std::tuple(6, u"Hans"_qs));
        // The day's scan waits for a command; the list moves on to the new day all the same.
        h.finishSplash();
        h.window().reminders().hold();
        h.window().timer1Tick();
        h.services.setToday(2025, 7, 1);
        h.window().timer1Tick();
        QTRY_COMPARE(d->lblHinweis->text(), u"Keine Geburtstage in den nächsten 7 Tagen."_qs);
        QCOMPARE(rows(*d), QString());
    }

    // "&Suchen..." (Ctrl+F) goes on from the current record in the grid's order, here by
    // name: from Anna "mu" finds Mueller Max (5), not MÜLLER Hans (2), the next by number.
    void search_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<std::optional<QString>>("text"); // none: cancelled
        QTest::addColumn<int>("found");                   // 0: none
        QTest::newRow("the grid's order") << 1 << std::optional(u"mu"_qs) << 5;
        QTest::newRow("none") << 3 << std::optional(u"Zora"_qs) << 0;
        QTest::newRow("empty") << 3 << std::optional(QString()) << 3;
        QTest::newRow("cancelled") << 3 << std::optional<QString>() << 3;
    }
    void search() {
        QFETCH(int, from);
        QFETCH(std::optional<QString>, text);
        QFETCH(int, found);
        WindowHarness h(people());
        FrmMain& w = h.shown();
        w.cmdSortierennachnamen->click(); // the grid's order is not the numbers'
        int row = 0;
        while (h.cursor().rowAt(row).nummer != from)
            ++row;
        // Blanks around the name, which the check removes.
        QVERIFY(h.cursor().setAbsolutePosition(row + 1));
        w.setNameText(u"  "_qs + h.cursor().currentRecord().name + u"  "_qs);
        if (found == 0)
            h.services.answerMessage(answer::ok);
        h.services.answerInput(text);
        w.txtName->setFocus();
        QTest::keyClick(w.txtName, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(w.lblNummer->text(), QString::number(found == 0 ? from : found));
        // The record check runs before the search, and only when there is something to find.
        const QString name = people()[from - 1].name;
        const bool searched = text && !text->isEmpty();
        QCOMPARE(h.cursor().rowAt(row).name, searched ? name : "  " + name + "  ");
        QCOMPARE(h.services.messages.value(0).text,
                 found == 0 ? u"Kein Name enthält „Zora“."_qs : QString());
        h.services.answerInput(std::nullopt);
        w.mnuBearbeitensuchen->trigger();
        const InputRequest ask = h.services.inputRequests.back();
        QCOMPARE(std::tuple(ask.prompt, ask.title, ask.text),
                 std::tuple(u"Gesuchter Name (oder ein Teil davon):"_qs, u"Suchen"_qs,
                            searched ? *text : QString()));
        QVERIFY(h.services.allAnswered());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
