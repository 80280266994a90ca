#pragma once

#include <QObject>

namespace natalix {

class FrmMain;
class ReminderCore;
struct ReminderReport;

// The window's side of the reminders: the access check before each scan, the grid's caption
// after it, and the reminder window as one listener of the scan's lines.
class ReminderCommands : public QObject {
    Q_OBJECT
public:
    explicit ReminderCommands(FrmMain& form);

    ReminderCore& core() { return *m_core; }
    // One complete scan (also run by "&Beenden").
    void erinnerungenpruefen();
    void holdScans();
    void releaseScans();

private:
    void showMeldung(const ReminderReport& report);

    FrmMain& m_form;
    ReminderCore* m_core = nullptr;
};

} // namespace natalix
