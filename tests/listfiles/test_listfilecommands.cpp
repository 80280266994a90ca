#include "listfile/frminfo.h"
#include "listfile/listfile.h"
#include "listfile/listfilecommands.h"
#include "reminder/remindercore.h"
#include "support/windowharness.h"
#include "table/sortcommands.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <sqlite3.h>

using namespace natalix;
using namespace natalix::test;

namespace {

const QString question = QStringLiteral("Änderungen in Datei speichern?");

// Birthdays in August: nothing falls due around the test's 9 March.
std::vector<Record> someRecords(int count) {
    std::vector<Record> out;
    for (int i = 1; i <= count; ++i)
        out.push_back(makeRecord(i, QStringLiteral("Person %1").arg(i), 1940 + i, 8, i % 28 + 1));
    return out;
}

// Every message of these commands is a warning under the program's title.
bool isWarning(const MessageRequest& m, Buttons buttons) {
    return m.buttons == buttons && m.icon == Icon::Exclamation && m.title.isEmpty();
}

// Collects the progress line each time the bar moves. The bar moves before the label is set,
// so this is the line before; the test adds the last one at the end.
void recordProgress(FrmMain& w, QStringList& shown) {
    QObject::connect(w.ProgressBar1, &QProgressBar::valueChanged, w.ProgressBar1,
                     [&w, &shown] { shown << w.lblDatensatzfortschritt->text(); });
}

// The distinct lines with this ending, in order.
QStringList progressLines(FrmMain& w, QStringList shown, const QString& ending) {
    shown << w.lblDatensatzfortschritt->text();
    shown.removeDuplicates();
    return shown.filter(QRegularExpression(QRegularExpression::escape(ending) + u'$'));
}

QStringList countUp(int to, int total, const QString& ending) {
    QStringList out;
    for (int i = 1; i <= to; ++i)
        out << QStringLiteral(" %1 von %2").arg(i).arg(total) + ending;
    return out;
}

} // namespace

// Table rows, one value each.
struct OpenCase {
    bool chosen; // a file, not Cancel, in the dialog
    bool named;
    int answer; // to the question; 0: no question expected
    bool loaded;
};
struct SaveCase {
    QString relative;
    int fullDisks; // writes that run out of room before one has room
    QList<int> answers;
    QString text;
};
struct NewCase {
    int count;
    bool namedAndChanged;
    int answer;
};
enum Via { closeButton, mnuBeenden, mnuEndProgram };
struct EndCase {
    Via via;
    bool named, changed;
    int answer; // to the question; 0: none expected
    bool ended;
};
Q_DECLARE_METATYPE(OpenCase)
Q_DECLARE_METATYPE(SaveCase)
Q_DECLARE_METATYPE(NewCase)
Q_DECLARE_METATYPE(EndCase)

class TestListFileCommands : public QObject {
    Q_OBJECT
private slots:
    void openSettlesChangesFirst_data();
    void openSettlesChangesFirst();
    void openRefused();
    void openLoadsFileWithProgress();
    void saveWritesExactBytesInPlace();
    void saveFailures_data();
    void saveFailures();
    void newList_data();
    void newList();
    void properties_data();
    void properties();
    void beenden_data();
    void beenden();
    void failureMessagesByCode_data();
    void failureMessagesByCode();
};

void TestListFileCommands::openSettlesChangesFirst_data() {
    QTest::addColumn<OpenCase>("c");
    QTest::newRow("dialog cancelled: asks nothing") << OpenCase{false, false, 0, false};
    QTest::newRow("named: saved silently") << OpenCase{true, true, 0, true};
    QTest::newRow("unnamed: Cancel stops") << OpenCase{true, false, answer::cancel, false};
    QTest::newRow("unnamed: No loads") << OpenCase{true, false, answer::no, true};
    QTest::newRow("unnamed: Yes, save as cancelled") << OpenCase{true, false, answer::yes, false};
}

void TestListFileCommands::openSettlesChangesFirst() {
    QFETCH(OpenCase, c);
    const auto [chosen, named, answer, loaded] = c;
    WindowHarness h(someRecords(3));
    const QString own = h.dataDir.file(QStringLiteral("eigene.nxd"));
    const QString other = h.dataDir.file(QStringLiteral("andere.nxd"));
    QVERIFY(writeFileBytes(other, renderListFile(someRecords(5))));
    h.state().dateiwurdegeaendert = 1;
    h.state().dateinamemitpfad = named ? own : QString();
    const std::vector<Record> before = h.storedRecords();
    h.services.answerOpen(chosen ? std::optional<QString>(other) : std::optional<QString>());
    if (answer)
        h.services.answerMessage(answer);
    if (answer == answer::yes)
        h.services.answerSave(std::nullopt);
    h.window().mnuDateioeffnen->trigger();

    QVERIFY(h.services.allAnswered());
    const FileDialogRequest& d = h.services.openRequests.value(0);
    QCOMPARE(QStringList({d.title, d.filter, d.defaultSuffix, d.fileName}),
             QStringList({"Öffnen", "Natalix-Database (*.nxd)", "nxd", ""}));
    QCOMPARE(QDir(d.folder), QDir(h.dataDir.path()));
    QCOMPARE(h.services.messages.size(), answer ? 1 : 0);
    if (answer) {
        QCOMPARE(h.services.messages[0].text, question);
        QVERIFY(isWarning(h.services.messages[0], Buttons::YesNoCancel));
    }
    if (answer == answer::yes) // the save dialog offers the default list
        QCOMPARE(h.services.saveRequests.value(0).fileName, h.dir.defaultListPath());
    QCOMPARE(readFileBytes(own), named ? renderListFile(before) : QByteArray());
    QCOMPARE(h.cursor().recordCount(), loaded ? 5 : 3);
    QVERIFY(h.storedRecords() == (loaded ? someRecords(5) : before));
    QCOMPARE(h.state().dateinamemitpfad, loaded ? other : (named ? own : QString()));
    QCOMPARE(h.state().dateiwurdegeaendert, loaded ? 0 : 1);
}

// A missing file: Retry shows the dialog again with the name, Cancel stops. A broken file is
// refused. Both leave the table and its name.
void TestListFileCommands::openRefused() {
    WindowHarness h(someRecords(4));
    h.state().dateinamemitpfad = QStringLiteral("/irgendwo/alt.nxd");
    const QString missing = h.dataDir.file(QStringLiteral("fehlt.nxd"));
    const QString broken = h.dataDir.file(QStringLiteral("kaputt.nxd"));
    // A count line and half a record.
    QVERIFY(writeFileBytes(broken, " 2 \r\n 1 \r\nAnna\r\n 1970 \r\n"));
    const std::vector<Record> before = h.storedRecords();
    for (int a : {answer::retry, answer::cancel}) {
        h.services.answerOpen(missing);
        h.services.answerMessage(a);
    }
    h.window().mnuDateioeffnen->trigger();
    h.services.answerOpen(broken);
    h.services.answerMessage(answer::ok);
    h.window().mnuDateioeffnen->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.openRequests.size(), 3);
    QCOMPARE(h.services.openRequests[1].fileName, missing);
    const QString text = QStringLiteral(
        "Die Datei wurde nicht gefunden. Der Datei-Name existiert nicht oder wurde falsch "
        "geschrieben. Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu lesen, "
        "oder 'Abbrechen' um den Vorgang abzubrechen. ( 102 / 53 : ");
    for (const MessageRequest& m : h.services.messages.mid(0, 2)) {
        QVERIFY2(m.text.startsWith(text) && m.text.endsWith(QStringLiteral(" )")) &&
                     m.text.size() > text.size() + 2, // the description follows the code
                 qPrintable(m.text));
        QVERIFY(isWarning(m, Buttons::RetryCancel));
    }
    QCOMPARE(h.services.messages[2].text,
             QStringLiteral("Die Datei enthält keinen vollständigen Datensatz."));
    QVERIFY(isWarning(h.services.messages[2], Buttons::Ok));
    QVERIFY(h.storedRecords() == before);
    QCOMPARE(h.state().dateinamemitpfad, QStringLiteral("/irgendwo/alt.nxd"));
    QVERIFY(h.window().DataGrid1->isVisibleTo(&h.window()));
}

// The load shows its progress, sorts by number and clears the markers. While it runs, the
// loop lets window events through, but neither the close button nor a shortcut key acts.
void TestListFileCommands::openLoadsFileWithProgress() {
    QStringList shown; // outlives the window
    WindowHarness h(someRecords(3));
    h.window().show();
    h.window().sortCommands().cmdSortierennachnamen_Click();
    // 25 records, numbered in a shuffled order, saved while marked as already reminded.
    std::vector<Record> file;
    for (int i = 0; i < 25; ++i) {
        file.push_back(makeRecord((i * 7) % 25 + 1, QStringLiteral("Kind %1").arg(i), 1990, 8, 1));
        file.back().marker = {2024, 2024, 2024};
    }
    const QString path = h.dataDir.file(QStringLiteral("familie.nxd"));
    const QString old = h.dataDir.file(QStringLiteral("alt.nxd"));
    QVERIFY(writeFileBytes(path, renderListFile(file)));
    recordProgress(h.window(), shown);
    // Each line shows work done: the records before it are already stored.
    QList<int> aheadOfTheWork;
    QObject::connect(
        h.window().ProgressBar1, &QProgressBar::valueChanged, &h.window(), [&](int counter) {
            sqlite3_stmt* st = nullptr;
            sqlite3_prepare_v2(h.cursor().store().handle(), "SELECT COUNT(*) FROM Geburtstage", -1,
                               &st, nullptr);
            const int stored = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1;
            sqlite3_finalize(st);
            const bool loading =
                h.window().lblDatensatzvorgang->text() == QStringLiteral("Datei wird geladen ...");
            if (loading && counter >= 2 && stored != counter - 1)
                aheadOfTheWork << counter;
        });
    bool closed = true, busy = false;
    QTimer::singleShot(0, &h.window(), [&] {
        busy = !h.window().fraFrame2->isEnabled();
        closed = h.window().close();
        for (const QKeyCombination key :
             {Qt::CTRL | Qt::Key_S, Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_O})
            QTest::keyClick(h.window().DataGrid1, key.key(), key.keyboardModifiers());
    });
    h.state().dateinamemitpfad = old;
    h.services.answerOpen(path);
    QApplication::setActiveWindow(&h.window());
    h.window().mnuDateioeffnen->trigger();

    QVERIFY(busy && !closed && h.window().isVisible());
    QVERIFY(!QFile::exists(old));
    QVERIFY(h.services.allAnswered());
    QVERIFY(h.services.messages.isEmpty());
    const QString ending = QStringLiteral(" Datensätzen wurden geladen ...");
    const QStringList lines = progressLines(h.window(), shown, ending);
    QCOMPARE(lines.value(0), QStringLiteral(" 1 von 25 Datensätzen wurden geladen ..."));
    QCOMPARE(lines, countUp(25, 25, ending));
    QCOMPARE(aheadOfTheWork, QList<int>());
    std::vector<int> byNumber(25);
    std::iota(byNumber.begin(), byNumber.end(), 1);
    QVERIFY(h.numbersInOrder() == byNumber);
    QCOMPARE(h.window().gridCaption(), caption::byNumberAscending());
    for (const Record& r : h.storedRecords())
        QCOMPARE(r.marker, (std::array<int, 3>{0, 0, 0}));
    QCOMPARE(int(h.storedRecords().size()), 25);
    QCOMPARE(h.state().dateinamemitpfad, path);
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
    QVERIFY(h.window().DataGrid1->isVisible() && !h.window().fraDatensaetze->isVisible());
    // Once the list has loaded, the same keys work again.
    h.state().dateinamemitpfad = old;
    QTest::keyClick(h.window().DataGrid1, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readFileBytes(old), renderListFile(h.cursor().snapshot()));
}

void TestListFileCommands::saveWritesExactBytesInPlace() {
    Record b = makeRecord(2, QStringLiteral(" "), 2001, 12, 3);
    b.erinnerung = {QStringLiteral("Keine Erinnerung"), QStringLiteral("Keine Erinnerung"),
                    QStringLiteral("3 Monate vorher")};
    b.erinnerungszyklus = QStringLiteral("alle 5 Jahre");
    WindowHarness h({b, makeRecord(1, QStringLiteral("Müller"), 1980, 5, 17)});
    const QString path = h.dataDir.file(QStringLiteral("liste.nxd"));
    QVERIFY(writeFileBytes(path, QByteArray("alter Inhalt")));
    h.state().dateinamemitpfad = path;
    h.state().dateiwurdegeaendert = 1;
    h.clickRow(1);
    h.window().mnuDateispeichern->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(readFileBytes(path), " 2 \r\n"
                                  " 1 \r\nM\xFCller\r\n 1980 \r\n 5 \r\n 17 \r\n"
                                  "1 Woche vorher\r\n1 Tag vorher\r\nAm Tage des Geburtstages\r\n"
                                  "1. Geburtstag\r\nj\xE4hrlich\r\n"
                                  " 2 \r\n \r\n 2001 \r\n 12 \r\n 3 \r\n"
                                  "Keine Erinnerung\r\nKeine Erinnerung\r\n3 Monate vorher\r\n"
                                  "1. Geburtstag\r\nalle 5 Jahre\r\n");
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
    QCOMPARE(h.state().abgebrochen, 0);
    QCOMPARE(h.cursor().absolutePosition(), 2);
    // Nothing but the list is left in the folder.
    QCOMPARE(
        QDir(h.dataDir.path()).entryList({"liste.nxd*", ".natalix-*"}, QDir::Files | QDir::Hidden),
        QStringList{"liste.nxd"});
}

void TestListFileCommands::saveFailures_data() {
    QTest::addColumn<SaveCase>("c");
    const QList<int> retryThenCancel{answer::retry, answer::cancel};
    QTest::newRow("missing folder") << SaveCase{
        "fehlt/liste.nxd", 0, retryThenCancel,
        "Das Laufwerk oder der Pfad wurde nicht gefunden. Bitte wählen Sie 'Wiederholen' um zu "
        "versuchen, die Datei erneut zu schreiben, oder 'Abbrechen' um den Vorgang abzubrechen. "
        "( 101 / 76 : "};
    const QString diskFull = QStringLiteral(
        "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte den "
        "Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie bitte "
        "überflüssige Dateien oder legen eine leere Diskette ein. Bitte wählen Sie 'Wiederholen' "
        "um zu versuchen, die Datei erneut zu speichern, oder 'Abbrechen' um den Vorgang "
        "abzubrechen. ( 103 / 61 : ");
    QTest::newRow("disk full, cancelled") << SaveCase{"liste.nxd", 100, retryThenCancel, diskFull};
    QTest::newRow("disk full, then room") << SaveCase{"liste.nxd", 1, {answer::retry}, diskFull};
}

void TestListFileCommands::saveFailures() {
    QFETCH(SaveCase, c);
    WindowHarness h(someRecords(30));
    const QString path = h.dataDir.file(c.relative);
    const QByteArray earlier = renderListFile(someRecords(2));
    // A disk that is full after 1500 bytes, for the first `fullDisks` attempts.
    std::optional<FileSizeLimit> full;
    int attemptsLeft = c.fullDisks;
    if (c.fullDisks > 0) {
        QVERIFY(writeFileBytes(path, earlier));
        full.emplace(1500);
        h.services.onMessage = [&](const MessageRequest&) {
            if (--attemptsLeft == 0)
                full.reset();
        };
    }
    h.state().dateinamemitpfad = path;
    h.state().dateiwurdegeaendert = 1;
    for (int a : c.answers)
        h.services.answerMessage(a);
    h.window().mnuDateispeichern->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), c.answers.size());
    for (const MessageRequest& m : h.services.messages) {
        QVERIFY2(m.text.startsWith(c.text) && m.text.endsWith(QStringLiteral(" )")),
                 qPrintable(m.text));
        QVERIFY(isWarning(m, Buttons::RetryCancel));
    }
    const bool cancelled = c.answers.last() == answer::cancel;
    // Cancel makes the list unnamed and keeps it changed; the last good copy survives.
    QCOMPARE(h.state().dateinamemitpfad, cancelled ? QString() : path);
    QCOMPARE(h.state().abgebrochen, cancelled ? 1 : 0);
    QCOMPARE(h.state().dateiwurdegeaendert, cancelled ? 1 : 0);
    if (c.fullDisks > 0)
        QCOMPARE(readFileBytes(path), cancelled ? earlier : renderListFile(h.cursor().snapshot()));
    // No half-written file is left behind.
    QCOMPARE(
        QDir(h.dataDir.path()).entryList({"liste.nxd*", ".natalix-*"}, QDir::Files | QDir::Hidden),
        c.fullDisks ? QStringList{"liste.nxd"} : QStringList());
}

void TestListFileCommands::newList_data() {
    QTest::addColumn<NewCase>("c");
    QTest::newRow("Cancel") << NewCase{3, true, answer::cancel};
    QTest::newRow("OK, 25 records") << NewCase{25, false, answer::ok};
    QTest::newRow("OK, one record") << NewCase{1, false, answer::ok};
    QTest::newRow("OK, changed named list saved first") << NewCase{4, true, answer::ok};
}

// The new list is the sample record with the reminder options, sorted by number, unnamed.
void TestListFileCommands::newList() {
    QFETCH(NewCase, c);
    QStringList shown;
    const Options options{"2 Wochen vorher", "Keine Erinnerung", "1 Tag vorher", "18. Geburtstag",
                          "alle 10 Jahre"};
    std::vector<Record> records = someRecords(c.count);
    for (Record& r : records)
        r.marker = {2025, 0, 2025};
    WindowHarness h(records, options);
    h.window().show();
    h.window().sortCommands().cmdSortierennachjahr_Click();
    const QString path = h.dataDir.file(QStringLiteral("familie.nxd"));
    h.state().dateinamemitpfad = c.namedAndChanged ? path : QString();
    h.state().dateiwurdegeaendert = c.namedAndChanged ? 1 : 0;
    const std::vector<Record> before = h.storedRecords();
    recordProgress(h.window(), shown);
    h.services.answerMessage(c.answer);
    h.window().mnuDateineu->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), 1); // the confirmation only
    const MessageRequest& m = h.services.messages[0];
    QCOMPARE(m.text,
             QStringLiteral("Neue Geburtstagsliste anlegen?\n\r\n\rWenn eine neue, leere Tabelle "
                            "angelegt werden soll, klicken Sie auf OK und die aktuell geladene "
                            "Geburtstags-Liste wird gelöscht! Die Tabelle können Sie aber mit "
                            "\"Datei / Geburtstagsliste öffnen\" wieder einlesen, sofern sie "
                            "vorher gespeichert wurde.\n\r\n\rUnter \"Datei / Eigenschaften\" "
                            "können Sie nachsehen, ob und wo die Datei gespeichert wurde.\n\r\n\r"
                            "Soll die Gebutstags-Liste wirklich gelöscht werden?"));
    QVERIFY(isWarning(m, Buttons::OkCancel));
    QCOMPARE(m.defaultButton, int(answer::cancel));
    if (c.answer == answer::cancel) {
        QVERIFY(h.storedRecords() == before);
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
        QCOMPARE(h.state().dateinamemitpfad, path);
        return;
    }
    QCOMPARE(readFileBytes(path), c.namedAndChanged ? renderListFile(before) : QByteArray());
    const QString ending = QStringLiteral(" Datensätzen wurden entladen ...");
    QCOMPARE(progressLines(h.window(), shown, ending), countUp(c.count - 1, c.count, ending));
    QCOMPARE(renderListFile(h.storedRecords()),
             " 1 \r\n 1 \r\nZellwig (der Programmierer)\r\n 1971 \r\n 12 \r\n 22 \r\n2 Wochen "
             "vorher\r\nKeine Erinnerung\r\n1 Tag vorher\r\n18. Geburtstag\r\nalle 10 Jahre\r\n");
    QCOMPARE(h.storedRecords()[0].marker, (std::array<int, 3>{0, 0, 0}));
    QCOMPARE(h.cursor().absolutePosition(), 1);
    QCOMPARE(h.window().gridCaption(), caption::byNumberAscending());
    QCOMPARE(h.state().dateinamemitpfad, QString());
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
    QVERIFY(h.window().DataGrid1->isVisible() && h.window().fraFrame2->isEnabled());
}

void TestListFileCommands::properties_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("windows path") << QStringLiteral("C:\\Listen\\familie.nxd") << "familie.nxd";
    QTest::newRow("unix path") << QStringLiteral("/home/anna/Listen/freunde.nxd") << "freunde.nxd";
    QTest::newRow("no folder") << QStringLiteral("lose.nxd") << "lose.nxd";
    QTest::newRow("unnamed") << QString() << QString();
}

void TestListFileCommands::properties() {
    QFETCH(QString, path);
    QFETCH(QString, name);
    // Name and reminder texts of L = 4 + 12 + 16 + 16 + 13 + 8 = 69 characters: L + 42 bytes.
    Record r = makeRecord(1, QStringLiteral("Anna"), 1971, 12, 22);
    r.erinnerung = {QStringLiteral("1 Tag vorher"), QStringLiteral("Keine Erinnerung"),
                    QStringLiteral("Keine Erinnerung")};
    WindowHarness h({r});
    h.state().dateinamemitpfad = path;
    QStringList shown;
    h.services.answerDialog([&shown](QDialog& d) {
        shown << d.windowTitle() << d.findChild<QLineEdit*>("txt1")->text()
              << d.findChild<QLineEdit*>("txt2")->text();
        for (const char* n : {"lbl3", "lbl4", "lbl5"})
            shown << d.findChild<QLabel*>(QLatin1String(n))->text();
        QTest::mouseClick(d.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        return d.result();
    });
    h.window().mnuDateieigenschaften->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(shown, QStringList({"Eigenschaften", name, path, "NXD-Datei   (Natalix-Database)",
                                 "0,1 KB (111 Bytes)", "1 Stück"}));
    // Kilobytes cut, not rounded, to two places.
    for (const auto& [bytes, text] : {std::pair{5000, "4,88 KB (5.000 Bytes)"},
                                      {1024, "1 KB (1.024 Bytes)"},
                                      {100, "0,09 KB (100 Bytes)"},
                                      {1535, "1,49 KB (1.535 Bytes)"},
                                      {1126, "1,09 KB (1.126 Bytes)"},
                                      {1127, "1,1 KB (1.127 Bytes)"},
                                      {1126400, "1100 KB (1.126.400 Bytes)"}})
        QCOMPARE(listFileSizeText(bytes), QString::fromUtf8(text));
}

void TestListFileCommands::beenden_data() {
    QTest::addColumn<EndCase>("c");
    QTest::newRow("unchanged") << EndCase{mnuBeenden, true, false, 0, true};
    QTest::newRow("changed, named: saved") << EndCase{mnuBeenden, true, true, 0, true};
    QTest::newRow("changed, unnamed: Cancel")
        << EndCase{mnuBeenden, false, true, answer::cancel, false};
    QTest::newRow("changed, unnamed: No") << EndCase{mnuBeenden, false, true, answer::no, true};
    QTest::newRow("changed, unnamed: Yes, dialog cancelled")
        << EndCase{mnuBeenden, false, true, answer::yes, false};
    QTest::newRow("close button, named") << EndCase{closeButton, true, true, 0, true};
    QTest::newRow("close button, Cancel")
        << EndCase{closeButton, false, true, answer::cancel, false};
    QTest::newRow("end the program: No") << EndCase{mnuEndProgram, false, true, answer::no, true};
    QTest::newRow("end the program: Cancel")
        << EndCase{mnuEndProgram, false, true, answer::cancel, false};
}

// Ending keeps the list's path for the next start; Cancel keeps the window and everything.
void TestListFileCommands::beenden() {
    QFETCH(EndCase, c);
    const auto [via, named, changed, answer, ended] = c;
    WindowHarness h(someRecords(3));
    h.services.setToday(2025, 3, 9);
    h.window().show();
    h.window().settings().setValue(QStringLiteral("filename"), QStringLiteral("vorher"));
    const QString path = h.dataDir.file(QStringLiteral("familie.nxd"));
    h.state().dateinamemitpfad = named ? path : QString();
    h.state().dateiwurdegeaendert = changed ? 1 : 0;
    if (answer)
        h.services.answerMessage(answer);
    if (answer == answer::yes)
        h.services.answerSave(std::nullopt);
    if (via == closeButton)
        h.window().close();
    else
        (via == mnuBeenden ? h.window().mnuDateibeenden : h.window().mnuErinnerungsmodulbeenden)
            ->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), answer ? 1 : 0);
    QCOMPARE(h.services.messages.value(0).text, answer ? question : QString());
    QCOMPARE(h.window().isVisible(), !ended);
    QCOMPARE(h.state().programmbeenden, ended && via == mnuEndProgram ? 1 : 0);
    QCOMPARE(readFileBytes(path),
             named && changed ? renderListFile(h.cursor().snapshot()) : QByteArray());
    QCOMPARE(h.window().settings().value(QStringLiteral("filename")),
             ended ? (named ? path : QString()) : QStringLiteral("vorher"));
    if (via != mnuEndProgram)
        QCOMPARE(h.window().reminders().altertag(), ended ? 9 : 0);
}

// Every message of the three groups, by code, exactly as the user reads it.
void TestListFileCommands::failureMessagesByCode_data() {
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::addRow("101/7")
        << 101 << 7
        << QStringLiteral(
               "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte den "
               "Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie bitte "
               "überflüssige Dateien oder legen eine leere Diskette ein. Bitte wählen Sie "
               "'Wiederholen' um zu versuchen, die Datei erneut zu speichern, oder 'Abbrechen' um "
               "den Vorgang abzubrechen. ( 101 /");
    QTest::addRow("101/61")
        << 101 << 61
        << QStringLiteral(
               "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte den "
               "Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie bitte "
               "überflüssige Dateien oder legen eine leere Diskette ein. Bitte wählen Sie "
               "'Wiederholen' um zu versuchen, die Datei erneut zu speichern, oder 'Abbrechen' um "
               "den Vorgang abzubrechen. ( 101 /");
    QTest::addRow("101/52")
        << 101 << 52
        << QStringLiteral("Der Dateiname enthällt Zeichen, die nicht zulässig sind. Bitte wählen "
                          "Sie 'Wiederholen' um zu versuchen, die Datei erneut zu schreiben, oder "
                          "'Abbrechen' um den Vorgang abzubrechen. ( 101 /");
    QTest::addRow("101/71")
        << 101 << 71
        << QStringLiteral("Der Datenträger ist möglicherweise nicht eingelegt. Bitte wählen Sie "
                          "'Wiederholen' um zu versuchen, die Datei erneut zu schreiben, oder "
                          "'Abbrechen' um den Vorgang abzubrechen. ( 101 /");
    QTest::addRow("101/76")
        << 101 << 76
        << QStringLiteral("Das Laufwerk oder der Pfad wurde nicht gefunden. Bitte wählen Sie "
                          "'Wiederholen' um zu versuchen, die Datei erneut zu schreiben, oder "
                          "'Abbrechen' um den Vorgang abzubrechen. ( 101 /");
    QTest::addRow("101/70")
        << 101 << 70
        << QStringLiteral("Die Datei kann nicht auf den Datenträger geschrieben werden. Der "
                          "Datenträger ist möglicherweise nicht eingelegt, beschädigt, voll oder "
                          "schreibgeschützt. Die Datei wurde noch nicht gespeichert. Bitte wählen "
                          "Sie 'Wiederholen' um zu versuchen, die Datei erneut zu speichern, oder "
                          "'Abbrechen' um die Speicherung abzubrechen. ( 101 /");
    QTest::addRow("102/52")
        << 102 << 52
        << QStringLiteral("Der Dateiname existiert nicht oder enthällt Zeichen, die nicht zulässig "
                          "sind. Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut "
                          "zu lesen, oder 'Abbrechen' um den Vorgang abzubrechen. ( 102 /");
    QTest::addRow("102/53")
        << 102 << 53
        << QStringLiteral(
               "Die Datei wurde nicht gefunden. Der Datei-Name existiert nicht oder wurde falsch "
               "geschrieben. Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu "
               "lesen, oder 'Abbrechen' um den Vorgang abzubrechen. ( 102 /");
    QTest::addRow("102/71") << 102 << 71
                            << QStringLiteral(
                                   "Der Datenträger ist möglicherweise nicht eingelegt. Bitte "
                                   "wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu "
                                   "lesen, oder 'Abbrechen' um den Vorgang abzubrechen. ( 102 /");
    QTest::addRow("102/76") << 102 << 76
                            << QStringLiteral(
                                   "Das Laufwerk oder der Pfad wurde nicht gefunden. Bitte wählen "
                                   "Sie 'Wiederholen' um zu versuchen, die Datei erneut zu lesen, "
                                   "oder 'Abbrechen' um den Vorgang abzubrechen. ( 102 /");
    QTest::addRow("102/70")
        << 102 << 70
        << QStringLiteral(
               "Die Datei kann nicht vom Datenträger gelesen werden. Der Datenträger ist "
               "möglicherweise nicht eingelegt oder die Datei ist beschädigt oder existiert nicht. "
               "Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu lesen, oder "
               "'Abbrechen' um den Vorgang abzubrechen. ( 102 /");
    QTest::addRow("103/7")
        << 103 << 7
        << QStringLiteral(
               "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte den "
               "Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie bitte "
               "überflüssige Dateien oder legen eine leere Diskette ein. Bitte wählen Sie "
               "'Wiederholen' um zu versuchen, die Datei erneut zu speichern, oder 'Abbrechen' um "
               "den Vorgang abzubrechen. ( 103 /");
    QTest::addRow("103/61")
        << 103 << 61
        << QStringLiteral(
               "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte den "
               "Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie bitte "
               "überflüssige Dateien oder legen eine leere Diskette ein. Bitte wählen Sie "
               "'Wiederholen' um zu versuchen, die Datei erneut zu speichern, oder 'Abbrechen' um "
               "den Vorgang abzubrechen. ( 103 /");
    QTest::addRow("103/57")
        << 103 << 57
        << QStringLiteral("Die Datei kann nicht auf den Datenträger geschrieben werden. Der "
                          "Datenträger ist möglicherweise nicht eingelegt, beschädigt, voll oder "
                          "schreibgeschützt. Die Datei wurde noch nicht gespeichert. Bitte wählen "
                          "Sie 'Wiederholen' um zu versuchen, die Datei erneut zu speichern, oder "
                          "'Abbrechen' um die Speicherung abzubrechen. ( 103 /");
}

void TestListFileCommands::failureMessagesByCode() {
    QFETCH(int, group);
    QFETCH(int, code);
    QFETCH(QString, text);
    const FileError e{code, QStringLiteral("Beschreibung")};
    QCOMPARE(fileFailureMessage(group, e), text + QStringLiteral(" %1 : Beschreibung )").arg(code));
}

QTEST_MAIN(TestListFileCommands)
#include "test_listfilecommands.moc"
