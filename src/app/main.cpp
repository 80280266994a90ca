#include "app/commandline.h"
#include "app/modules.h"

#include <QStringList>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

#ifdef Q_OS_UNIX
namespace {
// Before the window has anything to keep (its lock, a record being edited), a termination
// signal simply ends it.
void endAtOnce(int) {
    _exit(0);
}
} // namespace
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
    // The window and the sync come with their modules, and with them the widget and network
    // libraries.
    if (cl.mode == natalix::CommandLine::Mode::Window) {
#ifdef Q_OS_UNIX
        // The session's termination signals end the window well at any moment: until its
        // module takes them over, here.
        sigset_t termination;
        sigemptyset(&termination);
        for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
            std::signal(sig, endAtOnce);
            sigaddset(&termination, sig);
        }
        sigprocmask(SIG_UNBLOCK, &termination, nullptr);
#endif
        return natalix::runModule(
            argc, argv,
            {QStringLiteral(NATALIX_WINDOW_MODULE), QStringLiteral(NATALIX_MODULE_DIR),
             natalix::windowEntryName,
             QStringLiteral("Das Fenster von Natalix kann nicht gestartet werden")});
    }
    if (natalix::isSyncMode(cl.mode))
        return natalix::runModule(argc, argv,
                                  {QStringLiteral(NATALIX_SYNC_MODULE),
                                   QStringLiteral(NATALIX_MODULE_DIR), natalix::syncEntryName,
                                   QStringLiteral("Der Abgleich kann nicht gestartet werden")});
    // The rest of the command line needs no application object: it has no events, and its
    // names come from setProgramIdentity. Creating one would cost a scan a tenth of its time.
    return natalix::runCommandLine(cl);
}
