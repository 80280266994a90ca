#include "reminder/remindercore.h"

#include "app/mainstate.h"
#include "reminder/reminderscan.h"
#include "reminder/scanrunner.h"
#include "table/cursor.h"

#include <QTimer>

namespace natalix {

namespace {
constexpr int startInterval = 1000;
constexpr int dayWatchInterval = 60000;
} // namespace

ReminderCore::ReminderCore(Cursor& cursor, MainState& state, std::function<QDateTime()> clock,
                           QObject* parent)
    : QObject(parent), m_cursor(cursor), m_state(state), m_clock(std::move(clock)),
      m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("ReminderCore"));
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(startInterval);
    connect(m_timer, &QTimer::timeout, this, &ReminderCore::tick);
}

void ReminderCore::tick() {
    if (m_state.starten != 1)
        return;
    const QDate today = m_clock().date();
    if (m_timer->interval() == startInterval) {
        m_timer->setInterval(dayWatchInterval);
        m_state.altertag = today.day();
        emit dayBegan(today);
        scanWhenFree();
        return;
    }
    if (today.day() != m_state.altertag) {
        // The day counts as scanned at once: the scan shows its lines without waiting for
        // anybody, so no later tick needs to repeat it.
        m_state.altertag = today.day();
        emit dayBegan(today);
        scanWhenFree();
    } else if (m_scanWaiting) {
        scanWhenFree();
    }
}

bool ReminderCore::held() const {
    return m_holds > 0 || (m_busy && m_busy());
}

void ReminderCore::scanWhenFree() {
    if (held()) {
        m_scanWaiting = true;
        return;
    }
    erinnerungenpruefen();
}

void ReminderCore::hold() {
    ++m_holds;
}

void ReminderCore::release() {
    if (m_holds == 0 || --m_holds > 0 || !m_scanWaiting)
        return;
    if (!held()) {
        erinnerungenpruefen();
        return;
    }
    // Still busy: try again once control is back in the event loop.
    if (m_retryPosted)
        return;
    m_retryPosted = true;
    QTimer::singleShot(0, this, [this] {
        m_retryPosted = false;
        if (m_scanWaiting)
            scanWhenFree();
    });
}

void ReminderCore::erinnerungenpruefen() {
    // Loading or emptying a list moves the table under the scan's feet: wait for its end.
    if (m_holds > 0) {
        m_scanWaiting = true;
        return;
    }
    m_scanWaiting = false;
    emit aboutToScan();
    const int alteposition = m_cursor.absolutePosition();
    m_state.alteposition = alteposition;
    ReminderReport report;
    report.at = m_clock();
    m_state.setSortToggles(0, 0, 0, 1, 0);
    {
        LockRecordCheck lock(m_state);
        const ScanRun run = runReminderScan(m_cursor, report.at.date(),
                                            m_state.options.optiondatumsanzeigehauptfenster);
        report.lines = run.lines;
        report.marksStored = run.marksStored;
        if (m_cursor.recordCount() > 0)
            m_state.texterinnerungen = reminderWindowText(run.lines);
        m_cursor.moveFirst();
        m_cursor.setAbsolutePosition(alteposition);
    }
    emit scanned(report);
}

} // namespace natalix
