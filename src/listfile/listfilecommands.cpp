#include "listfile/listfilecommands.h"

#include "app/datadir.h"
#include "app/formparts.h"
#include "app/mainstate.h"
#include "listfile/frminfo.h"
#include "listfile/listfile.h"
#include "listfile/listfilequestions.h"
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

QString unloadEnding() {
    return QStringLiteral(" Datensätzen wurden entladen ...");
}
QString loadEnding() {
    return QStringLiteral(" Datensätzen wurden geladen ...");
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

} // namespace

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
    Settle step = settleChanges(s.dateiwurdegeaendert, s.dateinamemitpfad);
    if (step == Settle::ask) {
        s.gewaehlt = services().message(saveChangesQuestion());
        step = settleAnswer(s.gewaehlt);
    }
    switch (step) {
    case Settle::save:
        mnuDateispeichern_Click();
        return true;
    case Settle::saveAs:
        mnuDateispeichernunter_Click();
        return s.abgebrochen != 1;
    case Settle::stop:
        return false;
    default:
        return true;
    }
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
    return listFileDialog(title, fileName, m_ctx.dataDir.path, confirmOverwrite);
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
        const int a = services().message(fileFailureQuestion(saved.group, saved.error));
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
        if (services().message(fileFailureQuestion(102, contents.fileError)) != answer::retry)
            return;
    }
    // The whole file is read before the table is touched: a broken file changes nothing.
    if (!contents.ok) {
        services().message(brokenListMessage(contents.error));
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
    if (services().message(newListQuestion()) != answer::ok)
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
