#include "sync/syncwindow.h"

#include "app/formparts.h"
#include "app/modules.h"
#include "sync/syncsettingspage.h"
#include "ui/services.h"

#include <QTabWidget>
#include <QTimer>

namespace natalix {

SyncHost::SyncHost(const CommandContext& context, QObject* parent)
    : QObject(parent), m_ctx(context) {
    setObjectName(QStringLiteral("SyncHost"));
}

SyncPart* SyncHost::part() {
    if (m_part || !m_loadError.isEmpty())
        return m_part;
    const auto create = reinterpret_cast<SyncPartFactory>(resolveModuleEntry(
        programDirectory(),
        {QStringLiteral(NATALIX_SYNCPART_MODULE), QStringLiteral(NATALIX_MODULE_DIR),
         syncPartEntryName, QStringLiteral("Der Abgleich kann nicht gestartet werden")},
        &m_loadError));
    if (!create)
        return nullptr;
    SyncEvents events;
    events.started = [this] { emit started(); };
    events.progress = [this](const QString& step) { emit progress(step); };
    events.finished = [this](const SyncReport& report) { emit finished(report); };
    events.listReloaded = [this] { emit listReloaded(); };
    events.passwordStored = [this](const KeyringResult& r) { emit passwordStored(r); };
    m_part = create(m_ctx, this, events);
    if (m_requestTimeoutMs > 0)
        m_part->setRequestTimeout(m_requestTimeoutMs);
    if (m_scanWaitLimitMs > 0)
        m_part->setScanWaitLimit(m_scanWaitLimitMs);
    return m_part;
}

bool SyncHost::syncNow(const SyncAccount& account) {
    if (SyncPart* p = part())
        return p->syncNow(account);
    emit started();
    emit finished({false, false, m_loadError});
    return false;
}

void SyncHost::dayBegan(const QDate& day) {
    if (!storedAccount().configured())
        return;
    if (SyncPart* p = part()) {
        p->dayBegan(day);
        return;
    }
    if (m_loadErrorShownFor == day)
        return;
    m_loadErrorShownFor = day;
    // Not in the middle of the day's tick: the scan must not wait for an answer.
    QTimer::singleShot(0, this, [this] {
        MessageRequest m;
        m.text = QStringLiteral("Der tägliche Abgleich mit Adressbuch und Kalender ist "
                                "gescheitert.\n\n") +
                 m_loadError;
        m.title = QStringLiteral("Adressbuch und Kalender");
        m.icon = Icon::Exclamation;
        m_ctx.services.message(m);
    });
}

bool SyncHost::isRunning() const {
    return m_part && m_part->isRunning();
}

SyncAccount SyncHost::storedAccount() {
    return loadSyncAccount(m_ctx.settings);
}

bool SyncHost::saveAccount(const SyncAccount& account, bool passwordChanged, QString* error) {
    if (!passwordChanged)
        return saveSyncAccount(m_ctx.settings, account, error);
    SyncPart* p = part();
    if (!p) {
        if (error)
            *error = m_loadError;
        return false;
    }
    return p->saveAccount(account, true, error);
}

void SyncHost::readPassword(QObject* context, Keyring::Done done) {
    if (SyncPart* p = part()) {
        p->readPassword(context, std::move(done));
        return;
    }
    KeyringResult r;
    r.status = KeyringResult::Status::Failed;
    r.message = m_loadError;
    QTimer::singleShot(0, context, [done = std::move(done), r] { done(r); });
}

void SyncHost::setRequestTimeout(int milliseconds) {
    m_requestTimeoutMs = milliseconds;
    if (m_part)
        m_part->setRequestTimeout(milliseconds);
}

void SyncHost::setScanWaitLimit(int milliseconds) {
    m_scanWaitLimitMs = milliseconds;
    if (m_part)
        m_part->setScanWaitLimit(milliseconds);
}

SyncHost* attachSync(const CommandContext& context) {
    if (SyncHost* attached = syncHostOf(context.window))
        return attached;
    return new SyncHost(context, &context.window);
}

SyncHost* syncHostOf(const QObject& window) {
    return window.findChild<SyncHost*>(QStringLiteral("SyncHost"), Qt::FindDirectChildrenOnly);
}

SyncSettingsPage* addSyncPage(QTabWidget& tabs, SyncHost& host) {
    auto* page = new SyncSettingsPage(host, &tabs);
    tabs.addTab(page, SyncSettingsPage::caption());
    page->load();
    return page;
}

} // namespace natalix
