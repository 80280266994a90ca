// The window's side of contacts and calendars; the import's rules are tabled in the core.
#include "contacts/frmkontakte.h"
#include "print/printcommands.h"
#include "support/processes.h"
#include "support/recordingsurface.h"
#include "support/windowharness.h"

#include <QtTest>
#include <QtWidgets>

using namespace natalix;
using namespace natalix::test;

namespace {

// What the preview shows: check box, name, date, note; then the count below.
QStringList preview(const FrmKontakte& d) {
    QStringList out;
    for (int i = 0; i < d.lstKontakte->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* it = d.lstKontakte->topLevelItem(i);
        out << QStringLiteral("%1|%2|%3|%4")
                   .arg(it->checkState(0) ? u"x" : u" ", it->text(0), it->text(1), it->text(2));
    }
    return out << d.lblAnzahl->text();
}

Options importOptions() {
    Options o;
    o.option1erinnerung = QStringLiteral("2 Wochen vorher");
    o.optionabjahr = QStringLiteral("18. Geburtstag");
    o.optionzyklus = QStringLiteral("alle 2 Jahre");
    return o;
}

// A record as the import makes it: the reminders of importOptions(), markers 0.
Record imported(int nummer, const QString& name, int jahr, int monat, int tag) {
    Record r = newRecord(nummer, importOptions().reminderDefaults());
    std::tie(r.name, r.jahr, r.monat, r.tag) = std::tuple(name, jahr, monat, tag);
    return r;
}

// Anna is in the list (her year unknown in the file), Małgorzata (a name too long, with
// letters Windows-1252 lacks) and Bert are new, two cards have no birthday the list could
// hold.
const QByteArray
    cards("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Beispiel\r\nBDAY:--0307\r\n"
          "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\n"
          "FN:Ma\xC5\x82gorzata Ohne Jahr-Wi\xC5\x9Bniewska-Brz\xC4\x99"
          "czyszczykiewicz\r\n"
          "BDAY:--0308\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:4.0\r\n"
          "FN:Kein Datum\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bert Berg\r\n"
          "BDAY:1990-05-06\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:4.0\r\n"
          "FN:Irgendwann\r\nBDAY;VALUE=text:someday\r\nEND:VCARD\r\n");

const QString cutName = QStringLiteral("Malgorzata Ohne Jahr-Wisniewska-Brzeczys");

std::vector<Record> listBeforeImport() {
    std::vector<Record> list{makeRecord(1, QStringLiteral("Anna Beispiel"), 1980, 3, 7),
                             makeRecord(4, QStringLiteral("April Kind"), 1990, 4, 12)};
    list[0].marker = {2024, 2024, 0};
    return list;
}

// "Kontakte importieren..." with `file` chosen; `work` answers the preview, if there is one.
void importFrom(WindowHarness& h, const QString& file, std::function<int(FrmKontakte&)> work) {
    h.services.answerOpen(file);
    if (work)
        h.services.answerDialog([work](QDialog& d) { return work(dynamic_cast<FrmKontakte&>(d)); });
    h.window().mnuDateikontakteimportieren->trigger();
}

} // namespace

Q_DECLARE_METATYPE(std::vector<natalix::Record>)

class TestContactWindow : public QObject {
    Q_OBJECT

private slots:
    // Sorting by year puts the unknown years first; the grid and the printed list show none.
    void unknownYearIsShownEmpty() {
        Options options;
        options.optiondatumsanzeigedrucken = 1; // the year in the last column
        WindowHarness h({makeRecord(1, QStringLiteral("Alt"), 1950, 1, 2),
                         makeRecord(2, QStringLiteral("Ohne März"), 0, 3, 1),
                         makeRecord(3, QStringLiteral("Jung"), 1930, 6, 7),
                         makeRecord(4, QStringLiteral("Ohne Januar"), 0, 1, 9)},
                        options);
        FrmMain& w = h.shown();
        QTest::mouseClick(w.cmdSortierennachjahr, Qt::LeftButton);
        QAbstractItemModel* m = w.DataGrid1->model();
        QStringList years;
        for (int row = 0; row < m->rowCount(); ++row)
            years << m->data(m->index(row, 2)).toString();
        QCOMPARE(years, (QStringList{"", "", "1930", "1950"}));
        h.clickRow(0);
        QCOMPARE(w.cboJahr->currentText(), QString());

        PrintLog log;
        h.services.answerPrinter(true);
        h.services.answerDialog([](QDialog& d) {
            return d.findChild<QPushButton*>(QStringLiteral("cmdDrucken"))->click(), d.result();
        });
        w.findChild<PrintCommands*>()->setSurfaceFactory(recordingFactory(log));
        w.mnuDateidrucken->trigger();
        QCOMPARE(log.jobs.size(), 1);
        QCOMPARE(log.jobs[0].pages[0].column(75) + log.jobs[0].pages[0].column(83),
                 (QStringList{" 1", " 3", " 6", " 1", "", "", " 1930", " 1950"}));
    }

    // The preview: a row per contact with a birthday, the list's own unchecked and marked, the
    // count kept current; the chosen ones appended in one go, numbered on, sorted by number.
    void importThroughThePreview() {
        const QStringList toggle{"Bert Berg", "Anna Beispiel"};
        const std::vector<Record> added{imported(5, "Anna Beispiel", 0, 3, 7),
                                        imported(6, cutName, 0, 3, 8)};
        Options options = importOptions();
        options.optiondatumsanzeigehauptfenster = 0;
        WindowHarness h(listBeforeImport(), options);
        h.services.setToday(2025, 6, 1); // no birthday near: the scan after it marks nothing
        FrmMain& w = h.shown();
        const QString file = h.dataDir.file(QStringLiteral("kontakte.vcf"));
        // A file that cannot be read gets the core's German message; nothing changes.
        h.services.answerMessage(answer::ok);
        importFrom(h, file, {});
        const QString reason = "Die Datei kann nicht gelesen werden (53 : Datei nicht gefunden).";
        QCOMPARE(std::tuple(h.services.messages.value(0).text, h.services.messages.value(0).icon,
                            h.state().dateiwurdegeaendert, h.storedRecords()),
                 std::tuple(u"Die Datei \"%1\" wurde nicht eingelesen: %2"_qs.arg(file, reason),
                            Icon::Exclamation, 0, listBeforeImport()));
        h.services.messages.clear();
        QVERIFY(writeFileBytes(file, cards));
        // Another order in force, and day 31 typed into the April record: checked first.
        QTest::mouseClick(w.cmdSortierennachnamen, Qt::LeftButton);
        h.clickRow(1);
        w.cboTag->setEditText(QStringLiteral("31"));
        h.services.answerMessage(answer::ok);
        QStringList shownRows;
        int aprilDay = 0;
        importFrom(h, file, [&](FrmKontakte& d) {
            aprilDay = h.storedRecords()[1].tag;
            shownRows = preview(d);
            for (const QString& name : toggle) {
                QTreeWidgetItem* it = d.lstKontakte->findItems(name, Qt::MatchExactly)[0];
                it->setCheckState(0, it->checkState(0) ? Qt::Unchecked : Qt::Checked);
                shownRows << d.lblAnzahl->text();
            }
            d.cmdUebernehmen->click();
            return d.result();
        });
        QCOMPARE(aprilDay, 30);
        QCOMPARE(shownRows,
                 (QStringList{" |Anna Beispiel|3-7|schon in der Liste",
                              "x|" + cutName +
                                  "…|3-8|Geburtsjahr unbekannt, Name auf 40 Zeichen gekürzt",
                              "x|Bert Berg|1990-5-6|", "2 von 3 Geburtstagen werden übernommen.",
                              "1 von 3 Geburtstagen werden übernommen.",
                              "2 von 3 Geburtstagen werden übernommen."}));
        const MessageRequest& m = h.services.messages.value(0);
        QCOMPARE(std::tuple(m.text, m.title, m.icon),
                 std::tuple(QStringLiteral("2 Geburtstage übernommen, 0 schon in der Liste, 2 "
                                           "ohne lesbares Geburtsdatum"),
                            QStringLiteral("Kontakte importieren"), Icon::Information));
        std::vector<Record> expected = listBeforeImport();
        expected[1].tag = 30;
        expected.insert(expected.end(), added.begin(), added.end());
        QCOMPARE(h.storedRecords(), expected);
        QVERIFY(h.services.allAnswered());
        // Sorted by number as after a first click on "Nummer", the first new record current.
        QCOMPARE(h.numbersInOrder(), (std::vector<int>{1, 4, 5, 6}));
        QCOMPARE(w.gridCaption(),
                 QStringLiteral("Alle Datensätze - sortiert nach Nr. - aufsteigend"));
        QCOMPARE(std::tuple(h.state().sortieren1, h.state().sortieren2,
                            h.state().dateiwurdegeaendert, w.lblNummer->text(), w.txtName->text(),
                            w.cboJahr->currentText()),
                 std::tuple(1, 0, 1, QStringLiteral("5"), added[0].name, QString()));
    }

    // The window writes the command line's bytes, in number order whatever the grid shows,
    // after the record check, offered in the documents folder, and says what it wrote; the
    // list itself is not touched. A failed write keeps the old calendar and shows the list
    // save's message of its group and code; Retry once there is room writes it.
    void calendarExport_data() {
        QTest::addColumn<bool>("full");
        QTest::newRow("written") << false;
        QTest::newRow("full disk, retry with room") << true;
    }
    void calendarExport() {
        QFETCH(bool, full);
        std::vector<Record> records = listBeforeImport();
        records.push_back(makeRecord(2, QStringLiteral("Schalt Tag"), 0, 2, 29));
        WindowHarness h(records);
        FrmMain& w = h.shown();
        h.state().dateinamemitpfad = QStringLiteral("/irgendwo/liste.nxd");
        QTest::mouseClick(w.cmdSortierennachnamen, Qt::LeftButton);
        h.clickRow(1); // April Kind
        // Day 31 typed: checked and stored first (where the disk is not full already).
        if (!full)
            w.cboTag->setEditText(QStringLiteral("31"));
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString target = h.dataDir.file(QStringLiteral("natalix.ics"));
        const QByteArray old("BEGIN:VCALENDAR\r\nder alte Kalender\r\nEND:VCALENDAR\r\n");
        QVERIFY(writeFileBytes(target, old));
        h.services.answerSave(target);
        if (full)
            h.services.answerMessage(answer::retry);
        h.services.answerMessage(answer::ok); // what was written
        std::optional<FileSizeLimit> diskFull;
        if (full)
            diskFull.emplace(200);
        h.services.onMessage = [&](const MessageRequest&) { diskFull.reset(); };
        w.mnuDateikalenderexportieren->trigger();
        diskFull.reset();

        QVERIFY(h.services.allAnswered());
        const FileDialogRequest& d = h.services.saveRequests.value(0);
        QCOMPARE(std::tuple(d.fileName, d.folder, d.filter, d.defaultSuffix, d.confirmOverwrite),
                 std::tuple(documents + QStringLiteral("/natalix.ics"), documents,
                            QStringLiteral("iCalendar (*.ics)"), QStringLiteral("ics"), true));
        QCOMPARE(h.services.messages.size(), full ? 2 : 1);
        QCOMPARE(std::tuple(h.services.messages.last().text, h.services.messages.last().icon),
                 std::tuple(QStringLiteral("3 Geburtstage als Kalender gespeichert: ") + target,
                            Icon::Information));
        if (full) { // the list save's message, its group and code
            const MessageRequest& m = h.services.messages[0];
            QVERIFY2(
                m.text.startsWith(QStringLiteral("Auf dem Datenträger ist kein Platz mehr.")) &&
                    m.text.contains(QStringLiteral("103 / 61 : ")),
                qPrintable(m.text));
            QCOMPARE(std::tuple(m.buttons, m.icon),
                     std::tuple(Buttons::RetryCancel, Icon::Exclamation));
        }
        // Nothing but the calendar is left in the folder.
        QCOMPARE(QDir(h.dir.path).entryList({"*.ics*"}, QDir::Files | QDir::Hidden),
                 QStringList{"natalix.ics"});
        // The command line's calendar of the same data directory at the same instant.
        RunSetup cli;
        cli.home = h.dataDir.path();
        cli.env.insert(QStringLiteral("NATALIX_NOW"), h.services.now().toString(Qt::ISODate));
        const QString byCli = h.dataDir.file(QStringLiteral("cli.ics"));
        const RunResult r = runNatalix({"--datadir", h.dir.path, "--export-ics", byCli}, cli);
        QVERIFY2(r.finished && r.code == 0, qPrintable(r.err));
        QCOMPARE(readFileBytes(target), readFileBytes(byCli));
        QCOMPARE(std::tuple(h.storedRecords()[1].tag, h.state().dateiwurdegeaendert,
                            h.state().dateinamemitpfad, h.numbersInOrder()),
                 std::tuple(full ? 12 : 30, 0, QStringLiteral("/irgendwo/liste.nxd"),
                            std::vector<int>{1, 4, 2}));
    }
};

QTEST_MAIN(TestContactWindow)
#include "test_contactwindow.moc"
