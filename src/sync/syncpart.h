#pragma once

// What the window knows of its address book and calendar. The part that talks to servers and
// to the keyring (Qt Network, the keyring library, D-Bus) is a module of its own, loaded only
// once it is needed: an idle program without an account never maps it.
#include "sync/keyring.h"
#include "sync/synccontroller.h" // SyncReport only: the controller itself lives in the module

#include <functional>

class QObject;

namespace natalix {

struct CommandContext;

// What the part reports back; each runs on the window's thread.
struct SyncEvents {
    std::function<void()> started;
    std::function<void(const QString& step)> progress;
    std::function<void(const SyncReport& report)> finished;
    std::function<void()> listReloaded;
    std::function<void(const KeyringResult& result)> passwordStored;
};

// The sync controller as the module hands it out (see SyncController for each call).
class SyncPart {
public:
    virtual bool syncNow(const SyncAccount& account) = 0;
    virtual void dayBegan(const QDate& day) = 0;
    virtual bool isRunning() const = 0;
    virtual bool saveAccount(const SyncAccount& account, bool passwordChanged, QString* error) = 0;
    virtual void readPassword(QObject* context, Keyring::Done done) = 0;
    virtual void setRequestTimeout(int milliseconds) = 0;
    virtual void setScanWaitLimit(int milliseconds) = 0;

protected:
    ~SyncPart() = default;
};

// The module's one export: a part that lives as long as `parent` (a child of it) and works
// on the window's table, settings and reminders as the controller would.
using SyncPartFactory = SyncPart* (*)(const CommandContext& context, QObject* parent,
                                      const SyncEvents& events);
inline constexpr char syncPartEntryName[] = "natalix_syncpart_create";

} // namespace natalix
