// The one function the window module exports (named in modules.h); `natalix` calls it
// to start the window.
#include "app/commandline.h"
#include "app/windowapp.h"

#include <QStringList>

#ifdef __GLIBC__
#include <malloc.h>
#endif

extern "C" Q_DECL_EXPORT int natalix_window_main(int argc, char** argv) {
#ifdef __GLIBC__
    // The window runs all day: the large passing buffers of a sort or a scan go back to the
    // system when freed, instead of staying in the heap (where glibc's moving threshold
    // would put them after the first few).
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return natalix::runWindowApp(argc, argv, natalix::parseCommandLine(arguments));
}
