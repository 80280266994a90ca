#include "reminder/remindercore.h"

#include "reminder/openlines.h"
#include "table/tablestore.h"

#include <QTimer>

namespace natalix {

namespace {
constexpr int startInterval = 1000;
constexpr int dayWatchInterval = 60000;
} // namespace

ReminderCore::ReminderCore(const QString& databasePath, std::function<QDateTime()> clock,
                           std::function<double()> dateDisplay, QObject* parent)
    : QObject(parent), m_databasePath(databasePath), m_clock(std::move(clock)),
      m_dateDisplay(std::move(dateDisplay)), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("ReminderCore"));
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(startInterval);
    connect(m_timer, &QTimer::timeout, this, &ReminderCore::tick);
}

ReminderCore::~ReminderCore() = default;

void ReminderCore::start() {
    m_started = true;
    // The scan's connection is opened (and its file checked) now, not at the day's scan.
    openStore();
}

void ReminderCore::tick() {
    if (!m_started)
        return;
    const QDate today = m_clock().date();
    forgetAnswered();
    if (m_timer->interval() == startInterval) {
        m_timer->setInterval(dayWatchInterval);
        m_altertag = today.day();
        reopen();
        emit dayBegan(today);
        scan(true);
        return;
    }
    if (today.day() != m_altertag) {
        // The day counts as scanned at once: the scan shows its lines without waiting for
        // anybody, so no later tick needs to repeat it.
        m_altertag = today.day();
        emit dayBegan(today);
        scan(true);
    } else if (m_scanWaiting) {
        scan(false); // the one that waits, of its kind
    }
}

void ReminderCore::hold() {
    ++m_holds;
}

void ReminderCore::release() {
    if (m_holds == 0 || --m_holds > 0 || !m_scanWaiting)
        return;
    scan(false); // the one that waits, of its kind
}

bool ReminderCore::openStore() {
    if (m_store)
        return true;
    TableStore::Opened opened = TableStore::openBeside(m_databasePath, false);
    if (!opened.store)
        return false;
    m_store = std::move(opened.store);
    m_open = std::make_unique<OpenLines>(*m_store);
    return true;
}

void ReminderCore::erinnerungenpruefen() {
    scan(true);
}

void ReminderCore::scanArrivals() {
    scan(false);
}

void ReminderCore::scan(bool dayScan) {
    // Loading or emptying a list moves the table under the scan's feet, and a scan that
    // waits for the access check must not start a second one: both wait for their end.
    if (m_holds > 0 || m_scanning) {
        m_scanWaiting = true;
        m_dayScanWaiting = m_dayScanWaiting || dayScan;
        return;
    }
    dayScan = dayScan || m_dayScanWaiting;
    m_scanWaiting = false;
    m_dayScanWaiting = false;
    m_scanning = true;
    emit aboutToScan();
    const QDateTime at = m_clock();
    ScanRun run;
    if (openStore()) {
        m_store->setMemoryMapped(true);
        run = decideReminders(*m_store, at.date(), m_dateDisplay());
    } else {
        run.read = false;
    }
    ReminderReport report;
    report.at = at;
    report.lines = run.lines;
    report.dayScan = dayScan;
    bool busy = !run.read;
    if (run.read && !run.marks.empty()) {
        // The markers and the open lines in one transaction: a reminder is never marked as
        // given without its lines kept until the user has seen them.
        bool stored = m_store->begin();
        stored = stored && m_open->prepare() && m_store->writeMarkers(run.marks);
        report.openWindow = stored ? m_open->keep(at, run.lines) : 0;
        stored = stored && report.openWindow != 0 && m_store->commit();
        if (!stored) {
            busy = m_store->lastErrorIsBusy();
            m_store->rollback();
            report.openWindow = 0;
            report.marksStored = false;
        } else {
            report.marks = std::move(run.marks);
        }
    }
    if (m_store)
        m_store->releaseMemory();
    m_scanning = false;
    // Another connection holds the table (a list being loaded): the next tick tries again.
    if (busy) {
        m_scanWaiting = true;
        m_dayScanWaiting = m_dayScanWaiting || dayScan;
        return;
    }
    emit scanned(report);
}

void ReminderCore::scanForToday() {
    erinnerungenpruefen();
    m_altertag = m_clock().date().day();
}

void ReminderCore::reopen() {
    if (!openStore())
        return;
    for (OpenWindow& w : m_open->windows()) {
        ReminderReport report;
        report.lines = std::move(w.lines);
        report.at = w.shown;
        report.openWindow = w.id;
        emit reopened(report);
    }
}

void ReminderCore::answered(qint64 openWindow) {
    if (openWindow == 0)
        return;
    m_answered.push_back(openWindow);
    forgetAnswered();
}

void ReminderCore::forgetAnswered() {
    // An answer the busy database did not take is stored at a later tick.
    while (!m_answered.empty() && openStore() && m_open->forget(m_answered.front()))
        m_answered.erase(m_answered.begin());
}

} // namespace natalix
