// Runs keyring operations given on the command line and prints one line for each:
// "status|password|message". Operations: write:PASSWORD, read, remove.
#include "sync/keyring.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <cstdio>
#include <optional>

int main(int argc, char** argv) {
    using natalix::KeyringResult;
    QCoreApplication app(argc, argv);
    natalix::Keyring keyring(QStringLiteral("Natalix"));
    keyring.setTimeout(10000);
    const char* names[] = {"Ok", "NotFound", "NoService", "Denied", "Failed", "Timeout"};
    for (const QString& op : app.arguments().mid(1)) {
        std::optional<KeyringResult> result;
        auto take = [&](const KeyringResult& r) { result = r; };
        if (op.startsWith(QStringLiteral("write:")))
            keyring.write(QStringLiteral("probe"), op.mid(6), &app, take);
        else
            (keyring.*(op == u"read" ? &natalix::Keyring::read : &natalix::Keyring::remove))(
                QStringLiteral("probe"), &app, take);
        for (QDeadlineTimer deadline(20000); !result && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        const QString line = result ? QStringLiteral("%1|%2|%3\n")
                                          .arg(QLatin1String(names[int(result->status)]),
                                               result->password, result->message)
                                    : QStringLiteral("no answer\n");
        std::fputs(line.toUtf8().constData(), stdout);
        std::fflush(stdout);
    }
    return 0;
}
