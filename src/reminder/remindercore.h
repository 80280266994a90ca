#pragma once

#include "reminder/scanrunner.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class QTimer;

namespace natalix {

class OpenLines;
class TableStore;

// What one scan found, or one window left open at the last run: its message lines, in
// order, and when they were first shown.
struct ReminderReport {
    QStringList lines;
    QDateTime at;
    MarkerWrites marks;      // the markers the scan wrote (the window's rows must follow)
    qint64 openWindow = 0;   // its lines are kept open until answered (0: not kept)
    bool marksStored = true; // false: nothing was marked, the reminders come again
    bool dayScan = true;     // the timer's or "&Beenden"'s (not one for records just arrived)
};

// The reminders of the running program. Its timer (Timer1) scans once after the start and
// then on the first tick of every new day; every scan reports its due lines to whoever
// listens (the reminder window, the desktop notification, the tray). The scan reads and
// writes the database through a connection of its own, so nothing the window has open holds
// it back: a busy database is tried again at the next tick. Shown lines stay open in the
// database, in the transaction that marks them, until the user answers them.
class ReminderCore : public QObject {
    Q_OBJECT
public:
    ReminderCore(const QString& databasePath, std::function<QDateTime()> clock,
                 std::function<double()> dateDisplay, QObject* parent = nullptr);
    ~ReminderCore() override;

    QTimer* timer() const { return m_timer; }

    // The end of the start-up: from now on the timer scans.
    void start();
    // Timer1's tick.
    void tick();
    // One complete scan, now or, while held, as soon as the hold ends.
    void erinnerungenpruefen();
    // The same for records just imported or synced: what arrives today is reminded today.
    void scanArrivals();
    // One scan, after which today counts as scanned ("&Beenden").
    void scanForToday();
    // Day of the month of the last day scan (0 before the first).
    int altertag() const { return m_altertag; }
    // The user answered the window of these lines: they are no longer open.
    void answered(qint64 openWindow);

    // Long work on the table (loading or emptying a list) holds scans back; a scan that fell
    // due meanwhile runs as soon as the work has ended.
    void hold();
    void release();

signals:
    // Before a scan touches the table: the database must be reachable by then.
    void aboutToScan();
    // After every scan, with what it found (possibly nothing).
    void scanned(const natalix::ReminderReport& report);
    // At the first tick, once for every window the last run left unanswered.
    void reopened(const natalix::ReminderReport& report);
    // The first tick of a day, before its scan: the day's own work (a backup, say).
    void dayBegan(const QDate& day);

private:
    void scan(bool dayScan);
    void reopen();
    bool openStore();
    void forgetAnswered();

    QString m_databasePath;
    std::function<QDateTime()> m_clock;
    std::function<double()> m_dateDisplay;
    std::unique_ptr<TableStore> m_store;
    std::unique_ptr<OpenLines> m_open;
    QTimer* m_timer = nullptr;
    bool m_started = false;
    int m_altertag = 0;
    int m_holds = 0;
    bool m_scanning = false;
    bool m_scanWaiting = false;
    bool m_dayScanWaiting = false;
    std::vector<qint64> m_answered; // answers not yet stored (the database was busy)
};

// Holds the scans for as long as it lives: no scan re-sorts or marks the table while a
// command empties, fills or imports into it.
class ScanHold {
public:
    explicit ScanHold(ReminderCore& reminders) : m_reminders(reminders) { m_reminders.hold(); }
    ~ScanHold() { m_reminders.release(); }
    ScanHold(const ScanHold&) = delete;
    ScanHold& operator=(const ScanHold&) = delete;

private:
    ReminderCore& m_reminders;
};

} // namespace natalix

Q_DECLARE_METATYPE(natalix::ReminderReport)
