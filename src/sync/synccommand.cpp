#include "sync/synccommand.h"

#include "app/commandline.h"
#include "app/datadir.h"
#include "contacts/contactimport.h"
#include "options/options.h"
#include "sync/calendarsync.h"
#include "sync/contactsync.h"
#include "sync/davclient.h"
#include "sync/keyring.h"
#include "sync/syncaccount.h"
#include "table/backups.h"
#include "table/tablestore.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdio>

namespace natalix {

namespace {

void print(FILE* to, const QString& text) {
    const QByteArray bytes = (text + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), to);
    std::fflush(to);
}

// The environment wins (scripts, tests); otherwise the
// account the window stored: the user from the settings, the password from the keyring.
// Returns why the keyring gave none, for when the server then refuses.
QString takeCredentials(DavClient& client, const DataDir& dir) {
    QString user = qEnvironmentVariable("NATALIX_DAV_USER");
    if (user.isEmpty()) {
        SettingsStore settings(dir);
        user = loadSyncAccount(settings).user;
    }
    if (qEnvironmentVariableIsSet("NATALIX_DAV_PASSWORD") || user.isEmpty()) {
        client.setCredentials(user, qEnvironmentVariable("NATALIX_DAV_PASSWORD"));
        return {};
    }
    client.setCredentialsSource(QStringLiteral("Optionen, Seite \"Adressbuch und Kalender\", "
                                               "oder NATALIX_DAV_USER, NATALIX_DAV_PASSWORD"));
    Keyring keyring(keyringService());
    keyring.setTimeout(20000);
    QEventLoop loop;
    KeyringResult found;
    bool answered = false;
    keyring.read(passwordKey(dir), &loop, [&](const KeyringResult& r) {
        found = r;
        answered = true;
        loop.quit();
    });
    if (!answered)
        loop.exec();
    client.setCredentials(user, found.password);
    return found.message;
}

} // namespace

int runSyncCommandLine(const CommandLine& cl) {
    const bool contacts = cl.mode == CommandLine::Mode::SyncContacts;
    QString error;
    const QUrl url = parseServerUrl(cl.file, &error);
    if (!url.isValid()) {
        print(stderr, error);
        return 1;
    }
    CommandStart start =
        claimDataDir(cl, contacts ? QStringLiteral("Ein Abgleich mit dem Adressbuch")
                                  : QStringLiteral("Ein Abgleich mit dem Kalender"));
    if (start.status || !openList(start))
        return start.status;
    const DataDir& dir = start.dir;
    const Options& options = start.options;
    TableStore* const store = start.store.get();

    QEventLoop loop;
    bool ok = false, finished = false, heldRemovals = false;
    QString message, keyringNote;
    if (contacts) {
        ContactSync sync(*store, importRulesReader(options.reminderDefaults()), isSameBirthday);
        keyringNote = takeCredentials(sync.client(), dir);
        sync.setAllowRemovals(cl.allowRemovals);
        // What the address book changes can be undone from the day's backup.
        sync.setBeforeChange([&](QString* why) {
            return makeDailyBackup(*store, dir.path, programNow().date(), why);
        });
        QObject::connect(&sync, &ContactSync::finished, &loop, [&](const ContactSyncOutcome& o) {
            ok = o.ok;
            message = o.message;
            heldRemovals = o.heldRemovals > 0;
            finished = true;
            loop.quit();
        });
        sync.start(url);
        if (!finished)
            loop.exec();
    } else {
        const QDateTime now = programNow();
        CalendarSync sync(*store, {now.date(), now, options.optiondatumsanzeigehauptfenster});
        keyringNote = takeCredentials(sync.client(), dir);
        QObject::connect(&sync, &CalendarSync::finished, &loop, [&](const CalendarSyncOutcome& o) {
            ok = o.ok;
            message = o.message;
            finished = true;
            loop.quit();
        });
        sync.start(url);
        if (!finished)
            loop.exec();
    }
    // The replies and connections the sync let go are deleted later: now, before the exit.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (!ok && !keyringNote.isEmpty())
        message += u'\n' + keyringNote;
    if (heldRemovals)
        message += QStringLiteral("\nSind die Kontakte wirklich gelöscht, bestätigen Sie mit: "
                                  "natalix --sync-contacts %1 --allow-removals")
                       .arg(url.toString());
    print(ok ? stdout : stderr, message);
    return ok ? 0 : 1;
}

} // namespace natalix
