#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>

#include <functional>

class QTimer;

namespace natalix {

class Cursor;
struct MainState;

// What one scan found: its message lines, in order, and when it ran.
struct ReminderReport {
    QStringList lines;
    QDateTime at;
    bool marksStored = true;
};

// The reminders of the running program. Its timer (Timer1) scans once after the start and
// then on the first tick of every new day; every scan reports its due lines to whoever
// listens (the reminder window, the desktop notification, the tray). Nothing here waits for
// a listener: a reminder window left open never stops the next day's scan.
class ReminderCore : public QObject {
    Q_OBJECT
public:
    ReminderCore(Cursor& cursor, MainState& state, std::function<QDateTime()> clock,
                 QObject* parent = nullptr);

    QTimer* timer() const { return m_timer; }

    // Timer1's tick.
    void tick();
    // One complete scan (also run by "&Beenden"); while table work holds scans, it waits.
    void erinnerungenpruefen();

    // Long work on the table (loading or emptying a list) holds scans back; a scan that fell
    // due meanwhile runs as soon as the work has ended.
    void hold();
    void release();
    // Further reasons to wait, asked before every scan (the window's busy display, say).
    void setBusyTest(std::function<bool()> busy) { m_busy = std::move(busy); }

signals:
    // Before a scan touches the table: the database must be reachable by then.
    void aboutToScan();
    // After every scan, with what it found (possibly nothing).
    void scanned(const natalix::ReminderReport& report);
    // The first tick of a day, before its scan: the day's own work (a backup, say).
    void dayBegan(const QDate& day);

private:
    bool held() const;
    void scanWhenFree();

    Cursor& m_cursor;
    MainState& m_state;
    std::function<QDateTime()> m_clock;
    std::function<bool()> m_busy;
    QTimer* m_timer = nullptr;
    int m_holds = 0;
    bool m_scanWaiting = false;
    bool m_retryPosted = false;
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
