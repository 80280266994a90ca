#include "app/commandline.h"
#include "app/windowapp.h"
#include "sync/synccommand.h"

#include <QCoreApplication>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

int main(int argc, char* argv[]) {
#ifdef Q_OS_UNIX
    // A file size limit then makes a write fail, which is reported, instead of ending the
    // program in the middle of a save.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const natalix::CommandLine cl = natalix::parseCommandLine(arguments);
    if (cl.mode != natalix::CommandLine::Mode::Window) {
        QCoreApplication app(argc, argv);
        if (natalix::isSyncMode(cl.mode))
            return natalix::runSyncCommandLine(cl);
        return natalix::runCommandLine(cl);
    }
    return natalix::runWindowApp(argc, argv, cl);
}
