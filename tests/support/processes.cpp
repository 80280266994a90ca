#include "support/processes.h"

#include "listfile/listfile.h"

#include <QDirIterator>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace natalix::test {

unsigned nobodyUid() {
    return ::geteuid() == 0 ? 65534u : ::geteuid();
}

void startNatalix(QProcess& p, const QStringList& args, const RunSetup& setup) {
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
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(setup.home);
    const int mask = setup.umask;
    const bool holdTerm = setup.holdTermination;
    p.setChildProcessModifier([mask, holdTerm] {
        if (mask >= 0)
            ::umask(static_cast<mode_t>(mask));
        if (holdTerm) {
            sigset_t term;
            sigemptyset(&term);
            sigaddset(&term, SIGTERM);
            sigprocmask(SIG_BLOCK, &term, nullptr);
        }
    });
    p.start(setup.program.isEmpty() ? QStringLiteral(NATALIX_BINARY) : setup.program, args);
}

RunResult runNatalix(const QStringList& args, const RunSetup& setup) {
    QProcess p;
    startNatalix(p, args, setup);
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

RunResult ProgramWorld::run(const QStringList& args, RunSetup setup) const {
    setup.home = home();
    if (!setup.env.contains(QStringLiteral("NATALIX_NOW")))
        setup.env.insert(QStringLiteral("NATALIX_NOW"), QStringLiteral("2025-03-07T09:00:00"));
    return runNatalix(QStringList{QStringLiteral("--datadir"), data()} + args, setup);
}

bool ProgramWorld::fill(const std::vector<Record>& records) const {
    const RunResult r = writeFileBytes(file(QStringLiteral("liste.nxd")), renderListFile(records))
                            ? run({QStringLiteral("--import"), QStringLiteral("liste.nxd")})
                            : RunResult();
    return r.code == 0 && r.out.isEmpty() && r.err.isEmpty();
}

QMap<QString, QByteArray> ProgramWorld::files() const {
    QMap<QString, QByteArray> out;
    for (QDirIterator it(home(),
                         QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
         it.hasNext();)
        if (const QString p = it.next(); !p.startsWith(data()))
            out.insert(p, QFileInfo(p).isFile() ? readFileBytes(p) : QByteArray("-"));
    return out;
}

} // namespace natalix::test
