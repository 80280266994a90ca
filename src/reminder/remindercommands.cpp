#include "reminder/remindercommands.h"

#include "app/commandgroups.h"
#include "app/frmmain.h"
#include "reminder/frmmeldung.h"
#include "reminder/remindercore.h"
#include "reminder/reminderscan.h"
#include "table/cursor.h"
#include "table/sortcommands.h"
#include "ui/services.h"

#include <QApplication>
#include <QTimer>

namespace natalix {

ReminderCommands::ReminderCommands(FrmMain& form) : QObject(&form), m_form(form) {
    setObjectName(QStringLiteral("ReminderCommands"));
    m_core = new ReminderCore(
        form.adoDaten(), form.state(), [&form] { return form.services().now(); }, this);
    m_core->setBusyTest([&form] {
        // A command waiting in one of its own dialogs must find the table as it left it.
        const QWidget* modal = QApplication::activeModalWidget();
        return form.isBusy() || (modal && !qobject_cast<const FrmMeldung*>(modal));
    });
    connect(m_core, &ReminderCore::aboutToScan, this, [&form] { form.zugriffpruefen(); });
    connect(m_core, &ReminderCore::scanned, this, [this](const ReminderReport& report) {
        m_form.setGridCaption(caption::byMonthAscending());
        m_form.syncGridToCursor();
        if (!report.lines.isEmpty())
            showMeldung(report);
    });
}

void ReminderCommands::erinnerungenpruefen() {
    m_core->erinnerungenpruefen();
}

void ReminderCommands::holdScans() {
    m_core->hold();
}

void ReminderCommands::releaseScans() {
    m_core->release();
}

void ReminderCommands::showMeldung(const ReminderReport& report) {
    MainState& s = m_form.state();
    // A hidden main window must not take its reminder window out of sight with it.
    QWidget* parent = m_form.isVisible() ? &m_form : nullptr;
    auto* frmMeldung = new FrmMeldung(reminderWindowText(report.lines),
                                      s.options.optiondatumsanzeigehauptfenster, report.at, parent);
    // Shown without waiting: the timer goes on, and the next day's scan comes whether or
    // not this window is still open.
    m_form.services().showWindow(frmMeldung);
}

void installReminderCommands(FrmMain& form) {
    auto* commands = new ReminderCommands(form);
    form.Timer1 = commands->core().timer();
    form.reminderCore = &commands->core();
    form.timer1Tick = [commands] { commands->core().tick(); };
}

} // namespace natalix
