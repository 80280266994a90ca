#include "app/commandline.h"

#include "app/datadir.h"
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

QString runningMessage(const QString& what) {
    return QStringLiteral("Natalix läuft bereits mit diesem Datenordner. %1 ist erst möglich, "
                          "wenn das Programm beendet wurde (Extras / Natalix und "
                          "Erinnerungs-Modul beenden).")
        .arg(what);
}

struct Opened {
    DataDir dir;
    Options options;
    std::unique_ptr<TableStore> store;
    QString error;
};

QString damagedHint() {
    return QStringLiteral(" Beim nächsten Start des Fensters bietet Natalix an, die letzte "
                          "Sicherung aus dem Ordner \"Sicherungen\" wiederherzustellen.");
}

Opened openData(const CommandLine& cl,
                TableStore::PageCheck pages = TableStore::PageCheck::AtOpen) {
    Opened o;
    o.dir = resolveDataDir(cl.dataDir, &o.error);
    if (!o.error.isEmpty())
        return o;
    protectDataFiles(o.dir);
    o.options = optioneneinlesen(o.dir.optionsPath());
    TableStore::Opened opened = TableStore::openChecked(
        o.dir.databasePath(), sampleRecord(o.options.reminderDefaults()), pages);
    o.store = std::move(opened.store);
    if (!o.store) {
        o.error = opened.message;
        if (opened.problem == TableStore::Problem::Damaged)
            o.error += damagedHint();
    }
    return o;
}

// The lock of the running window: status 2 while it runs, 1 when it cannot be decided.
int lockOrStatus(InstanceLock& lock, const QString& what) {
    switch (lock.acquire()) {
    case InstanceLock::State::Acquired:
        return 0;
    case InstanceLock::State::HeldByOther:
        printError(runningMessage(what));
        return 2;
    case InstanceLock::State::Undecided:
        break;
    }
    printError(lock.error());
    return 1;
}

int runImport(const CommandLine& cl) {
    QString error;
    const DataDir dir = resolveDataDir(cl.dataDir, &error);
    if (!error.isEmpty()) {
        printError(error);
        return 1;
    }
    InstanceLock lock(dir);
    if (const int status = lockOrStatus(lock, QStringLiteral("Das Einlesen einer Liste")))
        return status;
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
    Opened o = openData(cl);
    if (!o.store) {
        printError(o.error);
        return 1;
    }
    // The list about to be replaced is kept in today's backup, if there is none yet.
    makeDailyBackup(*o.store, o.dir.path, programNow().date());
    // Straight into the store: a cursor would first read and sort the rows being replaced.
    if (!o.store->replaceAll(contents.records)) {
        printError(QStringLiteral("Die Liste konnte nicht in die Datenbank geschrieben werden; "
                                  "die bisherige Liste bleibt erhalten. (%1)")
                       .arg(o.store->lastError()));
        return 1;
    }
    SettingsStore settings(o.dir);
    settings.setValue(QStringLiteral("filename"), QFileInfo(cl.file).absoluteFilePath());
    return 0;
}

int runExport(const CommandLine& cl) {
    Opened o = openData(cl);
    if (!o.store) {
        printError(o.error);
        return 1;
    }
    Cursor cursor(*o.store);
    if (!cursor.loaded() || cursor.recordCount() == 0) {
        // A table that could not be read must never replace a list file.
        printError(QStringLiteral("Die Liste kann nicht aus der Datenbank gelesen werden; \"%1\" "
                                  "bleibt unverändert. (%2)")
                       .arg(cl.file, cursor.lastError()));
        return 1;
    }
    cursor.setSort(QStringLiteral("Nummer ASC"));
    const SaveResult saved = saveFileSafely(cl.file, renderListFile(cursor.snapshot()));
    if (!saved.ok) {
        printError(QStringLiteral("Die Liste konnte nicht in \"%1\" gespeichert werden (%2 : %3); "
                                  "die Datei bleibt, wie sie war.")
                       .arg(cl.file)
                       .arg(saved.error.code)
                       .arg(saved.error.description));
        return 1;
    }
    return 0;
}

int runScan(const CommandLine& cl) {
    QString error;
    const DataDir dir = resolveDataDir(cl.dataDir, &error);
    if (!error.isEmpty()) {
        printError(error);
        return 1;
    }
    InstanceLock lock(dir);
    if (const int status =
            lockOrStatus(lock, QStringLiteral("Eine Erinnerungs-Prüfung von der Kommandozeile")))
        return status;
    // The scan reads the whole table and stops at the first damaged page.
    Opened o = openData(cl, TableStore::PageCheck::ByTheReader);
    if (!o.store) {
        printError(o.error);
        return 1;
    }
    const ScanRun run =
        runReminderScan(*o.store, programNow().date(), o.options.optiondatumsanzeigehauptfenster);
    if (!run.read) {
        printError(QStringLiteral("Die Erinnerungen können nicht geprüft werden: %1")
                       .arg(o.store->lastError()));
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

} // namespace

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
    cl.autoStart = arguments.join(u' ').contains(QStringLiteral("/auto"));
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
        if (a == u"--datadir" || a == u"--import" || a == u"--export") {
            if (!hasValue) {
                cl.mode = CommandLine::Mode::Invalid;
                cl.error = QStringLiteral("Nach %1 fehlt der Pfad.").arg(a);
                return cl;
            }
            const QString value = arguments[++i];
            if (a == u"--datadir")
                cl.dataDir = value;
            else if (!setMode(a == u"--import" ? CommandLine::Mode::Import
                                               : CommandLine::Mode::Export))
                return cl;
            else
                cl.file = value;
        } else if (a == u"--scan") {
            if (!setMode(CommandLine::Mode::Scan))
                return cl;
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
        // Anything else (such as /auto) belongs to the window's start.
    }
    return cl;
}

QString commandLineHelp() {
    return QStringLiteral(
        "Aufruf: natalix [/auto] [--datadir ORDNER]\n"
        "        natalix --import DATEI | --export DATEI | --scan [--datadir ORDNER]\n"
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
        "  --help            zeigt diese Hilfe\n"
        "  --version         zeigt die Version\n");
}

int runCommandLine(const CommandLine& cl) {
    switch (cl.mode) {
    case CommandLine::Mode::Import:
        return runImport(cl);
    case CommandLine::Mode::Export:
        return runExport(cl);
    case CommandLine::Mode::Scan:
        return runScan(cl);
    case CommandLine::Mode::Help:
        printOut(commandLineHelp());
        return 0;
    case CommandLine::Mode::Version:
        printOut(QStringLiteral("Natalix %1\n").arg(programVersion()));
        return 0;
    case CommandLine::Mode::Invalid:
        printError(cl.error + QStringLiteral("\n\n") + commandLineHelp());
        return 1;
    case CommandLine::Mode::Window:
        break;
    }
    return 1;
}

} // namespace natalix
