// The editing commands of the main window and the dialogs "Datensätze ändern...",
// "&Optionen..." and "&Wochentag ausgeben".
#include "desktop/autostart.h"
#include "desktop/desktopsettings.h"
#include "support/windowharness.h"
#include "table/gridselection.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

const std::array<int, 3> kMarked{2024, 2024, 2024};
const std::array<int, 3> kCleared{0, 0, 0};

// Focus events only reach the fields of an active window.
FrmMain& shown(WindowHarness& h) {
    FrmMain& w = h.window();
    w.show();
    QApplication::setActiveWindow(&w);
    QTest::qVerify(QTest::qWaitForWindowActive(&w), "active", "", __FILE__, __LINE__);
    return w;
}

// Writing a record back clears its markers, so set ones show what a command left alone.
// The reminders differ from the presets of new records.
std::vector<Record> numbered(int count, int monat = 4) {
    std::vector<Record> records;
    for (int n = 1; n <= count; ++n) {
        records.push_back(makeRecord(n, u"Name %1"_qs.arg(n), 1960 + n, monat, n));
        records.back().erinnerung.fill(u"Keine Erinnerung"_qs);
        records.back().marker = kMarked;
    }
    return records;
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

// Ctrl+clicks the rows in this order, then makes the last row current without selecting it.
void selectThenGoToEnd(WindowHarness& h, std::initializer_list<int> rows) {
    for (int row : rows)
        h.clickRow(row, row == *rows.begin() ? Qt::NoModifier : Qt::ControlModifier);
    h.window().DataGrid1->setFocus();
    QTest::keyClick(h.window().DataGrid1, Qt::Key_Down, Qt::ControlModifier);
}

QComboBox* combo(QDialog& d, const char* name) {
    return d.findChild<QComboBox*>(QString::fromLatin1(name));
}

void click(QDialog& d, const char* name) {
    QTest::mouseClick(d.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
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
Q_DECLARE_METATYPE(natalix::Record)

class TestEditing : public QObject {
    Q_OBJECT
private slots:
    void insertTakesHighestNumberPlusOne_data() {
        QTest::addColumn<std::vector<int>>("numbers");
        QTest::addColumn<QString>("sortButton");
        QTest::addColumn<int>("expected");
        QTest::newRow("gaps") << std::vector<int>{1, 2, 7} << QString() << 8;
        QTest::newRow("name sort") << std::vector<int>{3, 9, 4} << "cmdSortierennachnamen" << 10;
    }

    void insertTakesHighestNumberPlusOne() {
        QFETCH(std::vector<int>, numbers);
        QFETCH(QString, sortButton);
        QFETCH(int, expected);
        std::vector<Record> records;
        for (int n : numbers)
            records.push_back(makeRecord(n, u"Z%1"_qs.arg(n), 1970, 5, 5));
        WindowHarness h(records);
        FrmMain& w = shown(h);
        if (!sortButton.isEmpty())
            QTest::mouseClick(w.findChild<QPushButton*>(sortButton), Qt::LeftButton);
        h.clickRow(0);

        QTest::mouseClick(w.cmdDatensatzeinfuegen, Qt::LeftButton);

        // Back in number order, the new record last and current.
        numbers.push_back(expected);
        std::sort(numbers.begin(), numbers.end());
        QCOMPARE(h.numbersInOrder(), numbers);
        QCOMPARE(w.gridCaption(), u"Alle Datensätze - sortiert nach Nr. - aufsteigend"_qs);
        QCOMPARE(h.cursor().absolutePosition(), 4);
        QCOMPARE(w.lblNummer->text(), QString::number(expected));
        QCOMPARE(w.txtName->text(), u" "_qs);
        QVERIFY(w.txtName->hasFocus());
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
        QCOMPARE(h.storedRecords().back(), makeRecord(expected, u" "_qs, 1900, 1, 1));
    }

    void insertStopsAt999_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("998 takes one more") << 998 << 999;
        QTest::newRow("999 is full") << 999 << 999;
    }

    void insertStopsAt999() {
        QFETCH(int, before);
        QFETCH(int, after);
        WindowHarness h(numbered(before));
        FrmMain& w = shown(h);
        QTest::mouseClick(w.cmdDatensatzeinfuegen, Qt::LeftButton);
        QCOMPARE(h.cursor().recordCount(), after);
        QCOMPARE(int(h.storedRecords().size()), after);
        QVERIFY(h.services.messages.isEmpty());
        QCOMPARE(h.state().testengesperrt, 0);
    }

    void leavingDateFieldCorrects_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("fixed");
        // In February 31 stays: fitting the day to the month is the record check's job.
        const std::tuple<const char*, const char*, int> rows[] = {
            {"cboJahr", "1965.8", 1965},
            {"cboJahr", "3000", 2099},
            {"cboJahr", "2050", 2050},
            {"cboJahr", "-5", 1880},
            {"cboJahr", "19 65", 1965},
            {"cboJahr", "5", 1880},
            {"cboJahr", "1879", 1880},
            {"cboJahr", "19650", 2099},
            // Left empty or unreadable: the year is unknown (0), and the box stays empty.
            {"cboJahr", "", 0},
            {"cboJahr", "abc", 0},
            {"cboJahr", "0", 0},
            {"cboMonat", "0", 1},
            {"cboMonat", "13", 12},
            {"cboMonat", "", 1},
            {"cboTag", "0", 1},
            {"cboTag", "45", 31},
            {"cboTag", "31", 31}};
        for (auto [box, typed, fixed] : rows)
            QTest::addRow("%s '%s'", box, typed) << QString(box) << QString(typed) << fixed;
    }

    void leavingDateFieldCorrects() {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, fixed);
        WindowHarness h(numbered(2, 2));
        FrmMain& w = shown(h);
        auto* combo = w.findChild<QComboBox*>(box);
        const auto [code, field] = combo == w.cboJahr    ? std::pair(4, Field::Jahr)
                                   : combo == w.cboMonat ? std::pair(3, Field::Monat)
                                                         : std::pair(2, Field::Tag);
        combo->setFocus(Qt::TabFocusReason);
        combo->lineEdit()->selectAll();
        QTest::keyClick(combo, Qt::Key_Backspace);
        typeText(combo, typed);
        QCOMPARE(h.state().aktuellesfeld, code);
        QCOMPARE(h.state().dateiwurdegeaendert, 0);

        w.cboErsteerinnerung->setFocus(Qt::TabFocusReason);

        QCOMPARE(combo->currentText(), fixed == 0 ? QString() : QString::number(fixed));
        QCOMPARE(h.state().aktuellesfeld, 0);
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
        QCOMPARE(h.cursor().currentRecord().wholeNumber(field), fixed);
        QCOMPARE(h.storedRecords().at(0).marker, kCleared);
        QCOMPARE(h.storedRecords().at(1).marker, kMarked);
    }

    void nameKeyFilter_data() {
        QTest::addColumn<NameCase>("c");
        const QString forty(40, u'x');
        const int bs = Qt::Key_Backspace;
        QTest::newRow("letter at 40") << NameCase{forty, 0, "y", forty, false};
        QTest::newRow("blank at 40") << NameCase{forty, 0, " ", forty, false};
        QTest::newRow("backspace at 40") << NameCase{forty, bs, "", QString(39, u'x'), true};
        QTest::newRow("blank on blank") << NameCase{" ", 0, " ", " ", false};
        QTest::newRow("blank after a name") << NameCase{"Anna", 0, " ", "Anna ", true};
        QTest::newRow("backspace on one letter") << NameCase{"A", bs, "", " ", true};
        QTest::newRow("umlaut and euro") << NameCase{"J", 0, u"ü€"_qs, u"Jü€"_qs, true};
        QTest::newRow("transliterated") << NameCase{"Y", 0, u"ılmaz Ω"_qs, "Yilmaz ?", true};
        QTest::newRow("input method")
            << NameCase{u"Zoë"_qs, -1, u" Łukasz€"_qs, u"Zoë Lukasz€"_qs, true};
    }

    void nameKeyFilter() {
        QFETCH(NameCase, c);
        std::vector<Record> records = numbered(1);
        records[0].name = c.name;
        WindowHarness h(records);
        FrmMain& w = shown(h);
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
        QCOMPARE(w.txtName->text(), c.expected);
        QCOMPARE(w.txtName->cursorPosition(), c.expected.size());
        QCOMPARE(h.cursor().currentRecord().name, c.expected);
        QCOMPARE(h.state().dateiwurdegeaendert, c.accepted ? 1 : 0);
        QCOMPARE(h.storedRecords().at(0).marker, c.accepted ? kCleared : kMarked);
    }

    void enterAcceptsRecord_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("field"); // where Enter is pressed
        QTest::addColumn<int>("next");
        QTest::newRow("name, first record") << 0 << "txtName" << 2;
        QTest::newRow("name, last record stays") << 2 << "txtName" << 3;
        QTest::newRow("day box") << 0 << "cboTag" << 2;
    }

    void enterAcceptsRecord() {
        QFETCH(int, row);
        QFETCH(QString, field);
        QFETCH(int, next);
        WindowHarness h(numbered(3));
        FrmMain& w = shown(h);
        h.clickRow(row);
        w.txtName->setFocus(Qt::TabFocusReason);
        w.txtName->selectAll();
        QTest::keyClicks(w.txtName, u"  Dora  "_qs);
        auto* target = w.findChild<QWidget*>(field);
        target->setFocus(Qt::TabFocusReason);
        // Not typed: only the record check can fit 31 to April.
        w.cboTag->lineEdit()->setText(u"31"_qs);

        QTest::keyClick(target, Qt::Key_Return);

        QCOMPARE(h.cursor().currentRecord().nummer, next);
        QCOMPARE(w.lblNummer->text(), QString::number(next));
        QVERIFY(w.txtName->hasFocus());
        QCOMPARE(w.selection().count(), 0);
        const std::vector<Record> stored = h.storedRecords();
        QCOMPARE(stored.at(row).name, u"Dora"_qs);
        QCOMPARE(stored.at(row).tag, 30);
        QCOMPARE(stored.at(row).marker, kCleared);
        QCOMPARE(stored.at(next - 1).marker, next == row + 1 ? kCleared : kMarked);
    }

    // Enter in the year box runs the record check first: a five-digit year is cut to four
    // digits, as the check cuts it, not pulled to the upper bound.
    void enterOnAFiveDigitYear() {
        WindowHarness h(numbered(2));
        FrmMain& w = shown(h);
        w.cboJahr->setFocus(Qt::TabFocusReason);
        w.cboJahr->lineEdit()->selectAll();
        typeText(w.cboJahr, u"19650"_qs);
        QTest::keyClick(w.cboJahr, Qt::Key_Return);
        QCOMPARE(h.storedRecords().at(0).jahr, 1965);
        QCOMPARE(h.cursor().currentRecord().nummer, 2);
    }

    // A reminder, the start or the cycle picked in the main window changes the list: the way
    // out saves it.
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
        FrmMain& w = shown(h);
        const QString path = h.dataDir.file(u"liste.nxd"_qs);
        h.state().dateinamemitpfad = path;
        auto* b = w.findChild<QComboBox*>(box);
        b->setCurrentIndex(item);
        emit b->activated(item);
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
        w.mnuDateibeenden->trigger();
        QVERIFY(readFileBytes(path).contains(b->itemText(item).toLatin1() + "\r\n"));
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
        // Picking what is already there changes nothing.
        emit b->activated(item);
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
    }

    void clipboardOnFocusedField_data() {
        QTest::addColumn<ClipCase>("c");
        const QString old = u"vorher"_qs, lines = u"Anna\r\nBerg"_qs, n35(35, u'n');
        const auto row = [](const char* tag, const ClipCase& c) { QTest::newRow(tag) << c; };
        row("cut part", {"txtName", "Anna Berg", 5, 4, "Ctrl+X", old, "Anna ", "Berg", 1});
        row("cut all", {"txtName", "Anna", 0, 4, "Ctrl+X", old, " ", "Anna", 1});
        row("cut nothing", {"txtName", "Anna", 2, 0, "Ctrl+X", old, "Anna", old, 0});
        row("copy", {"txtName", "Anna Berg", 0, 4, "Ctrl+C", old, "Anna Berg", "Anna", 0});
        row("paste two lines", {"txtName", "X", 1, 0, "Ctrl+V", lines, "XAnnaBerg", lines, 1});
        row("paste cut at 40",
            {"txtName", n35, 0, 0, "Ctrl+V", "123456789", "12345" + n35, "123456789", 1});
        row("paste transliterated",
            {"txtName", "Zo", 2, 0, "Ctrl+V", u"ë Dvořák"_qs, u"Zoë Dvorák"_qs, u"ë Dvořák"_qs, 1});
        row("paste nothing", {"txtName", "Anna", 4, 0, "Ctrl+V", {}, "Anna", {}, 0});
        row("delete selection", {"txtName", "Anna Berg", 4, 5, "Del", old, "Anna", old, 1});
        row("delete nothing selected", {"txtName", "Anna", 0, 0, "Del", old, "Anna", old, 1});
        row("delete the year", {"cboJahr", "1971", 0, 4, "Del", old, " ", old, 1});
    }

    void clipboardOnFocusedField() {
        QFETCH(ClipCase, c);
        Record r = makeRecord(1, u"Anna"_qs, 1971, 12, 1);
        if (c.field == u"txtName")
            r.name = c.before;
        WindowHarness h({r});
        FrmMain& w = shown(h);
        auto* target = w.findChild<QWidget*>(c.field);
        target->setFocus(Qt::TabFocusReason);
        auto* box = qobject_cast<QComboBox*>(target);
        QLineEdit* edit = box ? box->lineEdit() : w.txtName;
        if (box)
            edit->setText(c.before);
        edit->setSelection(c.start, c.length);
        h.services.setClipboard(c.clipBefore);

        QTest::keySequence(target, QKeySequence(c.keys));

        QCOMPARE(edit->text(), c.after);
        QCOMPARE(h.services.clipboard(), c.clipAfter);
        QCOMPARE(h.state().dateiwurdegeaendert, c.changed);
        if (!box)
            QCOMPARE(h.cursor().currentRecord().name, c.after);
    }

    void pasteInReminderListDoesNothing() {
        WindowHarness h(numbered(1));
        FrmMain& w = shown(h);
        // The name had the focus before: the paste must not go there either.
        w.txtName->setFocus(Qt::TabFocusReason);
        w.cboErsteerinnerung->setFocus(Qt::TabFocusReason);
        h.state().dateiwurdegeaendert = 0;
        h.services.setClipboard(u"Anna"_qs);
        const Record before = h.cursor().currentRecord();

        QTest::keyClick(w.cboErsteerinnerung, Qt::Key_V, Qt::ControlModifier);

        QCOMPARE(h.cursor().currentRecord(), before);
        QCOMPARE(w.txtName->text(), u"Name 1"_qs);
        QCOMPARE(w.cboErsteerinnerung->currentText(), u"Keine Erinnerung"_qs);
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
    }

    void deletesSelection_data() {
        QTest::addColumn<std::vector<int>>("rows"); // clicked in this order; -1: unmark all
        QTest::addColumn<int>("reply");
        QTest::addColumn<std::vector<int>>("left");
        QTest::newRow("rows 2 and 3 of four")
            << std::vector<int>{1, 2} << answer::yes << std::vector<int>{1, 4};
        QTest::newRow("the current one")
            << std::vector<int>{1, -1} << answer::yes << std::vector<int>{1, 3, 4};
        QTest::newRow("answer No")
            << std::vector<int>{1, 2} << answer::no << std::vector<int>{1, 2, 3, 4};
    }

    void deletesSelection() {
        QFETCH(std::vector<int>, rows);
        QFETCH(int, reply);
        QFETCH(std::vector<int>, left);
        WindowHarness h(numbered(4));
        FrmMain& w = shown(h);
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i] < 0)
                w.mnuBearbeitenmarkierungenloeschen->trigger();
            else
                h.clickRow(rows[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
        }
        const bool yes = reply == answer::yes;
        const int current = yes ? left.front() : h.cursor().currentRecord().nummer;
        h.services.answerMessage(reply);

        QTest::mouseClick(w.cmdDatensatzloeschen, Qt::LeftButton);

        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.services.messages.size(), 1);
        QCOMPARE(
            asTuple(h.services.messages.first()),
            asTuple({u"Sollen die ausgewählten Datensätze wirklich gelöscht werden?"_qs,
                     u"Datensätze löschen"_qs, Buttons::YesNo, Icon::Exclamation, answer::no}));
        QCOMPARE(h.numbersInOrder(), left);
        std::vector<Record> survivors;
        for (int n : left)
            survivors.push_back(numbered(4)[n - 1]);
        QCOMPARE(h.storedRecords(), survivors);
        QCOMPARE(h.state().dateiwurdegeaendert, yes ? 1 : 0);
        QCOMPARE(h.cursor().currentRecord().nummer, current);
        QCOMPARE(w.lblNummer->text(), QString::number(current));
        QCOMPARE(w.selection().count(), yes ? 0 : int(rows.size()));
    }

    void deletingEveryRecordKeepsTheLastSelected() {
        WindowHarness h(numbered(5));
        FrmMain& w = shown(h);
        QTest::mouseClick(w.cmdSortierennachjahr, Qt::LeftButton);
        const qint64 lastSelected = h.cursor().bookmarkAt(2);
        selectThenGoToEnd(h, {4, 0, 1, 3, 2});
        QCOMPARE(w.selection().count(), 5);
        h.services.answerMessage(answer::yes);

        QTest::mouseClick(w.cmdDatensatzloeschen, Qt::LeftButton);

        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.storedRecords(), std::vector{makeRecord(1, u" "_qs, 1900, 1, 1)});
        QCOMPARE(h.cursor().bookmark(), lastSelected);
        QCOMPARE(h.cursor().sort(), u"Nummer ASC"_qs);
        QCOMPARE(w.selection().count(), 0);
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
        QCOMPARE(w.cboJahr->currentText(), u"1900"_qs);
    }

    void bulkChangeWritesSelectedRecords() {
        WindowHarness h(numbered(4));
        FrmMain& w = shown(h);
        selectThenGoToEnd(h, {0, 1, 2});
        QCOMPARE(h.cursor().currentRecord().nummer, 4);
        h.services.answerMessage(answer::yes);
        h.services.answerDialog([](QDialog& d) {
            combo(d, "cbo1Erinnerung")->setCurrentText(u"3 Tage vorher"_qs);
            combo(d, "cbo3Erinnerung")->setCurrentText(u"1 Monat vorher"_qs);
            combo(d, "cboErinnerungsbeginn")->setCurrentText(u"18. Geburtstag"_qs);
            combo(d, "cboErinnerungszyklus")->setCurrentText(u"alle 10 Jahre"_qs);
            click(d, "cmdOK");
            return d.result();
        });

        QTest::mouseClick(w.cmdDatensaetzeaendern, Qt::LeftButton);

        QVERIFY(h.services.allAnswered());
        QCOMPARE(asTuple(h.services.messages.first()),
                 asTuple({u"Sollen die selektierten Datensätze wirklich geändert werden?"_qs,
                          u"Mehrere Datensätze ändern"_qs, Buttons::YesNo, Icon::Exclamation,
                          answer::no}));
        std::vector<Record> want = numbered(4);
        for (int i = 0; i < 3; ++i) {
            // The untouched second list gives the option's preset, not the record's value.
            want[i].erinnerung = {u"3 Tage vorher"_qs, u"1 Tag vorher"_qs, u"1 Monat vorher"_qs};
            want[i].erinnerungsbeginn = u"18. Geburtstag"_qs;
            want[i].erinnerungszyklus = u"alle 10 Jahre"_qs;
            want[i].marker = kCleared;
        }
        QCOMPARE(h.storedRecords(), want);
        QCOMPARE(h.cursor().currentRecord().nummer, 4);
        QCOMPARE(w.selection().count(), 3);
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
    }

    void bulkChangeWithoutChange_data() {
        QTest::addColumn<int>("key"); // pressed in a list; 0: OK clicked, the question answered No
        QTest::newRow("No keeps the dialog open") << 0;
        QTest::newRow("Enter in a list") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }

    void bulkChangeWithoutChange() {
        QFETCH(int, key);
        Options options;
        options.option1erinnerung = u"2 Monate vorher"_qs;
        options.optionzyklus = u"alle 3 Jahre"_qs;
        WindowHarness h(numbered(4), options);
        FrmMain& w = shown(h);
        h.clickRow(1);
        if (!key)
            h.services.answerMessage(answer::no);
        QStringList seen; // the presets, then the second list's text if the dialog stays open
        h.services.answerDialog([&](QDialog& d) {
            for (const char* name : {"cbo1Erinnerung", "cbo2Erinnerung", "cbo3Erinnerung",
                                     "cboErinnerungsbeginn", "cboErinnerungszyklus"})
                seen << combo(d, name)->currentText();
            QComboBox* second = combo(d, "cbo2Erinnerung");
            second->setCurrentText(u"5 Tage vorher"_qs);
            second->setFocus();
            if (key)
                QTest::keyClick(second, Qt::Key(key));
            else
                click(d, "cmdOK");
            if (d.isVisible()) {
                seen << second->currentText();
                click(d, "cmdCancel");
            }
            return d.result();
        });
        QTest::mouseClick(w.cmdDatensaetzeaendern, Qt::LeftButton);

        QVERIFY(h.services.allAnswered());
        QStringList expected{"2 Monate vorher", "1 Tag vorher", "Am Tage des Geburtstages",
                             "1. Geburtstag", "alle 3 Jahre"};
        if (!key)
            expected << u"5 Tage vorher"_qs;
        QCOMPARE(seen, expected);
        QCOMPARE(h.storedRecords(), numbered(4));
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
    }

    void optionsApplyThenCancel() {
        WindowHarness h(numbered(1));
        FrmMain& w = shown(h);
        const auto fileLines = [&h] {
            return readFileBytes(h.dir.optionsPath()).replace("\r\n", "\n").split('\n');
        };
        QString captionWhileOpen;
        QList<QByteArray> linesWhileOpen;
        h.services.answerDialog([&](QDialog& d) {
            d.findChild<QRadioButton*>(u"optOptionneueanzeigehauptfenster"_qs)->click();
            combo(d, "cboErinnerungszyklus")->setCurrentText(u"alle 5 Jahre"_qs);
            click(d, "cmdApply");
            captionWhileOpen = w.lblJahrmonattag->text();
            linesWhileOpen = fileLines();
            // Changed again, then cancelled: this does not count.
            combo(d, "cbo1Erinnerung")->setCurrentText(u"Keine Erinnerung"_qs);
            d.findChild<QRadioButton*>(u"optOptionneueanzeigedrucken"_qs)->click();
            click(d, "cmdCancel");
            return d.result();
        });
        w.mnuExtrasoptionen->trigger();

        QVERIFY(h.services.allAnswered());
        QVERIFY(h.services.messages.isEmpty());
        QCOMPARE(captionWhileOpen, u"&Jahr - Monat - Tag:"_qs);
        QVERIFY(w.cboJahr->x() < w.cboMonat->x() && w.cboMonat->x() < w.cboTag->x());
        const QList<QByteArray> expected{"1 Woche vorher",
                                         "1 Tag vorher",
                                         "Am Tage des Geburtstages",
                                         "1. Geburtstag",
                                         "alle 5 Jahre",
                                         " 0 ",
                                         " 1 ",
                                         " 0 ",
                                         ""};
        QCOMPARE(linesWhileOpen, expected);
        QCOMPARE(fileLines(), expected);
        QCOMPARE(h.state().options.optiondatumsanzeigedrucken, 1);
        QCOMPARE(h.state().options.option1erinnerung, u"1 Woche vorher"_qs);
        // New records start with the applied defaults.
        QTest::mouseClick(w.cmdDatensatzeinfuegen, Qt::LeftButton);
        QCOMPARE(h.storedRecords().back().erinnerungszyklus, u"alle 5 Jahre"_qs);
    }

    void optionsWriteFailureIsReported() {
        WindowHarness h(numbered(1));
        // A folder where the file should be: the write cannot succeed.
        QVERIFY(QFile::remove(h.dir.optionsPath()));
        QVERIFY(QDir().mkdir(h.dir.optionsPath()));
        h.services.answerMessage(answer::ok);
        h.services.answerDialog([&](QDialog& d) {
            combo(d, "cbo2Erinnerung")->setCurrentText(u"4 Tage vorher"_qs);
            click(d, "cmdOK");
            return d.result();
        });
        h.window().mnuExtrasoptionen->trigger();

        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.services.messages.size(), 1);
        const MessageRequest& m = h.services.messages.first();
        QVERIFY2(m.text.startsWith(u"Die Optionen konnten nicht in der Datei"_qs),
                 qPrintable(m.text));
        QCOMPARE(m.icon, Icon::Exclamation);
        QCOMPARE(h.state().options.option2erinnerung, u"4 Tage vorher"_qs);
    }

    // The desktop switches go to the desktop and the settings store, never to the options file.
    void optionsDesktopSwitches() {
        QTemporaryDir config;
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        const auto restore = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", oldConfig); });
        WindowHarness h(numbered(1));
        // The entry of the window's own data folder, which it starts.
        const Autostart own(QCoreApplication::applicationFilePath(), h.dir.path);
        const QString entry = own.entryPath();
        const QByteArray optionsBefore = readFileBytes(h.dir.optionsPath());
        // Both boxes show the state as it is, then the user turns both.
        const auto flip = [&h](bool autostartWas, bool notifyWas) {
            bool shown = false;
            h.services.answerDialog([&](QDialog& d) {
                auto* autostart = d.findChild<QCheckBox*>(u"chkAutostart"_qs);
                auto* notify = d.findChild<QCheckBox*>(u"chkBenachrichtigungen"_qs);
                shown = autostart->isChecked() == autostartWas && notify->isChecked() == notifyWas;
                autostart->click();
                notify->click();
                click(d, "cmdOK");
                return d.result();
            });
            h.window().mnuExtrasoptionen->trigger();
            return shown;
        };
        QVERIFY(flip(false, true));
        const QByteArray written = readFileBytes(entry);
        const QByteArray exec =
            "\nExec=\"" + QFile::encodeName(QCoreApplication::applicationFilePath()) +
            "\" --datadir " + Autostart::execArgument(h.dir.path).toUtf8() + " /auto\n";
        QVERIFY2(written.contains(exec), written);
        QCOMPARE(h.window().settings().value(QLatin1String(desktopsetting::notifications)),
                 u"0"_qs);
        QVERIFY(flip(true, false));
        QVERIFY(!QFileInfo::exists(entry));
        QCOMPARE(h.window().settings().value(QLatin1String(desktopsetting::notifications)),
                 u"1"_qs);
        // A file where the folder belongs: the reason, and the box shows what is true.
        QVERIFY(QDir(config.path() + u"/autostart"_qs).removeRecursively());
        QVERIFY(writeFileBytes(config.path() + u"/autostart"_qs, "x"));
        h.services.answerMessage(answer::ok);
        bool stillOff = false;
        h.services.answerDialog([&](QDialog& d) {
            auto* autostart = d.findChild<QCheckBox*>(u"chkAutostart"_qs);
            autostart->click();
            click(d, "cmdApply");
            stillOff = !autostart->isChecked();
            click(d, "cmdCancel");
            return d.result();
        });
        h.window().mnuExtrasoptionen->trigger();
        QVERIFY(stillOff);
        QCOMPARE(h.services.messages.size(), 1);
        QVERIFY2(h.services.messages[0].text.startsWith(u"Der Autostart-Ordner"_qs),
                 qPrintable(h.services.messages[0].text));
        QVERIFY(h.services.allAnswered());
        QCOMPARE(readFileBytes(h.dir.optionsPath()), optionsBefore);
    }

    void weekday_data() {
        QTest::addColumn<Record>("record");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, int y, int m, int d, const char* text) {
            QTest::addRow("%s %d", name, y) << makeRecord(7, name, y, m, d) << QString(text);
        };
        row("Erich", 1880, 1, 1, "Erich ist an einem Donnerstag geboren.");
        row("Millie", 2000, 1, 1, "Millie ist an einem Samstag geboren.");
        row("Anna", 1971, 12, 22, "Anna ist an einem Mittwoch geboren.");
        row(" ", 1880, 1, 5, "Das Geburtstags-Kind aus Datensatz 7 ist an einem Montag geboren.");
        row("Fritz", 1900, 2, 29, "Fritz ist an einem Mittwoch geboren."); // checked: 28 Feb
        // Without a year there is no weekday to tell.
        row("Paula", 0, 8, 15,
            "Paula ist ohne Geburtsjahr eingetragen. Den Wochentag der Geburt kann Natalix nur "
            "mit dem Jahr bestimmen; bitte tragen Sie es ein.");
        row(" ", 0, 2, 29,
            "Das Geburtstags-Kind aus Datensatz 7 ist ohne Geburtsjahr eingetragen. Den Wochentag "
            "der Geburt kann Natalix nur mit dem Jahr bestimmen; bitte tragen Sie es ein.");
    }

    void weekday() {
        QFETCH(Record, record);
        QFETCH(QString, text);
        WindowHarness h({record});
        h.services.answerMessage(answer::ok);
        h.window().mnuWochentagausgeben->trigger();
        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.services.messages.size(), 1);
        MessageRequest want{text, u"Wochentag ausgeben"_qs, Buttons::Ok, Icon::Information};
        want.onTop = true;
        QCOMPARE(asTuple(h.services.messages.first()), asTuple(want));
    }
};

QTEST_MAIN(TestEditing)
#include "test_editing.moc"
