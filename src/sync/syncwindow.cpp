#include "sync/syncwindow.h"

#include "app/formparts.h"
#include "reminder/remindercore.h"
#include "sync/synccontroller.h"
#include "sync/syncsettingspage.h"

#include <QTabWidget>

namespace natalix {

SyncController* attachSync(const CommandContext& context) {
    if (SyncController* attached = syncControllerOf(context.window))
        return attached;
    auto* controller = new SyncController(context, &context.window);
    QObject::connect(&context.reminders, &ReminderCore::dayBegan, controller,
                     &SyncController::dayBegan);
    return controller;
}

SyncController* syncControllerOf(const QObject& window) {
    return window.findChild<SyncController*>(QStringLiteral("SyncController"),
                                             Qt::FindDirectChildrenOnly);
}

SyncSettingsPage* addSyncPage(QTabWidget& tabs, SyncController& controller) {
    auto* page = new SyncSettingsPage(controller, &tabs);
    tabs.addTab(page, SyncSettingsPage::caption());
    page->load();
    return page;
}

} // namespace natalix
