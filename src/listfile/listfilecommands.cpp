#include "app/commandgroups.h"

namespace natalix {

void installListFileCommands(FrmMain&) {}

} // namespace natalix
