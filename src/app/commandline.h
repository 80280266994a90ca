#pragma once

#include "app/datadir.h"
#include "options/options.h"
#include "table/tablestore.h"

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

// The start every command on the list shares. The data folder first; a command that changes
// the list (`changing` names it) takes the lock of the running window and is refused while the
// window runs, a scan (`besideWindow`) then runs beside it, any other command only reads and
// takes no lock. Failures are printed, with the exit status in `status` (1, or 2 while the
// window runs).
struct CommandStart {
    DataDir dir;
    std::unique_ptr<InstanceLock> lock;
    bool besideWindow = false; // the window holds the lock
    Options options;
    std::unique_ptr<TableStore> store;
    int status = 0;
};
CommandStart claimDataDir(const CommandLine& cl, const QString& changing,
                          bool besideWindow = false);
// Then the data files made private, the options read and the table opened after its check;
// false (the message printed, status 1) when the table cannot be used.
bool openList(CommandStart& start);

// The refusal while the window runs on the same data directory; `what` names the command.
QString runningMessage(const QString& what);

// The clock of the program. NATALIX_NOW (ISO date and time) sets it for tests.
QDateTime programNow();

} // namespace natalix
