#pragma once

#include "app/commandline.h"

#include <memory>

namespace natalix {

struct DataDir;
struct Options;
class Services;
class TableStore;

// Starts the program with its windows; returns when the program ends.
int runWindowApp(int argc, char* argv[], const CommandLine& cl);

// Opens the database for the window. A damaged or foreign file is reported and never written;
// where a sound backup exists the user may put it in its place, else the program ends
// (null). The damaged file itself is kept under another name.
class FrmMain;
// Logging out sends SIGTERM (or SIGHUP, or Ctrl+C sends SIGINT): the record being edited is
// checked and stored, then the program ends.
void storePendingEditOnTermination(FrmMain& main);

std::unique_ptr<TableStore> openDatabaseForWindow(Services& services, const DataDir& dir,
                                                  const Options& options);

} // namespace natalix
