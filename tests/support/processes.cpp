#include "support/processes.h"

#include <QProcess>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace natalix::test {

unsigned nobodyUid() {
    return ::geteuid() == 0 ? 65534u : ::geteuid();
}

RunResult runNatalix(const QStringList& args, const RunSetup& setup) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                             "NATALIX_DATADIR", "NATALIX_NOW"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), setup.home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (auto it = setup.env.cbegin(); it != setup.env.cend(); ++it) {
        if (it.value().isEmpty())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    }
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(setup.home);
    const long long limit = setup.fileSizeLimit;
    const int mask = setup.umask;
    const bool dropRights = setup.asNobody && ::geteuid() == 0;
    p.setChildProcessModifier([limit, mask, dropRights] {
        if (limit >= 0) {
            // As a shell would with `trap '' XFSZ; ulimit -f`.
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit r;
            getrlimit(RLIMIT_FSIZE, &r);
            r.rlim_cur = static_cast<rlim_t>(limit);
            setrlimit(RLIMIT_FSIZE, &r);
        }
        if (mask >= 0)
            ::umask(static_cast<mode_t>(mask));
        if (dropRights && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(125);
    });
    p.start(setup.program.isEmpty() ? QStringLiteral(NATALIX_BINARY) : setup.program, args);
    RunResult r;
    if (!p.waitForFinished(setup.timeoutMs)) {
        p.kill();
        p.waitForFinished(2000);
        return r;
    }
    r.finished = p.exitStatus() == QProcess::NormalExit;
    r.code = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace natalix::test
