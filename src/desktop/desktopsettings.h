#pragma once

namespace natalix {

class SettingsStore;

// Settings of the desktop side, kept in the settings store (group "Global"), never in
// natalix.ini, which stays eight lines.
namespace desktopsetting {
// "notifications": "0" switches the desktop notification off; missing or any other value: on.
inline constexpr char notifications[] = "notifications";
// "upcomingdays": the range of "Nächste Geburtstage", 7, 30, 90 or 365; else 30.
inline constexpr char upcomingDays[] = "upcomingdays";
} // namespace desktopsetting

bool notificationsEnabled(SettingsStore& settings);
bool setNotificationsEnabled(SettingsStore& settings, bool enabled);
int upcomingDays(SettingsStore& settings);
bool setUpcomingDays(SettingsStore& settings, int days);

} // namespace natalix
