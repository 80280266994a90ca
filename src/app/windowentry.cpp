// The one function the window module exports (named in modules.h); `natalix` calls it
// to start the window.
#include "app/commandline.h"
#include "app/windowapp.h"

#include <QStringList>

extern "C" Q_DECL_EXPORT int natalix_window_main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return natalix::runWindowApp(argc, argv, natalix::parseCommandLine(arguments));
}
