#pragma once

#include "app/commandline.h"

#include <memory>

namespace natalix {

struct DataDir;
struct Options;
class FrmMain;
class Services;
class SyncHost;
class TableStore;

// Starts the program with its windows; returns when the program ends.
int runWindowApp(int argc, char* argv[], const CommandLine& cl);

// Every connection between the reminders and those who act on them: the window (the access
// check, the markers and the grid, the reminder windows and their answers), the desktop (the
// notification and the tool tip), the day's backup, the address book's daily sync, the
// "Nächste Geburtstage" window, and the commands that bring in records (a scan follows them).
// A desktop or a sync attached later is found when the reminders call.
void connectReminders(FrmMain& main, SyncHost* sync = nullptr);

// Logging out sends SIGTERM (or SIGHUP, or Ctrl+C sends SIGINT): the record being edited is
// checked and stored, then the program ends, whenever the signal comes.
void storePendingEditOnTermination(FrmMain& main);

// Opens the database for the window. A damaged or foreign file is reported and never written;
// where a sound backup exists the user may put it in its place, else the program ends
// (null). The damaged file itself is kept under another name.
std::unique_ptr<TableStore> openDatabaseForWindow(Services& services, const DataDir& dir,
                                                  const Options& options);

} // namespace natalix
