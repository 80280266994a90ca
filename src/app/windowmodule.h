#pragma once

#include <QString>
#include <QStringList>

namespace natalix {

// The window part is a module of its own (widgets, printing), so that the command-line modes
// start with Qt Core and SQLite alone. The module exports this one function; it takes the
// program's arguments and returns its exit status.
using WindowEntry = int (*)(int argc, char** argv);
inline constexpr char windowEntryName[] = "natalix_window_main";

// Where the module may lie, in this order: beside the program (a build tree, Windows), then
// in the program's folder joined with `installedDir` (an installed program).
QStringList windowModuleCandidates(const QString& programDir, const QString& moduleFile,
                                   const QString& installedDir);

// Loads the module and runs the window. A module that cannot be loaded gets a German
// message on standard error and the status 1.
int runWindowModule(int argc, char** argv, const QString& moduleFile, const QString& installedDir);

} // namespace natalix
