#include "contacts/contactcommands.h"

#include "app/datadir.h"
#include "app/formparts.h"
#include "app/mainstate.h"
#include "calendar/icalendar.h"
#include "contacts/contactimport.h"
#include "contacts/frmkontakte.h"
#include "listfile/listfilecommands.h"
#include "listfile/listfilequestions.h"
#include "reminder/remindercore.h"
#include "table/backups.h"
#include "table/cursor.h"
#include "table/safefile.h"
#include "table/sortcommands.h"
#include "ui/services.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

namespace natalix {

namespace {

const QString importTitle = QStringLiteral("Kontakte importieren");
const QString exportTitle = QStringLiteral("Als Kalender exportieren");

MessageRequest okMessage(const QString& text, const QString& title, Icon icon) {
    MessageRequest m;
    m.text = text;
    m.title = title;
    m.buttons = Buttons::Ok;
    m.icon = icon;
    return m;
}

} // namespace

ContactCommands::ContactCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("ContactCommands"));
}

void ContactCommands::mnuDateikontakteimportieren_Click() {
    if (m_ctx.busy.isBusy())
        return;
    m_ctx.form.datensatzpruefen();
    Cursor& cursor = m_ctx.cursor;
    // The corrections of the record check are the list's, before it is compared and reread.
    cursor.update();

    FileDialogRequest d;
    d.title = importTitle;
    d.filter = QStringLiteral("Kontakte (*.vcf *.vcard *.csv);;Alle Dateien (*)");
    d.folder = QDir::homePath();
    d.confirmOverwrite = false;
    const std::optional<QString> chosenFile = m_ctx.services.openFileName(d);
    if (!chosenFile || chosenFile->isEmpty())
        return;

    // The whole file is read before anything is asked or changed: a broken one changes nothing.
    const ContactFile file = readContactFile(*chosenFile);
    if (!file.ok) {
        m_ctx.services.message(
            okMessage(QStringLiteral("Die Datei \"%1\" wurde nicht eingelesen: %2")
                          .arg(QDir::toNativeSeparators(*chosenFile), file.error),
                      importTitle, Icon::Exclamation));
        return;
    }

    MainState& s = m_ctx.state;
    const ImportPlan plan =
        planContactImport(file.contacts, cursor.snapshot(), s.options.reminderDefaults());
    // Without a birthday to offer there is nothing to choose, only the summary to show.
    std::vector<bool> chosen(plan.rows.size(), false);
    if (plan.added + plan.duplicates > 0) {
        FrmKontakte preview(plan, static_cast<int>(file.contacts.size()),
                            s.options.optiondatumsanzeigehauptfenster, &m_ctx.window);
        if (m_ctx.services.execDialog(preview) != QDialog::Accepted)
            return;
        chosen = preview.chosen();
    }
    const int wanted = static_cast<int>(std::count(chosen.begin(), chosen.end(), true));
    const std::vector<Record> records = chosenRecords(plan, chosen);
    if (static_cast<int>(records.size()) != wanted) {
        m_ctx.services.message(okMessage(QStringLiteral("Die Liste hat keine freien Nummern mehr; "
                                                        "es wurde nichts übernommen."),
                                         importTitle, Icon::Exclamation));
        return;
    }

    // Duplicates the user took anyway are no longer "already in the list".
    int duplicatesLeft = 0;
    for (size_t i = 0; i < plan.rows.size(); ++i)
        if (plan.rows[i].outcome == ImportRow::Outcome::Duplicate && !chosen[i])
            ++duplicatesLeft;

    if (!records.empty()) {
        makeDailyBackup(cursor.store(), m_ctx.dataDir.path, m_ctx.services.today());
        ScanHold hold(m_ctx.reminders);
        const int before = cursor.recordCount();
        m_ctx.grid.clearSelection();
        LockRecordCheck lock(s);
        QString error;
        if (!appendRecords(cursor.store(), records, &error)) {
            m_ctx.storeFailureHandled();
            m_ctx.services.message(
                okMessage(QStringLiteral("Die Kontakte konnten nicht in die Datenbank geschrieben "
                                         "werden; die bisherige Liste bleibt erhalten. ( %1 )")
                              .arg(error),
                          importTitle, Icon::Exclamation));
            return;
        }
        cursor.reload();
        sortByNumberAfterReload(m_ctx);
        s.dateiwurdegeaendert = 1;
        // The new records come last in number order: the first of them becomes current.
        cursor.moveFirst();
        cursor.setAbsolutePosition(before + 1);
        m_ctx.form.showRecord();
        m_ctx.grid.syncGridToCursor();
    }
    m_ctx.services.message(okMessage(
        importSummary(static_cast<int>(records.size()), duplicatesLeft, plan.withoutBirthday),
        importTitle, Icon::Information));
    if (!records.empty())
        emit recordsAdded();
}

void ContactCommands::mnuDateikalenderexportieren_Click() {
    if (m_ctx.busy.isBusy())
        return;
    m_ctx.form.datensatzpruefen();
    Cursor& cursor = m_ctx.cursor;
    cursor.update();

    FileDialogRequest d;
    d.title = exportTitle;
    d.filter = QStringLiteral("iCalendar (*.ics)");
    d.defaultSuffix = QStringLiteral("ics");
    // A calendar is for other programs: offered where the user keeps documents, not in the
    // hidden data folder.
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    d.fileName = QDir(documents).filePath(QStringLiteral("natalix.ics"));
    d.folder = documents;
    d.confirmOverwrite = true;
    const std::optional<QString> target = m_ctx.services.saveFileName(d);
    if (!target || target->isEmpty())
        return;

    for (;;) {
        // In number order, as the command line writes it; the grid keeps its own order.
        Snapshot records = cursor.snapshot();
        std::stable_sort(records.begin(), records.end(),
                         [](const Record& a, const Record& b) { return a.nummer < b.nummer; });
        SaveResult saved;
        int skipped = 0;
        // A table that could not be read must never replace a calendar.
        if (records.empty()) {
            saved = {false, 103, fileErrorFor(filecode::deviceIo)};
        } else {
            const QDateTime now = m_ctx.services.now();
            const QByteArray calendar = renderCalendar(
                records, {now.date(), now, m_ctx.state.options.optiondatumsanzeigehauptfenster},
                &skipped);
            saved = saveFileSafely(*target, calendar, linksFor(*target, m_ctx.dataDir));
        }
        if (saved.ok) {
            const int written = static_cast<int>(records.size()) - skipped;
            QString text = QStringLiteral("%1 %2 als Kalender gespeichert: %3")
                               .arg(written)
                               .arg(written == 1 ? QStringLiteral("Geburtstag")
                                                 : QStringLiteral("Geburtstage"))
                               .arg(QDir::toNativeSeparators(*target));
            if (skipped > 0)
                text += QStringLiteral("\n\nNicht im Kalender, weil ohne gültiges Geburtsdatum: "
                                       "%1 %2")
                            .arg(skipped)
                            .arg(skipped == 1 ? QStringLiteral("Datensatz")
                                              : QStringLiteral("Datensätze"));
            m_ctx.services.message(okMessage(text, exportTitle, Icon::Information));
            return;
        }
        // The calendar that was there before is untouched; the list is not concerned.
        if (m_ctx.services.message(fileFailureQuestion(saved.group, saved.error)) != answer::retry)
            return;
    }
}

} // namespace natalix
