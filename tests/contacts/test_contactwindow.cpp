// The window's side of contacts and calendars: the unknown birth year in the form, the grid
// and the printed list, "Kontakte importieren..." with its preview, and "Als Kalender
// exportieren (.ics)..." beside the command line's export.
#include "contacts/frmkontakte.h"
#include "print/printcommands.h"
#include "printing/recordingsurface.h"
#include "support/processes.h"
#include "support/windowharness.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

#include <functional>
#include <optional>

using namespace natalix;
using namespace natalix::test;

namespace {

// Focus events only reach the fields of an active window.
FrmMain& shown(WindowHarness& h) {
    FrmMain& w = h.window();
    w.show();
    QApplication::setActiveWindow(&w);
    QTest::qVerify(QTest::qWaitForWindowActive(&w), "active", "", __FILE__, __LINE__);
    return w;
}

QString gridText(WindowHarness& h, int row, int column) {
    QAbstractItemModel* m = h.window().DataGrid1->model();
    return m->data(m->index(row, column)).toString();
}

Record byNumber(const std::vector<Record>& records, int nummer) {
    for (const Record& r : records)
        if (r.nummer == nummer)
            return r;
    return Record();
}

// What a preview row shows: check box, name, date, note.
QStringList previewRows(const FrmKontakte& d) {
    QStringList out;
    for (int i = 0; i < d.lstKontakte->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* it = d.lstKontakte->topLevelItem(i);
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(it->checkState(0) == Qt::Checked ? u"x" : u" ", it->text(0), it->text(1),
                        it->text(2));
    }
    return out;
}

const Options importOptions = [] {
    Options o;
    o.option1erinnerung = QStringLiteral("2 Wochen vorher");
    o.option2erinnerung = QStringLiteral("Keine Erinnerung");
    o.option3erinnerung = QStringLiteral("Am Tage des Geburtstages");
    o.optionabjahr = QStringLiteral("18. Geburtstag");
    o.optionzyklus = QStringLiteral("alle 2 Jahre");
    return o;
}();

// A record as the import makes it: the reminders of importOptions, markers 0.
Record imported(int nummer, const QString& name, int jahr, int monat, int tag) {
    Record r = newRecord(nummer, importOptions.reminderDefaults());
    r.name = name;
    r.jahr = jahr;
    r.monat = monat;
    r.tag = tag;
    return r;
}

// Anna is in the list already (her year unknown in the file), Ohne Jahr and Bert are new,
// two cards have no birthday the list could hold.
const QByteArray cards("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Beispiel\r\nBDAY:--0307\r\n"
                       "END:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ohne Jahr\r\nBDAY:--0308\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Kein Datum\r\nEND:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bert Berg\r\nBDAY:1990-05-06\r\n"
                       "END:VCARD\r\n"
                       "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Irgendwann\r\nBDAY;VALUE=text:someday\r\n"
                       "END:VCARD\r\n");

std::vector<Record> listBeforeImport() {
    Record anna = makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7);
    Record april = makeRecord(4, QStringLiteral("April Kind"), 1990, 4, 12);
    anna.marker = {2024, 2024, 0};
    return {anna, april};
}

struct Toggle {
    QString name;
    bool checked;
};

} // namespace

Q_DECLARE_METATYPE(QList<Toggle>)
Q_DECLARE_METATYPE(std::vector<natalix::Record>)

class TestContactWindow : public QObject {
    Q_OBJECT

    // "Kontakte importieren..." with `file` chosen; `work` answers the preview, if it comes.
    static void importFrom(WindowHarness& h, const QString& file,
                           std::function<int(FrmKontakte&)> work) {
        h.services.answerOpen(file);
        if (work)
            h.services.answerDialog(
                [work](QDialog& d) { return work(dynamic_cast<FrmKontakte&>(d)); });
        h.window().mnuDateikontakteimportieren->trigger();
    }

    static void acceptAsOffered(WindowHarness& h, const QString& file) {
        importFrom(h, file, [](FrmKontakte& d) {
            d.cmdUebernehmen->click();
            return d.result();
        });
    }

    // The calendar the command line writes of the same data directory at the same instant.
    static QByteArray exportedByCommandLine(WindowHarness& h) {
        const QString target = h.dataDir.file(QStringLiteral("cli.ics"));
        RunSetup setup;
        setup.home = h.dataDir.path();
        setup.env.insert(QStringLiteral("NATALIX_NOW"), h.services.now().toString(Qt::ISODate));
        const RunResult r = runNatalix(
            {QStringLiteral("--datadir"), h.dir.path, QStringLiteral("--export-ics"), target},
            setup);
        if (!r.finished || r.code != 0)
            qWarning("--export-ics: %d %s", r.code, r.err.constData());
        return readFileBytes(target);
    }

private slots:
    // Every road by which the year box reaches the record, with the year left empty, unreadable
    // or too small: 0 stays (an empty cell), 1 to 1879 become 1880.
    void yearReachesTheRecord_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("stored");
        const std::tuple<const char*, const char*, int> rows[] = {
            {"enter", "", 0},     {"enter", "abc", 0},     {"enter", "0", 0},
            {"enter", "5", 1880}, {"enter", "1879", 1880}, {"enter", "19650", 1965},
            {"row", "", 0},       {"row", "abc", 0},       {"row", "0", 0},
            {"row", "5", 1880},   {"row", "1879", 1880},   {"row", "19650", 1965},
            {"paste", "", 0},     {"paste", " x", 0},      {"paste", "19650", 2099},
            {"cut", "", 0},       {"delete", "", 0},
        };
        for (auto [path, typed, stored] : rows)
            QTest::addRow("%s '%s'", path, typed) << QString(path) << QString(typed) << stored;
    }
    void yearReachesTheRecord() {
        QFETCH(QString, path);
        QFETCH(QString, typed);
        QFETCH(int, stored);
        WindowHarness h({makeRecord(1, QStringLiteral("Anna"), 1964, 2, 29),
                         makeRecord(2, QStringLiteral("Bert"), 1970, 5, 6)});
        FrmMain& w = shown(h);
        QLineEdit* year = w.cboJahr->lineEdit();
        if (path == u"row") {
            // Typed while the box keeps no focus of its own: only the record check sees it.
            w.cboJahr->setEditText(typed);
            h.clickRow(1);
            QCOMPARE(h.cursor().absolutePosition(), 2);
        } else {
            w.cboJahr->setFocus(Qt::TabFocusReason);
            year->selectAll();
            if (path == u"enter") {
                QTest::keyClick(year, Qt::Key_Backspace);
                QTest::keyClicks(year, typed);
            } else if (path == u"paste") {
                h.services.setClipboard(typed);
                w.mnuBearbeiteneinfuegen->trigger();
            } else if (path == u"cut") {
                w.mnuBearbeitenausschneiden->trigger();
                QCOMPARE(h.services.clipboard(), std::optional<QString>(QStringLiteral("1964")));
            } else {
                w.mnuBearbeitenloeschen->trigger();
            }
        }
        if (path == u"enter") {
            QTest::keyClick(year, Qt::Key_Return);
            QCOMPARE(h.cursor().absolutePosition(), 2);
        } else if (path != u"row") {
            w.cboErsteerinnerung->setFocus(Qt::TabFocusReason);
            QCOMPARE(w.cboJahr->currentText(), stored ? QString::number(stored) : QString());
            w.storePendingEdit();
        }
        const Record r = byNumber(h.storedRecords(), 1);
        QCOMPARE(r.jahr, stored);
        // 29 February stays without a year (it is reminded on 1 March in common years).
        QCOMPARE(r.tag, stored == 0 || QDate::isLeapYear(stored) ? 29 : 28);
        QCOMPARE(gridText(h, 0, 2), stored ? QString::number(stored) : QString());
        QCOMPARE(byNumber(h.storedRecords(), 2).jahr, 1970);
        QVERIFY(h.services.allAnswered());
    }

    // The form, the grid and the printed list show no year for 0; sorting by year puts the
    // unknown years first.
    void unknownYearIsShownEmpty_data() {
        QTest::addColumn<int>("printDisplay");
        QTest::addColumn<double>("yearX");
        QTest::newRow("new print display") << 0 << 67.0;
        QTest::newRow("old print display") << 1 << 83.0;
    }
    void unknownYearIsShownEmpty() {
        QFETCH(int, printDisplay);
        QFETCH(double, yearX);
        Options options;
        options.optiondatumsanzeigedrucken = printDisplay;
        WindowHarness h({makeRecord(1, QStringLiteral("Alt"), 1950, 1, 2),
                         makeRecord(2, QStringLiteral("Ohne März"), 0, 3, 1),
                         makeRecord(3, QStringLiteral("Jung"), 1930, 6, 7),
                         makeRecord(4, QStringLiteral("Ohne Januar"), 0, 1, 9)},
                        options);
        FrmMain& w = shown(h);
        QTest::mouseClick(w.cmdSortierennachjahr, Qt::LeftButton);
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{4, 2, 3, 1}));
        h.clickRow(0);
        QCOMPARE(w.lblNummer->text(), QStringLiteral("4"));
        QCOMPARE(w.cboJahr->currentText(), QString());
        const QStringList years{gridText(h, 0, 2), gridText(h, 1, 2), gridText(h, 2, 2),
                                gridText(h, 3, 2)};
        QCOMPARE(years, (QStringList{"", "", "1930", "1950"}));

        PrintLog log;
        h.services.answerPrinter(true);
        h.services.answerDialog([](QDialog& d) {
            d.findChild<QPushButton*>(QStringLiteral("cmdDrucken"))->click();
            return d.result();
        });
        w.findChild<PrintCommands*>()->setSurfaceFactory(recordingFactory(log));
        w.mnuDateidrucken->trigger();
        QVERIFY(h.services.allAnswered());
        QCOMPARE(log.jobs.size(), 1);
        const RecordedPage& page = log.jobs[0].pages[0];
        QCOMPARE(page.column(yearX), (QStringList{"", "", " 1930", " 1950"}));
        QCOMPARE(page.column(75), (QStringList{" 1", " 3", " 6", " 1"}));
        QCOMPARE(h.storedRecords().at(1).jahr, 0);
    }

    // The preview: a row per contact with a birthday, the list's own unchecked and marked, the
    // count kept current; then the chosen ones appended, numbered on, sorted by number.
    void importThroughThePreview_data() {
        QTest::addColumn<double>("dateDisplay");
        QTest::addColumn<QStringList>("offered");
        QTest::addColumn<QList<Toggle>>("toggles");
        QTest::addColumn<QStringList>("counts"); // after each toggle
        QTest::addColumn<std::vector<Record>>("added");
        QTest::addColumn<QString>("summary");
        const QStringList old{" |Anna Beispiel|7.3.|schon in der Liste",
                              "x|Ohne Jahr|8.3.|Geburtsjahr unbekannt", "x|Bert Berg|6.5.1990|"};
        const QStringList neu{" |Anna Beispiel|3-7|schon in der Liste",
                              "x|Ohne Jahr|3-8|Geburtsjahr unbekannt", "x|Bert Berg|1990-5-6|"};
        QTest::newRow("as offered")
            << 1.0 << old << QList<Toggle>{}
            << QStringList{"2 von 3 Geburtstagen werden übernommen."}
            << std::vector<Record>{imported(5, "Ohne Jahr", 0, 3, 8),
                                   imported(6, "Bert Berg", 1990, 5, 6)}
            << "2 Geburtstage übernommen, 1 schon in der Liste, 2 ohne lesbares Geburtsdatum";
        QTest::newRow("the duplicate too, Bert not")
            << 0.0 << neu << QList<Toggle>{{"Bert Berg", false}, {"Anna Beispiel", true}}
            << QStringList{"2 von 3 Geburtstagen werden übernommen.",
                           "1 von 3 Geburtstagen werden übernommen.",
                           "2 von 3 Geburtstagen werden übernommen."}
            << std::vector<Record>{imported(5, "Anna Beispiel", 0, 3, 7),
                                   imported(6, "Ohne Jahr", 0, 3, 8)}
            << "2 Geburtstage übernommen, 0 schon in der Liste, 2 ohne lesbares Geburtsdatum";
        QTest::newRow("none chosen")
            << 1.0 << old << QList<Toggle>{{"Ohne Jahr", false}, {"Bert Berg", false}}
            << QStringList{"2 von 3 Geburtstagen werden übernommen.",
                           "1 von 3 Geburtstagen werden übernommen.",
                           "0 von 3 Geburtstagen werden übernommen."}
            << std::vector<Record>{}
            << "0 Geburtstage übernommen, 1 schon in der Liste, 2 ohne lesbares Geburtsdatum";
    }
    void importThroughThePreview() {
        QFETCH(double, dateDisplay);
        QFETCH(QStringList, offered);
        QFETCH(QList<Toggle>, toggles);
        QFETCH(QStringList, counts);
        QFETCH(std::vector<Record>, added);
        QFETCH(QString, summary);
        Options options = importOptions;
        options.optiondatumsanzeigehauptfenster = dateDisplay;
        WindowHarness h(listBeforeImport(), options);
        FrmMain& w = shown(h);
        const QString file = h.dataDir.file(QStringLiteral("kontakte.vcf"));
        QVERIFY(writeFileBytes(file, cards));
        // Another order in force, and an April record with day 31 typed: the check runs first.
        QTest::mouseClick(w.cmdSortierennachnamen, Qt::LeftButton);
        h.clickRow(1);
        w.cboTag->setEditText(QStringLiteral("31"));
        h.services.answerMessage(answer::ok);

        QStringList seenCounts;
        QStringList seenRows;
        int aprilDay = 0;
        importFrom(h, file, [&](FrmKontakte& d) {
            // The April record was checked and stored before the list was compared.
            aprilDay = byNumber(h.storedRecords(), 4).tag;
            seenCounts << d.lblAnzahl->text();
            seenRows = previewRows(d);
            for (const Toggle& t : toggles) {
                const auto items = d.lstKontakte->findItems(t.name, Qt::MatchExactly, 0);
                if (items.size() == 1)
                    items[0]->setCheckState(0, t.checked ? Qt::Checked : Qt::Unchecked);
                seenCounts << d.lblAnzahl->text();
            }
            d.cmdUebernehmen->click();
            return d.result();
        });
        QVERIFY(h.services.allAnswered());
        QCOMPARE(aprilDay, 30);
        QCOMPARE(seenRows, offered);
        QCOMPARE(seenCounts, counts);
        QCOMPARE(h.services.openRequests.size(), 1);
        QCOMPARE(h.services.openRequests[0].title, QStringLiteral("Kontakte importieren"));
        QCOMPARE(h.services.messages.size(), 1);
        const MessageRequest& m = h.services.messages[0];
        QCOMPARE(m.text, summary);
        QCOMPARE(m.title, QStringLiteral("Kontakte importieren"));
        QCOMPARE(m.icon, Icon::Information);

        std::vector<Record> expected = listBeforeImport();
        expected[1].tag = 30;
        expected.insert(expected.end(), added.begin(), added.end());
        QCOMPARE(h.storedRecords(), expected);
        QCOMPARE(h.cursor().recordCount(), int(expected.size()));
        QCOMPARE(h.state().dateiwurdegeaendert, added.empty() ? 0 : 1);
        if (!added.empty()) {
            // Sorted by number as after a first click on "Nummer", the first new one current.
            QCOMPARE(h.numbersInOrder(), (std::vector<int>{1, 4, 5, 6}));
            QCOMPARE(w.gridCaption(),
                     QStringLiteral("Alle Datensätze - sortiert nach Nr. - aufsteigend"));
            QCOMPARE(h.state().sortieren1, 1);
            QCOMPARE(h.state().sortieren2, 0);
            QCOMPARE(w.lblNummer->text(), QStringLiteral("5"));
            QCOMPARE(w.txtName->text(), added[0].name);
            QCOMPARE(w.cboJahr->currentText(), QString());
        }
        QCOMPARE(h.state().testengesperrt, 0);
    }

    // Importing the same file again adds nothing; cancelling the preview changes nothing.
    void secondImportAndCancel() {
        WindowHarness h(listBeforeImport(), importOptions);
        const QString file = h.dataDir.file(QStringLiteral("kontakte.vcf"));
        QVERIFY(writeFileBytes(file, cards));
        h.services.answerMessage(answer::ok);
        acceptAsOffered(h, file);
        const std::vector<Record> once = h.storedRecords();
        QCOMPARE(once.size(), size_t(4));
        h.state().dateiwurdegeaendert = 0;

        QStringList rows;
        QString count;
        h.services.answerMessage(answer::ok);
        importFrom(h, file, [&](FrmKontakte& d) {
            rows = previewRows(d);
            count = d.lblAnzahl->text();
            d.cmdUebernehmen->click();
            return d.result();
        });
        QCOMPARE(count, QStringLiteral("0 von 3 Geburtstagen werden übernommen."));
        QCOMPARE(rows, (QStringList{" |Anna Beispiel|7.3.|schon in der Liste",
                                    " |Ohne Jahr|8.3.|schon in der Liste",
                                    " |Bert Berg|6.5.1990|schon in der Liste"}));
        QCOMPARE(h.services.messages.last().text,
                 QStringLiteral("0 Geburtstage übernommen, 3 schon in der Liste, 2 ohne lesbares "
                                "Geburtsdatum"));
        QCOMPARE(h.storedRecords(), once);
        QCOMPARE(h.state().dateiwurdegeaendert, 0);

        // Abbrechen: no summary, nothing added.
        const int messages = int(h.services.messages.size());
        QVERIFY(writeFileBytes(file, cards + "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Neu\r\n"
                                             "BDAY:2001-01-01\r\nEND:VCARD\r\n"));
        importFrom(h, file, [](FrmKontakte& d) {
            d.cmdAbbrechen->click();
            return d.result();
        });
        QCOMPARE(int(h.services.messages.size()), messages);
        QCOMPARE(h.storedRecords(), once);
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
        QVERIFY(h.services.allAnswered());
    }

    // A file that is neither vCard nor CSV gets the core's German message; nothing changes.
    void refusedFileChangesNothing_data() {
        QTest::addColumn<QByteArray>("bytes"); // null: no file at all
        QTest::addColumn<QString>("reason");
        const QString neither =
            QStringLiteral("Die Datei ist weder eine vCard-Datei noch eine CSV-Kontaktliste.");
        QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << neither;
        QTest::newRow("a list file") << QByteArray(" 1 \r\n 1 \r\nAnna\r\n") << neither;
        QTest::newRow("empty") << QByteArray("") << QStringLiteral("Die Datei ist leer.");
        QTest::newRow("missing") << QByteArray()
                                 << QStringLiteral("Die Datei kann nicht gelesen werden (53 : "
                                                   "Datei nicht gefunden).");
    }
    void refusedFileChangesNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        WindowHarness h(listBeforeImport());
        const QString file = h.dataDir.file(QStringLiteral("kontakte.vcf"));
        QVERIFY(bytes.isNull() || writeFileBytes(file, bytes));
        h.services.answerMessage(answer::ok);
        importFrom(h, file, {});
        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.services.messages.size(), 1);
        QCOMPARE(h.services.messages[0].text,
                 QStringLiteral("Die Datei \"%1\" wurde nicht eingelesen: %2").arg(file, reason));
        QCOMPARE(h.services.messages[0].icon, Icon::Exclamation);
        QCOMPARE(h.storedRecords(), listBeforeImport());
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
    }

    // The window writes the bytes the command line writes, in number order whatever the grid
    // shows, after the record check; the list itself is not touched.
    void calendarExportMatchesTheCommandLine() {
        std::vector<Record> records = listBeforeImport();
        records.push_back(makeRecord(2, QStringLiteral("Schalt Tag"), 0, 2, 29));
        WindowHarness h(records);
        FrmMain& w = shown(h);
        h.state().dateinamemitpfad = QStringLiteral("/irgendwo/liste.nxd");
        QTest::mouseClick(w.cmdSortierennachnamen, Qt::LeftButton);
        h.clickRow(1); // April Kind
        w.cboTag->setEditText(QStringLiteral("31"));
        const QString target = h.dataDir.file(QStringLiteral("geburtstage.ics"));
        h.services.answerSave(target);
        w.mnuDateikalenderexportieren->trigger();

        QVERIFY(h.services.allAnswered());
        QVERIFY(h.services.messages.isEmpty());
        QCOMPARE(h.services.saveRequests.size(), 1);
        const FileDialogRequest& d = h.services.saveRequests[0];
        QCOMPARE(d.fileName, QDir(h.dir.path).filePath(QStringLiteral("natalix.ics")));
        QCOMPARE(d.filter, QStringLiteral("iCalendar (*.ics)"));
        QCOMPARE(d.defaultSuffix, QStringLiteral("ics"));
        QVERIFY(d.confirmOverwrite);
        QCOMPARE(byNumber(h.storedRecords(), 4).tag, 30);
        const QByteArray ics = readFileBytes(target);
        QVERIFY(ics.startsWith("BEGIN:VCALENDAR\r\n"));
        QVERIFY(ics.contains("SUMMARY:Schalt Tag\r\n"));
        QCOMPARE(ics, exportedByCommandLine(h));
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
        QCOMPARE(h.state().dateinamemitpfad, QStringLiteral("/irgendwo/liste.nxd"));
        QCOMPARE(w.gridCaption(),
                 QStringLiteral("Alle Datensätze - sortiert nach Namen - aufsteigend"));
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{1, 4, 2}));
    }

    // A failed write keeps the old calendar and shows the list save's message for its group
    // and code; Retry once there is room writes it.
    void failedWriteKeepsTheOldCalendar_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("limit"); // -1: no full disk
        QTest::addColumn<int>("answerCode");
        QTest::addColumn<QString>("begins");
        QTest::addColumn<QString>("code");
        const QString full = QStringLiteral("Auf dem Datenträger ist kein Platz mehr.");
        QTest::newRow("full disk, cancel")
            << "natalix.ics" << qint64(200) << answer::cancel << full << "( 103 / 61 : ";
        QTest::newRow("full disk, retry with room")
            << "natalix.ics" << qint64(200) << answer::retry << full << "( 103 / 61 : ";
        QTest::newRow("missing folder") << "fehlt/natalix.ics" << qint64(-1) << answer::cancel
                                        << "Das Laufwerk oder der Pfad wurde nicht gefunden."
                                        << "( 101 / 76 : ";
    }
    void failedWriteKeepsTheOldCalendar() {
        QFETCH(QString, name);
        QFETCH(qint64, limit);
        QFETCH(int, answerCode);
        QFETCH(QString, begins);
        QFETCH(QString, code);
        WindowHarness h(listBeforeImport());
        const QString target = h.dataDir.file(name);
        const QByteArray old("BEGIN:VCALENDAR\r\nder alte Kalender\r\nEND:VCALENDAR\r\n");
        const bool hadOne = !name.contains(u'/');
        QVERIFY(!hadOne || writeFileBytes(target, old));
        h.services.answerSave(target);
        h.services.answerMessage(answerCode);
        QByteArray during;
        std::optional<FileSizeLimit> full;
        if (limit >= 0)
            full.emplace(limit);
        h.services.onMessage = [&](const MessageRequest&) {
            during = readFileBytes(target);
            full.reset();
        };
        h.window().mnuDateikalenderexportieren->trigger();
        full.reset();
        QVERIFY(h.services.allAnswered());
        QCOMPARE(h.services.messages.size(), 1);
        const MessageRequest& m = h.services.messages[0];
        QVERIFY2(m.text.startsWith(begins), qPrintable(m.text));
        QVERIFY2(m.text.contains(code), qPrintable(m.text));
        QCOMPARE(m.buttons, Buttons::RetryCancel);
        QCOMPARE(m.icon, Icon::Exclamation);
        QCOMPARE(during, hadOne ? old : QByteArray());
        // Nothing but the old file (or the new one) is left beside it.
        const QStringList beside =
            QDir(h.dir.path).entryList({QStringLiteral("*.ics*")}, QDir::Files | QDir::Hidden);
        QCOMPARE(beside, hadOne ? QStringList{QStringLiteral("natalix.ics")} : QStringList());
        if (answerCode == answer::retry)
            QCOMPARE(readFileBytes(target), exportedByCommandLine(h));
        else if (hadOne)
            QCOMPARE(readFileBytes(target), old);
        QCOMPARE(h.state().dateiwurdegeaendert, 0);
    }
};

QTEST_MAIN(TestContactWindow)
#include "test_contactwindow.moc"
