#pragma once

#include "sync/keyring.h"
#include "sync/syncaccount.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

class QTimer;

namespace natalix {

class CalendarSync;
class ContactSync;
class ReminderCore;
struct CalendarSyncOutcome;
struct CommandContext;
struct ContactSyncOutcome;

struct SyncReport {
    bool ok = false;
    bool listChanged = false; // the contacts changed the list (and the cursor was reloaded)
    QString message;          // German: one line or more per step
};

// The window's side of the address book and calendar: a contact sync, then a calendar sync,
// asynchronous and one at a time. Nothing waits in a loop of its own: the window stays
// responsive and its table is touched only between two pieces of its own work (never while
// a list is loaded or emptied, a bulk change runs, or a command moves the record itself).
class SyncController : public QObject {
    Q_OBJECT
public:
    explicit SyncController(const CommandContext& context, QObject* parent = nullptr);
    ~SyncController() override;

    // "Jetzt abgleichen" with the account as entered. False when a sync runs already: then
    // nothing new starts.
    bool syncNow(const SyncAccount& account);
    // Before each day's scan (ReminderCore::dayBegan): the stored account, when one is set up.
    // The scan waits for the sync, at most scanWaitLimit(); a failure is shown once that day.
    void dayBegan(const QDate& day);
    bool isRunning() const { return m_running; }

    // URLs and user from the settings store (no password).
    SyncAccount storedAccount();
    // URLs and user into the settings store; a changed password into the keyring, or out of
    // it when empty. A keyring that refuses is reported in a message; the password is then
    // kept for this run of the program only.
    bool saveAccount(const SyncAccount& account, bool passwordChanged, QString* error);
    // The stored password, from this run's memory or the keyring.
    void readPassword(QObject* context, Keyring::Done done);
    Keyring& keyring() { return *m_keyring; }

    void setRequestTimeout(int milliseconds) { m_requestTimeoutMs = milliseconds; }
    void setScanWaitLimit(int milliseconds) { m_scanWaitLimitMs = milliseconds; }
    int scanWaitLimit() const { return m_scanWaitLimitMs; }

signals:
    void started();
    void progress(const QString& step);
    void finished(const natalix::SyncReport& report);
    // The contacts changed the list: the cursor holds the new rows and the form shows them.
    void listReloaded();
    // The keyring has answered a saveAccount that changed the password.
    void passwordStored(const natalix::KeyringResult& result);

private:
    enum class Trigger { Now, Daily };
    bool begin(const SyncAccount& account, Trigger trigger);
    void startWhenTableFree();
    void runContacts();
    void contactsDone(const ContactSyncOutcome& outcome);
    void askForRemovals(const ContactSyncOutcome& outcome);
    void runCalendar();
    void calendarDone(const CalendarSyncOutcome& outcome);
    void complete();
    bool tableBusy() const;
    void holdScan();
    void releaseScan();
    void reloadList();
    void showDailyFailure(const QString& message);

    const CommandContext& m_ctx;
    Keyring* m_keyring;
    std::optional<QString> m_sessionPassword; // refused by the keyring, kept in memory only
    int m_requestTimeoutMs = 30000;
    int m_scanWaitLimitMs = 30000;

    bool m_running = false;
    Trigger m_trigger = Trigger::Now;
    bool m_allowRemovals = false; // the user confirmed the removals this sync would make
    SyncAccount m_account;
    QDate m_day; // the day of a daily sync
    QDate m_failureShownFor;
    SyncReport m_report;
    QStringList m_lines;
    QString m_keyringNote;              // why the password could not be read, when that matters
    QPointer<ReminderCore> m_reminders; // it may go before us when the window closes
    QPointer<ContactSync> m_contacts;
    QPointer<CalendarSync> m_calendar;
    QTimer* m_tableWait;
    QTimer* m_scanLimit;
    bool m_scanHeld = false;
};

} // namespace natalix
