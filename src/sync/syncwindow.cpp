#include "sync/syncwindow.h"

#include "app/formparts.h"
#include "sync/synccontroller.h"
#include "sync/syncsettingspage.h"

#include <QTabWidget>

namespace natalix {

SyncController* attachSync(const CommandContext& context) {
    if (SyncController* attached = syncControllerOf(context.window))
        return attached;
    return new SyncController(context, &context.window);
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
