// Adding records, Enter, and the entry rules of the name and date fields.
#include "editing/editingsupport.h"

#include "table/entrycommands.h"

#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>

using namespace natalix;
using namespace natalix::test;

Q_DECLARE_METATYPE(std::vector<int>)

class TestEntry : public QObject {
    Q_OBJECT
private slots:
    void insertTakesHighestNumberPlusOne_data();
    void insertTakesHighestNumberPlusOne();
    void insertStopsAt999_data();
    void insertStopsAt999();
    void leavingDateFieldCorrects_data();
    void leavingDateFieldCorrects();
    void nameKeyFilter_data();
    void nameKeyFilter();
    void nameRefusesTextOutsideWindows1252();
    void enterAcceptsRecord_data();
    void enterAcceptsRecord();
    void enterInDateFieldSettlesThatRecord();
    void enterDoesNothingWhileLoading();
};

void TestEntry::insertTakesHighestNumberPlusOne_data() {
    QTest::addColumn<std::vector<int>>("numbers");
    QTest::addColumn<QString>("sortButton");
    QTest::addColumn<int>("expected");
    QTest::newRow("gaps below") << std::vector<int>{1, 2, 7} << QString() << 8;
    QTest::newRow("under name sort") << std::vector<int>{3, 9, 4} << "cmdSortierennachnamen" << 10;
    QTest::newRow("under number descending")
        << std::vector<int>{5, 1} << "cmdSortierennachnummer" << 6;
}

void TestEntry::insertTakesHighestNumberPlusOne() {
    QFETCH(std::vector<int>, numbers);
    QFETCH(QString, sortButton);
    QFETCH(int, expected);
    std::vector<Record> records;
    for (int n : numbers)
        records.push_back(makeRecord(n, QStringLiteral("Z%1").arg(n), 1970, 5, 5));
    Options options;
    options.option1erinnerung = QStringLiteral("3 Tage vorher");
    options.option2erinnerung = QStringLiteral("Keine Erinnerung");
    options.option3erinnerung = QStringLiteral("2 Wochen vorher");
    options.optionabjahr = QStringLiteral("18. Geburtstag");
    options.optionzyklus = QStringLiteral("alle 5 Jahre");
    WindowHarness h(records, options);
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    if (!sortButton.isEmpty())
        QTest::mouseClick(w.findChild<QPushButton*>(sortButton), Qt::LeftButton);
    h.clickRow(0);

    QTest::mouseClick(w.cmdDatensatzeinfuegen, Qt::LeftButton);

    const std::vector<int> order = h.numbersInOrder();
    QCOMPARE(order.size(), numbers.size() + 1);
    QCOMPARE(order.back(), expected);
    QVERIFY(std::is_sorted(order.begin(), order.end()));
    QCOMPARE(w.gridCaption(), QStringLiteral("Alle Datensätze - sortiert nach Nr. - aufsteigend"));
    QCOMPARE(h.cursor().absolutePosition(), h.cursor().recordCount());
    QCOMPARE(w.lblNummer->text(), QString::number(expected));
    QCOMPARE(w.txtName->text(), QStringLiteral(" "));
    QVERIFY(w.txtName->hasFocus());
    const MainState& s = h.state();
    QCOMPARE(s.aktuellesfeld, 1);
    QCOMPARE(s.dateiwurdegeaendert, 1);
    QCOMPARE(s.testengesperrt, 0);
    QCOMPARE(s.sortieren1 + s.sortieren2 + s.sortieren3 + s.sortieren4 + s.sortieren5, 0);
    QCOMPARE(w.selection().count(), 0);

    const auto stored = storedNumber(h, expected);
    QVERIFY(stored);
    Record want = newRecord(expected, options.reminderDefaults());
    QCOMPARE(stored->name, want.name);
    QCOMPARE(stored->jahr, 1900);
    QCOMPARE(stored->monat, 1);
    QCOMPARE(stored->tag, 1);
    QCOMPARE(stored->erinnerung[0], QStringLiteral("3 Tage vorher"));
    QCOMPARE(stored->erinnerung[1], QStringLiteral("Keine Erinnerung"));
    QCOMPARE(stored->erinnerung[2], QStringLiteral("2 Wochen vorher"));
    QCOMPARE(stored->erinnerungsbeginn, QStringLiteral("18. Geburtstag"));
    QCOMPARE(stored->erinnerungszyklus, QStringLiteral("alle 5 Jahre"));
    QCOMPARE(stored->marker, (std::array<int, 3>{0, 0, 0}));
    QVERIFY(h.services.allAnswered());
}

void TestEntry::insertStopsAt999_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("998 takes one more") << 998 << 999;
    QTest::newRow("999 is full") << 999 << 999;
}

void TestEntry::insertStopsAt999() {
    QFETCH(int, before);
    QFETCH(int, after);
    std::vector<Record> records;
    for (int n = 1; n <= before; ++n)
        records.push_back(makeRecord(n, QStringLiteral("N"), 1970, 4, 1));
    WindowHarness h(records);
    FrmMain& w = h.window();
    QVERIFY(activate(w));

    QTest::mouseClick(w.cmdDatensatzeinfuegen, Qt::LeftButton);
    QCOMPARE(h.cursor().recordCount(), after);
    QCOMPARE(static_cast<int>(h.storedRecords().size()), after);
    QCOMPARE(h.state().testengesperrt, 0);
    QVERIFY(h.services.messages.isEmpty());

    // Edits still pass the record check and reach the table.
    h.cursor().setAbsolutePosition(1);
    typeInto(w.cboTag, QStringLiteral("31"));
    QTest::keyClick(w.cboTag, Qt::Key_Return);
    QCOMPARE(storedNumber(h, 1)->tag, 30);
}

void TestEntry::leavingDateFieldCorrects_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("code");
    QTest::newRow("year letters") << "cboJahr"
                                  << "abc"
                                  << "1880" << 4;
    QTest::newRow("year fraction") << "cboJahr"
                                   << "1965.8"
                                   << "1965" << 4;
    QTest::newRow("year above") << "cboJahr"
                                << "3000"
                                << "2099" << 4;
    QTest::newRow("year past the list") << "cboJahr"
                                        << "2050"
                                        << "2050" << 4;
    QTest::newRow("year negative") << "cboJahr"
                                   << "-5"
                                   << "1880" << 4;
    QTest::newRow("year blank inside") << "cboJahr"
                                       << "19 65"
                                       << "1965" << 4;
    QTest::newRow("year unchanged") << "cboJahr"
                                    << "1971"
                                    << "1971" << 4;
    QTest::newRow("month 0") << "cboMonat"
                             << "0"
                             << "1" << 3;
    QTest::newRow("month 13") << "cboMonat"
                              << "13"
                              << "12" << 3;
    QTest::newRow("month emptied") << "cboMonat"
                                   << ""
                                   << "1" << 3;
    QTest::newRow("day 0") << "cboTag"
                           << "0"
                           << "1" << 2;
    QTest::newRow("day 45") << "cboTag"
                            << "45"
                            << "31" << 2;
    QTest::newRow("day 31 in February stays") << "cboTag"
                                              << "31"
                                              << "31" << 2;
}

void TestEntry::leavingDateFieldCorrects() {
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, code);
    WindowHarness h({marked(makeRecord(1, QStringLiteral("Anna"), 1971, 2, 22)),
                     marked(makeRecord(2, QStringLiteral("Bert"), 1980, 3, 3))});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    auto* combo = w.findChild<QComboBox*>(box);
    QVERIFY(combo);

    typeInto(combo, typed);
    QCOMPARE(h.state().aktuellesfeld, code);
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
    w.cboErsteerinnerung->setFocus(Qt::TabFocusReason);

    QCOMPARE(combo->currentText(), shown);
    QCOMPARE(h.state().aktuellesfeld, 0);
    QCOMPARE(h.state().dateiwurdegeaendert, 1);
    const Record current = h.cursor().currentRecord();
    const Field f = box == u"cboJahr"    ? Field::Jahr
                    : box == u"cboMonat" ? Field::Monat
                                         : Field::Tag;
    QCOMPARE(current.wholeNumber(f), shown.toInt());
    QCOMPARE(current.marker, (std::array<int, 3>{0, 0, 0}));
    QCOMPARE(storedNumber(h, 1)->marker, (std::array<int, 3>{0, 0, 0}));
    QCOMPARE(storedNumber(h, 2)->marker, (std::array<int, 3>{2024, 2024, 2024}));
}

void TestEntry::nameKeyFilter_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("accepted");
    const QString forty = QString(40, u'x');
    QTest::newRow("letter") << "Ann" << 0 << "a"
                            << "Anna" << true;
    QTest::newRow("letter at 40") << forty << 0 << "y" << forty << false;
    QTest::newRow("blank at 40") << forty << 0 << " " << forty << false;
    QTest::newRow("backspace at 40")
        << forty << int(Qt::Key_Backspace) << "" << QString(39, u'x') << true;
    QTest::newRow("blank on blank") << " " << 0 << " "
                                    << " " << false;
    QTest::newRow("blank after a name") << "Anna" << 0 << " "
                                        << "Anna " << true;
    QTest::newRow("backspace on one letter") << "A" << int(Qt::Key_Backspace) << ""
                                             << " " << true;
    QTest::newRow("backspace on the blank") << " " << int(Qt::Key_Backspace) << ""
                                            << " " << true;
    QTest::newRow("umlaut") << "J" << 0 << "ü"
                            << "Jü" << true;
    QTest::newRow("euro sign") << "J" << 0 << "€"
                               << "J€" << true;
    QTest::newRow("outside Windows-1252") << "J" << 0 << "Ω"
                                          << "J" << false;
}

void TestEntry::nameKeyFilter() {
    QFETCH(QString, name);
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(bool, accepted);
    WindowHarness h({marked(makeRecord(1, name, 1971, 2, 22))});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    w.txtName->setFocus(Qt::TabFocusReason);
    w.txtName->end(false);
    QCOMPARE(h.state().aktuellesfeld, 1);

    if (key)
        QTest::keyClick(w.txtName, Qt::Key(key));
    else
        typeText(w.txtName, text);

    QCOMPARE(w.txtName->text(), expected);
    QCOMPARE(h.cursor().currentRecord().name, expected);
    QCOMPARE(h.state().dateiwurdegeaendert, accepted ? 1 : 0);
    const std::array<int, 3> markers =
        accepted ? std::array<int, 3>{0, 0, 0} : std::array<int, 3>{2024, 2024, 2024};
    QCOMPARE(storedNumber(h, 1)->marker, markers);
}

void TestEntry::nameRefusesTextOutsideWindows1252() {
    WindowHarness h({makeRecord(1, QStringLiteral("Zoë"), 1971, 2, 22)});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    w.txtName->setFocus(Qt::TabFocusReason);
    w.txtName->end(false);
    // Text from an input method does not come as keys.
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral(" Ωmega€"));
    QCoreApplication::sendEvent(w.txtName, &commit);
    QCOMPARE(w.txtName->text(), QStringLiteral("Zoë mega€"));
    QCOMPARE(w.txtName->cursorPosition(), 9);
    QCOMPARE(h.cursor().currentRecord().name, QStringLiteral("Zoë mega€"));
}

void TestEntry::enterAcceptsRecord_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("currentAfter");
    QTest::newRow("first moves on") << 0 << 2;
    QTest::newRow("last stays") << 2 << 3;
}

void TestEntry::enterAcceptsRecord() {
    QFETCH(int, row);
    QFETCH(int, currentAfter);
    WindowHarness h({makeRecord(1, QStringLiteral("Anna"), 1971, 4, 1),
                     makeRecord(2, QStringLiteral("Bert"), 1980, 4, 2),
                     makeRecord(3, QStringLiteral("Carl"), 1990, 4, 3)});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    h.clickRow(row);
    const int edited = row + 1;
    w.txtName->setFocus(Qt::TabFocusReason);
    w.txtName->selectAll();
    QTest::keyClicks(w.txtName, QStringLiteral("  Dora  "));
    // Typed into the box without leaving it: only the record check settles it.
    w.cboTag->lineEdit()->setText(QStringLiteral("31"));

    QTest::keyClick(w.txtName, Qt::Key_Return);

    QCOMPARE(h.cursor().currentRecord().nummer, currentAfter);
    QCOMPARE(w.lblNummer->text(), QString::number(currentAfter));
    QVERIFY(w.txtName->hasFocus());
    QCOMPARE(w.selection().count(), 0);
    const auto stored = storedNumber(h, edited);
    QCOMPARE(stored->name, QStringLiteral("Dora"));
    QCOMPARE(stored->tag, 30);
}

void TestEntry::enterInDateFieldSettlesThatRecord() {
    WindowHarness h({marked(makeRecord(1, QStringLiteral("Anna"), 1971, 4, 1)),
                     marked(makeRecord(2, QStringLiteral("Bert"), 1980, 4, 2))});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    typeInto(w.cboTag, QStringLiteral("45"));
    QTest::keyClick(w.cboTag, Qt::Key_Return);

    QCOMPARE(h.cursor().currentRecord().nummer, 2);
    QVERIFY(w.txtName->hasFocus());
    const auto first = storedNumber(h, 1);
    QCOMPARE(first->tag, 30); // 45 -> 31 on leaving, -> 30 in April by the check
    QCOMPARE(first->marker, (std::array<int, 3>{0, 0, 0}));
    // The next record was not touched by the field's leaving.
    QCOMPARE(storedNumber(h, 2)->marker, (std::array<int, 3>{2024, 2024, 2024}));
    QCOMPARE(h.cursor().currentRecord().marker, (std::array<int, 3>{2024, 2024, 2024}));
}

void TestEntry::enterDoesNothingWhileLoading() {
    WindowHarness h({makeRecord(1, QStringLiteral("Anna"), 1971, 4, 31),
                     makeRecord(2, QStringLiteral("Bert"), 1980, 4, 2)});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    w.txtName->setFocus(Qt::TabFocusReason);
    w.fraFrame2->setEnabled(false);
    QTest::keyClick(w.txtName, Qt::Key_Return);
    QCOMPARE(h.cursor().currentRecord().nummer, 1);
    QCOMPARE(w.cboTag->currentText(), QStringLiteral("31"));
    w.fraFrame2->setEnabled(true);
}

QTEST_MAIN(TestEntry)
#include "test_entry.moc"
