#include "app/commandgroups.h"

namespace natalix {

void installEditingCommands(FrmMain&) {}

} // namespace natalix
