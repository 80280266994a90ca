#include "reminder/remindercommands.h"

#include "app/datadir.h"
#include "app/formparts.h"
#include "app/mainstate.h"
#include "reminder/frmmeldung.h"
#include "reminder/remindercore.h"
#include "reminder/reminderscan.h"
#include "table/sortcommands.h"
#include "table/tablestore.h"
#include "ui/services.h"

#include <QApplication>

namespace natalix {

ReminderCommands::ReminderCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("ReminderCommands"));
    ReminderCore& core = context.reminders;
    core.setBusyTest([&busy = context.busy] {
        // A command waiting in one of its own dialogs must find the table as it left it.
        const QWidget* modal = QApplication::activeModalWidget();
        return busy.isBusy() || (modal && !qobject_cast<const FrmMeldung*>(modal));
    });
    connect(&core, &ReminderCore::aboutToScan, this, &ReminderCommands::zugriffpruefen);
    connect(&core, &ReminderCore::scanned, this, [this](const ReminderReport& report) {
        m_ctx.grid.setGridCaption(caption::byMonthAscending());
        m_ctx.grid.syncGridToCursor();
        if (!report.lines.isEmpty())
            showMeldung(report);
    });
}

void ReminderCommands::zugriffpruefen() {
    for (;;) {
        const AccessResult r = checkDatabaseAccess(m_ctx.dataDir.databasePath());
        if (r.ok)
            return;
        MessageRequest m;
        m.title = QStringLiteral("Zugriffs-Fehler");
        m.icon = Icon::Exclamation;
        m.buttons = Buttons::Ok;
        m.text = QStringLiteral(
                     "Der Zugriff auf die Datenbank ist zur Zeit nicht möglich. Möglicherweise "
                     "hat sich die Festplatte abgeschaltet. Wenn sich diese Meldung mehrmals "
                     "wiederholt, drücken Sie eine Taste um die Festplatte wieder zu starten. "
                     "Klicken Sie auf 'OK' um wiederholt auf die Datenbank zuzugreifen.( 104 /") +
                 QStringLiteral(" %1 : %2 )").arg(r.errorNumber).arg(r.description);
        m_ctx.services.message(m);
    }
}

void ReminderCommands::showMeldung(const ReminderReport& report) {
    // A hidden main window must not take its reminder window out of sight with it.
    QWidget* parent = m_ctx.window.isVisible() ? &m_ctx.window : nullptr;
    auto* frmMeldung =
        new FrmMeldung(reminderWindowText(report.lines),
                       m_ctx.state.options.optiondatumsanzeigehauptfenster, report.at, parent);
    // Shown without waiting: the timer goes on, and the next day's scan comes whether or
    // not this window is still open.
    m_ctx.services.showWindow(frmMeldung);
}

} // namespace natalix
