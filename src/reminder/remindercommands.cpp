#include "reminder/remindercommands.h"

#include "app/commandgroups.h"
#include "app/frmmain.h"
#include "reminder/frmmeldung.h"
#include "reminder/reminderscan.h"
#include "reminder/scanrunner.h"
#include "table/cursor.h"
#include "table/sortcommands.h"
#include "ui/services.h"

#include <QTimer>

namespace natalix {

namespace {
constexpr int startInterval = 1000;
constexpr int dayWatchInterval = 60000;
} // namespace

ReminderCommands::ReminderCommands(FrmMain& form) : QObject(&form), m_form(form) {
    setObjectName(QStringLiteral("ReminderCommands"));
}

void ReminderCommands::Timer1_Timer() {
    MainState& s = m_form.state();
    if (s.starten != 1)
        return;
    if (m_form.Timer1->interval() == startInterval) {
        m_form.Timer1->setInterval(dayWatchInterval);
        s.altertag = m_form.services().today().day();
        scanWhenFree();
    }
    if (m_form.services().today().day() != s.altertag) {
        scanWhenFree();
        // Only now: a tick while the window of this scan is open scans once more, and
        // finds every reminder of this scan already given.
        s.altertag = m_form.services().today().day();
    } else if (m_scanWaiting) {
        scanWhenFree();
    }
}

bool ReminderCommands::scansHeld() const {
    return m_holds > 0 || m_form.isBusy();
}

void ReminderCommands::scanWhenFree() {
    if (scansHeld()) {
        m_scanWaiting = true;
        return;
    }
    erinnerungenpruefen();
}

void ReminderCommands::holdScans() {
    ++m_holds;
}

void ReminderCommands::releaseScans() {
    if (m_holds == 0 || --m_holds > 0 || !m_scanWaiting)
        return;
    if (!m_form.isBusy()) {
        erinnerungenpruefen();
        return;
    }
    // The busy display is still up: try again once control is back in the event loop.
    if (m_retryPosted)
        return;
    m_retryPosted = true;
    QTimer::singleShot(0, this, [this] {
        m_retryPosted = false;
        if (m_scanWaiting)
            scanWhenFree();
    });
}

void ReminderCommands::erinnerungenpruefen() {
    // Loading or emptying a list moves the table under the scan's feet: wait for its end.
    if (m_holds > 0) {
        m_scanWaiting = true;
        return;
    }
    m_scanWaiting = false;
    m_form.zugriffpruefen();
    MainState& s = m_form.state();
    Cursor& adoDaten = m_form.adoDaten();
    // Kept here as well: a scan run by a tick while this one's window is open sets
    // alteposition anew.
    const int alteposition = adoDaten.absolutePosition();
    s.alteposition = alteposition;
    m_form.sortTable(scanSortExpression(), caption::byMonthAscending());
    s.setSortToggles(0, 0, 0, 1, 0);
    {
        LockRecordCheck lock(s);
        adoDaten.moveFirst();
        const ScanRun run = runReminderScan(adoDaten, m_form.services().today(),
                                            s.options.optiondatumsanzeigehauptfenster);
        if (adoDaten.recordCount() > 0)
            s.texterinnerungen = reminderWindowText(run.lines);
        if (!run.lines.isEmpty())
            showMeldung();
        adoDaten.moveFirst();
        adoDaten.setAbsolutePosition(alteposition);
    }
    m_form.syncGridToCursor();
}

void ReminderCommands::showMeldung() {
    MainState& s = m_form.state();
    // A hidden main window must not take its reminder window out of sight with it.
    QWidget* parent = m_form.isVisible() ? &m_form : nullptr;
    FrmMeldung frmMeldung(s.texterinnerungen, s.options.optiondatumsanzeigehauptfenster,
                          m_form.services().now(), parent);
    m_form.services().execDialog(frmMeldung);
}

void installReminderCommands(FrmMain& form) {
    auto* commands = new ReminderCommands(form);
    form.timer1Tick = [commands] { commands->Timer1_Timer(); };
}

} // namespace natalix
