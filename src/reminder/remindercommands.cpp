#include "app/commandgroups.h"

namespace natalix {

void installReminderCommands(FrmMain&) {}

} // namespace natalix
