#include "app/windowapp.h"

#include "app/datadir.h"
#include "app/desktoppresence.h"
#include "app/frmmain.h"
#include "app/frmsplash.h"
#include "contacts/contactcommands.h"
#include "extras/upcomingcommands.h"
#include "options/options.h"
#include "reminder/remindercommands.h"
#include "reminder/remindercore.h"
#include "sync/syncwindow.h"
#include "table/backups.h"
#include "table/cursor.h"
#include "table/tablestore.h"
#include "ui/qtservices.h"
#include "ui/widgets.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QMessageBox>
#include <QPointer>
#include <QSocketNotifier>

#include <csignal>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace natalix {

namespace {

void criticalMessage(const QString& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Natalix"), text, QMessageBox::Ok);
    box.exec();
}

MessageRequest endingMessage(const QString& text) {
    MessageRequest m;
    m.text = text;
    m.buttons = Buttons::Ok;
    m.icon = Icon::Critical;
    return m;
}

QString shownDate(const QDate& d, double display) {
    return display == 0 ? QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day())
                        : QStringLiteral("%1.%2.%3").arg(d.day()).arg(d.month()).arg(d.year());
}

volatile sig_atomic_t signalled = 0;
// While the start has written nothing and holds nothing, a termination signal ends it at once.
volatile sig_atomic_t endAtOnce = 0;

#ifdef Q_OS_UNIX
int terminationPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    if (endAtOnce)
        _exit(0);
    signalled = 1;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(terminationPipe[1], &c, 1);
}
#endif

QPointer<FrmMain> editOnTermination;
bool terminationRequested = false;

// The start looks between its steps whether the session has ended meanwhile: with nothing
// edited yet, it need not go on to the event loop to end.
bool ending() {
    return terminationRequested || signalled != 0;
}

// Logging out sends SIGTERM (or SIGHUP, or Ctrl+C sends SIGINT): from here on the signal
// only leaves a note, taken as soon as an event loop runs.
void catchTerminationSignals() {
#ifdef Q_OS_UNIX
    if (terminationPipe[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, terminationPipe) != 0)
        return;
    struct sigaction sa = {};
    sa.sa_handler = onTerminationSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        sigaction(sig, &sa, nullptr);
#endif
}

// The note ends the program: the record being edited is stored, every dialog's loop ends and
// no new one starts. Once the application exists.
void endOnTerminationSignal() {
#ifdef Q_OS_UNIX
    static QPointer<QSocketNotifier> notifier;
    if (notifier || terminationPipe[0] < 0)
        return;
    notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(terminationPipe[0], &c, 1);
        if (editOnTermination)
            editOnTermination->storePendingEdit();
        terminationRequested = true;
        // exit(), not quit(): quit() first asks every window, and a window that only hides
        // when closed would keep the program alive after the session ended. A main loop
        // that does not run yet is not started at all (runWindowApp looks first).
        QCoreApplication::exit(0);
    });
#endif
}

// A start that ended because the session ended ends well.
int startEnded(int status) {
    return ending() ? 0 : status;
}

} // namespace

void storePendingEditOnTermination(FrmMain& main) {
    endAtOnce = 0;
    catchTerminationSignals();
    endOnTerminationSignal();
    editOnTermination = &main;
}

void connectReminders(FrmMain& main, SyncHost* sync) {
    ReminderCore& core = main.reminders();
    auto* window = new ReminderCommands(main.commandContext(), &main);
    QObject::connect(&core, &ReminderCore::aboutToScan, window, &ReminderCommands::zugriffpruefen);
    QObject::connect(&core, &ReminderCore::scanned, window, &ReminderCommands::onScanned);
    QObject::connect(&core, &ReminderCore::reopened, window, &ReminderCommands::showMeldung);
    QObject::connect(window, &ReminderCommands::answered, &core, &ReminderCore::answered);
    // The desktop's notification and tool tip, once the desktop is there.
    QObject::connect(&core, &ReminderCore::scanned, &main, [&main](const ReminderReport& report) {
        if (auto* desktop = main.findChild<DesktopPresence*>())
            desktop->onScanned(report);
    });
    // The day's own work before its scan: a copy of the list, the address book (the scan
    // waits for it), the tool tip and "Nächste Geburtstage" of the new day.
    QObject::connect(&core, &ReminderCore::dayBegan, &main, [&main](const QDate& day) {
        makeDailyBackup(main.adoDaten().store(), main.dataDir().path, day);
        if (SyncHost* host = syncHostOf(main))
            host->dayBegan(day);
        if (auto* desktop = main.findChild<DesktopPresence*>())
            desktop->scheduleToolTip();
        if (auto* upcoming = main.findChild<UpcomingCommands*>())
            upcoming->refresh();
    });
    // What arrives today may be due today: a scan follows the records brought in.
    if (auto* contacts = main.findChild<ContactCommands*>())
        QObject::connect(contacts, &ContactCommands::recordsAdded, &core,
                         &ReminderCore::scanArrivals);
    if (sync)
        QObject::connect(sync, &SyncHost::listReloaded, &core, &ReminderCore::scanArrivals);
}

std::unique_ptr<TableStore> openDatabaseForWindow(Services& services, const DataDir& dir,
                                                  const Options& options) {
    const Record seed = sampleRecord(options.reminderDefaults());
    // Each round either opens the database or puts an older copy in its place.
    for (int round = 0; round < 8; ++round) {
        TableStore::Opened opened = TableStore::openChecked(dir.databasePath(), seed);
        if (opened.store)
            return std::move(opened.store);
        const bool replaceable = opened.problem == TableStore::Problem::Damaged ||
                                 opened.problem == TableStore::Problem::Foreign;
        const std::vector<Backup> backups =
            replaceable ? usableBackups(dir.path) : std::vector<Backup>();
        if (backups.empty()) {
            const QString ending =
                replaceable ? QStringLiteral("\n\nEs gibt keine Sicherung, die an ihre Stelle "
                                             "treten könnte. Natalix wird beendet.")
                            : QStringLiteral("\n\nNatalix wird beendet.");
            services.message(endingMessage(opened.message + ending));
            return nullptr;
        }
        MessageRequest ask;
        ask.text =
            opened.message +
            QStringLiteral("\n\nDie neueste brauchbare Sicherung ist vom %1. Soll Natalix "
                           "sie an die Stelle der Datenbank setzen? Die jetzige Datei "
                           "wird dabei nicht gelöscht, sondern umbenannt.\n\nMit "
                           "\"Nein\" wird Natalix beendet.")
                .arg(shownDate(backups.front().date, options.optiondatumsanzeigehauptfenster));
        ask.buttons = Buttons::YesNo;
        ask.icon = Icon::Exclamation;
        ask.defaultButton = answer::yes;
        if (services.message(ask) != answer::yes)
            return nullptr;
        QString error;
        if (!restoreBackup(dir.databasePath(), backups.front(), services.now(), &error)) {
            services.message(endingMessage(error + QStringLiteral("\n\nNatalix wird beendet.")));
            return nullptr;
        }
    }
    return nullptr;
}

int runWindowApp(int argc, char* argv[], const CommandLine& cl) {
    endAtOnce = 1;
    catchTerminationSignals();
    QApplication app(argc, argv);
    endOnTerminationSignal();
    setProgramIdentity();
    QApplication::setApplicationVersion(programVersion());
    QApplication::setDesktopFileName(desktopEntryId());
    // The main window is often hidden; only the final exit ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    installGermanTranslations();
    installToolTipWrapping();
    // The fonts (the longest part of a start) are read before anything is written.
    QFontDatabase::families();
    endAtOnce = 0;
    if (ending())
        return 0;

    QString error;
    const DataDir dir = resolveDataDir(cl.dataDir, &error);
    if (!error.isEmpty()) {
        criticalMessage(error);
        return startEnded(1);
    }
    protectDataFiles(dir);
    SettingsStore settings(dir);
    InstanceLock lock(dir);
    switch (lock.acquire()) {
    case InstanceLock::State::Acquired:
        break;
    case InstanceLock::State::HeldByOther:
        // Another instance runs: ask it to show its window, and end without one.
        if (settings.setValue(QStringLiteral("windowopen"), QStringLiteral("1")))
            return 0;
        criticalMessage(QStringLiteral("Natalix läuft bereits, lässt sich aber nicht nach vorn "
                                       "holen: %1")
                            .arg(settings.lastError()));
        return startEnded(1);
    case InstanceLock::State::Undecided:
        criticalMessage(lock.error() +
                        QStringLiteral("\n\nNatalix wird nicht gestartet, damit nicht zwei "
                                       "Programme dieselbe Liste ändern."));
        return startEnded(1);
    }
    if (ending())
        return 0;

    QString optionsError;
    const Options options =
        optioneneinlesen(dir.optionsPath(), &optionsError, optionsTemplatePath());
    QtServices services;
    std::unique_ptr<TableStore> store = openDatabaseForWindow(services, dir, options);
    if (!store)
        return startEnded(1);
    Cursor cursor(*store);
    if (!cursor.loaded()) {
        criticalMessage(QStringLiteral("Die Datenbank \"%1\" kann nicht gelesen werden (%2). "
                                       "Natalix wird beendet, die Datei bleibt unverändert.")
                            .arg(QDir::toNativeSeparators(dir.databasePath()), store->lastError()));
        return startEnded(1);
    }
    // The rows are in memory now; the program runs all day, so it gives the map back.
    store->setMemoryMapped(false);
    if (ending())
        return 0;
    FrmMain main({services, cursor, settings, dir, options, cl.autoStart});
    if (ending())
        return 0;
    services.setDialogParent(&main);
    if (!optionsError.isEmpty())
        services.message({optionsError, {}, Buttons::Ok, Icon::Exclamation});
    storePendingEditOnTermination(main);
    new DesktopPresence(main);
    connectReminders(main, attachSync(main.commandContext()));
    // One copy of the list a day, the newest seven kept: today's now, later days' at their
    // first tick.
    makeDailyBackup(*store, dir.path, services.today());
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &main,
                     [&main] { main.storePendingEdit(); });

    auto* splash = new FrmSplash(main);
    splash->show();
    splash->raise();
    if (ending())
        return 0;
    return app.exec();
}

} // namespace natalix
