#pragma once

#include "sync/syncpart.h"

#include <QDate>
#include <QObject>

class QTabWidget;

namespace natalix {

class SyncSettingsPage;
struct CommandContext;

// The window's address book and calendar, in front of the part that does the work. The part
// (a module with Qt Network and the keyring) is loaded the first time a sync is due for a
// stored account or asked for with "Jetzt abgleichen", or a password is stored or needed;
// until then nothing of it is mapped and the keyring is never asked.
class SyncHost : public QObject {
    Q_OBJECT
public:
    explicit SyncHost(const CommandContext& context, QObject* parent = nullptr);

    // As SyncController::syncNow; false also when the part cannot be loaded (then the report
    // says why).
    bool syncNow(const SyncAccount& account);
    // Before each day's scan: the stored account's sync, when one is set up.
    void dayBegan(const QDate& day);
    bool isRunning() const;

    // URLs and user from the settings store (no password).
    SyncAccount storedAccount();
    // URLs and user into the settings store; a changed password into the keyring (through the
    // part), or out of it when empty.
    bool saveAccount(const SyncAccount& account, bool passwordChanged, QString* error);
    // The stored password, from the keyring (through the part).
    void readPassword(QObject* context, Keyring::Done done);

    void setRequestTimeout(int milliseconds);
    void setScanWaitLimit(int milliseconds);
    // Whether the part has been loaded for this window.
    bool partLoaded() const { return m_part != nullptr; }

signals:
    void started();
    void progress(const QString& step);
    void finished(const natalix::SyncReport& report);
    void listReloaded();
    void passwordStored(const natalix::KeyringResult& result);

private:
    // Loads the part on first use; null when it cannot be (m_loadError says why).
    SyncPart* part();

    const CommandContext& m_ctx;
    SyncPart* m_part = nullptr;
    QString m_loadError;
    int m_requestTimeoutMs = 0; // 0: the part's own
    int m_scanWaitLimitMs = 0;
    QDate m_loadErrorShownFor;
};

// Gives the main window its address book and calendar: a SyncHost, a child of
// context.window, that syncs the stored account on each day's first tick before that day's
// scan (which waits for it, within the part's limit; connectReminders makes that connection)
// and reloads the cursor when the contacts changed the list.
SyncHost* attachSync(const CommandContext& context);
// The host attachSync gave `window`, or null.
SyncHost* syncHostOf(const QObject& window);
// The options dialog's page "Adressbuch und Kalender", added to `tabs` and filled with the
// stored account. The dialog calls its apply() on OK (and keeps itself open when it fails).
SyncSettingsPage* addSyncPage(QTabWidget& tabs, SyncHost& host);

} // namespace natalix
