#pragma once

#include <QObject>

namespace natalix {

class FrmMain;

// The reminder scan of the running program: Timer1 scans once after the start and then on
// the first tick of every new day, and shows what fell due in the reminder window.
class ReminderCommands : public QObject {
    Q_OBJECT
public:
    explicit ReminderCommands(FrmMain& form);

    void Timer1_Timer();
    // One complete scan (also run by "&Beenden").
    void erinnerungenpruefen();

    // Long work on the table (loading or emptying a list) holds scans back; a scan that fell
    // due meanwhile runs as soon as the work has ended.
    void holdScans();
    void releaseScans();

private:
    bool scansHeld() const;
    // Scans now, or once the table work in progress has ended.
    void scanWhenFree();
    void showMeldung();

    FrmMain& m_form;
    int m_holds = 0;
    bool m_scanWaiting = false;
    bool m_retryPosted = false;
};

} // namespace natalix
