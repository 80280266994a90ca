// "Datensätze löschen...": the question, the selection order, the last record kept.
#include "editing/editingsupport.h"

#include <QAction>
#include <QPushButton>

using namespace natalix;
using namespace natalix::test;

Q_DECLARE_METATYPE(std::vector<int>)

namespace {

std::vector<Record> numbered(int count) {
    std::vector<Record> records;
    for (int n = 1; n <= count; ++n)
        records.push_back(marked(makeRecord(n, QStringLiteral("Name %1").arg(n), 1960 + n, 6, n)));
    return records;
}

std::vector<int> storedNumbers(WindowHarness& h) {
    std::vector<int> out;
    for (const Record& r : h.storedRecords())
        out.push_back(r.nummer);
    std::sort(out.begin(), out.end());
    return out;
}

// Clicks the rows in the given order, adding each to the selection.
void selectRows(WindowHarness& h, const std::vector<int>& rows) {
    for (size_t i = 0; i < rows.size(); ++i)
        h.clickRow(rows[i], i == 0 ? Qt::NoModifier : Qt::ControlModifier);
}

void expectQuestion(const MessageRequest& m) {
    QCOMPARE(m.text,
             QStringLiteral("Sollen die ausgewählten Datensätze wirklich gelöscht werden?"));
    QCOMPARE(m.title, QStringLiteral("Datensätze löschen"));
    QCOMPARE(m.buttons, Buttons::YesNo);
    QCOMPARE(m.icon, Icon::Exclamation);
    QCOMPARE(m.defaultButton, answer::no);
}

} // namespace

class TestDelete : public QObject {
    Q_OBJECT
private slots:
    void deletesSelection_data();
    void deletesSelection();
    void selectingEveryRecordKeepsTheLastSelected();
    void selectAllCommandThenDelete();
    void oneRecordIsNeverDeleted();
};

void TestDelete::deletesSelection_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<std::vector<int>>("rows"); // clicked in this order; empty: current only
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<int>("reply");
    QTest::addColumn<std::vector<int>>("left");
    QTest::addColumn<int>("nextNumber");
    QTest::newRow("rows 2 and 3 of four")
        << 4 << std::vector<int>{1, 2} << -1 << answer::yes << std::vector<int>{1, 4} << 5;
    QTest::newRow("nothing selected: the current one")
        << 4 << std::vector<int>{} << 1 << answer::yes << std::vector<int>{1, 3, 4} << 5;
    QTest::newRow("the last row") << 3 << std::vector<int>{2} << -1 << answer::yes
                                  << std::vector<int>{1, 2} << 3;
    QTest::newRow("answer No") << 4 << std::vector<int>{1, 2} << -1 << answer::no
                               << std::vector<int>{1, 2, 3, 4} << 5;
}

void TestDelete::deletesSelection() {
    QFETCH(int, count);
    QFETCH(std::vector<int>, rows);
    QFETCH(int, currentRow);
    QFETCH(int, reply);
    QFETCH(std::vector<int>, left);
    QFETCH(int, nextNumber);
    WindowHarness h(numbered(count));
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    if (rows.empty()) {
        h.clickRow(currentRow);
        w.mnuBearbeitenmarkierungenloeschen->trigger();
        QCOMPARE(w.selection().count(), 0);
    } else {
        selectRows(h, rows);
    }
    const int currentBefore = h.cursor().currentRecord().nummer;
    h.services.answerMessage(reply);

    QTest::mouseClick(w.cmdDatensatzloeschen, Qt::LeftButton);

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), 1);
    expectQuestion(h.services.messages.first());
    QCOMPARE(h.state().gewaehlt, reply);
    QCOMPARE(h.state().testengesperrt, 0);
    QCOMPARE(storedNumbers(h), left);
    QCOMPARE(h.numbersInOrder(), left);
    if (reply == answer::yes) {
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
        QCOMPARE(h.cursor().absolutePosition(), 1);
        QCOMPARE(w.lblNummer->text(), QString::number(left.front()));
        QCOMPARE(w.selection().count(), 0);
    } else {
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
        QCOMPARE(h.cursor().currentRecord().nummer, currentBefore);
        QCOMPARE(w.selection().count(), static_cast<int>(rows.size()));
    }
    // The survivors keep their numbers and data.
    for (int n : left)
        QCOMPARE(storedNumber(h, n)->name, QStringLiteral("Name %1").arg(n));

    QTest::mouseClick(w.cmdDatensatzeinfuegen, Qt::LeftButton);
    QCOMPARE(h.numbersInOrder().back(), nextNumber);
}

void TestDelete::selectingEveryRecordKeepsTheLastSelected() {
    Options options;
    options.option1erinnerung = QStringLiteral("Keine Erinnerung");
    options.optionzyklus = QStringLiteral("alle 10 Jahre");
    WindowHarness h(numbered(5), options);
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    QTest::mouseClick(w.cmdSortierennachjahr, Qt::LeftButton);
    const qint64 lastSelected = h.cursor().bookmarkAt(2);
    selectRows(h, {4, 0, 1, 3, 2});
    QCOMPARE(w.selection().count(), 5);
    h.services.answerMessage(answer::yes);

    QTest::mouseClick(w.cmdDatensatzloeschen, Qt::LeftButton);

    QVERIFY(h.services.allAnswered());
    const std::vector<Record> stored = h.storedRecords();
    QCOMPARE(stored.size(), size_t(1));
    Record expected = newRecord(1, options.reminderDefaults());
    QCOMPARE(stored.front(), expected);
    QCOMPARE(h.cursor().bookmark(), lastSelected);
    QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));
    QCOMPARE(w.gridCaption(), QStringLiteral("Alle Datensätze - sortiert nach Nr. - aufsteigend"));
    const MainState& s = h.state();
    QCOMPARE(
        (std::array<int, 5>{s.sortieren1, s.sortieren2, s.sortieren3, s.sortieren4, s.sortieren5}),
        (std::array<int, 5>{1, 0, 0, 0, 0}));
    QCOMPARE(w.selection().count(), 0);
    QCOMPARE(s.dateiwurdegeaendert, 1);
    QCOMPARE(w.txtName->text(), QStringLiteral(" "));
    QCOMPARE(w.cboJahr->currentText(), QStringLiteral("1900"));
}

void TestDelete::selectAllCommandThenDelete() {
    WindowHarness h(numbered(5));
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    h.clickRow(2);
    w.mnuBearbeitenalledatensaetzemarkieren->trigger();
    h.services.answerMessage(answer::yes);
    QTest::mouseClick(w.cmdDatensatzloeschen, Qt::LeftButton);
    // Selected in table order: the fifth record was selected last.
    const std::vector<Record> stored = h.storedRecords();
    QCOMPARE(stored.size(), size_t(1));
    QCOMPARE(stored.front().nummer, 1);
    QCOMPARE(stored.front().name, QStringLiteral(" "));
    QCOMPARE(stored.front().marker, (std::array<int, 3>{0, 0, 0}));
    QCOMPARE(h.cursor().recordCount(), 1);
}

void TestDelete::oneRecordIsNeverDeleted() {
    WindowHarness h(numbered(1));
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    h.clickRow(0);
    QTest::mouseClick(w.cmdDatensatzloeschen, Qt::LeftButton);
    QVERIFY(h.services.messages.isEmpty());
    QCOMPARE(storedNumbers(h), std::vector<int>{1});
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
}

QTEST_MAIN(TestDelete)
#include "test_delete.moc"
