#include "app/commandline.h"
#include "app/frmsplash.h"
#include "listfile/listfile.h"
#include "reminder/remindercommands.h"
#include "support/windowharness.h"
#include "table/gridmodel.h"
#include "table/gridselection.h"
#include "table/sortcommands.h"
#include "ui/qtservices.h"

#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>

#include <QLineEdit>
#include <QLockFile>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QtTest>

#include <limits>
#include <sqlite3.h>

using namespace natalix;
using namespace natalix::test;

namespace {

std::vector<Record> fourRecords() {
    return {makeRecord(1, QStringLiteral("Anna Berg"), 1980, 4, 15),
            makeRecord(2, QStringLiteral("Bernd Chor"), 1975, 10, 2),
            makeRecord(3, QStringLiteral("Clara Dorn"), 1990, 2, 28),
            makeRecord(4, QStringLiteral("Dieter Ems"), 1965, 9, 9)};
}

Record storedByNumber(WindowHarness& h, int nummer) {
    for (const Record& r : h.storedRecords())
        if (r.nummer == nummer)
            return r;
    return Record();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void recordCheckCorrectsTheFields_data();
    void recordCheckCorrectsTheFields();
    void rowChangeChecksTheRecordLeft();
    void lockedCheckDoesNothing();
    void sortTogglesAndCaptions();
    void headerClicks();
    void selectAllKeepsTheCurrentRecord();
    void dateBoxArrangement_data();
    void dateBoxArrangement();
    void menusAndShortcuts();
    void keysActWhereTheFocusIs_data();
    void keysActWhereTheFocusIs();
    void focusFrameStandsApart();
    void windowFitsTheScreen_data();
    void windowFitsTheScreen();
    void firstStartForgetsTheListAndMarksItChanged();
    void autoStartKeepsTheWindowHidden();
    void splashShowsTheWindowAfterThreeTicks();
    void secondProcessEndsAndWakesTheFirst();
    void broughtBackWindowCopiesTheName();
    void gridShowsTheCurrentRowAndWholeNames();
    void accessCheckRetriesUntilTheDatabaseOpens();
    void standardDialogsSpeakGerman();
    void extremeNumbersFromAFileBreakNoCommand();
    void failedWriteIsReportedAndKeepsTheEdit();
};

void TestMainWindow::recordCheckCorrectsTheFields_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("jahr");
    QTest::addColumn<QString>("monat");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<int>("storedJahr");
    QTest::addColumn<int>("storedMonat");
    QTest::addColumn<int>("storedTag");
    struct Case {
        const char *row, *name, *jahr, *monat, *tag, *storedName;
        int j, m, t;
    };
    const Case cases[] = {
        {"blank in the year", "Anna", "19 65", "3", "7", "Anna", 1965, 3, 7},
        {"year with letters", "Anna", "1971abc", "3", "7", "Anna", 1971, 3, 7},
        {"five-digit year", "Anna", "20255", "3", "7", "Anna", 2025, 3, 7},
        {"year fraction", "Anna", "1965.7", "3", "7", "Anna", 1965, 3, 7},
        {"year too small", "Anna", "1700", "3", "7", "Anna", 1880, 3, 7},
        {"year too large", "Anna", "2150", "3", "7", "Anna", 2099, 3, 7},
        {"no numbers", "Anna", "abc", "x", "", "Anna", 0, 1, 1},
        {"empty year is unknown", "Anna", "", "3", "7", "Anna", 0, 3, 7},
        {"year 0 is unknown", "Anna", "0", "3", "7", "Anna", 0, 3, 7},
        {"year 0.7 is unknown", "Anna", "0.7", "3", "7", "Anna", 0, 3, 7},
        {"year 5", "Anna", "5", "3", "7", "Anna", 1880, 3, 7},
        {"year 1879", "Anna", "1879", "3", "7", "Anna", 1880, 3, 7},
        {"year -3", "Anna", "-3", "3", "7", "Anna", 1880, 3, 7},
        {"29 February, year unknown", "Anna", "", "2", "29", "Anna", 0, 2, 29},
        {"31 February, year unknown", "Anna", "", "2", "31", "Anna", 0, 2, 29},
        {"31 April, year unknown", "Anna", "", "4", "31", "Anna", 0, 4, 30},
        {"month and day too large", "Anna", "1980", "13", "45", "Anna", 1980, 12, 31},
        {"31 April", "Anna", "1980", "4", "31", "Anna", 1980, 4, 30},
        {"30 February 1999", "Anna", "1999", "2", "30", "Anna", 1999, 2, 28},
        {"29 February 1900", "Anna", "1900", "2", "29", "Anna", 1900, 2, 28},
        {"29 February 1904", "Anna", "1904", "2", "29", "Anna", 1904, 2, 29},
        {"29 February 2000", "Anna", "2000", "2", "29", "Anna", 2000, 2, 29},
        {"31 November", "Anna", "1980", "11", "31", "Anna", 1980, 11, 30},
        {"blanks around the name", "  Anna Berg  ", "1980", "1", "1", "Anna Berg", 1980, 1, 1},
        {"name of blanks", "   ", "1980", "1", "1", " ", 1980, 1, 1},
        {"empty name", "", "1980", "1", "1", " ", 1980, 1, 1},
    };
    for (const Case& c : cases)
        QTest::newRow(c.row) << QString::fromUtf8(c.name) << QString::fromUtf8(c.jahr)
                             << QString::fromUtf8(c.monat) << QString::fromUtf8(c.tag)
                             << QString::fromUtf8(c.storedName) << c.j << c.m << c.t;
}

void TestMainWindow::recordCheckCorrectsTheFields() {
    QFETCH(QString, name);
    QFETCH(QString, jahr);
    QFETCH(QString, monat);
    QFETCH(QString, tag);
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    w.show();
    // Typed as a user would: the text becomes a pending change of the current record.
    w.txtName->selectAll();
    if (name.isEmpty())
        QTest::keyClick(w.txtName, Qt::Key_Backspace);
    else
        QTest::keyClicks(w.txtName, name);
    for (auto [box, text] :
         {std::pair{w.cboJahr, jahr}, std::pair{w.cboMonat, monat}, std::pair{w.cboTag, tag}}) {
        box->lineEdit()->selectAll();
        QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
        QTest::keyClicks(box->lineEdit(), text);
    }
    w.datensatzpruefen();
    // The corrections are pending until the record is stored.
    QCOMPARE(storedByNumber(h, 1).name, QStringLiteral("Anna Berg"));
    h.cursor().update();
    const Record r = storedByNumber(h, 1);
    QTEST(r.name, "storedName");
    QTEST(r.jahr, "storedJahr");
    QTEST(r.monat, "storedMonat");
    QTEST(r.tag, "storedTag");
    QTEST(w.txtName->text(), "storedName");
    // An unknown year shows as an empty box, never as "0".
    QCOMPARE(w.cboJahr->currentText(), r.jahr == 0 ? QString() : QString::number(r.jahr));
    QCOMPARE(w.cboTag->currentText(), QString::number(r.tag));
    QVERIFY(h.services.allAnswered());
}

void TestMainWindow::rowChangeChecksTheRecordLeft() {
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Record 1 was born in April: day 31 is typed, then another row is clicked.
    w.cboTag->lineEdit()->selectAll();
    QTest::keyClicks(w.cboTag->lineEdit(), QStringLiteral("31"));
    h.clickRow(2);
    QCOMPARE(storedByNumber(h, 1).tag, 30);
    QCOMPARE(h.cursor().absolutePosition(), 3);
    QCOMPARE(w.lblNummer->text(), QStringLiteral("3"));
    QCOMPARE(w.txtName->text(), QStringLiteral("Clara Dorn"));
    QCOMPARE(w.state().einepositionvorher, 3);
    QCOMPARE(w.state().testengesperrt, 0);
}

void TestMainWindow::lockedCheckDoesNothing() {
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    w.cboTag->setEditText(QStringLiteral("45"));
    {
        LockRecordCheck lock(w.state());
        w.datensatzpruefen();
        QCOMPARE(w.cboTag->currentText(), QStringLiteral("45"));
    }
    QCOMPARE(w.state().testengesperrt, 0);
    w.datensatzpruefen();
    QCOMPARE(w.cboTag->currentText(), QStringLiteral("30"));
}

void TestMainWindow::sortTogglesAndCaptions() {
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    QCOMPARE(w.gridCaption(), QStringLiteral("Alle Datensätze - sortiert nach Nr. - aufsteigend"));
    QCOMPARE(w.state().sortieren1, 1);

    struct Step {
        QPushButton* button;
        const char16_t* caption;
        std::vector<int> order;
    };
    const Step steps[] = {
        {w.cmdSortierennachnummer,
         u"Alle Datensätze - sortiert nach Nr. - absteigend",
         {4, 3, 2, 1}},
        {w.cmdSortierennachnummer,
         u"Alle Datensätze - sortiert nach Nr. - aufsteigend",
         {1, 2, 3, 4}},
        {w.cmdSortierennachmonat,
         u"Alle Datensätze - sortiert nach Monat - aufsteigend",
         {3, 1, 4, 2}},
        {w.cmdSortierennachmonat,
         u"Alle Datensätze - sortiert nach Monat - absteigend",
         {2, 4, 1, 3}},
        {w.cmdSortierennachnamen,
         u"Alle Datensätze - sortiert nach Namen - aufsteigend",
         {1, 2, 3, 4}},
        {w.cmdSortierennachnamen,
         u"Alle Datensätze - sortiert nach Namen - absteigend",
         {4, 3, 2, 1}},
        {w.cmdSortierennachjahr,
         u"Alle Datensätze - sortiert nach Jahr - aufsteigend",
         {4, 2, 1, 3}},
        {w.cmdSortierennachjahr,
         u"Alle Datensätze - sortiert nach Jahr - absteigend",
         {3, 1, 2, 4}},
        {w.cmdSortierennachtag, u"Alle Datensätze - sortiert nach Tag - aufsteigend", {2, 4, 1, 3}},
        {w.cmdSortierennachtag, u"Alle Datensätze - sortiert nach Tag - absteigend", {3, 1, 4, 2}},
    };
    for (const Step& s : steps) {
        QTest::mouseClick(s.button, Qt::LeftButton);
        QCOMPARE(w.gridCaption(), QString::fromUtf16(s.caption));
        QCOMPARE(h.numbersInOrder(), s.order);
        const MainState& st = w.state();
        QVERIFY(st.sortieren1 + st.sortieren2 + st.sortieren3 + st.sortieren4 + st.sortieren5 <= 1);
    }
    // Another key always starts ascending.
    QTest::mouseClick(w.cmdSortierennachmonat, Qt::LeftButton);
    QTest::mouseClick(w.cmdSortierennachnummer, Qt::LeftButton);
    QCOMPARE(w.gridCaption(), QStringLiteral("Alle Datensätze - sortiert nach Nr. - aufsteigend"));
    QCOMPARE(h.numbersInOrder(), (std::vector<int>{1, 2, 3, 4}));
}

void TestMainWindow::headerClicks() {
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QHeaderView* header = w.DataGrid1->horizontalHeader();
    auto clickHeader = [&](int column) {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    };
    clickHeader(3);
    QCOMPARE(w.gridCaption(),
             QStringLiteral("Alle Datensätze - sortiert nach Monat - aufsteigend"));
    clickHeader(5); // "Erinnerung 1" sorts nothing
    QCOMPARE(w.gridCaption(),
             QStringLiteral("Alle Datensätze - sortiert nach Monat - aufsteigend"));
    QCOMPARE(h.numbersInOrder(), (std::vector<int>{3, 1, 4, 2}));
    clickHeader(0);
    QCOMPARE(w.gridCaption(), QStringLiteral("Alle Datensätze - sortiert nach Nr. - aufsteigend"));
}

void TestMainWindow::selectAllKeepsTheCurrentRecord() {
    std::vector<Record> five = fourRecords();
    five.push_back(makeRecord(5, QStringLiteral("Eva Fink"), 2001, 1, 1));
    WindowHarness h(five);
    FrmMain& w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    h.clickRow(2);
    QCOMPARE(h.cursor().absolutePosition(), 3);
    w.mnuBearbeitenalledatensaetzemarkieren->trigger();
    QCOMPARE(w.selection().count(), 5);
    QCOMPARE(h.cursor().absolutePosition(), 3);
    QCOMPARE(w.DataGrid1->selectionModel()->selectedRows().size(), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(w.selection().at(i), h.cursor().bookmarkAt(i));
    // The selection survives a new order.
    h.cursor().setSort(QStringLiteral("Name DESC"));
    QCOMPARE(w.DataGrid1->selectionModel()->selectedRows().size(), 5);
    w.mnuBearbeitenmarkierungenloeschen->trigger();
    QCOMPARE(w.selection().count(), 0);
    QCOMPARE(w.DataGrid1->selectionModel()->selectedRows().size(), 0);
    QCOMPARE(w.state().testengesperrt, 0);
    QCOMPARE(w.state().dateiwurdegeaendert, 0);
}

void TestMainWindow::dateBoxArrangement_data() {
    QTest::addColumn<double>("display");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QStringList>("leftToRight");
    QTest::newRow("new display") << 0.0 << "&Jahr - Monat - Tag:"
                                 << "-" << QStringList{"cboJahr", "cboMonat", "cboTag"};
    QTest::newRow("old display") << 1.0 << "&Tag . Monat . Jahr:"
                                 << "." << QStringList{"cboTag", "cboMonat", "cboJahr"};
}

void TestMainWindow::dateBoxArrangement() {
    QFETCH(double, display);
    QFETCH(QStringList, leftToRight);
    Options o;
    o.optiondatumsanzeigehauptfenster = display;
    WindowHarness h(fourRecords(), o);
    FrmMain& w = h.window();
    QTEST(w.lblJahrmonattag->text(), "caption");
    QTEST(w.lbl3->text(), "separator");
    QTEST(w.lbl4->text(), "separator");
    QList<QComboBox*> boxes;
    for (const QString& name : leftToRight)
        boxes << w.findChild<QComboBox*>(name);
    QVERIFY(boxes[0]->x() < w.lbl3->x() && w.lbl3->x() < boxes[1]->x());
    QVERIFY(boxes[1]->x() < w.lbl4->x() && w.lbl4->x() < boxes[2]->x());
    // No box overlaps the next one.
    QVERIFY(boxes[0]->geometry().right() < boxes[1]->x());
    QVERIFY(boxes[1]->geometry().right() < boxes[2]->x());
    // Tab order follows the boxes from left to right.
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.txtName->setFocus();
    for (QComboBox* box : boxes) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* f = QApplication::focusWidget();
        QVERIFY2(f == box || f == box->lineEdit(), qPrintable(f ? f->objectName() : QString()));
    }
    // Another value changes nothing.
    w.state().options.optiondatumsanzeigehauptfenster = 0.5;
    const QPoint before = w.cboJahr->pos();
    w.datumsanzeigeeinstellen();
    QCOMPARE(w.cboJahr->pos(), before);
    QTEST(w.lblJahrmonattag->text(), "caption");
}

void TestMainWindow::menusAndShortcuts() {
    WindowHarness h;
    FrmMain& w = h.window();
    // Every menu item in order, with its shortcut; "-" is a separator.
    QStringList items;
    for (QAction* menu : w.menuBar()->actions()) {
        items << menu->text();
        for (QAction* a : menu->menu()->actions())
            items << (a->isSeparator() ? QStringLiteral("-")
                                       : a->text() + u'|' + a->shortcut().toString());
    }
    QCOMPARE(items, (QStringList{"&Datei",
                                 "Geburtstagsliste &neu|Ctrl+N",
                                 "Geburtstagsliste ö&ffnen...|Ctrl+O",
                                 "-",
                                 "Geburtstagsliste &speichern|Ctrl+S",
                                 "Geburtstagsliste speichern &unter...|",
                                 "-",
                                 "&Kontakte importieren...|",
                                 "&Als Kalender exportieren (.ics)...|",
                                 "-",
                                 "Geburtstagsliste &drucken...|Ctrl+P",
                                 "-",
                                 "Ei&genschaften|",
                                 "-",
                                 "&Beenden|",
                                 "&Bearbeiten",
                                 "A&usschneiden|Ctrl+X",
                                 "&Kopieren|Ctrl+C",
                                 "&Einfügen|Ctrl+V",
                                 "-",
                                 "&Löschen|Del",
                                 "-",
                                 "&Alle Datensätze markieren|Ctrl+A",
                                 "&Markierungen löschen|",
                                 "-",
                                 "&Datensatz einfügen|Ctrl++",
                                 "-",
                                 "&Suchen...|Ctrl+F",
                                 "&Extras",
                                 "&Optionen...|",
                                 "&Wochentag ausgeben|",
                                 "Nächste &Geburtstage...|",
                                 "-",
                                 "&Natalix und Erinnerungs-Modul beenden|",
                                 "&?",
                                 "&Hilfe|F1",
                                 "-",
                                 "Ü&ber den Natalix...|"}));
    for (QAction* a : w.findChildren<QAction*>())
        QVERIFY2(a->isVisible(), qPrintable(a->text()));
    QCOMPARE(w.windowTitle(), QStringLiteral("Natalix"));
    QCOMPARE(w.cboJahr->count(), 151);
    QCOMPARE(w.cboJahr->itemText(150), QStringLiteral("2030"));
    QCOMPARE(w.txtName->maxLength(), 40);
}

// Each key reaches the control that has the focus, or the menu where no field claims it.
// Steps are key sequences; "=" types the text after it.
void TestMainWindow::keysActWhereTheFocusIs_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("focusAfter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("jahr");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("records");
    const auto row = [](const char* tag, const char* focus, const QStringList& steps,
                        const char* after, const char* name, int jahr, int selected, int records) {
        QTest::newRow(tag) << focus << steps << after << name << jahr << selected << records;
    };
    row("Ctrl+A in the name selects its text", "txtName", {"Ctrl+A", "=Bea"}, "txtName", "Bea",
        1980, 0, 4);
    row("Ctrl+Z in the name undoes", "txtName", {"Ctrl+A", "=Bea", "Ctrl+Z"}, "txtName",
        "Anna Berg", 1980, 0, 4);
    row("Ctrl+A in the year box", "cboJahr", {"Ctrl+A", "=1999"}, "cboJahr", "Anna Berg", 1999, 0,
        4);
    row("Ctrl+A in the grid selects the records", "DataGrid1", {"Ctrl+A"}, "DataGrid1", "Anna Berg",
        1980, 4, 4);
    row("Ctrl++ in the name adds a record", "txtName", {"Ctrl++"}, "txtName", " ", 1900, 0, 5);
    row("Tab leaves the grid", "DataGrid1", {"Tab"}, "cmdAuswahlErster", "Anna Berg", 1980, 0, 4);
    row("Shift+Tab leaves the grid", "DataGrid1", {"Shift+Tab"}, "cmdSortierennachtag", "Anna Berg",
        1980, 0, 4);
    row("Alt+N leads to the name", "DataGrid1", {"Alt+N"}, "txtName", "Anna Berg", 1980, 0, 4);
    row("Alt+Z leads to the cycle", "txtName", {"Alt+Z"}, "cboErinnerungszyklus", "Anna Berg", 1980,
        0, 4);
}

void TestMainWindow::keysActWhereTheFocusIs() {
    QFETCH(QString, focus);
    QFETCH(QStringList, steps);
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
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
    if (now && now->parentWidget() && qobject_cast<QComboBox*>(now->parentWidget()))
        now = now->parentWidget();
    QTEST(now ? now->objectName() : QString(), "focusAfter");
    QTEST(h.cursor().currentRecord().name, "name");
    QTEST(w.txtName->text(), "name");
    QTEST(h.cursor().currentRecord().jahr, "jahr");
    QTEST(w.selection().count(), "selected");
    QTEST(h.cursor().recordCount(), "records");
}

// A button that the keyboard gave the focus shows it by a frame that contrasts with its plain
// look, and with the default button's look, which Fusion gives a focused button as well.
void TestMainWindow::focusFrameStandsApart() {
    WindowHarness h;
    FrmMain& w = h.window();
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QPushButton* b = w.cmdDatensatzeinfuegen;
    w.cboErinnerungszyklus->setFocus();
    const QImage plain = b->grab().toImage();
    b->setDefault(true);
    const QImage asDefault = b->grab().toImage();
    b->setDefault(false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), b);
    const QImage focused = b->grab().toImage();
    const auto contrasting = [&focused](const QImage& other) {
        int n = 0;
        for (int y = 0; y < focused.height(); ++y)
            for (int x = 0; x < focused.width(); ++x) {
                const QColor a = other.pixelColor(x, y), f = focused.pixelColor(x, y);
                n += std::max({std::abs(a.red() - f.red()), std::abs(a.green() - f.green()),
                               std::abs(a.blue() - f.blue())}) > 80;
            }
        return n;
    };
    QVERIFY(contrasting(plain) >= focused.width());
    QVERIFY(contrasting(asDefault) >= focused.width());
}

// The window lies on the screen at any scale: the grid keeps a few rows, and only a screen
// too small for the rest makes it scroll. The scale and the screen are fixed when a program
// starts, so each row runs this test in a process of its own.
void TestMainWindow::windowFitsTheScreen_data() {
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QSize>("screen"); // in the screen's own pixels
    QTest::addColumn<bool>("scrolls");
    QTest::newRow("1024x600") << "1" << QSize(1024, 600) << false;
    QTest::newRow("1920x1080 at 2") << "2" << QSize(1920, 1080) << false;
    QTest::newRow("1600x960 at 2") << "2" << QSize(1600, 960) << true;
}

void TestMainWindow::windowFitsTheScreen() {
    QFETCH(QString, scale);
    QFETCH(QSize, screen);
    QFETCH(bool, scrolls);
    if (qEnvironmentVariableIsEmpty("NATALIX_SCREEN_TEST")) {
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("screen.json"));
        QVERIFY(writeFileBytes(config, QStringLiteral(R"({"screens": [{"name": "s", "x": 0, )"
                                                      R"("y": 0, "width": %1, "height": %2}]})")
                                           .arg(screen.width())
                                           .arg(screen.height())
                                           .toUtf8()));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"),
                   QStringLiteral("offscreen:configfile=") + config);
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
        env.insert(QStringLiteral("NATALIX_SCREEN_TEST"), QStringLiteral("1"));
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("windowFitsTheScreen:") + QTest::currentDataTag()});
        QVERIFY(child.waitForFinished(60000));
        QVERIFY2(child.exitCode() == 0, child.readAll().constData());
        return;
    }
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QRect free = w.screen()->availableGeometry();
    QCOMPARE(free.size(), screen / scale.toDouble());
    QVERIFY2(free.contains(w.frameGeometry()),
             qPrintable(QStringLiteral("%1x%2").arg(w.width()).arg(w.height())));
    QVERIFY(w.DataGrid1->viewport()->height() >= 4 * w.DataGrid1->rowHeight(0));
    auto* scroller = w.findChild<QScrollArea*>(QStringLiteral("scrollCentral"));
    QCOMPARE(scroller->verticalScrollBar()->isVisible() ||
                 scroller->horizontalScrollBar()->isVisible(),
             scrolls);
}

void TestMainWindow::firstStartForgetsTheListAndMarksItChanged() {
    TempDataDir tmp;
    {
        Options o;
        o.programmwurdeerstmalsgestartet = 1;
        WindowHarness h({}, o);
        // The harness writes the options before the window loads; the flag was honoured.
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
        QCOMPARE(h.state().dateinamemitpfad, QString());
        QCOMPARE(readOptionsFile(h.dir.optionsPath()).options.programmwurdeerstmalsgestartet, 0);
    }
    WindowHarness plain;
    QCOMPARE(plain.state().dateiwurdegeaendert, 0);
}

void TestMainWindow::autoStartKeepsTheWindowHidden() {
    QVERIFY(parseCommandLine({QStringLiteral("/auto")}).autoStart);
    QVERIFY(parseCommandLine({QStringLiteral("x/autostart")}).autoStart);
    QVERIFY(!parseCommandLine({QStringLiteral("/AUTO")}).autoStart);
    // Only the program's own arguments count, not the value of --datadir.
    QVERIFY(
        !parseCommandLine({QStringLiteral("--datadir"), QStringLiteral("/home/a/auto")}).autoStart);
    QVERIFY(parseCommandLine(
                {QStringLiteral("--datadir"), QStringLiteral("/tmp"), QStringLiteral("/auto")})
                .autoStart);
    WindowHarness h({}, Options(), true);
    h.window().splashFinished();
    QVERIFY(!h.window().isVisible());
    QCOMPARE(h.state().starten, 1);
}

void TestMainWindow::splashShowsTheWindowAfterThreeTicks() {
    WindowHarness h;
    auto* splash = new FrmSplash(h.window());
    QPointer<FrmSplash> guard(splash);
    splash->show();
    QCOMPARE(splash->lblVersion->text(), QStringLiteral("Version 1.2"));
    QCOMPARE(h.state().programmbeenden, 0);
    splash->Timer1_Timer();
    splash->Timer1_Timer();
    QVERIFY(!h.window().isVisible());
    QCOMPARE(h.state().starten, 0);
    splash->Timer1_Timer();
    QVERIFY(h.window().isVisible());
    QCOMPARE(h.state().starten, 1);
    // The cursor is in the name, and the clipboard commands know it.
    QTRY_COMPARE(QApplication::focusWidget(), h.window().txtName);
    QCOMPARE(h.state().aktuellesfeld, 1);
    QTRY_VERIFY(guard.isNull());
}

void TestMainWindow::secondProcessEndsAndWakesTheFirst() {
    WindowHarness h;
    FrmMain& w = h.window();
    InstanceLock lock(h.dir);
    QVERIFY(lock.tryLock());
    // Before the splash phase has ended the poll does nothing.
    SettingsStore(h.dir).setValue(QStringLiteral("windowopen"), QStringLiteral("1"));
    w.Timer2_Timer();
    QVERIFY(!w.isVisible());
    SettingsStore(h.dir).setValue(QStringLiteral("windowopen"), QString());
    h.finishSplash();
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(NATALIX_BINARY), {QStringLiteral("--datadir"), h.dir.path});
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitCode(), 0);
    // The running window's poll brings it up within about two seconds.
    QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 2500);
    QCOMPARE(SettingsStore(h.dir).value(QStringLiteral("windowopen")), QString());
    QVERIFY(!(w.windowFlags() & Qt::WindowStaysOnTopHint));
}

// The current record is marked; names get the spare width; loading a list that needs scroll
// bars leaves the window's size alone.
void TestMainWindow::gridShowsTheCurrentRowAndWholeNames() {
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    w.resize(1000, 690); // room for everything: no scroll bar takes a share of the width
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QSize size = w.size();
    QAbstractItemModel* model = w.DataGrid1->model();
    const auto marked = [&] {
        QList<int> rows;
        for (int r = 0; r < model->rowCount(); ++r)
            if (model->headerData(r, Qt::Vertical).toString() == GridModel::currentRowMarker())
                rows << r;
        return rows;
    };
    QCOMPARE(marked(), QList<int>{0});
    h.clickRow(2);
    QCOMPARE(marked(), QList<int>{2});
    QVERIFY(model->data(model->index(2, 1), Qt::BackgroundRole).isValid());
    QVERIFY(!model->data(model->index(1, 1), Qt::BackgroundRole).isValid());
    // Widening the window widens the names, not the last column.
    const int name = w.DataGrid1->columnWidth(1), last = w.DataGrid1->columnWidth(9);
    w.resize(size.width() + 200, size.height());
    QCoreApplication::processEvents();
    QCOMPARE(w.DataGrid1->columnWidth(9), last);
    QVERIFY2(w.DataGrid1->columnWidth(1) >= name + 190,
             qPrintable(QString::number(w.DataGrid1->columnWidth(1))));
    w.resize(size);
    QCoreApplication::processEvents();
    std::vector<Record> many;
    for (int i = 1; i <= 300; ++i)
        many.push_back(makeRecord(i, QStringLiteral("Person %1").arg(i), 1970, 1 + i % 12, 1));
    const QString list = h.dataDir.file(QStringLiteral("viele.nxd"));
    QVERIFY(writeFileBytes(list, renderListFile(many)));
    h.services.answerOpen(list);
    w.mnuDateioeffnen->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(h.cursor().recordCount(), 300);
    QCOMPARE(w.size(), size);
    QCOMPARE(marked(), QList<int>{0});
}

// Brought back where it was hidden, while a date box held the cursor: the clipboard commands
// act on the name.
void TestMainWindow::broughtBackWindowCopiesTheName() {
    WindowHarness h;
    FrmMain& w = h.window();
    h.finishSplash();
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.cboTag->setFocus(Qt::TabFocusReason);
    QCOMPARE(h.state().aktuellesfeld, 2);
    // It comes back where it was hidden.
    w.move(7, 9);
    const QPoint where = w.pos();
    w.hide();
    SettingsStore(h.dir).setValue(QStringLiteral("windowopen"), QStringLiteral("1"));
    w.Timer2_Timer();
    QVERIFY(w.isVisible());
    QCOMPARE(w.pos(), where);
    QCOMPARE(h.state().aktuellesfeld, 1);
    w.txtName->selectAll();
    w.mnuBearbeitenkopieren->trigger();
    QCOMPARE(h.services.clipboard(), std::optional<QString>(w.txtName->text()));
}

void TestMainWindow::accessCheckRetriesUntilTheDatabaseOpens() {
    WindowHarness h;
    FrmMain& w = h.window();
    const QString db = h.dir.databasePath();
    const QString away = db + QStringLiteral(".away");
    QVERIFY(QFile::rename(db, away));
    // OK retries; the file is back after the second message.
    h.services.answerMessage(answer::ok);
    h.services.answerMessage(answer::ok);
    h.services.onMessage = [&](const MessageRequest&) {
        if (h.services.messages.size() == 2)
            QFile::rename(away, db);
    };
    w.findChild<ReminderCommands*>()->zugriffpruefen();
    QCOMPARE(h.services.messages.size(), 2);
    const MessageRequest& m = h.services.messages.first();
    QCOMPARE(m.title, QStringLiteral("Zugriffs-Fehler"));
    QCOMPARE(m.buttons, Buttons::Ok);
    QCOMPARE(m.icon, Icon::Exclamation);
    QCOMPARE(m.text, QStringLiteral(
                         "Der Zugriff auf die Datenbank ist zur Zeit nicht möglich. Möglicherweise "
                         "hat sich die Festplatte abgeschaltet. Wenn sich diese Meldung mehrmals "
                         "wiederholt, drücken Sie eine Taste um die Festplatte wieder zu starten. "
                         "Klicken Sie auf 'OK' um wiederholt auf die Datenbank zuzugreifen.( 104 / "
                         "53 : Datei nicht gefunden )"));
    QVERIFY(h.services.allAnswered());
}

void TestMainWindow::standardDialogsSpeakGerman() {
    installGermanTranslations();
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Natalix"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Retry);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(box.button(QMessageBox::Retry)->text(), QStringLiteral("Wiederholen"));
}

// A hand-edited list file can hold any whole number in any number field; no command may
// then overflow (the sanitizers would stop the test) or lose the record.
void TestMainWindow::extremeNumbersFromAFileBreakNoCommand() {
    const int big = std::numeric_limits<int>::max();
    const int small = std::numeric_limits<int>::min();
    Record odd = makeRecord(big, QStringLiteral("Extrem"), small, big, small);
    odd.erinnerung = {QStringLiteral("Am Tage des Geburtstages"), QStringLiteral("3 Monate vorher"),
                      QStringLiteral("1 Tag vorher")};
    Record other = makeRecord(small, QStringLiteral("Anders"), big, small, big);
    WindowHarness h({odd, other});
    FrmMain& w = h.window();
    h.finishSplash();
    w.timer1Tick();                   // a scan over both
    w.cmdDatensatzeinfuegen->click(); // no number above the largest: nothing is added
    QCOMPARE(h.cursor().recordCount(), 2);
    h.services.answerMessage(answer::ok);
    w.mnuWochentagausgeben->trigger();
    w.sortCommands().cmdSortierennachjahr_Click();
    w.sortCommands().cmdSortierennachjahr_Click();
    h.services.answerDialog([](QDialog&) { return int(QDialog::Accepted); }); // properties
    w.mnuDateieigenschaften->trigger();
    h.services.printToPdf = h.dataDir.file(QStringLiteral("liste.pdf"));
    h.services.answerPrinter(true);
    h.services.answerDialog([](QDialog& d) {
        d.findChild<QPushButton*>(QStringLiteral("cmdDrucken"))->click();
        return int(QDialog::Accepted);
    });
    w.mnuDateidrucken->trigger();
    QVERIFY(QFileInfo(h.services.printToPdf).size() > 0);
    QCOMPARE(h.storedRecords().size(), size_t(2));
    QVERIFY(h.services.allAnswered());
}

// A write the database refuses (here a trigger, as a full disk would) is reported, and the
// user's edit stays on its record until it can be stored.
void TestMainWindow::failedWriteIsReportedAndKeepsTheEdit() {
    WindowHarness h(fourRecords());
    FrmMain& w = h.window();
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(h.dir.databasePath().toUtf8().constData(), &other), SQLITE_OK);
    const auto exec = [&](const char* sql) {
        QCOMPARE(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    };
    exec("CREATE TRIGGER voll BEFORE UPDATE ON Geburtstage BEGIN "
         "SELECT RAISE(ABORT, 'Datenträger voll'); END");
    w.txtName->selectAll();
    QTest::keyClicks(w.txtName, QStringLiteral("Anna Neu"));
    h.services.answerMessage(answer::ok);
    h.clickRow(2);
    QTRY_COMPARE(h.services.messages.size(), 1);
    QVERIFY(h.services.messages[0].text.startsWith(
        QStringLiteral("Die Änderung konnte nicht in der Datenbank gespeichert werden.")));
    QVERIFY(h.services.messages[0].text.endsWith(QStringLiteral("( Datenträger voll )")));
    QCOMPARE(h.cursor().absolutePosition(), 1);
    QCOMPARE(w.txtName->text(), QStringLiteral("Anna Neu"));
    QTRY_COMPARE(w.DataGrid1->currentIndex().row(), 0);
    QCOMPARE(storedByNumber(h, 1).name, QStringLiteral("Anna Berg"));
    exec("DROP TRIGGER voll");
    sqlite3_close(other);
    h.clickRow(2);
    QCOMPARE(h.cursor().absolutePosition(), 3);
    QCOMPARE(storedByNumber(h, 1).name, QStringLiteral("Anna Neu"));
    QVERIFY(h.services.allAnswered());
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
