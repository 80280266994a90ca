#include "app/commandgroups.h"

namespace natalix {

void installPrintCommands(FrmMain&) {}

} // namespace natalix
