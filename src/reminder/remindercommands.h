#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QTimer;

namespace natalix {

struct CommandContext;
struct ReminderReport;
class FrmMeldung;

// The window's side of the reminders: the access check before each scan; after it the
// markers the scan stored and the grid in month order; and a reminder window for the lines,
// open until the user answers it.
class ReminderCommands : public QObject {
    Q_OBJECT
public:
    ReminderCommands(const CommandContext& context, QObject* parent);

    // The access check before a scan: retries with a message until the database opens.
    void zugriffpruefen();
    // What the window does after a scan.
    void onScanned(const natalix::ReminderReport& report);
    // A reminder window with the report's lines.
    void showMeldung(const natalix::ReminderReport& report);
    // Brings the newest open reminder window to the front; false when none is open.
    bool raiseReminder();

signals:
    // The user answered the reminder window of these open lines.
    void answered(qint64 openWindow);

private:
    bool commandWaits() const;
    void sortByMonth();

    const CommandContext& m_ctx;
    QList<QPointer<FrmMeldung>> m_windows;
    QTimer* m_sortWait = nullptr;
};

} // namespace natalix
