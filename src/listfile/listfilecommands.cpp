#include "listfile/listfilecommands.h"

#include "app/datadir.h"
#include "app/formparts.h"
#include "app/mainstate.h"
#include "listfile/frminfo.h"
#include "listfile/listfile.h"
#include "reminder/remindercore.h"
#include "table/backups.h"
#include "table/cursor.h"
#include "table/gridselection.h"
#include "table/safefile.h"
#include "table/sortcommands.h"
#include "ui/services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>

#include <algorithm>

namespace natalix {

namespace {

const QString fileFilter = QStringLiteral("Natalix-Database (*.nxd)");
const QString fileSuffix = QStringLiteral("nxd");

QString unloadEnding() {
    return QStringLiteral(" Datensätzen wurden entladen ...");
}
QString loadEnding() {
    return QStringLiteral(" Datensätzen wurden geladen ...");
}

QString readFailureText(int code) {
    const QString retry = QStringLiteral(
        " Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu lesen, oder "
        "'Abbrechen' um den Vorgang abzubrechen. ( 102 /");
    switch (code) {
    case filecode::badFileName:
        return QStringLiteral("Der Dateiname existiert nicht oder enthällt Zeichen, die nicht "
                              "zulässig sind.") +
               retry;
    case filecode::fileNotFound:
        return QStringLiteral("Die Datei wurde nicht gefunden. Der Datei-Name existiert nicht "
                              "oder wurde falsch geschrieben.") +
               retry;
    case filecode::diskNotReady:
        return QStringLiteral("Der Datenträger ist möglicherweise nicht eingelegt.") + retry;
    case filecode::pathNotFound:
        return QStringLiteral("Das Laufwerk oder der Pfad wurde nicht gefunden.") + retry;
    default:
        return QStringLiteral("Die Datei kann nicht vom Datenträger gelesen werden. Der "
                              "Datenträger ist möglicherweise nicht eingelegt oder die Datei "
                              "ist beschädigt oder existiert nicht.") +
               retry;
    }
}

QString diskFullText(int group) {
    return QStringLiteral(
               "Auf dem Datenträger ist kein Platz mehr. Bei einer Festplatte leeren Sie bitte "
               "den Papierkorb oder löschen überflüssige Dateien. Bei einer Diskette löschen sie "
               "bitte überflüssige Dateien oder legen eine leere Diskette ein. Bitte wählen Sie "
               "'Wiederholen' um zu versuchen, die Datei erneut zu speichern, oder 'Abbrechen' "
               "um den Vorgang abzubrechen. ( %1 /")
        .arg(group);
}

QString cannotWriteText(int group) {
    return QStringLiteral(
               "Die Datei kann nicht auf den Datenträger geschrieben werden. Der Datenträger ist "
               "möglicherweise nicht eingelegt, beschädigt, voll oder schreibgeschützt. Die "
               "Datei wurde noch nicht gespeichert. Bitte wählen Sie 'Wiederholen' um zu "
               "versuchen, die Datei erneut zu speichern, oder 'Abbrechen' um die Speicherung "
               "abzubrechen. ( %1 /")
        .arg(group);
}

QString openForWritingFailureText(int code) {
    const QString retry = QStringLiteral(
        " Bitte wählen Sie 'Wiederholen' um zu versuchen, die Datei erneut zu schreiben, oder "
        "'Abbrechen' um den Vorgang abzubrechen. ( 101 /");
    switch (code) {
    case filecode::outOfMemory:
    case filecode::diskFull:
        return diskFullText(101);
    case filecode::badFileName:
        return QStringLiteral("Der Dateiname enthällt Zeichen, die nicht zulässig sind.") + retry;
    case filecode::diskNotReady:
        return QStringLiteral("Der Datenträger ist möglicherweise nicht eingelegt.") + retry;
    case filecode::pathNotFound:
        return QStringLiteral("Das Laufwerk oder der Pfad wurde nicht gefunden.") + retry;
    default:
        return cannotWriteText(101);
    }
}

QString writeFailureText(int code) {
    if (code == filecode::outOfMemory || code == filecode::diskFull)
        return diskFullText(103);
    return cannotWriteText(103);
}

// Lets the window repaint during long work, often enough to look alive and no more.
class RepaintPacer {
public:
    explicit RepaintPacer(Services& services) : m_services(services) {}
    // The first step always repaints, so the busy display shows at once.
    bool due() const { return !m_clock.isValid() || m_clock.elapsed() >= intervalMs; }
    void now() {
        m_services.processEvents();
        m_clock.start();
    }

private:
    static constexpr qint64 intervalMs = 40;
    Services& m_services;
    QElapsedTimer m_clock;
};

// A short list shows every step of its progress line. A long one shows it when the window
// repaints anyway: the bar repaints at once when it moves, and ten thousand repaints would
// cost more than the work they show.
constexpr int everyStepUpTo = 100;

// Shows the progress line for `counter` when it is worth it, and lets the window repaint.
void progressStep(BusyDisplay& busy, RepaintPacer& pacer, int counter, int last, int total,
                  const QString& ending) {
    const bool repaint = pacer.due();
    if (repaint || counter == 1 || counter == last || total <= everyStepUpTo)
        busy.showProgress(counter, total, ending);
    if (repaint)
        pacer.now();
}

MessageRequest retryCancel(const QString& text) {
    MessageRequest m;
    m.text = text;
    m.buttons = Buttons::RetryCancel;
    m.icon = Icon::Exclamation;
    return m;
}

} // namespace

QString fileFailureMessage(int group, const FileError& error) {
    QString text;
    switch (group) {
    case 101:
        text = openForWritingFailureText(error.code);
        break;
    case 102:
        text = readFailureText(error.code);
        break;
    default:
        text = writeFailureText(error.code);
        break;
    }
    return text + QStringLiteral(" %1 : %2 )").arg(error.code).arg(error.description);
}

ListFileCommands::ListFileCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("ListFileCommands"));
}

MainState& ListFileCommands::state() {
    return m_ctx.state;
}

Cursor& ListFileCommands::cursor() {
    return m_ctx.cursor;
}

Services& ListFileCommands::services() {
    return m_ctx.services;
}

bool ListFileCommands::aenderungenklaeren() {
    MainState& s = state();
    if (s.dateiwurdegeaendert != 1)
        return true;
    if (!s.dateinamemitpfad.isEmpty()) {
        // A named list is saved without asking; the exit goes on whatever came of it.
        mnuDateispeichern_Click();
        return true;
    }
    MessageRequest m;
    m.text = QStringLiteral("Änderungen in Datei speichern?");
    m.buttons = Buttons::YesNoCancel;
    m.icon = Icon::Exclamation;
    s.gewaehlt = services().message(m);
    if (s.gewaehlt == answer::no)
        return true;
    if (s.gewaehlt != answer::yes)
        return false;
    mnuDateispeichernunter_Click();
    return s.abgebrochen != 1;
}

void ListFileCommands::mnuDateispeichern_Click() {
    m_ctx.form.datensatzpruefen();
    MainState& s = state();
    s.abgebrochen = 0;
    if (s.dateinamemitpfad.isEmpty() && !askSaveName(m_ctx.dataDir.defaultListPath()))
        return;
    dateischreiben();
}

void ListFileCommands::mnuDateispeichernunter_Click() {
    m_ctx.form.datensatzpruefen();
    MainState& s = state();
    s.abgebrochen = 0;
    if (askSaveName(s.dateinamemitpfad.isEmpty() ? m_ctx.dataDir.defaultListPath()
                                                 : s.dateinamemitpfad))
        dateischreiben();
}

FileDialogRequest ListFileCommands::listDialog(const QString& title, const QString& fileName,
                                               bool confirmOverwrite) const {
    FileDialogRequest d;
    d.title = title;
    d.filter = fileFilter;
    d.defaultSuffix = fileSuffix;
    d.fileName = fileName;
    d.folder = m_ctx.dataDir.path;
    d.confirmOverwrite = confirmOverwrite;
    return d;
}

bool ListFileCommands::askSaveName(const QString& preset) {
    const std::optional<QString> chosen =
        services().saveFileName(listDialog(QStringLiteral("Speichern unter"), preset, true));
    if (!chosen || chosen->isEmpty()) {
        state().abgebrochen = 1;
        return false;
    }
    state().dateinamemitpfad = *chosen;
    return true;
}

void ListFileCommands::dateischreiben() {
    MainState& s = state();
    for (;;) {
        SaveResult saved;
        {
            LockRecordCheck lock(s);
            s.alteposition = cursor().absolutePosition();
            // Corrections of the record check belong to the table as well as to the file.
            cursor().update();
            const Snapshot snapshot = cursor().snapshot();
            // The table is never empty: an empty one was not read, and must not replace a list.
            if (snapshot.empty())
                saved = {false, 103, fileErrorFor(filecode::deviceIo)};
            else
                saved = saveFileSafely(s.dateinamemitpfad, renderListFile(snapshot),
                                       linksOf(s.dateinamemitpfad));
        }
        if (saved.ok) {
            s.dateiwurdegeaendert = 0;
            return;
        }
        // The list file that was there before is untouched.
        const int a = services().message(retryCancel(fileFailureMessage(saved.group, saved.error)));
        if (a != answer::retry) {
            s.dateinamemitpfad.clear();
            s.abgebrochen = 1;
            return;
        }
    }
}

Links linksFor(const QString& path, const DataDir& dataDir) {
    const bool inDataDir = QFileInfo(QFileInfo(path).absolutePath()) == QFileInfo(dataDir.path);
    return inDataDir ? Links::DoNotFollow : Links::Follow;
}

Links ListFileCommands::linksOf(const QString& path) const {
    return linksFor(path, m_ctx.dataDir);
}

void ListFileCommands::mnuDateioeffnen_Click() {
    m_ctx.form.datensatzpruefen();
    MainState& s = state();
    QString picked;
    ListFileContents contents;
    for (;;) {
        const std::optional<QString> chosen =
            services().openFileName(listDialog(QStringLiteral("Öffnen"), picked, false));
        if (!chosen || chosen->isEmpty())
            return;
        picked = *chosen;
        if (!aenderungenklaeren())
            return;
        // Only a regular file is read: a pipe or a device is refused at once.
        contents = readListFile(picked);
        if (!contents.notRead)
            break;
        if (services().message(retryCancel(fileFailureMessage(102, contents.fileError))) !=
            answer::retry)
            return;
    }
    // The whole file is read before the table is touched: a broken file changes nothing.
    if (!contents.ok) {
        MessageRequest m;
        m.text = contents.error;
        m.buttons = Buttons::Ok;
        m.icon = Icon::Exclamation;
        services().message(m);
        return;
    }

    ScanHold hold(m_ctx.reminders);
    LockRecordCheck lock(s);
    // The list about to be replaced is kept in the day's backup, should it still be wanted.
    makeDailyBackup(cursor().store(), m_ctx.dataDir.path, services().today());
    // Emptying and filling are one transaction: the old list stays if either fails.
    bool ok = cursor().begin() && emptyTable();
    if (ok) {
        std::vector<Record>& records = contents.records;
        const int total = static_cast<int>(records.size());
        m_ctx.busy.enterBusyDisplay(total, QStringLiteral("Datei wird geladen ..."));
        // Every reminder of a loaded record may be given again.
        for (Record& r : records)
            r.marker = {0, 0, 0};
        RepaintPacer pacer(services());
        // The progress follows the records as they are stored, not ahead of them.
        ok = cursor().replaceAll(records, [&](int counter) {
            progressStep(m_ctx.busy, pacer, counter, total, total, loadEnding());
        });
        pacer.now();
        ok = ok && cursor().commit();
    }
    if (!ok) {
        cursor().rollback();
        m_ctx.busy.leaveBusyDisplay();
        reportStoreFailure();
        return;
    }
    m_ctx.busy.leaveBusyDisplay();
    s.dateinamemitpfad = picked;
    s.dateiwurdegeaendert = 0;
    sortByNumberAfterReload(m_ctx);
    cursor().moveFirst();
    m_ctx.form.showRecord();
    m_ctx.grid.syncGridToCursor();
}

bool ListFileCommands::emptyTable() {
    m_ctx.grid.clearSelection();
    Cursor& c = cursor();
    const int total = c.recordCount();
    if (total > 1) {
        c.moveFirst();
        m_ctx.busy.enterBusyDisplay(total, QStringLiteral("Speicher wird entladen ..."));
        RepaintPacer pacer(services());
        for (int counter = 1; counter < total; ++counter)
            progressStep(m_ctx.busy, pacer, counter, total - 1, total, unloadEnding());
        pacer.now();
        if (!c.deleteAllButFirst())
            return false;
    }
    const Record sample = sampleRecord(state().options.reminderDefaults());
    bool ok = false;
    if (c.recordCount() == 0) {
        ok = c.replaceAll({sample});
    } else {
        c.moveFirst();
        ok = c.writeRecord(c.bookmarkAt(0), sample);
    }
    m_ctx.busy.leaveBusyDisplay();
    return ok;
}

void ListFileCommands::speicherentladen() {
    MainState& s = state();
    ScanHold hold(m_ctx.reminders);
    LockRecordCheck lock(s);
    const bool ok = cursor().begin() && emptyTable() && cursor().commit();
    if (!ok) {
        cursor().rollback();
        m_ctx.busy.leaveBusyDisplay();
        reportStoreFailure();
        return;
    }
    sortByNumberAfterReload(m_ctx);
    cursor().moveFirst();
    cursor().update();
    s.dateinamemitpfad.clear();
    s.dateiwurdegeaendert = 0;
    m_ctx.busy.leaveBusyDisplay();
    m_ctx.form.showRecord();
    m_ctx.grid.syncGridToCursor();
}

void ListFileCommands::reportStoreFailure() {
    m_ctx.storeFailureHandled();
    MessageRequest m;
    m.text = QStringLiteral("Die Datenbank konnte nicht geändert werden; die Tabelle bleibt, "
                            "wie sie war. ( ") +
             cursor().lastError() + QStringLiteral(" )");
    m.buttons = Buttons::Ok;
    m.icon = Icon::Exclamation;
    services().message(m);
}

void ListFileCommands::mnuDateineu_Click() {
    cursor().update();
    m_ctx.form.datensatzpruefen();
    const QString paragraph = QStringLiteral("\n\r\n\r");
    const QString quote = QStringLiteral("\"");
    MessageRequest m;
    m.text = QStringLiteral("Neue Geburtstagsliste anlegen?") + paragraph +
             QStringLiteral("Wenn eine neue, leere Tabelle angelegt werden soll, klicken Sie auf "
                            "OK ") +
             QStringLiteral("und die aktuell geladene Geburtstags-Liste wird gelöscht! Die "
                            "Tabelle können Sie aber mit ") +
             quote + QStringLiteral("Datei ") + QStringLiteral("/ Geburtstagsliste öffnen") +
             quote + QStringLiteral(" wieder einlesen, sofern sie vorher gespeichert wurde.") +
             paragraph + QStringLiteral("Unter ") + quote +
             QStringLiteral("Datei / Eigenschaften") + quote +
             QStringLiteral(" können Sie nachsehen, ob und wo die Datei gespeichert wurde.") +
             paragraph + QStringLiteral("Soll die Gebutstags-Liste wirklich gelöscht werden?");
    m.buttons = Buttons::OkCancel;
    m.icon = Icon::Exclamation;
    m.defaultButton = answer::cancel;
    if (services().message(m) != answer::ok)
        return;
    if (!aenderungenklaeren())
        return;
    speicherentladen();
}

void ListFileCommands::mnuDateieigenschaften_Click() {
    m_ctx.form.datensatzpruefen();
    FrmInfo frmInfo(state().dateinamemitpfad, cursor().snapshot(), &m_ctx.window);
    services().execDialog(frmInfo);
}

bool ListFileCommands::exitSteps() {
    m_ctx.form.datensatzpruefen();
    cursor().update();
    if (!aenderungenklaeren())
        return false;
    m_ctx.settings.setValue(QStringLiteral("filename"), state().dateinamemitpfad);
    return true;
}

void ListFileCommands::mnuDateibeenden_Click() {
    if (!exitSteps())
        return;
    // One scan, and Timer1 need not scan again today.
    m_ctx.reminders.scanForToday();
    m_ctx.window.hide();
}

void ListFileCommands::mnuErinnerungsmodulbeenden_Click() {
    if (!exitSteps())
        return;
    state().programmbeenden = 1;
    m_ctx.window.close();
    QCoreApplication::quit();
}

bool ListFileCommands::Form_Unload() {
    if (state().programmbeenden == 1)
        return true;
    // While a list loads or a dialog holds the window, closing is simply refused.
    if (m_ctx.form.controlsEnabled())
        mnuDateibeenden_Click();
    return false;
}

} // namespace natalix
