// The one function the sync module exports (named in app/modules.h); `natalix` calls it for
// --sync-contacts and --sync-calendar.
#include "app/commandline.h"
#include "sync/synccommand.h"

#include <QCoreApplication>
#include <QStringList>

extern "C" Q_DECL_EXPORT int natalix_sync_main(int argc, char** argv) {
    // The sync waits for the network in an event loop, so it needs the application object.
    QCoreApplication app(argc, argv);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return natalix::runSyncCommandLine(natalix::parseCommandLine(arguments));
}
