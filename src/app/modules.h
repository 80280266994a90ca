#pragma once

#include <QString>
#include <QStringList>

namespace natalix {

// The window (widgets, printing) and the sync (Qt Network) are modules of their own, so that
// every other start of the program loads Qt Core and SQLite alone. Each module exports one
// function; it takes the program's arguments and returns its exit status.
using ModuleEntry = int (*)(int argc, char** argv);
inline constexpr char windowEntryName[] = "natalix_window_main";
inline constexpr char syncEntryName[] = "natalix_sync_main";

// The running program's folder, also before (or without) an application object; argv0 is
// the fallback where the system cannot tell.
QString programDirectory(const char* argv0 = nullptr);

// Where a module may lie, in this order: beside the program (a build tree, Windows), then
// in the program's folder joined with `installedDir` (an installed program).
QStringList moduleCandidates(const QString& programDir, const QString& moduleFile,
                             const QString& installedDir);

struct ModuleStart {
    QString file;         // the module's file name
    QString installedDir; // relative to the program's folder
    const char* entry;    // the exported function
    QString cannot;       // German, for a module that cannot be loaded
};

// Loads the module (found as moduleCandidates says) and returns its entry; null, with
// *message in German ("<cannot>: Das Modul ... fehlt oder ist beschädigt (...)"), when
// it cannot be loaded. A module stays loaded until the program ends.
QFunctionPointer resolveModuleEntry(const QString& programDir, const ModuleStart& module,
                                    QString* message);

// Loads the module and runs its entry. A module that cannot be loaded gets a German message
// on standard error ("<cannot>: Das Modul ... fehlt oder ist beschädigt (...)") and status 1.
int runModule(int argc, char** argv, const ModuleStart& module);

} // namespace natalix
