#include "app/commandline.h"
#include "app/windowmodule.h"

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
    // The command line needs no application object: it has no events, and its names come
    // from setProgramIdentity. Creating one would cost a scan a tenth of its time.
    if (cl.mode != natalix::CommandLine::Mode::Window)
        return natalix::runCommandLine(cl);
    // Only the window needs the widget libraries; they come with its module.
    return natalix::runWindowModule(argc, argv, QStringLiteral(NATALIX_WINDOW_MODULE),
                                    QStringLiteral(NATALIX_WINDOW_MODULE_DIR));
}
