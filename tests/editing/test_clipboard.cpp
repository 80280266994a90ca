// Cut, copy, paste and delete through the menu's shortcut keys on the focused field.
#include "editing/editingsupport.h"

#include "table/clipboardcommands.h"

#include <QMenu>

using namespace natalix;
using namespace natalix::test;

namespace {
enum Command { Cut, Copy, Paste, Delete };
}
Q_DECLARE_METATYPE(Command)
Q_DECLARE_METATYPE(std::optional<QString>)

class TestClipboard : public QObject {
    Q_OBJECT
private slots:
    void commandOnFocusedField_data();
    void commandOnFocusedField();
    void pasteInReminderListDoesNothing();
    void menuOpenedByMouseKeepsTheField();
    void steuerzeichenentfernen_data();
    void steuerzeichenentfernen();
};

void TestClipboard::commandOnFocusedField_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength"); // 0: cursor at selStart, nothing selected
    QTest::addColumn<Command>("command");
    QTest::addColumn<std::optional<QString>>("clipboardBefore");
    QTest::addColumn<QString>("after");
    QTest::addColumn<std::optional<QString>>("clipboardAfter");
    QTest::addColumn<int>("changed");
    const std::optional<QString> none;
    const std::optional<QString> old = QStringLiteral("vorher");
    const QString thirtyFive(35, u'n');

    QTest::newRow("cut part of the name") << "txtName"
                                          << "Anna Berg" << 5 << 4 << Cut << old << "Anna "
                                          << std::optional<QString>(u"Berg"_qs) << 1;
    QTest::newRow("cut the whole name")
        << "txtName"
        << "Anna" << 0 << 4 << Cut << old << " " << std::optional<QString>(u"Anna"_qs) << 1;
    QTest::newRow("cut with nothing selected")
        << "txtName"
        << "Anna" << 2 << 0 << Cut << old << "Anna" << old << 0;
    QTest::newRow("copy") << "txtName"
                          << "Anna Berg" << 0 << 4 << Copy << old << "Anna Berg"
                          << std::optional<QString>(u"Anna"_qs) << 0;
    QTest::newRow("copy with nothing selected")
        << "txtName"
        << "Anna" << 1 << 0 << Copy << old << "Anna" << old << 0;
    QTest::newRow("paste two lines")
        << "txtName"
        << "X" << 1 << 0 << Paste << std::optional<QString>(u"Anna\r\nBerg"_qs) << "XAnnaBerg"
        << std::optional<QString>(u"Anna\r\nBerg"_qs) << 1;
    QTest::newRow("paste over a selection")
        << "txtName"
        << "Anna Berg" << 5 << 4 << Paste << std::optional<QString>(u"Kurz\t"_qs) << "Anna Kurz"
        << std::optional<QString>(u"Kurz\t"_qs) << 1;
    QTest::newRow("paste cut at 40 characters")
        << "txtName" << thirtyFive << 0 << 0 << Paste << std::optional<QString>(u"123456789"_qs)
        << "12345" + thirtyFive << std::optional<QString>(u"123456789"_qs) << 1;
    QTest::newRow("paste drops what Windows-1252 cannot hold")
        << "txtName"
        << "Zo" << 2 << 0 << Paste << std::optional<QString>(u"ë Ωmega"_qs) << "Zoë mega"
        << std::optional<QString>(u"ë Ωmega"_qs) << 1;
    QTest::newRow("paste with an empty clipboard")
        << "txtName"
        << "Anna" << 4 << 0 << Paste << none << "Anna" << none << 0;
    QTest::newRow("paste into the day")
        << "cboTag"
        << "1" << 0 << 1 << Paste << std::optional<QString>(u"12abc"_qs) << "12abc"
        << std::optional<QString>(u"12abc"_qs) << 1;
    QTest::newRow("delete removes only the selection")
        << "txtName"
        << "Anna Berg" << 4 << 5 << Delete << old << "Anna" << old << 1;
    QTest::newRow("delete with nothing selected")
        << "txtName"
        << "Anna" << 0 << 0 << Delete << old << "Anna" << old << 1;
    QTest::newRow("delete the whole year") << "cboJahr"
                                           << "1971" << 0 << 4 << Delete << old << " " << old << 1;
    QTest::newRow("cut from the month")
        << "cboMonat"
        << "12" << 1 << 1 << Cut << old << "1" << std::optional<QString>(u"2"_qs) << 1;
}

void TestClipboard::commandOnFocusedField() {
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(Command, command);
    QFETCH(std::optional<QString>, clipboardBefore);
    QFETCH(QString, after);
    QFETCH(std::optional<QString>, clipboardAfter);
    QFETCH(int, changed);

    Record r = makeRecord(1, QStringLiteral("Anna"), 1971, 12, 1);
    if (field == u"txtName")
        r.name = before;
    WindowHarness h({r});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    QWidget* focusTarget = w.findChild<QWidget*>(field);
    QVERIFY(focusTarget);
    focusTarget->setFocus(Qt::TabFocusReason);
    QLineEdit* edit =
        field == u"txtName" ? w.txtName : static_cast<QComboBox*>(focusTarget)->lineEdit();
    if (field != u"txtName")
        edit->setText(before);
    if (selLength > 0)
        edit->setSelection(selStart, selLength);
    else
        edit->setCursorPosition(selStart);
    h.services.setClipboard(clipboardBefore);

    switch (command) {
    case Cut:
        QTest::keyClick(focusTarget, Qt::Key_X, Qt::ControlModifier);
        break;
    case Copy:
        QTest::keyClick(focusTarget, Qt::Key_C, Qt::ControlModifier);
        break;
    case Paste:
        QTest::keyClick(focusTarget, Qt::Key_V, Qt::ControlModifier);
        break;
    case Delete:
        QTest::keyClick(focusTarget, Qt::Key_Delete);
        break;
    }

    QCOMPARE(edit->text(), after);
    QCOMPARE(h.services.clipboard(), clipboardAfter);
    QCOMPARE(h.state().dateiwurdegeaendert, changed);
    if (field == u"txtName")
        QCOMPARE(h.cursor().currentRecord().name, after);
    QVERIFY(h.services.allAnswered());
}

void TestClipboard::pasteInReminderListDoesNothing() {
    WindowHarness h({makeRecord(1, QStringLiteral("Anna"), 1971, 12, 1)});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    w.txtName->setFocus(Qt::TabFocusReason);
    w.cboErsteerinnerung->setFocus(Qt::TabFocusReason);
    QCOMPARE(h.state().aktuellesfeld, 0);
    h.state().dateiwurdegeaendert = 0;
    h.services.setClipboard(QStringLiteral("Anna"));
    const Record before = h.cursor().currentRecord();

    QTest::keyClick(w.cboErsteerinnerung, Qt::Key_V, Qt::ControlModifier);

    QCOMPARE(h.cursor().currentRecord(), before);
    QCOMPARE(w.txtName->text(), QStringLiteral("Anna"));
    QCOMPARE(w.cboErsteerinnerung->currentText(), before.erinnerung[0]);
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
}

void TestClipboard::menuOpenedByMouseKeepsTheField() {
    WindowHarness h({marked(makeRecord(1, QStringLiteral("Anna Berg"), 1971, 12, 1))});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    w.txtName->setFocus(Qt::TabFocusReason);
    w.txtName->setSelection(0, 5);
    // The open menu takes the focus for a moment; the field is not left by that.
    w.mnuBearbeiten->popup(w.mapToGlobal(QPoint(10, 10)));
    QTRY_VERIFY(w.mnuBearbeiten->isVisible());
    QCOMPARE(h.state().aktuellesfeld, 1);
    w.mnuBearbeitenausschneiden->trigger();
    w.mnuBearbeiten->close();
    QCOMPARE(w.txtName->text(), QStringLiteral("Berg"));
    QCOMPARE(h.services.clipboard(), std::optional<QString>(u"Anna "_qs));
    // Neither leaving nor the record check ran: the markers stay.
    QCOMPARE(h.cursor().currentRecord().marker, (std::array<int, 3>{2024, 2024, 2024}));
}

void TestClipboard::steuerzeichenentfernen_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("lines run together") << "Anna\r\nBerg\n"
                                        << "AnnaBerg";
    QTest::newRow("control characters in a row") << "\t\x01\x1f"
                                                    "A\x7f"
                                                 << "A\x7f";
}

void TestClipboard::steuerzeichenentfernen() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(natalix::steuerzeichenentfernen(text), expected);
}

QTEST_MAIN(TestClipboard)
#include "test_clipboard.moc"
