#include "app/commandgroups.h"

namespace natalix {

void installExtrasCommands(FrmMain&) {}

} // namespace natalix
