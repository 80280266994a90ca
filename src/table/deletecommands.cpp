#include "table/deletecommands.h"

#include "app/formparts.h"
#include "app/mainstate.h"
#include "table/cursor.h"
#include "table/entrycommands.h"
#include "table/gridselection.h"
#include "table/sortcommands.h"
#include "ui/services.h"

namespace natalix {

DeleteCommands::DeleteCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("DeleteCommands"));
}

void DeleteCommands::cmdDatensatzloeschen_Click() {
    Cursor& c = m_ctx.cursor;
    // The last record of a list cannot be deleted.
    if (c.recordCount() < 2)
        return;
    m_ctx.form.datensatzpruefen();
    if (m_ctx.grid.selection().count() == 0) {
        c.update(); // a record not stored yet has no bookmark
        m_ctx.grid.selection().add(c.bookmark());
    }
    MainState& s = m_ctx.state;
    LockRecordCheck lock(s);

    s.gewaehlt = m_ctx.services.message(confirmChange(
        QStringLiteral("Sollen die ausgewählten Datensätze wirklich gelöscht werden?"),
        QStringLiteral("Datensätze löschen")));
    if (s.gewaehlt != answer::yes)
        return;

    if (datensaetzeloeschen()) {
        s.dateiwurdegeaendert = 1;
        return;
    }
    m_ctx.storeFailureHandled();
    MessageRequest failed;
    failed.text = QStringLiteral("Die Datensätze konnten nicht gelöscht werden; die Tabelle "
                                 "bleibt unverändert. (%1)")
                      .arg(c.lastError());
    failed.title = QStringLiteral("Datensätze löschen");
    failed.icon = Icon::Exclamation;
    m_ctx.services.message(failed);
}

bool DeleteCommands::datensaetzeloeschen() {
    Cursor& c = m_ctx.cursor;
    GridSelection& selection = m_ctx.grid.selection();
    const QList<qint64> order = selection.bookmarks();
    qsizetype n = order.size();
    const bool everyRecord = n == c.recordCount();
    if (everyRecord)
        --n;

    // All or nothing: a half-deleted selection would be worse than none.
    if (!c.begin())
        return false;
    bool ok = true;
    {
        GridSelection::Batch batch(selection);
        c.moveFirst();
        for (qsizetype i = 0; i < n && ok; ++i) {
            ok = c.setBookmark(order.at(i)) && c.deleteCurrent();
            c.moveNext();
            if (c.eof())
                c.moveLast();
            ok = ok && c.update();
        }
        if (ok && everyRecord) {
            c.moveFirst();
            writeFields(c, newRecord(1, m_ctx.state.options.reminderDefaults()));
            m_ctx.grid.sortTable(QStringLiteral("Nummer ASC"), caption::byNumberAscending());
            ok = c.update();
        }
    }
    if (!ok)
        c.rollback();
    else
        ok = c.commit(); // rolls back itself when it fails
    if (!ok) {
        m_ctx.grid.selection().reapply();
        c.moveFirst();
        return false;
    }
    if (everyRecord) {
        m_ctx.state.setSortToggles(1, 0, 0, 0, 0);
        m_ctx.grid.clearSelection();
    }
    c.moveFirst();
    return true;
}

} // namespace natalix
