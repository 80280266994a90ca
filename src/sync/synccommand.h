#pragma once

namespace natalix {

struct CommandLine;

// --sync-contacts and --sync-calendar: one sync, run with a local event loop. 0 on success,
// 1 on any failure (a German message on standard error, the list as it was), 2 while the
// window runs on the same data directory. Needs a QCoreApplication.
int runSyncCommandLine(const CommandLine& cl);

} // namespace natalix
