#pragma once

#include <QObject>

namespace natalix {

struct CommandContext;
struct ReminderReport;

// The window's side of the reminders: the access check before each scan, the grid's caption
// after it, and the reminder window as one listener of the scan's lines.
class ReminderCommands : public QObject {
    Q_OBJECT
public:
    ReminderCommands(const CommandContext& context, QObject* parent);

    // The access check before a scan: retries with a message until the database opens.
    void zugriffpruefen();

private:
    void showMeldung(const ReminderReport& report);

    const CommandContext& m_ctx;
};

} // namespace natalix
