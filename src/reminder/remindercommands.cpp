#include "reminder/remindercommands.h"

#include "app/datadir.h"
#include "app/formparts.h"
#include "app/mainstate.h"
#include "reminder/frmmeldung.h"
#include "reminder/remindercore.h"
#include "reminder/reminderscan.h"
#include "table/cursor.h"
#include "table/sortcommands.h"
#include "table/tablestore.h"
#include "ui/services.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>

namespace natalix {

namespace {
// How often a grid that waits for a command's dialog looks again.
constexpr int sortWaitMs = 1000;
} // namespace

ReminderCommands::ReminderCommands(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context), m_sortWait(new QTimer(this)) {
    setObjectName(QStringLiteral("ReminderCommands"));
    m_sortWait->setInterval(sortWaitMs);
    connect(m_sortWait, &QTimer::timeout, this, &ReminderCommands::sortByMonth);
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

void ReminderCommands::onScanned(const ReminderReport& report) {
    // The scan wrote through its own connection: the rows in memory take its markers, so
    // that storing a record later does not write the old ones back.
    m_ctx.cursor.takeMarkers(report.marks);
    // Records just brought in stay where the command put them.
    if (report.dayScan)
        sortByMonth();
    if (!report.lines.isEmpty())
        showMeldung(report);
}

bool ReminderCommands::commandWaits() const {
    // A command waiting for the answer to one of its dialogs (a question before deleting,
    // say) must find its current record where it left it, even below a reminder window.
    if (m_ctx.busy.isBusy())
        return true;
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget* w) {
        return w->isVisible() && w->windowModality() != Qt::NonModal &&
               !qobject_cast<const FrmMeldung*>(w);
    });
}

void ReminderCommands::sortByMonth() {
    if (commandWaits()) {
        m_sortWait->start();
        return;
    }
    m_sortWait->stop();
    // After a scan the table is in month order, at the position number it had.
    MainState& s = m_ctx.state;
    Cursor& cursor = m_ctx.cursor;
    s.alteposition = cursor.absolutePosition();
    {
        LockRecordCheck lock(s);
        if (cursor.sort() != scanSortExpression())
            cursor.setSort(scanSortExpression());
        cursor.moveFirst();
        cursor.setAbsolutePosition(s.alteposition);
    }
    s.setSortToggles(0, 0, 0, 1, 0);
    m_ctx.grid.setGridCaption(caption::byMonthAscending());
    m_ctx.grid.syncGridToCursor();
}

void ReminderCommands::showMeldung(const ReminderReport& report) {
    // A window of its own, not the main window's: a hidden or minimised main window must
    // not take it out of sight.
    auto* frmMeldung =
        new FrmMeldung(reminderWindowText(report.lines),
                       m_ctx.state.options.optiondatumsanzeigehauptfenster, report.at);
    const qint64 open = report.openWindow;
    connect(frmMeldung, &QDialog::finished, this, [this, open] {
        // Closed on the way out of the program, it was not answered: it comes back.
        if (m_ctx.state.programmbeenden != 1)
            emit answered(open);
    });
    m_windows.removeAll(nullptr);
    m_windows << frmMeldung;
    // Shown without waiting: the timer goes on, and the next day's scan comes whether or
    // not this window is still open.
    m_ctx.services.showWindow(frmMeldung);
}

bool ReminderCommands::raiseReminder() {
    for (auto it = m_windows.crbegin(); it != m_windows.crend(); ++it) {
        if (*it && (*it)->isVisible()) {
            (*it)->bringToFront();
            return true;
        }
    }
    return false;
}

} // namespace natalix
