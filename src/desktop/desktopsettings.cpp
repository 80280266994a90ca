#include "desktop/desktopsettings.h"

#include "app/datadir.h"
#include "reminder/upcoming.h"

namespace natalix {

bool notificationsEnabled(SettingsStore& settings) {
    return settings.value(QLatin1String(desktopsetting::notifications)) != u"0";
}

bool setNotificationsEnabled(SettingsStore& settings, bool enabled) {
    return settings.setValue(QLatin1String(desktopsetting::notifications),
                             enabled ? QStringLiteral("1") : QStringLiteral("0"));
}

int upcomingDays(SettingsStore& settings) {
    bool ok = false;
    const int days = settings.value(QLatin1String(desktopsetting::upcomingDays)).toInt(&ok);
    return ok ? upcomingRange(days) : defaultUpcomingRange;
}

bool setUpcomingDays(SettingsStore& settings, int days) {
    return settings.setValue(QLatin1String(desktopsetting::upcomingDays),
                             QString::number(upcomingRange(days)));
}

} // namespace natalix
