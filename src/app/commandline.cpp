#include "app/commandline.h"

#include "app/datadir.h"
#include "calendar/icalendar.h"
#include "contacts/contactimport.h"
#include "listfile/listfile.h"
#include "options/options.h"
#include "reminder/scanrunner.h"
#include "table/backups.h"
#include "table/cursor.h"
#include "table/fileerror.h"
#include "table/safefile.h"

#include <QDateTime>
#include <QFileInfo>

#include <cstdio>

namespace natalix {

namespace {

void printError(const QString& text) {
    const QByteArray bytes = (text + u'\n').toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
}

void printOut(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

QString damagedHint() {
    return QStringLiteral(" Beim nächsten Start des Fensters bietet Natalix an, die letzte "
                          "Sicherung aus dem Ordner \"Sicherungen\" wiederherzustellen.");
}

int runImport(const CommandLine& cl) {
    CommandStart start = claimDataDir(cl, QStringLiteral("Das Einlesen einer Liste"));
    if (start.status)
        return start.status;
    const ListFileContents contents = readListFile(cl.file);
    if (contents.notRead) {
        printError(QStringLiteral("Die Datei \"%1\" kann nicht gelesen werden (%2 : %3).")
                       .arg(cl.file)
                       .arg(contents.fileError.code)
                       .arg(contents.fileError.description));
        return 1;
    }
    if (!contents.ok) {
        printError(QStringLiteral("Die Datei \"%1\" wurde nicht eingelesen: %2")
                       .arg(cl.file, contents.error));
        return 1;
    }
    if (!openList(start))
        return start.status;
    // The list about to be replaced is kept in today's backup, if there is none yet.
    makeDailyBackup(*start.store, start.dir.path, programNow().date());
    // Straight into the store: a cursor would first read and sort the rows being replaced.
    if (!start.store->replaceAll(contents.records)) {
        printError(QStringLiteral("Die Liste konnte nicht in die Datenbank geschrieben werden; "
                                  "die bisherige Liste bleibt erhalten. (%1)")
                       .arg(start.store->lastError()));
        return 1;
    }
    SettingsStore settings(start.dir);
    settings.setValue(QStringLiteral("filename"), QFileInfo(cl.file).absoluteFilePath());
    return 0;
}

// What an export writes; `note` is printed once it is saved.
using Render = QByteArray (*)(const std::vector<Record>& records, const Options& options,
                              QString* note);

QByteArray listFileOf(const std::vector<Record>& records, const Options&, QString*) {
    return renderListFile(records);
}

QByteArray calendarOf(const std::vector<Record>& records, const Options& options, QString* note) {
    const QDateTime now = programNow();
    int skipped = 0;
    const QByteArray calendar = renderCalendar(
        records, {now.date(), now, options.optiondatumsanzeigehauptfenster}, &skipped);
    if (skipped > 0)
        *note = QStringLiteral("Nicht im Kalender, weil ohne gültiges Geburtsdatum: %1 %2")
                    .arg(skipped)
                    .arg(skipped == 1 ? QStringLiteral("Datensatz") : QStringLiteral("Datensätze"));
    return calendar;
}

// Both exports: the whole list, by number, saved safely; `what` names it in a failure.
int runExport(const CommandLine& cl, const QString& what, Render render) {
    CommandStart start = claimDataDir(cl, QString());
    if (start.status || !openList(start))
        return start.status;
    Cursor cursor(*start.store);
    if (!cursor.loaded() || cursor.recordCount() == 0) {
        // A table that could not be read must never replace a file.
        printError(QStringLiteral("Die Liste kann nicht aus der Datenbank gelesen werden; \"%1\" "
                                  "bleibt unverändert. (%2)")
                       .arg(cl.file, cursor.lastError()));
        return 1;
    }
    cursor.setSort(QStringLiteral("Nummer ASC"));
    QString note;
    const SaveResult saved =
        saveFileSafely(cl.file, render(cursor.snapshot(), start.options, &note));
    if (!saved.ok) {
        printError(QStringLiteral("%1 konnte nicht in \"%2\" gespeichert werden (%3 : %4); "
                                  "die Datei bleibt, wie sie war.")
                       .arg(what, cl.file)
                       .arg(saved.error.code)
                       .arg(saved.error.description));
        return 1;
    }
    if (!note.isEmpty())
        printError(note);
    return 0;
}

// What a scan found, on standard output; its failures on standard error.
int reportScan(const ScanRun& run, const TableStore& store) {
    // Damage SQLite meets while writing the markers ends the scan as damage met at the open.
    if (!run.read || (!run.marksStored && store.lastErrorIsDamage())) {
        printError(QStringLiteral("Die Erinnerungen können nicht geprüft werden: %1")
                       .arg(store.lastError()) +
                   (store.lastErrorIsDamage() ? damagedHint() : QString()));
        return 1;
    }
    for (const QString& line : run.lines)
        printOut(line + u'\n');
    std::fflush(stdout);
    if (!run.marksStored)
        printError(QStringLiteral("Die Erinnerungen konnten nicht als gegeben vermerkt werden; "
                                  "sie erscheinen beim nächsten Mal erneut."));
    return 0;
}

// Beside the running window the list is only read: the lines the window has not given yet
// are printed, and the window marks and shows its own.
int scanBesideWindow(const DataDir& dir) {
    const Options options = readOptionsFile(dir.optionsPath()).options;
    TableStore::Opened opened = TableStore::openBeside(dir.databasePath(), true);
    if (!opened.store) {
        printError(opened.message);
        return 1;
    }
    const ScanRun run = decideReminders(*opened.store, programNow().date(),
                                        options.optiondatumsanzeigehauptfenster);
    return reportScan(run, *opened.store);
}

int runScan(const CommandLine& cl) {
    CommandStart start = claimDataDir(cl, QString(), true);
    if (start.besideWindow)
        return scanBesideWindow(start.dir);
    if (start.status || !openList(start))
        return start.status;
    return reportScan(runReminderScan(*start.store, programNow().date(),
                                      start.options.optiondatumsanzeigehauptfenster),
                      *start.store);
}

int runImportContacts(const CommandLine& cl) {
    CommandStart start = claimDataDir(cl, QStringLiteral("Das Einlesen von Kontakten"));
    if (start.status)
        return start.status;
    const ContactFile contacts = readContactFile(cl.file);
    if (!contacts.ok) {
        printError(QStringLiteral("Die Datei \"%1\" wurde nicht eingelesen: %2")
                       .arg(cl.file, contacts.error));
        return 1;
    }
    if (!openList(start))
        return start.status;
    Cursor cursor(*start.store);
    if (!cursor.loaded()) {
        printError(QStringLiteral("Die Liste kann nicht aus der Datenbank gelesen werden; es "
                                  "wurde nichts übernommen. (%1)")
                       .arg(cursor.lastError()));
        return 1;
    }
    const ImportPlan plan =
        planContactImport(contacts.contacts, cursor.snapshot(), start.options.reminderDefaults());
    const std::vector<Record> records = recordsToAdd(plan);
    if (static_cast<int>(records.size()) != plan.added) {
        printError(QStringLiteral("Die Liste hat keine freien Nummern mehr; es wurde nichts "
                                  "übernommen."));
        return 1;
    }
    if (!records.empty()) {
        makeDailyBackup(*start.store, start.dir.path, programNow().date());
        QString error;
        if (!appendRecords(*start.store, records, &error)) {
            printError(QStringLiteral("Die Kontakte konnten nicht in die Datenbank geschrieben "
                                      "werden; die bisherige Liste bleibt erhalten. (%1)")
                           .arg(error));
            return 1;
        }
    }
    printOut(importSummary(plan.added, plan.duplicates, plan.withoutBirthday) + u'\n');
    return 0;
}

} // namespace

CommandStart claimDataDir(const CommandLine& cl, const QString& changing, bool besideWindow) {
    CommandStart start;
    QString error;
    start.dir = resolveDataDir(cl.dataDir, &error);
    if (!error.isEmpty()) {
        printError(error);
        start.status = 1;
        return start;
    }
    if (changing.isEmpty() && !besideWindow)
        return start;
    start.lock = std::make_unique<InstanceLock>(start.dir);
    switch (start.lock->acquire()) {
    case InstanceLock::State::Acquired:
        break;
    case InstanceLock::State::HeldByOther:
        if (besideWindow) {
            start.besideWindow = true;
        } else {
            printError(runningMessage(changing));
            start.status = 2;
        }
        break;
    case InstanceLock::State::Undecided:
        printError(start.lock->error());
        start.status = 1;
        break;
    }
    return start;
}

bool openList(CommandStart& start) {
    protectDataFiles(start.dir);
    start.options = optioneneinlesen(start.dir.optionsPath(), nullptr, optionsTemplatePath());
    TableStore::Opened opened = TableStore::openChecked(
        start.dir.databasePath(), sampleRecord(start.options.reminderDefaults()),
        programNow().date());
    start.store = std::move(opened.store);
    if (start.store)
        return true;
    printError(opened.problem == TableStore::Problem::Damaged ? opened.message + damagedHint()
                                                              : opened.message);
    start.status = 1;
    return false;
}

QString runningMessage(const QString& what) {
    return QStringLiteral("Natalix läuft bereits mit diesem Datenordner. %1 ist erst möglich, "
                          "wenn das Programm beendet wurde (Extras / Natalix und "
                          "Erinnerungs-Modul beenden).")
        .arg(what);
}

bool isSyncMode(CommandLine::Mode mode) {
    return mode == CommandLine::Mode::SyncContacts || mode == CommandLine::Mode::SyncCalendar;
}

QString programVersion() {
    return QStringLiteral("1.2.0");
}

QDateTime programNow() {
    static const QDateTime fixed =
        QDateTime::fromString(qEnvironmentVariable("NATALIX_NOW"), Qt::ISODate);
    return fixed.isValid() ? fixed : QDateTime::currentDateTime();
}

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine cl;
    auto setMode = [&](CommandLine::Mode m) {
        if (cl.mode != CommandLine::Mode::Window && cl.mode != m) {
            cl.mode = CommandLine::Mode::Invalid;
            cl.error = QStringLiteral("Bitte nur einen Befehl auf einmal angeben.");
            return false;
        }
        cl.mode = m;
        return true;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        const bool sync = a == u"--sync-contacts" || a == u"--sync-calendar";
        if (sync && !hasValue) {
            cl.mode = CommandLine::Mode::Invalid;
            cl.error = QStringLiteral("Nach %1 fehlt die Adresse.").arg(a);
            return cl;
        }
        if (sync) {
            if (!setMode(a == u"--sync-contacts" ? CommandLine::Mode::SyncContacts
                                                 : CommandLine::Mode::SyncCalendar))
                return cl;
            cl.file = arguments[++i];
        } else if (a == u"--datadir" || a == u"--import" || a == u"--export" ||
                   a == u"--import-contacts" || a == u"--export-ics") {
            if (!hasValue) {
                cl.mode = CommandLine::Mode::Invalid;
                cl.error = QStringLiteral("Nach %1 fehlt der Pfad.").arg(a);
                return cl;
            }
            const QString value = arguments[++i];
            if (a == u"--datadir")
                cl.dataDir = value;
            else if (!setMode(a == u"--import"            ? CommandLine::Mode::Import
                              : a == u"--export"          ? CommandLine::Mode::Export
                              : a == u"--import-contacts" ? CommandLine::Mode::ImportContacts
                                                          : CommandLine::Mode::ExportIcs))
                return cl;
            else
                cl.file = value;
        } else if (a == u"--scan") {
            if (!setMode(CommandLine::Mode::Scan))
                return cl;
        } else if (a == u"--allow-removals") {
            cl.allowRemovals = true;
        } else if (a == u"--help" || a == u"-h") {
            cl.mode = CommandLine::Mode::Help;
            return cl;
        } else if (a == u"--version") {
            cl.mode = CommandLine::Mode::Version;
            return cl;
        } else if (a.startsWith(u"--")) {
            cl.mode = CommandLine::Mode::Invalid;
            cl.error = QStringLiteral("Unbekannte Option: %1").arg(a);
            return cl;
        }
        // Anything else belongs to the window's start. "/auto" is looked for there only,
        // never in the value of an option (a data folder may well be called ".../auto").
        if (a.contains(QStringLiteral("/auto")))
            cl.autoStart = true;
    }
    if (cl.allowRemovals && cl.mode != CommandLine::Mode::SyncContacts) {
        cl.mode = CommandLine::Mode::Invalid;
        cl.error = QStringLiteral("--allow-removals gilt nur zusammen mit --sync-contacts.");
    }
    return cl;
}

QString commandLineHelp() {
    return QStringLiteral(
        "Aufruf: natalix [/auto] [--datadir ORDNER]\n"
        "        natalix --import DATEI | --export DATEI | --scan [--datadir ORDNER]\n"
        "        natalix --import-contacts DATEI | --export-ics DATEI [--datadir ORDNER]\n"
        "        natalix --sync-contacts URL [--allow-removals] | --sync-calendar URL\n"
        "                [--datadir ORDNER]\n"
        "\n"
        "Natalix erinnert an Geburtstage.\n"
        "\n"
        "  /auto             startet mit verborgenem Hauptfenster (nur die Erinnerungen "
        "erscheinen)\n"
        "  --datadir ORDNER  Datenordner (sonst NATALIX_DATADIR, sonst der Benutzer-Datenordner)\n"
        "  --import DATEI    ersetzt die Liste durch die Datensätze der Listendatei (.nxd)\n"
        "  --export DATEI    speichert die Liste, nach Nummer sortiert, als Listendatei\n"
        "  --scan            prüft einmal die Erinnerungen und gibt jede fällige Meldung als\n"
        "                    eigene Zeile aus (für cron oder das Terminal)\n"
        "  --import-contacts DATEI\n"
        "                    hängt die Geburtstage einer vCard- oder CSV-Kontaktdatei an die\n"
        "                    Liste an (schon vorhandene werden übersprungen)\n"
        "  --export-ics DATEI\n"
        "                    speichert die Liste als Kalender (.ics) mit den Erinnerungen\n"
        "  --sync-contacts URL\n"
        "                    gleicht die Geburtstage mit einem CardDAV-Adressbuch ab (URL des\n"
        "                    Adressbuchs oder des Servers); nur Einträge aus diesem Adressbuch\n"
        "                    werden geändert oder entfernt\n"
        "  --allow-removals  bestätigt, dass der Abgleich alle oder die meisten Einträge dieses\n"
        "                    Adressbuchs entfernen darf (sonst wird dann nichts geändert)\n"
        "  --sync-calendar URL\n"
        "                    legt für jeden Eintrag einen Termin mit Erinnerungen in einem\n"
        "                    CalDAV-Kalender an, ändert und löscht nur diese Termine\n"
        "                    (Anmeldung für beide: NATALIX_DAV_USER, NATALIX_DAV_PASSWORD)\n"
        "  --help            zeigt diese Hilfe\n"
        "  --version         zeigt die Version\n"
        "\n"
        "Rückgabewert: 0 erledigt; 1 fehlgeschlagen (die Meldung steht auf der Fehlerausgabe,\n"
        "Liste und Zieldatei bleiben unverändert); 2 Natalix läuft bereits mit diesem\n"
        "Datenordner (--import, --import-contacts und die Abgleiche tun dann nichts).\n");
}

int runCommandLine(const CommandLine& cl) {
    switch (cl.mode) {
    case CommandLine::Mode::Import:
        return runImport(cl);
    case CommandLine::Mode::Export:
        return runExport(cl, QStringLiteral("Die Liste"), listFileOf);
    case CommandLine::Mode::Scan:
        return runScan(cl);
    case CommandLine::Mode::ImportContacts:
        return runImportContacts(cl);
    case CommandLine::Mode::ExportIcs:
        return runExport(cl, QStringLiteral("Der Kalender"), calendarOf);
    case CommandLine::Mode::Help:
        printOut(commandLineHelp());
        return 0;
    case CommandLine::Mode::Version:
        printOut(QStringLiteral("Natalix %1\n").arg(programVersion()));
        return 0;
    case CommandLine::Mode::Invalid:
        printError(cl.error + QStringLiteral("\n\n") + commandLineHelp());
        return 1;
    case CommandLine::Mode::SyncContacts:
    case CommandLine::Mode::SyncCalendar:
    case CommandLine::Mode::Window:
        break;
    }
    return 1;
}

} // namespace natalix
