// Runs keyring operations given on the command line and prints one line for each:
// "status|password|message". Operations: write:PASSWORD, read, remove.
#include "sync/keyring.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cstdio>

using namespace natalix;

namespace {

const char* statusName(KeyringResult::Status s) {
    switch (s) {
    case KeyringResult::Status::Ok:
        return "Ok";
    case KeyringResult::Status::NotFound:
        return "NotFound";
    case KeyringResult::Status::NoService:
        return "NoService";
    case KeyringResult::Status::Denied:
        return "Denied";
    case KeyringResult::Status::Failed:
        return "Failed";
    case KeyringResult::Status::Timeout:
        return "Timeout";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Keyring keyring(QStringLiteral("Natalix"));
    keyring.setTimeout(10000);
    const QString key = QStringLiteral("probe");
    for (const QString& op : app.arguments().mid(1)) {
        bool done = false;
        KeyringResult result;
        auto take = [&](const KeyringResult& r) {
            result = r;
            done = true;
        };
        if (op.startsWith(QStringLiteral("write:")))
            keyring.write(key, op.mid(6), &app, take);
        else if (op == u"read")
            keyring.read(key, &app, take);
        else
            keyring.remove(key, &app, take);
        for (QDeadlineTimer deadline(20000); !done && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const QString line = done ? QStringLiteral("%1|%2|%3\n")
                                        .arg(QLatin1String(statusName(result.status)),
                                             result.password, result.message)
                                  : QStringLiteral("no answer\n");
        std::fputs(line.toUtf8().constData(), stdout);
        std::fflush(stdout);
    }
    return 0;
}
