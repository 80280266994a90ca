#include "listfile/frminfo.h"
#include "listfile/listfile.h"
#include "listfile/listfilecommands.h"
#include "support/windowharness.h"
#include "table/sortcommands.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

using namespace natalix;
using namespace natalix::test;

namespace {

const QString loadEnding = QStringLiteral(" Datensätzen wurden geladen ...");
const QString unloadEnding = QStringLiteral(" Datensätzen wurden entladen ...");
const QString question = QStringLiteral("Änderungen in Datei speichern?");

// Birthdays in August: nothing falls due around the test's 9 March.
std::vector<Record> someRecords(int count) {
    std::vector<Record> out;
    for (int i = 1; i <= count; ++i)
        out.push_back(makeRecord(i, QStringLiteral("Person %1").arg(i), 1940 + i, 8, i % 28 + 1));
    return out;
}

QString readText102(const QString& body) {
    return body + QStringLiteral(" Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei "
                                 "erneut zu lesen, oder 'Abbrechen' um den Vorgang abzubrechen. "
                                 "( 102 /");
}

const QString diskFull103 = QStringLiteral(
    "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte den "
    "Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie bitte "
    "überflüssige Dateien oder legen eine leere Diskette ein. Bitte wählen Sie 'Wiederholen' "
    "um zu versuchen, die Datei erneut zu speichern, oder 'Abbrechen' um den Vorgang "
    "abzubrechen. ( 103 / 61 : ");

// The lines the progress label showed, in order. The bar moves before the label is set, so
// the label is read each time the bar moves (the line before) and once more at the end.
class ProgressRecorder {
public:
    ProgressRecorder(FrmMain& w, const QString& ending) : m_w(w), m_ending(ending) {
        QObject::connect(w.ProgressBar1, &QProgressBar::valueChanged, &m_context, [this] {
            take();
            const QString op = m_w.lblDatensatzvorgang->text();
            if (!op.isEmpty() && (operations.isEmpty() || operations.last() != op))
                operations << op;
        });
    }
    QStringList finish() {
        take();
        return lines;
    }
    QStringList lines;
    QStringList operations;

private:
    void take() {
        const QString t = m_w.lblDatensatzfortschritt->text();
        if (t.endsWith(m_ending) && (lines.isEmpty() || lines.last() != t))
            lines << t;
    }
    FrmMain& m_w;
    QString m_ending;
    QObject m_context;
};

QStringList countUp(int from, int to, int total, const QString& ending) {
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QStringLiteral(" %1 von %2").arg(i).arg(total) + ending;
    return out;
}

// A write that runs out of room after `room` bytes, the first time only.
class FullDiskTarget : public ListFileTarget {
public:
    FullDiskTarget(const QString& path, qint64 room) : ListFileTarget(path), m_room(room) {}

protected:
    qint64 writeBlock(const char* data, qint64 size) override {
        if (m_room <= 0)
            return -1;
        const qint64 n = ListFileTarget::writeBlock(data, std::min(size, m_room));
        m_room -= n;
        return n;
    }
    FileError writeFailure() const override { return fileErrorFor(filecode::diskFull); }

private:
    qint64 m_room;
};

ListFileCommands& commandsOf(WindowHarness& h) {
    auto* c = h.window().findChild<ListFileCommands*>(QStringLiteral("ListFileCommands"));
    Q_ASSERT(c);
    return *c;
}

} // namespace

class TestListFileCommands : public QObject {
    Q_OBJECT
private slots:
    void openCancelChangesNothing();
    void openSettlesChangesFirst_data();
    void openSettlesChangesFirst();
    void openFailureOffersRetry_data();
    void openFailureOffersRetry();
    void brokenFileLeavesTable();
    void openLoadsFileWithProgress();
    void saveWritesExactBytesInPlace();
    void saveDialogPresets_data();
    void saveDialogPresets();
    void saveFailures_data();
    void saveFailures();
    void newListCancelAndConfirmation();
    void newListUnloads_data();
    void newListUnloads();
    void newListSettlesNamedChanges();
    void properties_data();
    void properties();
    void sizeText_data();
    void sizeText();
    void beenden_data();
    void beenden();
    void closeButtonWhileLoadingDoesNothing();
    void endProgram_data();
    void endProgram();
};

void TestListFileCommands::openCancelChangesNothing() {
    WindowHarness h(someRecords(3));
    h.state().dateiwurdegeaendert = 1;
    const std::vector<Record> before = h.storedRecords();
    h.services.answerOpen(std::nullopt);
    h.window().mnuDateioeffnen->trigger();

    QCOMPARE(h.services.openRequests.size(), 1);
    const FileDialogRequest& d = h.services.openRequests.first();
    QCOMPARE(d.title, QStringLiteral("Öffnen"));
    QCOMPARE(d.filter, QStringLiteral("Natalix-Database (*.nxd)"));
    QCOMPARE(d.defaultSuffix, QStringLiteral("nxd"));
    QCOMPARE(d.fileName, QString());
    QCOMPARE(QDir(d.folder), QDir(h.dataDir.path()));
    QVERIFY(h.services.messages.isEmpty());
    QVERIFY(h.storedRecords() == before);
    QCOMPARE(h.state().dateiwurdegeaendert, 1);
    QVERIFY(h.services.allAnswered());
}

void TestListFileCommands::openSettlesChangesFirst_data() {
    QTest::addColumn<bool>("named");
    QTest::addColumn<int>("answer"); // to the question; 0: no question expected
    QTest::addColumn<bool>("saveAsCancelled");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("named: saved silently") << true << 0 << false << true;
    QTest::newRow("unnamed: Cancel stops") << false << answer::cancel << false << false;
    QTest::newRow("unnamed: No loads") << false << answer::no << false << true;
    QTest::newRow("unnamed: Yes, save as cancelled") << false << answer::yes << true << false;
}

void TestListFileCommands::openSettlesChangesFirst() {
    QFETCH(bool, named);
    QFETCH(int, answer);
    QFETCH(bool, saveAsCancelled);
    QFETCH(bool, loaded);
    WindowHarness h(someRecords(3));
    const QString own = h.dataDir.file(QStringLiteral("eigene.nxd"));
    const QString other = h.dataDir.file(QStringLiteral("andere.nxd"));
    QVERIFY(writeFileBytes(other, renderListFile(someRecords(5))));
    h.state().dateiwurdegeaendert = 1;
    if (named)
        h.state().dateinamemitpfad = own;
    const QByteArray current = renderListFile(h.cursor().snapshot());

    h.services.answerOpen(other);
    if (answer)
        h.services.answerMessage(answer);
    if (saveAsCancelled)
        h.services.answerSave(std::nullopt);
    h.window().mnuDateioeffnen->trigger();

    QVERIFY(h.services.allAnswered());
    if (answer) {
        QCOMPARE(h.services.messages.size(), 1);
        QCOMPARE(h.services.messages[0].text, question);
        QCOMPARE(h.services.messages[0].buttons, Buttons::YesNoCancel);
        QCOMPARE(h.services.messages[0].icon, Icon::Exclamation);
        QCOMPARE(h.services.messages[0].title, QString());
    } else {
        QVERIFY(h.services.messages.isEmpty());
        QCOMPARE(readFileBytes(own), current);
    }
    QCOMPARE(h.cursor().recordCount(), loaded ? 5 : 3);
    QCOMPARE(int(h.storedRecords().size()), loaded ? 5 : 3);
    QCOMPARE(h.state().dateinamemitpfad, loaded ? other : (named ? own : QString()));
    QCOMPARE(h.state().dateiwurdegeaendert, loaded ? 0 : 1);
}

void TestListFileCommands::openFailureOffersRetry_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing file") << QStringLiteral("fehlt.nxd")
                                  << readText102(QStringLiteral(
                                         "Die Datei wurde nicht gefunden. Der Datei-Name existiert "
                                         "nicht oder wurde falsch geschrieben.")) +
                                         QStringLiteral(" 53 : ");
    QTest::newRow("missing folder")
        << QStringLiteral("gibtsnicht/liste.nxd")
        << readText102(QStringLiteral("Das Laufwerk oder der Pfad wurde nicht gefunden.")) +
               QStringLiteral(" 76 : ");
    QTest::newRow("a folder, not a file")
        << QStringLiteral("ordner.nxd")
        << readText102(QStringLiteral(
               "Die Datei kann nicht vom Datenträger gelesen werden. Der Datenträger ist "
               "möglicherweise nicht eingelegt oder die Datei ist beschädigt oder existiert "
               "nicht.")) +
               QStringLiteral(" 75 : ");
}

void TestListFileCommands::openFailureOffersRetry() {
    QFETCH(QString, relative);
    QFETCH(QString, text);
    WindowHarness h(someRecords(3));
    QVERIFY(QDir(h.dataDir.path()).mkdir(QStringLiteral("ordner.nxd")));
    const QString path = h.dataDir.file(relative);
    const std::vector<Record> before = h.storedRecords();

    h.services.answerOpen(path);
    h.services.answerMessage(answer::retry);
    h.services.answerOpen(path);
    h.services.answerMessage(answer::cancel);
    h.window().mnuDateioeffnen->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.openRequests.size(), 2);
    QCOMPARE(h.services.openRequests[0].fileName, QString());
    QCOMPARE(h.services.openRequests[1].fileName, path);
    QCOMPARE(h.services.messages.size(), 2);
    for (const MessageRequest& m : h.services.messages) {
        QVERIFY2(m.text.startsWith(text), qPrintable(m.text));
        QVERIFY(m.text.endsWith(QStringLiteral(" )")));
        QVERIFY(m.text.size() > text.size() + 2); // the description follows the code
        QCOMPARE(m.buttons, Buttons::RetryCancel);
        QCOMPARE(m.icon, Icon::Exclamation);
        QCOMPARE(m.title, QString());
    }
    QVERIFY(h.storedRecords() == before);
    QCOMPARE(h.state().dateinamemitpfad, QString());
}

void TestListFileCommands::brokenFileLeavesTable() {
    WindowHarness h(someRecords(4));
    h.state().dateinamemitpfad = QStringLiteral("/irgendwo/alt.nxd");
    const QString broken = h.dataDir.file(QStringLiteral("kaputt.nxd"));
    // A count line and half a record.
    const QByteArray bytes(" 2 \r\n 1 \r\nAnna\r\n 1970 \r\n");
    QVERIFY(writeFileBytes(broken, bytes));
    const std::vector<Record> before = h.storedRecords();

    h.services.answerOpen(broken);
    h.services.answerMessage(answer::ok);
    h.window().mnuDateioeffnen->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), 1);
    const QString readerError = parseListFile(bytes).error;
    QVERIFY(!readerError.isEmpty());
    QCOMPARE(h.services.messages[0].text, readerError);
    QCOMPARE(h.services.messages[0].buttons, Buttons::Ok);
    QCOMPARE(h.services.messages[0].icon, Icon::Exclamation);
    QVERIFY(h.storedRecords() == before);
    QCOMPARE(h.cursor().recordCount(), 4);
    QCOMPARE(h.state().dateinamemitpfad, QStringLiteral("/irgendwo/alt.nxd"));
    QVERIFY(h.window().DataGrid1->isVisibleTo(&h.window()));
}

void TestListFileCommands::openLoadsFileWithProgress() {
    WindowHarness h(someRecords(3));
    h.window().show();
    h.window().sortCommands().cmdSortierennachnamen_Click();
    // 25 records, numbered in a shuffled order, saved while marked as already reminded.
    std::vector<Record> file;
    for (int i = 0; i < 25; ++i) {
        Record r = makeRecord((i * 7) % 25 + 1, QStringLiteral("Kind %1").arg(i), 1990, 8, 1);
        r.marker = {2024, 2024, 2024};
        file.push_back(r);
    }
    const QString path = h.dataDir.file(QStringLiteral("familie.nxd"));
    QVERIFY(writeFileBytes(path, renderListFile(file)));

    ProgressRecorder loading(h.window(), loadEnding);
    ProgressRecorder unloading(h.window(), unloadEnding);
    const int eventsBefore = h.services.processEventsCalls;
    h.services.answerOpen(path);
    h.window().mnuDateioeffnen->trigger();

    QVERIFY(h.services.allAnswered());
    QVERIFY(h.services.messages.isEmpty());
    QCOMPARE(loading.finish(), countUp(1, 25, 25, loadEnding));
    QCOMPARE(unloading.lines, countUp(1, 2, 3, unloadEnding));
    QVERIFY(loading.operations.contains(QStringLiteral("Datei wird geladen ...")));
    QCOMPARE(h.window().ProgressBar1->maximum(), 25);
    QCOMPARE(h.window().ProgressBar1->value(), 25);
    QVERIFY(h.services.processEventsCalls > eventsBefore);

    std::vector<int> expectedOrder(25);
    std::iota(expectedOrder.begin(), expectedOrder.end(), 1);
    QVERIFY(h.numbersInOrder() == expectedOrder);
    const std::vector<Record> stored = h.storedRecords();
    QCOMPARE(int(stored.size()), 25);
    for (const Record& r : stored)
        QCOMPARE(r.marker, (std::array<int, 3>{0, 0, 0}));
    QCOMPARE(h.window().gridCaption(), caption::byNumberAscending());
    QCOMPARE(h.state().sortieren1, 1);
    QCOMPARE(h.state().sortieren2, 0);
    QCOMPARE(h.state().dateinamemitpfad, path);
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
    QCOMPARE(h.state().testengesperrt, 0);
    QCOMPARE(h.window().lblDatensatzvorgang->text(), QString());
    QVERIFY(h.window().DataGrid1->isVisible());
    QVERIFY(!h.window().fraDatensaetze->isVisible());
    QVERIFY(h.window().fraFrame2->isEnabled());
    QVERIFY(h.window().mnuDatei->isEnabled());
}

void TestListFileCommands::saveWritesExactBytesInPlace() {
    Record a = makeRecord(1, QStringLiteral("Müller"), 1980, 5, 17);
    Record b = makeRecord(2, QStringLiteral(" "), 2001, 12, 3);
    b.erinnerung = {QStringLiteral("Keine Erinnerung"), QStringLiteral("Keine Erinnerung"),
                    QStringLiteral("3 Monate vorher")};
    b.erinnerungszyklus = QStringLiteral("alle 5 Jahre");
    WindowHarness h({b, a});
    const QString path = h.dataDir.file(QStringLiteral("liste.nxd"));
    QVERIFY(writeFileBytes(path, QByteArray("alter Inhalt")));
    h.state().dateinamemitpfad = path;
    h.state().dateiwurdegeaendert = 1;
    h.clickRow(1);
    QCOMPARE(h.cursor().absolutePosition(), 2);

    h.window().mnuDateispeichern->trigger();

    QVERIFY(h.services.allAnswered());
    QVERIFY(h.services.saveRequests.isEmpty());
    const QByteArray expected = " 2 \r\n"
                                " 1 \r\nM\xFCller\r\n 1980 \r\n 5 \r\n 17 \r\n"
                                "1 Woche vorher\r\n1 Tag vorher\r\nAm Tage des Geburtstages\r\n"
                                "1. Geburtstag\r\nj\xE4hrlich\r\n"
                                " 2 \r\n \r\n 2001 \r\n 12 \r\n 3 \r\n"
                                "Keine Erinnerung\r\nKeine Erinnerung\r\n3 Monate vorher\r\n"
                                "1. Geburtstag\r\nalle 5 Jahre\r\n";
    QCOMPARE(readFileBytes(path), expected);
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
    QCOMPARE(h.state().abgebrochen, 0);
    QCOMPARE(h.cursor().absolutePosition(), 2);
    // Nothing but the list is left in the folder.
    QCOMPARE(QDir(h.dataDir.path()).entryList({QStringLiteral("liste.nxd*")}, QDir::Files),
             QStringList{QStringLiteral("liste.nxd")});
}

void TestListFileCommands::saveDialogPresets_data() {
    QTest::addColumn<bool>("saveAs");
    QTest::addColumn<bool>("named");
    QTest::addColumn<bool>("cancel");
    QTest::newRow("save, unnamed") << false << false << false;
    QTest::newRow("save, unnamed, cancelled") << false << false << true;
    QTest::newRow("save as, unnamed") << true << false << false;
    QTest::newRow("save as, named") << true << true << false;
    QTest::newRow("save as, named, cancelled") << true << true << true;
}

void TestListFileCommands::saveDialogPresets() {
    QFETCH(bool, saveAs);
    QFETCH(bool, named);
    QFETCH(bool, cancel);
    WindowHarness h(someRecords(2));
    const QString old = h.dataDir.file(QStringLiteral("alt.nxd"));
    const QString chosen = h.dataDir.file(QStringLiteral("neu.nxd"));
    h.state().dateiwurdegeaendert = 1;
    if (named)
        h.state().dateinamemitpfad = old;
    h.services.answerSave(cancel ? std::nullopt : std::optional<QString>(chosen));
    (saveAs ? h.window().mnuDateispeichernunter : h.window().mnuDateispeichern)->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.saveRequests.size(), 1);
    const FileDialogRequest& d = h.services.saveRequests[0];
    QCOMPARE(d.title, QStringLiteral("Speichern unter"));
    QCOMPARE(d.filter, QStringLiteral("Natalix-Database (*.nxd)"));
    QCOMPARE(d.defaultSuffix, QStringLiteral("nxd"));
    QVERIFY(d.confirmOverwrite);
    QCOMPARE(d.fileName, named ? old : h.dir.defaultListPath());
    QCOMPARE(h.state().abgebrochen, cancel ? 1 : 0);
    QCOMPARE(h.state().dateiwurdegeaendert, cancel ? 1 : 0);
    QCOMPARE(QFile::exists(chosen), !cancel);
    QVERIFY(!QFile::exists(old));
    QCOMPARE(h.state().dateinamemitpfad, cancel ? (named ? old : QString()) : chosen);
}

void TestListFileCommands::saveFailures_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<int>("fullDiskTries"); // writes that run out of room before one has room
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QString>("text");
    const QString write101 = QStringLiteral(
        " Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu schreiben, oder "
        "'Abbrechen' um den Vorgang abzubrechen. ( 101 /");
    const QList<int> retryThenCancel{answer::retry, answer::cancel};
    QTest::newRow("missing folder")
        << QStringLiteral("fehlt/liste.nxd") << 0 << retryThenCancel
        << QStringLiteral("Das Laufwerk oder der Pfad wurde nicht gefunden.") + write101 +
               QStringLiteral(" 76 : ");
    QTest::newRow("a folder in the way")
        << QStringLiteral("ordner.nxd") << 0 << QList<int>{answer::cancel}
        << QStringLiteral("Die Datei kann nicht auf den Datenträger geschrieben werden. Der "
                          "Datenträger ist möglicherweise nicht eingelegt, beschädigt, voll "
                          "oder schreibgeschützt. Die Datei wurde noch nicht gespeichert. Bitte "
                          "wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu "
                          "speichern, oder 'Abbrechen' um die Speicherung abzubrechen. ( 101 / "
                          "75 : ");
    QTest::newRow("disk full, cancelled")
        << QStringLiteral("liste.nxd") << 100 << retryThenCancel << diskFull103;
    QTest::newRow("disk full, then room")
        << QStringLiteral("liste.nxd") << 1 << QList<int>{answer::retry} << diskFull103;
}

void TestListFileCommands::saveFailures() {
    QFETCH(QString, relative);
    QFETCH(int, fullDiskTries);
    QFETCH(QList<int>, answers);
    QFETCH(QString, text);
    WindowHarness h(someRecords(30));
    QVERIFY(QDir(h.dataDir.path()).mkdir(QStringLiteral("ordner.nxd")));
    const QString path = h.dataDir.file(relative);
    const QByteArray earlier = renderListFile(someRecords(2));
    if (fullDiskTries > 0) {
        QVERIFY(writeFileBytes(path, earlier));
        commandsOf(h).setTargetFactory(
            [tries = fullDiskTries](const QString& p) mutable -> std::unique_ptr<ListFileTarget> {
                if (tries-- > 0)
                    return std::make_unique<FullDiskTarget>(p, 1500);
                return std::make_unique<ListFileTarget>(p);
            });
    }
    h.state().dateinamemitpfad = path;
    h.state().dateiwurdegeaendert = 1;
    for (int a : answers)
        h.services.answerMessage(a);
    h.window().mnuDateispeichern->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), answers.size());
    for (const MessageRequest& m : h.services.messages) {
        QVERIFY2(m.text.startsWith(text), qPrintable(m.text));
        QVERIFY(m.text.endsWith(QStringLiteral(" )")));
        QCOMPARE(m.buttons, Buttons::RetryCancel);
        QCOMPARE(m.icon, Icon::Exclamation);
        QCOMPARE(m.title, QString());
    }
    if (answers.last() == answer::cancel) {
        QCOMPARE(h.state().dateinamemitpfad, QString());
        QCOMPARE(h.state().abgebrochen, 1);
        QCOMPARE(h.state().dateiwurdegeaendert, 1);
        if (fullDiskTries > 0)
            QCOMPARE(readFileBytes(path), earlier); // the last good copy survives
    } else {
        QCOMPARE(h.state().dateinamemitpfad, path);
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
        QCOMPARE(readFileBytes(path), renderListFile(h.cursor().snapshot()));
    }
    // No half-written file is left behind.
    const QStringList left = QDir(h.dataDir.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& f : left)
        QVERIFY2(!f.startsWith(QStringLiteral("liste.nxd.")), qPrintable(f));
}

void TestListFileCommands::newListCancelAndConfirmation() {
    WindowHarness h(someRecords(3));
    h.state().dateiwurdegeaendert = 1;
    h.state().dateinamemitpfad = QStringLiteral("/x/y.nxd");
    const std::vector<Record> before = h.storedRecords();
    h.services.answerMessage(answer::cancel);
    h.window().mnuDateineu->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), 1);
    const MessageRequest& m = h.services.messages[0];
    const QString expected =
        QStringLiteral("Neue Geburtstagsliste anlegen?\n\r\n\rWenn eine neue, leere Tabelle "
                       "angelegt werden soll, klicken Sie auf OK und die aktuell geladene "
                       "Geburtstags-Liste wird gelöscht! Die Tabelle können Sie aber mit \"Datei "
                       "/ Geburtstagsliste öffnen\" wieder einlesen, sofern sie vorher "
                       "gespeichert wurde.\n\r\n\rUnter \"Datei / Eigenschaften\" können Sie "
                       "nachsehen, ob und wo die Datei gespeichert wurde.\n\r\n\rSoll die "
                       "Gebutstags-Liste wirklich gelöscht werden?");
    QCOMPARE(m.text, expected);
    QCOMPARE(m.buttons, Buttons::OkCancel);
    QCOMPARE(m.defaultButton, int(answer::cancel));
    QCOMPARE(m.icon, Icon::Exclamation);
    QCOMPARE(m.title, QString());
    QVERIFY(h.storedRecords() == before);
    QCOMPARE(h.state().dateiwurdegeaendert, 1);
    QCOMPARE(h.state().dateinamemitpfad, QStringLiteral("/x/y.nxd"));
}

void TestListFileCommands::newListUnloads_data() {
    QTest::addColumn<int>("count");
    QTest::newRow("25 records") << 25;
    QTest::newRow("one record") << 1;
}

void TestListFileCommands::newListUnloads() {
    QFETCH(int, count);
    Options options;
    options.option1erinnerung = QStringLiteral("2 Wochen vorher");
    options.option2erinnerung = QStringLiteral("Keine Erinnerung");
    options.option3erinnerung = QStringLiteral("1 Tag vorher");
    options.optionabjahr = QStringLiteral("18. Geburtstag");
    options.optionzyklus = QStringLiteral("alle 10 Jahre");
    std::vector<Record> records = someRecords(count);
    for (Record& r : records)
        r.marker = {2025, 0, 2025};
    WindowHarness h(records, options);
    h.window().show();
    h.window().sortCommands().cmdSortierennachjahr_Click();
    ProgressRecorder recorder(h.window(), unloadEnding);
    h.services.answerMessage(answer::ok);
    h.window().mnuDateineu->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), 1); // the confirmation only
    if (count > 1) {
        QCOMPARE(recorder.finish(), countUp(1, count - 1, count, unloadEnding));
        QCOMPARE(recorder.operations, QStringList{QStringLiteral("Speicher wird entladen ...")});
    } else {
        QVERIFY(recorder.finish().isEmpty());
    }
    const std::vector<Record> stored = h.storedRecords();
    QCOMPARE(int(stored.size()), 1);
    Record sample;
    sample.nummer = 1;
    sample.name = QStringLiteral("Zellwig (der Programmierer)");
    sample.jahr = 1971;
    sample.monat = 12;
    sample.tag = 22;
    sample.erinnerung = {options.option1erinnerung, options.option2erinnerung,
                         options.option3erinnerung};
    sample.erinnerungsbeginn = options.optionabjahr;
    sample.erinnerungszyklus = options.optionzyklus;
    QVERIFY(stored[0] == sample);
    QCOMPARE(h.cursor().absolutePosition(), 1);
    QCOMPARE(h.window().txtName->text(), sample.name);
    QCOMPARE(h.window().gridCaption(), caption::byNumberAscending());
    QCOMPARE(h.cursor().sort(), QStringLiteral("Nummer ASC"));
    QCOMPARE(h.state().sortieren1, 1);
    QCOMPARE(h.state().sortieren3, 0);
    QCOMPARE(h.state().dateinamemitpfad, QString());
    QCOMPARE(h.state().dateiwurdegeaendert, 0);
    QCOMPARE(h.state().testengesperrt, 0);
    QVERIFY(h.window().DataGrid1->isVisible());
    QVERIFY(h.window().fraFrame1->isEnabled());
    QVERIFY(h.window().mnuFragezeichen->isEnabled());

    // A following save asks for a name, preset to the default list.
    h.services.answerSave(std::nullopt);
    h.window().mnuDateispeichern->trigger();
    QCOMPARE(h.services.saveRequests.size(), 1);
    QCOMPARE(h.services.saveRequests[0].fileName, h.dir.defaultListPath());
    QCOMPARE(h.state().abgebrochen, 1);
}

void TestListFileCommands::newListSettlesNamedChanges() {
    WindowHarness h(someRecords(4));
    const QString path = h.dataDir.file(QStringLiteral("familie.nxd"));
    h.state().dateinamemitpfad = path;
    h.state().dateiwurdegeaendert = 1;
    const QByteArray current = renderListFile(h.cursor().snapshot());
    h.services.answerMessage(answer::ok);
    h.window().mnuDateineu->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(readFileBytes(path), current);
    QCOMPARE(int(h.storedRecords().size()), 1);
    QCOMPARE(h.state().dateinamemitpfad, QString());
}

void TestListFileCommands::properties_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("windows path") << QStringLiteral("C:\\Listen\\familie.nxd")
                                  << QStringLiteral("familie.nxd");
    QTest::newRow("unix path") << QStringLiteral("/home/anna/Listen/freunde.nxd")
                               << QStringLiteral("freunde.nxd");
    QTest::newRow("no folder") << QStringLiteral("lose.nxd") << QStringLiteral("lose.nxd");
    QTest::newRow("unnamed") << QString() << QString();
}

void TestListFileCommands::properties() {
    QFETCH(QString, path);
    QFETCH(QString, name);
    // Name and reminder texts of L = 4 + 12 + 16 + 16 + 13 + 8 = 69 characters: 111 bytes.
    Record r = makeRecord(1, QStringLiteral("Anna"), 1971, 12, 22);
    r.erinnerung = {QStringLiteral("1 Tag vorher"), QStringLiteral("Keine Erinnerung"),
                    QStringLiteral("Keine Erinnerung")};
    r.erinnerungsbeginn = QStringLiteral("1. Geburtstag");
    r.erinnerungszyklus = QStringLiteral("jährlich");
    WindowHarness h({r});
    h.state().dateinamemitpfad = path;

    QMap<QString, QString> shown;
    h.services.answerDialog([&shown](QDialog& d) {
        shown[QStringLiteral("caption")] = d.windowTitle();
        for (const char* n : {"txt1", "txt2"})
            shown[QLatin1String(n)] = d.findChild<QLineEdit*>(QLatin1String(n))->text();
        for (const char* n :
             {"Label1", "Label2", "Label3", "Label5", "Label7", "lbl3", "lbl4", "lbl5"})
            shown[QLatin1String(n)] = d.findChild<QLabel*>(QLatin1String(n))->text();
        QPushButton* ok = d.findChild<QPushButton*>(QStringLiteral("cmdOK"));
        shown[QStringLiteral("cmdOK")] = ok->text();
        QTest::mouseClick(ok, Qt::LeftButton);
        return d.result();
    });
    h.window().mnuDateieigenschaften->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(shown.value(QStringLiteral("caption")), QStringLiteral("Eigenschaften"));
    QCOMPARE(shown.value(QStringLiteral("txt1")), name);
    QCOMPARE(shown.value(QStringLiteral("txt2")), path);
    QCOMPARE(shown.value(QStringLiteral("Label1")), QStringLiteral("Dateiname:"));
    QCOMPARE(shown.value(QStringLiteral("Label2")), QStringLiteral("Pfad:"));
    QCOMPARE(shown.value(QStringLiteral("Label3")), QStringLiteral("Typ:"));
    QCOMPARE(shown.value(QStringLiteral("Label5")), QStringLiteral("Grösse:"));
    QCOMPARE(shown.value(QStringLiteral("Label7")), QStringLiteral("Datensätze:"));
    QCOMPARE(shown.value(QStringLiteral("lbl3")), QStringLiteral("NXD-Datei   (Natalix-Database)"));
    QCOMPARE(shown.value(QStringLiteral("lbl4")), QStringLiteral("0,1 KB (111 Bytes)"));
    QCOMPARE(shown.value(QStringLiteral("lbl5")), QStringLiteral("1 Stück"));
    QCOMPARE(shown.value(QStringLiteral("cmdOK")), QStringLiteral("OK"));
}

void TestListFileCommands::sizeText_data() {
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("5000") << qint64(5000) << QStringLiteral("4,88 KB (5.000 Bytes)");
    QTest::newRow("1024") << qint64(1024) << QStringLiteral("1 KB (1.024 Bytes)");
    QTest::newRow("100") << qint64(100) << QStringLiteral("0,09 KB (100 Bytes)");
    QTest::newRow("cut, not rounded") << qint64(1535) << QStringLiteral("1,49 KB (1.535 Bytes)");
    QTest::newRow("one decimal") << qint64(1126) << QStringLiteral("1,09 KB (1.126 Bytes)");
    QTest::newRow("trailing zero") << qint64(1127) << QStringLiteral("1,1 KB (1.127 Bytes)");
    QTest::newRow("millions") << qint64(1126400) << QStringLiteral("1100 KB (1.126.400 Bytes)");
}

void TestListFileCommands::sizeText() {
    QFETCH(qint64, bytes);
    QFETCH(QString, text);
    QCOMPARE(listFileSizeText(bytes), text);
}

void TestListFileCommands::beenden_data() {
    QTest::addColumn<bool>("named");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("answer"); // to the question; 0: none expected
    QTest::addColumn<bool>("saveAsCancelled");
    QTest::addColumn<bool>("viaCloseButton");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("unchanged") << true << false << 0 << false << false << true;
    QTest::newRow("changed, named: saved") << true << true << 0 << false << false << true;
    QTest::newRow("changed, unnamed: Cancel")
        << false << true << int(answer::cancel) << false << false << false;
    QTest::newRow("changed, unnamed: No")
        << false << true << int(answer::no) << false << false << true;
    QTest::newRow("changed, unnamed: Yes, dialog cancelled")
        << false << true << int(answer::yes) << true << false << false;
    QTest::newRow("close button, named") << true << true << 0 << false << true << true;
    QTest::newRow("close button, Cancel")
        << false << true << int(answer::cancel) << false << true << false;
}

void TestListFileCommands::beenden() {
    QFETCH(bool, named);
    QFETCH(bool, changed);
    QFETCH(int, answer);
    QFETCH(bool, saveAsCancelled);
    QFETCH(bool, viaCloseButton);
    QFETCH(bool, hidden);
    WindowHarness h(someRecords(3));
    h.services.setToday(2025, 3, 9);
    h.window().show();
    h.window().settings().setValue(QStringLiteral("filename"), QStringLiteral("vorher"));
    const QString path = h.dataDir.file(QStringLiteral("familie.nxd"));
    if (named)
        h.state().dateinamemitpfad = path;
    h.state().dateiwurdegeaendert = changed ? 1 : 0;
    h.state().altertag = 1;
    if (answer)
        h.services.answerMessage(answer);
    if (saveAsCancelled)
        h.services.answerSave(std::nullopt);

    if (viaCloseButton)
        h.window().close();
    else
        h.window().mnuDateibeenden->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.services.messages.size(), answer ? 1 : 0);
    if (answer)
        QCOMPARE(h.services.messages[0].text, question);
    QCOMPARE(h.window().isVisible(), !hidden);
    QCOMPARE(h.state().programmbeenden, 0);
    QCOMPARE(QFile::exists(path), named && changed);
    QCOMPARE(h.window().settings().value(QStringLiteral("filename")),
             hidden ? (named ? path : QString()) : QStringLiteral("vorher"));
    QCOMPARE(h.state().altertag, hidden ? 9 : 1);
}

void TestListFileCommands::closeButtonWhileLoadingDoesNothing() {
    WindowHarness h(someRecords(3));
    h.window().show();
    const QString path = h.dataDir.file(QStringLiteral("familie.nxd"));
    QVERIFY(writeFileBytes(path, renderListFile(someRecords(40))));
    bool closed = true;
    bool busy = false;
    // The click arrives while the list loads, when the loop lets window events run.
    QTimer::singleShot(0, &h.window(), [&] {
        busy = !h.window().fraFrame2->isEnabled();
        closed = h.window().close();
        // Nor do the menus' shortcut keys start another command meanwhile.
        for (const QKeyCombination key :
             {Qt::CTRL | Qt::Key_S, Qt::CTRL | Qt::Key_N, Qt::CTRL | Qt::Key_O})
            QTest::keyClick(h.window().DataGrid1, key.key(), key.keyboardModifiers());
    });
    h.state().dateinamemitpfad = h.dataDir.file(QStringLiteral("alt.nxd"));
    h.state().dateiwurdegeaendert = 0;
    h.services.answerOpen(path);
    QApplication::setActiveWindow(&h.window());
    h.window().mnuDateioeffnen->trigger();

    QVERIFY(busy);
    QVERIFY(!QFile::exists(h.dataDir.file(QStringLiteral("alt.nxd"))));
    QVERIFY(!closed);
    QVERIFY(h.window().isVisible());
    QVERIFY(h.services.allAnswered());
    QVERIFY(h.services.messages.isEmpty());
    QCOMPARE(h.cursor().recordCount(), 40);
    QCOMPARE(h.state().dateinamemitpfad, path);

    // Once the list has loaded, the same keys work again.
    h.state().dateinamemitpfad = h.dataDir.file(QStringLiteral("alt.nxd"));
    QTest::keyClick(h.window().DataGrid1, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(readFileBytes(h.dataDir.file(QStringLiteral("alt.nxd"))),
             renderListFile(h.cursor().snapshot()));
}

void TestListFileCommands::endProgram_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ended");
    QTest::newRow("No") << int(answer::no) << true;
    QTest::newRow("Cancel") << int(answer::cancel) << false;
}

void TestListFileCommands::endProgram() {
    QFETCH(int, answer);
    QFETCH(bool, ended);
    WindowHarness h(someRecords(2));
    h.window().show();
    h.window().settings().setValue(QStringLiteral("filename"), QStringLiteral("vorher"));
    h.state().dateiwurdegeaendert = 1;
    h.services.answerMessage(answer);
    h.window().mnuErinnerungsmodulbeenden->trigger();

    QVERIFY(h.services.allAnswered());
    QCOMPARE(h.state().programmbeenden, ended ? 1 : 0);
    QCOMPARE(h.window().isVisible(), !ended);
    QCOMPARE(h.window().settings().value(QStringLiteral("filename")),
             ended ? QString() : QStringLiteral("vorher"));
}

QTEST_MAIN(TestListFileCommands)
#include "test_listfilecommands.moc"
