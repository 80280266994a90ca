// The one function the window's sync module exports (named in syncpart.h): the window loads
// the module when an account is set up or "Jetzt abgleichen" is used, and calls it once.
#include "sync/synccontroller.h"
#include "sync/syncpart.h"

#include <QObject>

namespace natalix {

namespace {

class ControllerPart : public QObject, public SyncPart {
public:
    ControllerPart(const CommandContext& context, QObject* parent, const SyncEvents& events)
        : QObject(parent), m_controller(new SyncController(context, this)) {
        connect(m_controller, &SyncController::started, this, events.started);
        connect(m_controller, &SyncController::progress, this, events.progress);
        connect(m_controller, &SyncController::finished, this, events.finished);
        connect(m_controller, &SyncController::listReloaded, this, events.listReloaded);
        connect(m_controller, &SyncController::passwordStored, this, events.passwordStored);
    }

    bool syncNow(const SyncAccount& account) override { return m_controller->syncNow(account); }
    void dayBegan(const QDate& day) override { m_controller->dayBegan(day); }
    bool isRunning() const override { return m_controller->isRunning(); }
    bool saveAccount(const SyncAccount& account, bool passwordChanged, QString* error) override {
        return m_controller->saveAccount(account, passwordChanged, error);
    }
    void readPassword(QObject* context, Keyring::Done done) override {
        m_controller->readPassword(context, std::move(done));
    }
    void setRequestTimeout(int milliseconds) override {
        m_controller->setRequestTimeout(milliseconds);
    }
    void setScanWaitLimit(int milliseconds) override {
        m_controller->setScanWaitLimit(milliseconds);
    }

private:
    SyncController* m_controller;
};

} // namespace

} // namespace natalix

extern "C" Q_DECL_EXPORT natalix::SyncPart*
natalix_syncpart_create(const natalix::CommandContext& context, QObject* parent,
                        const natalix::SyncEvents& events) {
    return new natalix::ControllerPart(context, parent, events);
}
