#pragma once

class QObject;
class QTabWidget;

namespace natalix {

class SyncController;
class SyncSettingsPage;
struct CommandContext;

// Gives the main window its address book and calendar: a controller, a child of
// context.window, that syncs the stored account on each day's first tick before that day's
// scan (which waits for it, within the controller's limit; connectReminders makes that
// connection) and reloads the cursor when the contacts changed the list.
SyncController* attachSync(const CommandContext& context);
// The controller attachSync gave `window`, or null.
SyncController* syncControllerOf(const QObject& window);
// The options dialog's page "Adressbuch und Kalender", added to `tabs` and filled with the
// stored account. The dialog calls its apply() on OK (and keeps itself open when it fails).
SyncSettingsPage* addSyncPage(QTabWidget& tabs, SyncController& controller);

} // namespace natalix
