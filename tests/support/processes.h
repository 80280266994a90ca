#pragma once

#include "support/testsupport.h"

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <vector>

namespace natalix::test {

struct RunResult {
    bool finished = false; // within the time allowed
    int code = -1;
    QByteArray out, err;
};

// How the program is started: its own HOME (and XDG folders below it), an umask, a clock.
struct RunSetup {
    QString home;               // required: nothing may reach the real user's folders
    QMap<QString, QString> env; // more variables; an empty value removes one
    int umask = -1;             // e.g. 022
    // SIGTERM held back until the program lets it in: before its first instruction a process
    // is the system's to end, and a signal of the first moments must reach the program.
    bool holdTermination = false;
    int timeoutMs = 20000;
    QString program; // default: the natalix binary of this build
};

// Starts the program in `p` and leaves it running (a window).
void startNatalix(QProcess& p, const QStringList& args, const RunSetup& setup);
RunResult runNatalix(const QStringList& args, const RunSetup& setup);

// The user id of nobody when run as root, else the own one.
unsigned nobodyUid();

// A HOME of its own with the data folder "daten" below it; the program runs with the clock at
// 7 March 2025, 9:00, unless the setup sets NATALIX_NOW.
class ProgramWorld {
public:
    QString home() const { return m_home.path(); }
    QString data() const { return m_home.file(QStringLiteral("daten")); }
    QString file(const QString& name) const { return m_home.file(name); }
    RunResult run(const QStringList& args, RunSetup setup = {}) const;
    // Imports the records through a list file "liste.nxd", named relatively.
    bool fill(const std::vector<Record>& records) const;
    // Every file outside the data folder, with its bytes.
    QMap<QString, QByteArray> files() const;

private:
    TempDataDir m_home;
};

} // namespace natalix::test
