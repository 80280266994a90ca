#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace natalix::test {

struct RunResult {
    bool finished = false; // within the time allowed
    int code = -1;
    QByteArray out, err;
};

// How the program is started: its own HOME (and XDG folders below it), limits and rights
// of a hostile machine, and a clock.
struct RunSetup {
    QString home;                 // required: nothing may reach the real user's folders
    QMap<QString, QString> env;   // more variables; an empty value removes one
    long long fileSizeLimit = -1; // bytes any file may grow to (a full disk)
    int umask = -1;               // e.g. 022
    bool asNobody = false;        // when run as root: as the user nobody instead
    int timeoutMs = 20000;
    QString program; // default: the natalix binary of this build
};

RunResult runNatalix(const QStringList& args, const RunSetup& setup);

// The user id a process started with asNobody runs as (the own one when not root).
unsigned nobodyUid();

} // namespace natalix::test
