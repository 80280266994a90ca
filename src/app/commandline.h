#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace natalix {

QString programVersion(); // "1.2.0"

struct CommandLine {
    enum class Mode {
        Window,
        Import,
        Export,
        Scan,
        ImportContacts,
        ExportIcs,
        SyncContacts,
        SyncCalendar,
        Help,
        Version,
        Invalid
    };
    Mode mode = Mode::Window;
    QString file; // the list file, or the address book's or calendar's URL for a sync
    QString dataDir;
    bool autoStart = false;     // "/auto" anywhere in the command line (case-sensitive)
    bool allowRemovals = false; // --sync-contacts may remove most of its address book's records
    QString error;
};

CommandLine parseCommandLine(const QStringList& arguments); // without the program name
QString commandLineHelp();

// Runs --import, --export, --scan, --help and --version; returns the exit status.
// The two sync modes run in runSyncCommandLine (sync/synccommand.h), outside the core.
int runCommandLine(const CommandLine& cl);
bool isSyncMode(CommandLine::Mode mode);

// The refusal while the window runs on the same data directory; `what` names the command.
QString runningMessage(const QString& what);

// The clock of the program. NATALIX_NOW (ISO date and time) sets it for tests.
QDateTime programNow();

} // namespace natalix
