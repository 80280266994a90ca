// "Datensätze ändern...", "&Optionen..." and "&Wochentag ausgeben".
#include "editing/editingsupport.h"

#include <QDialog>
#include <QRadioButton>

using namespace natalix;
using namespace natalix::test;

Q_DECLARE_METATYPE(natalix::Record)

namespace {

QComboBox* combo(QDialog& d, const char* name) {
    return d.findChild<QComboBox*>(QString::fromLatin1(name));
}

void click(QDialog& d, const char* name) {
    QTest::mouseClick(d.findChild<QPushButton*>(QString::fromLatin1(name)), Qt::LeftButton);
}

std::vector<Record> fourRecords() {
    std::vector<Record> records;
    for (int n = 1; n <= 4; ++n) {
        Record r = marked(makeRecord(n, QStringLiteral("Name %1").arg(n), 1970, 1, n));
        r.erinnerung = {QStringLiteral("Keine Erinnerung"), QStringLiteral("Keine Erinnerung"),
                        QStringLiteral("Keine Erinnerung")};
        records.push_back(r);
    }
    return records;
}

QList<QByteArray> optionLines(WindowHarness& h) {
    QList<QByteArray> lines = readFileBytes(h.dir.optionsPath()).split('\n');
    for (QByteArray& l : lines)
        l.chop(l.endsWith('\r') ? 1 : 0);
    return lines;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void bulkChangeWritesSelectedRecords();
    void bulkChangeNoKeepsDialogOpen();
    void bulkChangeLeavesWithoutChange_data();
    void bulkChangeLeavesWithoutChange();
    void optionsShowCurrentValues();
    void optionsApplyThenCancel();
    void optionsWriteFailureIsReported();
    void weekday_data();
    void weekday();
};

void TestDialogs::bulkChangeWritesSelectedRecords() {
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    h.clickRow(0);
    h.clickRow(1, Qt::ControlModifier);
    h.clickRow(2, Qt::ControlModifier);
    w.DataGrid1->setFocus();
    QTest::keyClick(w.DataGrid1, Qt::Key_Down, Qt::ControlModifier);
    QCOMPARE(h.cursor().currentRecord().nummer, 4);
    QCOMPARE(w.selection().count(), 3);

    h.services.answerMessage(answer::yes);
    h.services.answerDialog([](QDialog& d) {
        combo(d, "cbo1Erinnerung")->setCurrentText(QStringLiteral("3 Tage vorher"));
        combo(d, "cbo3Erinnerung")->setCurrentText(QStringLiteral("1 Monat vorher"));
        combo(d, "cboErinnerungsbeginn")->setCurrentText(QStringLiteral("18. Geburtstag"));
        combo(d, "cboErinnerungszyklus")->setCurrentText(QStringLiteral("alle 10 Jahre"));
        click(d, "cmdOK");
        return d.result();
    });
    QTest::mouseClick(w.cmdDatensaetzeaendern, Qt::LeftButton);

    QVERIFY(h.services.allAnswered());
    const MessageRequest& m = h.services.messages.first();
    QCOMPARE(m.text,
             QStringLiteral("Sollen die selektierten Datensätze wirklich geändert werden?"));
    QCOMPARE(m.title, QStringLiteral("Mehrere Datensätze ändern"));
    QCOMPARE(m.buttons, Buttons::YesNo);
    QCOMPARE(m.icon, Icon::Exclamation);
    QCOMPARE(m.defaultButton, answer::no);
    QCOMPARE(h.state().gewaehlt, answer::yes);
    for (int n = 1; n <= 3; ++n) {
        const Record r = *storedNumber(h, n);
        QCOMPARE(r.erinnerung[0], QStringLiteral("3 Tage vorher"));
        QCOMPARE(r.erinnerung[1], QStringLiteral("1 Tag vorher")); // the option's preset
        QCOMPARE(r.erinnerung[2], QStringLiteral("1 Monat vorher"));
        QCOMPARE(r.erinnerungsbeginn, QStringLiteral("18. Geburtstag"));
        QCOMPARE(r.erinnerungszyklus, QStringLiteral("alle 10 Jahre"));
        QCOMPARE(r.marker, (std::array<int, 3>{0, 0, 0}));
        QCOMPARE(r.name, QStringLiteral("Name %1").arg(n));
        QCOMPARE(r.tag, n);
    }
    QCOMPARE(*storedNumber(h, 4), fourRecords()[3]);
    QCOMPARE(h.cursor().currentRecord().nummer, 4);
    QCOMPARE(w.lblNummer->text(), QStringLiteral("4"));
    QCOMPARE(w.selection().count(), 3);
    QCOMPARE(h.state().dateiwurdegeaendert, 1);
    QCOMPARE(h.state().testengesperrt, 0);
}

void TestDialogs::bulkChangeNoKeepsDialogOpen() {
    Options options;
    options.option1erinnerung = QStringLiteral("2 Monate vorher");
    options.optionzyklus = QStringLiteral("alle 3 Jahre");
    WindowHarness h(fourRecords(), options);
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    h.clickRow(1);
    h.services.answerMessage(answer::no);
    bool stillOpen = false;
    QString kept;
    QStringList presets;
    h.services.answerDialog([&](QDialog& d) {
        presets << d.objectName() << d.windowTitle();
        for (const char* name : {"cbo1Erinnerung", "cbo2Erinnerung", "cbo3Erinnerung",
                                 "cboErinnerungsbeginn", "cboErinnerungszyklus"})
            presets << combo(d, name)->currentText();
        combo(d, "cbo2Erinnerung")->setCurrentText(QStringLiteral("5 Tage vorher"));
        click(d, "cmdOK");
        stillOpen = d.isVisible();
        kept = combo(d, "cbo2Erinnerung")->currentText();
        click(d, "cmdCancel");
        return d.result();
    });
    QTest::mouseClick(w.cmdDatensaetzeaendern, Qt::LeftButton);

    QVERIFY(h.services.allAnswered());
    QVERIFY(stillOpen);
    QCOMPARE(kept, QStringLiteral("5 Tage vorher"));
    QCOMPARE(presets, (QStringList{"frmAendern", "Mehrere Datensätze ändern", "2 Monate vorher",
                                   "1 Tag vorher", "Am Tage des Geburtstages", "1. Geburtstag",
                                   "alle 3 Jahre"}));
    QCOMPARE(h.storedRecords(), fourRecords());
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
}

void TestDialogs::bulkChangeLeavesWithoutChange_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter in a list") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
}

void TestDialogs::bulkChangeLeavesWithoutChange() {
    QFETCH(int, key);
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    h.clickRow(0);
    int result = -1;
    bool visibleAfter = true;
    h.services.answerDialog([&](QDialog& d) {
        QComboBox* first = combo(d, "cbo1Erinnerung");
        first->setCurrentText(QStringLiteral("2 Tage vorher"));
        first->setFocus();
        QTest::keyClick(first, Qt::Key(key));
        visibleAfter = d.isVisible();
        result = d.result();
        return d.result();
    });
    QTest::mouseClick(w.cmdDatensaetzeaendern, Qt::LeftButton);
    QVERIFY(h.services.allAnswered());
    QVERIFY(h.services.messages.isEmpty());
    QVERIFY(!visibleAfter);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(h.storedRecords(), fourRecords());
}

void TestDialogs::optionsShowCurrentValues() {
    WindowHarness h({makeRecord(1, QStringLiteral("Anna"), 1971, 2, 10)});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    // The menu command checks the record first.
    typeInto(w.cboTag, QStringLiteral("45"));
    QStringList texts;
    QList<bool> checked;
    h.services.answerDialog([&](QDialog& d) {
        texts << d.objectName() << d.windowTitle();
        for (const char* name : {"Frame1", "Frame3", "Frame2"})
            texts << d.findChild<QGroupBox*>(QString::fromLatin1(name))->title();
        for (const char* name :
             {"optOptionalteanzeigehauptfenster", "optOptionneueanzeigehauptfenster",
              "optOptionalteanzeigedrucken", "optOptionneueanzeigedrucken"}) {
            auto* b = d.findChild<QRadioButton*>(QString::fromLatin1(name));
            texts << b->text();
            checked << b->isChecked();
        }
        for (const char* name : {"cbo1Erinnerung", "cbo2Erinnerung", "cbo3Erinnerung",
                                 "cboErinnerungsbeginn", "cboErinnerungszyklus"})
            texts << combo(d, name)->currentText();
        for (const char* name : {"cmdOK", "cmdCancel", "cmdApply"})
            texts << d.findChild<QPushButton*>(QString::fromLatin1(name))->text();
        checked << d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isDefault();
        QTest::keyClick(&d, Qt::Key_Escape);
        return d.result();
    });
    w.mnuExtrasoptionen->trigger();
    QVERIFY(h.services.allAnswered());
    QCOMPARE(w.cboTag->currentText(), QStringLiteral("28")); // 45 -> 31 -> 28 in February 1971
    QCOMPARE(texts, (QStringList{"frmOptions", "Optionen", "Datums-Anzeige im Hauptfenster",
                                 "Datums-Anzeige beim Drucken",
                                 "Standard-Einstellungen für neue Datensätze",
                                 "alte Anzeige      (22.12.1971)", "neue Anzeige    (1971-12-22)",
                                 "alte Anzeige      (22.12.1971)", "neue Anzeige    (1971-12-22)",
                                 "1 Woche vorher", "1 Tag vorher", "Am Tage des Geburtstages",
                                 "1. Geburtstag", "jährlich", "OK", "Abbrechen", "Übernehmen"}));
    QCOMPARE(checked, (QList<bool>{true, false, true, false, true}));
}

void TestDialogs::optionsApplyThenCancel() {
    WindowHarness h({makeRecord(1, QStringLiteral("Anna"), 1971, 2, 10)});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    QString captionWhileOpen;
    QList<QByteArray> linesWhileOpen;
    h.services.answerDialog([&](QDialog& d) {
        d.findChild<QRadioButton*>(QStringLiteral("optOptionneueanzeigehauptfenster"))->click();
        combo(d, "cboErinnerungszyklus")->setCurrentText(QStringLiteral("alle 5 Jahre"));
        click(d, "cmdApply");
        captionWhileOpen = w.lblJahrmonattag->text();
        linesWhileOpen = optionLines(h);
        // Changed again, then cancelled: this one does not count.
        combo(d, "cbo1Erinnerung")->setCurrentText(QStringLiteral("Keine Erinnerung"));
        d.findChild<QRadioButton*>(QStringLiteral("optOptionneueanzeigedrucken"))->click();
        click(d, "cmdCancel");
        return d.result();
    });
    w.mnuExtrasoptionen->trigger();

    QVERIFY(h.services.allAnswered());
    QVERIFY(h.services.messages.isEmpty());
    QCOMPARE(captionWhileOpen, QStringLiteral("Jahr - Monat - Tag:"));
    QVERIFY(w.cboJahr->x() < w.cboMonat->x() && w.cboMonat->x() < w.cboTag->x());
    const QList<QByteArray> expectedLines{"1 Woche vorher",
                                          "1 Tag vorher",
                                          "Am Tage des Geburtstages",
                                          "1. Geburtstag",
                                          "alle 5 Jahre",
                                          " 0 ",
                                          " 1 ",
                                          " 0 ",
                                          ""};
    QCOMPARE(linesWhileOpen, expectedLines);
    QCOMPARE(optionLines(h), expectedLines);
    const Options& o = h.state().options;
    QCOMPARE(o.optiondatumsanzeigehauptfenster, 0.0);
    QCOMPARE(o.optiondatumsanzeigedrucken, 1);
    QCOMPARE(o.option1erinnerung, QStringLiteral("1 Woche vorher"));
    QCOMPARE(o.optionzyklus, QStringLiteral("alle 5 Jahre"));

    // New records start with the applied defaults, and the bulk change offers them.
    QTest::mouseClick(w.cmdDatensatzeinfuegen, Qt::LeftButton);
    QCOMPARE(storedNumber(h, 2)->erinnerungszyklus, QStringLiteral("alle 5 Jahre"));
    QString offered;
    h.services.answerDialog([&](QDialog& d) {
        offered = combo(d, "cboErinnerungszyklus")->currentText();
        click(d, "cmdCancel");
        return d.result();
    });
    QTest::mouseClick(w.cmdDatensaetzeaendern, Qt::LeftButton);
    QCOMPARE(offered, QStringLiteral("alle 5 Jahre"));
}

void TestDialogs::optionsWriteFailureIsReported() {
    WindowHarness h({makeRecord(1, QStringLiteral("Anna"), 1971, 2, 10)});
    FrmMain& w = h.window();
    QVERIFY(activate(w));
    // A folder where the file should be: the write cannot succeed.
    QVERIFY(QFile::remove(h.dir.optionsPath()));
    QVERIFY(QDir().mkdir(h.dir.optionsPath()));
    h.services.answerMessage(answer::ok);
    h.services.answerDialog([&](QDialog& d) {
        combo(d, "cbo2Erinnerung")->setCurrentText(QStringLiteral("4 Tage vorher"));
        click(d, "cmdOK");
        return d.result();
    });
    w.mnuExtrasoptionen->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), 1);
    const MessageRequest& m = h.services.messages.first();
    QVERIFY2(m.text.startsWith(QStringLiteral("Die Optionen konnten nicht in der Datei")),
             qPrintable(m.text));
    QCOMPARE(m.icon, Icon::Exclamation);
    QCOMPARE(h.state().options.option2erinnerung, QStringLiteral("4 Tage vorher"));
}

void TestDialogs::weekday_data() {
    QTest::addColumn<Record>("record");
    QTest::addColumn<QString>("text");
    QTest::newRow("first day") << makeRecord(3, QStringLiteral("Erich"), 1880, 1, 1)
                               << "Erich ist an einem Donnerstag geboren.";
    QTest::newRow("2000") << makeRecord(3, QStringLiteral("Millie"), 2000, 1, 1)
                          << "Millie ist an einem Samstag geboren.";
    QTest::newRow("Anna") << makeRecord(3, QStringLiteral("Anna"), 1971, 12, 22)
                          << "Anna ist an einem Mittwoch geboren.";
    QTest::newRow("no name") << makeRecord(7, QStringLiteral(" "), 1880, 1, 5)
                             << "Das Geburtstags-Kind aus Datensatz 7 ist an einem Montag geboren.";
    QTest::newRow("checked first") << makeRecord(3, QStringLiteral("Fritz"), 1900, 2, 29)
                                   << "Fritz ist an einem Mittwoch geboren."; // 28 Feb 1900
}

void TestDialogs::weekday() {
    QFETCH(Record, record);
    QFETCH(QString, text);
    WindowHarness h({record});
    FrmMain& w = h.window();
    h.services.answerMessage(answer::ok);
    w.mnuWochentagausgeben->trigger();
    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), 1);
    const MessageRequest& m = h.services.messages.first();
    QCOMPARE(m.text, text);
    QCOMPARE(m.title, QStringLiteral("Wochentag ausgeben"));
    QCOMPARE(m.icon, Icon::Information);
    QCOMPARE(m.buttons, Buttons::Ok);
    QVERIFY(m.onTop);
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
