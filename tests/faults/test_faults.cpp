// The program in its parts and under a hostile machine: what each command line prints and
// stores; full disks, damaged files, planted links, stale locks, a logout.
#include "app/commandline.h"
#include "app/datadir.h"
#include "app/windowapp.h"
#include "listfile/listfile.h"
#include "reminder/openlines.h"
#include "support/processes.h"
#include "support/windowharness.h"
#include "table/backups.h"
#include "table/cursor.h"
#include "table/databasestamp.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace natalix;
using namespace natalix::test;

namespace {

mode_t modeOf(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

QByteArray sqliteFile(const QString& path, const char* sql) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return readFileBytes(path);
}

const QByteArray secret("nicht anfassen\n");

const QString module = QStringLiteral(NATALIX_WINDOW_MODULE_PATH);

// The program copied to `home`/bin, with `bytes` (if any) at `moduleAt` below bin/.
QString programCopy(const QString& home, const QString& moduleAt, const QByteArray& bytes) {
    const QString program = home + QStringLiteral("/bin/natalix");
    const QString module = QDir::cleanPath(home + QStringLiteral("/bin/") + moduleAt);
    const bool ok = QDir().mkpath(home + QStringLiteral("/bin")) &&
                    QDir().mkpath(QFileInfo(module).path()) &&
                    writeFileBytes(program, readFileBytes(QStringLiteral(NATALIX_BINARY))) &&
                    QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner) &&
                    (bytes.isEmpty() || writeFileBytes(module, bytes));
    return ok ? program : QString();
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    // Every command says how it ended (1 refused, 2 while the window runs) and why; a refused
    // one changes neither the table nor a file outside the data folder, leaves no temporary file.
    void commandsRefusedChangeNothing_data() {
        QTest::addColumn<QStringList>("args");  // "%1": the file
        QTest::addColumn<QString>("file");      // below HOME
        QTest::addColumn<QByteArray>("before"); // its bytes; null: nothing there
        QTest::addColumn<QString>("machine");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text"); // out and err; %1: the file, %2: the data folder
        const auto row = [](const char* name, const QStringList& args, const char* file,
                            const QByteArray& before, const char* machine, int code,
                            const QString& text) {
            QTest::newRow(name) << args << file << before << machine << code << text;
        };
        row("--import, not a list", {"--import", "%1"}, "kaputt.nxd", "Liste\r\n", "", 1,
            "Die Datei \"%1\" wurde nicht eingelesen: Die Datei ist keine Geburtstagsliste: Ihre "
            "erste Zeile enthält keine Anzahl von Datensätzen.\n");
        row("--import, no such file", {"--import", "%1"}, "fehlt.nxd", QByteArray(), "", 1,
            "Die Datei \"%1\" kann nicht gelesen werden (53 : Datei nicht gefunden).\n");
        row("--import while the window runs", {"--import", "%1"}, "neu.nxd",
            renderListFile(manyRecords(1)), "window", 2,
            runningMessage("Das Einlesen einer Liste") + u'\n');
        row("--import-contacts, no number left", {"--import-contacts", "%1"}, "kontakte.vcf",
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Neu\r\nBDAY:--0307\r\nEND:VCARD\r\n", "last number",
            1, "Die Liste hat keine freien Nummern mehr; es wurde nichts übernommen.\n");
        row("--export-ics, no such folder", {"--export-ics", "%1"}, "fehlt/kalender.ics",
            QByteArray(), "", 1,
            "Der Kalender konnte nicht in \"%1\" gespeichert werden (76 : Pfad nicht gefunden); "
            "die Datei bleibt, wie sie war.\n");
        row("--export, damaged table", {"--export", "%1"}, "alt.nxd", "die alte Liste\r\n",
            "damaged", 1,
            "Die Datenbank \"%2/Geburtstage.db\" ist beschädigt (Die Datenbank-Datei ist "
            "beschädigt.). Natalix verändert sie nicht. Beim nächsten Start des Fensters bietet "
            "Natalix an, die letzte Sicherung aus dem Ordner \"Sicherungen\" "
            "wiederherzustellen.\n");
        row("--scan, a folder for the lock", {"--scan"}, "", QByteArray(), "lock folder", 1,
            "Natalix kann nicht feststellen, ob es mit diesem Datenordner bereits läuft: Die "
            "Sperrdatei \"%2/natalix.lock\" lässt sich nicht öffnen (Is a directory).\n");
        // A copy of the program without its modules: the mode says so, nothing else.
        const QString noModule = QStringLiteral("kann nicht gestartet werden: Das Modul \"%1\" "
                                                "fehlt oder ist beschädigt (");
        row("window, no module", {"/auto"}, "", QByteArray(), "no modules", 1,
            "Das Fenster von Natalix " + noModule.arg(QFileInfo(module).fileName()));
        row("sync, no module", {"--sync-contacts", "http://127.0.0.1:9/"}, "", QByteArray(),
            "no modules", 1,
            "Der Abgleich " + noModule.arg(QFileInfo(NATALIX_SYNC_MODULE_PATH).fileName()));
        const auto invalid = [&row](const char* name, const QStringList& args, const QString& why) {
            row(name, args, "", QByteArray(), "", 1, why + "\n\n" + commandLineHelp() + u'\n');
        };
        row("-h", {"-h"}, "", QByteArray(), "", 0, commandLineHelp());
        row("--version", {"--version"}, "", QByteArray(), "", 0,
            QStringLiteral("Natalix %1\n").arg(programVersion()));
        invalid("unknown option", {"--frobnicate"}, "Unbekannte Option: --frobnicate");
        invalid("path missing", {"--import"}, "Nach --import fehlt der Pfad.");
        invalid("two commands", {"--scan", "--export", "x.nxd"},
                "Bitte nur einen Befehl auf einmal angeben.");
        invalid("address missing", {"--sync-contacts"}, "Nach --sync-contacts fehlt die Adresse.");
        row("not a web address", {"--sync-calendar", "ftp://127.0.0.1/k/"}, "", QByteArray(), "", 1,
            "\"ftp://127.0.0.1/k/\" ist keine http- oder https-Adresse.\n");
        invalid("removals without a contacts sync",
                {"--sync-calendar", "http://127.0.0.1/", "--allow-removals"},
                "--allow-removals gilt nur zusammen mit --sync-contacts.");
    }
    void commandsRefusedChangeNothing() {
        QFETCH(QStringList, args);
        QFETCH(QString, file);
        QFETCH(QByteArray, before);
        QFETCH(QString, machine);
        QFETCH(int, code);
        QFETCH(QString, text);
        ProgramWorld w;
        std::vector<Record> list = manyRecords(3);
        if (machine == u"last number")
            list.push_back(makeRecord(std::numeric_limits<int>::max(), "Letzte", 1990, 1, 1));
        QVERIFY(w.fill(list));
        const DataDir dir{w.data(), true};
        const QString path = w.file(file);
        if (!before.isNull())
            QVERIFY(writeFileBytes(path, before));
        if (machine == u"damaged")
            QVERIFY(writeFileBytes(dir.databasePath(), QByteArray(16384, 'Z')));
        if (machine == u"lock folder")
            QVERIFY(QFile::remove(dir.file("natalix.lock")) &&
                    QDir().mkdir(dir.file("natalix.lock")));
        InstanceLock window(dir);
        QVERIFY(machine != u"window" || window.tryLock());
        RunSetup bare;
        if (machine == u"no modules")
            QVERIFY(!(bare.program = programCopy(w.home(), QString(), QByteArray())).isEmpty());
        const QMap<QString, QByteArray> files = w.files();
        const QByteArray table = readFileBytes(dir.databasePath());
        const RunResult r = w.run(args.replaceInStrings("%1", path), bare);
        QCOMPARE(r.code, code);
        // Where the loader has a say, up to its words.
        const QString all = QString::fromUtf8(r.out + r.err);
        QCOMPARE(machine == u"no modules" ? all.left(text.size()) : all,
                 text.replace("%1", path).replace("%2", w.data()));
        QCOMPARE(w.files(), files);
        QCOMPARE(readFileBytes(dir.databasePath()), table);
        QCOMPARE(SettingsStore(dir).value(QStringLiteral("filename")), w.file("liste.nxd"));
    }

    // Only a live instance holds the lock, whatever an old lock file holds; a link planted in
    // its place leads nowhere. A full disk refuses a setting, the old value kept.
    void instanceLock_data() {
        QTest::addColumn<QByteArray>("before"); // at the lock's place: bytes, "link", "held"
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("none") << QByteArray() << false;
        QTest::newRow("a dead owner's, full disk") << QByteArray("999999\nnatalix\nhost\n") << true;
        QTest::newRow("a planted link") << QByteArray("link") << false;
        QTest::newRow("held by another") << QByteArray("held") << false;
    }
    void instanceLock() {
        QFETCH(QByteArray, before);
        QFETCH(bool, fullDisk);
        TempDataDir d;
        const DataDir dir{d.path(), true};
        const QString path = dir.file(QStringLiteral("natalix.lock"));
        QVERIFY(writeFileBytes(d.file("fremd.txt"), secret));
        SettingsStore settings(dir);
        QVERIFY(settings.setValue(QStringLiteral("filename"), QStringLiteral("/alt/liste.nxd")));
        InstanceLock other(dir);
        if (before == "link")
            QVERIFY(QFile::link(d.file("fremd.txt"), path));
        else if (before == "held")
            QVERIFY(other.tryLock());
        else if (!before.isNull())
            QVERIFY(writeFileBytes(path, before));
        std::optional<FileSizeLimit> full;
        if (fullDisk)
            full.emplace(0);
        const InstanceLock::State state = InstanceLock(dir).acquire();
        const bool saved = settings.setValue(QStringLiteral("filename"), QString(300, u'x'));
        full.reset();
        QCOMPARE(saved, !fullDisk);
        QVERIFY(!fullDisk || (settings.lastError().contains("(61 : Datenträger voll)") &&
                              settings.value(QStringLiteral("filename")) == "/alt/liste.nxd"));
        QCOMPARE(readFileBytes(d.file("fremd.txt")), secret);
        if (before == "held")
            QCOMPARE(state, InstanceLock::State::HeldByOther);
        else // a regular file naming us, the owner's only when made new
            QVERIFY(state == InstanceLock::State::Acquired && S_ISREG(modeOf(path)) &&
                    (!before.isNull() || (modeOf(path) & 0777) == 0600) &&
                    readFileBytes(path) == (fullDisk ? "" : QByteArray::number(::getpid()) + '\n'));
    }

    // A damaged file (anywhere in its pages), another program's or a link: refused, never
    // taken for a shorter list, not a byte written. A daily backup checks the pages once the
    // week of the last check is over, and copies no damaged file.
    void badDatabaseIsLeftAlone_data() {
        QTest::addColumn<QByteArray>("file"); // a damage, SQL for another program's, or "link"
        QTest::addColumn<bool>("backup");     // a daily backup a week after the check; else opened
        QTest::addColumn<QString>("message");
        const QString damaged = QStringLiteral("ist beschädigt");
        for (const char* damage : {"page 2", "page 20", "last page", "half", "cells"})
            QTest::newRow(damage) << QByteArray(damage) << false << damaged;
        QTest::newRow("backup, checked eight days ago") << QByteArray("cells") << true << damaged;
        const QString foreign = QStringLiteral("ist keine Natalix-Datenbank");
        QTest::newRow("another program's tables")
            << QByteArray("CREATE TABLE kunden (id, name)") << false << foreign;
        QTest::newRow("wrong fields")
            << QByteArray("CREATE TABLE Geburtstage (Name TEXT)") << false << foreign;
        QTest::newRow("a link") << QByteArray("link") << false
                                << QStringLiteral("ist eine symbolische Verknüpfung");
    }
    void badDatabaseIsLeftAlone() {
        QFETCH(QByteArray, file);
        QFETCH(bool, backup);
        QFETCH(QString, message);
        const QDate today(2025, 3, 7);
        TempDataDir d;
        const QString db = d.file(QStringLiteral("Geburtstage.db"));
        QByteArray bytes;
        if (file.startsWith("CREATE")) {
            bytes = sqliteFile(db, file.constData());
        } else {
            const QString sound = file == "link" ? d.file("woanders.db") : db;
            QVERIFY(TableStore::openChecked(sound, Record(), today)
                        .store->replaceAll(manyRecords(2000)));
            bytes =
                file == "link" ? readFileBytes(sound) : damagedDatabase(readFileBytes(db), file);
            QVERIFY(file == "link" ? QFile::link(sound, db)
                                   : !bytes.isEmpty() && writeFileBytes(db, bytes));
        }
        QString found;
        if (!backup) {
            const TableStore::Opened o = TableStore::openChecked(db, Record(), today);
            QVERIFY(!o.store);
            found = o.message;
        } else {
            // Opened on the day of its check, the program runs on.
            const QDate checked = today.addDays(-8);
            QVERIFY(writeStamp(db, {*readDatabaseState(db), checked}));
            const auto store = TableStore::openChecked(db, Record(), checked).store;
            QVERIFY(store && !makeDailyBackup(*store, d.path(), today, &found));
            QVERIFY(!QFileInfo::exists(backupFolder(d.path())));
        }
        QVERIFY2(found.contains(message), qPrintable(found));
        QCOMPARE(readFileBytes(db), bytes);
    }

    // The stamp beside the database spares the page check only while it matches the file
    // exactly and is at most a week old. Our commits on a file seen sound renew it (owner-only);
    // anybody else's write since, even at once after ours or with its time put back, voids it.
    void stampVouches_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("vouches");
        QTest::newRow("own commit") << "" << true;
        QTest::newRow("checked seven days ago") << "checked -7" << true;
        QTest::newRow("checked eight days ago") << "checked -8" << false;
        QTest::newRow("checked tomorrow") << "checked 1" << false;
        QTest::newRow("a journal beside") << "-journal" << false;
        QTest::newRow("a write-ahead log beside") << "-wal" << false;
        QTest::newRow("rewritten, mtime put back") << "rewritten mtime" << false;
        QTest::newRow("rewritten at once after a commit") << "rewritten at once" << false;
        QTest::newRow("another program's commit, then ours") << "foreign" << false;
        for (const char* field :
             {"dev", "ino", "size", "mtime", "ctime", "h24", "h28", "h40", "h92", "h96"})
            QTest::addRow("stamp field %s one off", field)
                << QStringLiteral("field ") + field << false;
    }
    void stampVouches() {
        QFETCH(QString, change);
        QFETCH(bool, vouches);
        const QDate today(2025, 3, 7);
        TempDataDir d;
        const QString db = d.file(QStringLiteral("Geburtstage.db"));
        QVERIFY(TableStore::openChecked(db, makeRecord(1, "Anna", 1980, 3, 7), today).store);
        auto store = TableStore::openChecked(db, Record(), today).store;
        QVERIFY(store && store->insert(makeRecord(2, "Berta", 1990, 1, 1)));
        QVERIFY(vouchingStamp(db, today));
        QCOMPARE(modeOf(stampPath(db)) & 0777, mode_t(0600));
        struct stat sound;
        QCOMPARE(::stat(QFile::encodeName(db).constData(), &sound), 0);
        if (change == u"foreign") {
            sqliteFile(db, "INSERT INTO Geburtstage (Nummer, Name) VALUES (3, 'Fremd')");
            QVERIFY(store->insert(makeRecord(4, "Carla", 1990, 1, 1)));
        }
        if (change == u"rewritten at once")
            QVERIFY(store->insert(makeRecord(5, "Dora", 1990, 1, 1)));
        else
            store.reset();
        if (change.startsWith(u"rewritten"))
            QVERIFY(writeFileBytes(db, readFileBytes(db)));
        store.reset();
        if (change == u"rewritten mtime") {
            const timespec times[2] = {sound.st_atim, sound.st_mtim};
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(db).constData(), times, 0), 0);
        }
        if (change.startsWith(u"checked"))
            QVERIFY(writeStamp(db, {*readDatabaseState(db), today.addDays(change.mid(8).toInt())}));
        if (change.startsWith(u'-'))
            QVERIFY(writeFileBytes(db + change, QByteArray()));
        if (change.startsWith(u"field ")) {
            QString text = QString::fromLatin1(readFileBytes(stampPath(db)));
            const auto m = QRegularExpression(' ' + change.mid(6) + "=(\\d+)").match(text);
            QVERIFY(m.hasMatch());
            text.replace(m.capturedStart(1), m.capturedLength(1),
                         QString::number(m.captured(1).toLongLong() + 1));
            QVERIFY(writeFileBytes(stampPath(db), text.toLatin1()));
        }
        QCOMPARE(bool(vouchingStamp(db, today)), vouches);
    }

    // The newest seven daily backups are kept, one a day, private. The window offers the
    // newest sound one for a damaged database, keeps the damaged file aside, or ends.
    void damagedDatabaseOffersTheBackup_data() {
        QTest::addColumn<int>("answer"); // 0: no backup, no question
        QTest::newRow("restore") << answer::yes;
        QTest::newRow("end") << answer::no;
        QTest::newRow("no backup") << 0;
    }
    void damagedDatabaseOffersTheBackup() {
        QFETCH(int, answer);
        TempDataDir d;
        const DataDir dir{d.path(), true};
        const QString db = dir.databasePath();
        auto made = TableStore::openChecked(db, Record()).store;
        QVERIFY(made && made->replaceAll(manyRecords(2000)));
        if (answer) {
            for (QDate day(2026, 11, 29); day <= QDate(2026, 12, 6); day = day.addDays(1))
                QVERIFY(makeDailyBackup(*made, dir.path, day));
            // Later that day the list changes: the day's copy keeps the morning's.
            QVERIFY(made->insert(makeRecord(9999, QStringLiteral("Neu"), 2000, 1, 1)));
            QVERIFY(makeDailyBackup(*made, dir.path, QDate(2026, 12, 6)));
            const std::vector<Backup> kept = usableBackups(d.path());
            QVERIFY(kept.size() == 7 && kept.back().date == QDate(2026, 11, 30));
            QCOMPARE(modeOf(kept.front().path) & 0777, mode_t(0600));
            QCOMPARE(modeOf(backupFolder(d.path())) & 0777, mode_t(0700));
            // An unusable newer copy is passed over.
            QVERIFY(writeFileBytes(backupFolder(dir.path) + "/Geburtstage-2026-12-07.db", "x"));
        }
        made.reset();
        const QByteArray damaged = damagedDatabase(readFileBytes(db), QStringLiteral("page 20"));
        QVERIFY(writeFileBytes(db, damaged));
        ScriptedServices services;
        services.setToday(2026, 12, 7, 8, 30, 0);
        services.answerMessage(answer ? answer : answer::ok);
        std::unique_ptr<TableStore> store = openDatabaseForWindow(services, dir, Options());
        const MessageRequest m = services.messages.value(0); // the only one: all answered
        QVERIFY2(services.allAnswered() && m.buttons == (answer ? Buttons::YesNo : Buttons::Ok) &&
                     m.text.contains(QStringLiteral("ist beschädigt")) &&
                     m.text.contains(answer ? QStringLiteral("Sicherung ist vom 6.12.2026")
                                            : QStringLiteral("keine Sicherung")),
                 qPrintable(m.text));
        QCOMPARE(bool(store), answer == answer::yes);
        const QString aside = db + ".beschaedigt-20261207-083000";
        QCOMPARE(readFileBytes(answer == answer::yes ? aside : db), damaged);
        QCOMPARE(QFileInfo::exists(aside), answer == answer::yes);
        if (store)
            QCOMPARE(Cursor(*store).recordCount(), 2000);
    }

    // Every mode finds the same folder below HOME, whatever the program is called, and under
    // the usual umask nobody but the owner can read the birthdays.
    void defaultDataFolderIsPrivate() {
        TempDataDir home;
        RunSetup s;
        s.home = home.path();
        s.umask = 022;
        s.program = home.file(QStringLiteral("geburtstags-erinnerer"));
        QVERIFY(QFile::link(QStringLiteral(NATALIX_BINARY), s.program));
        const QString list = home.file(QStringLiteral("liste.nxd"));
        QVERIFY(writeFileBytes(list, renderListFile(manyRecords(4))));
        // A folder an earlier version left open to everybody is closed.
        const QDir data(home.file(QStringLiteral(".local/share/NX/Natalix")));
        QVERIFY(QDir().mkpath(data.path()) &&
                ::chmod(QFile::encodeName(data.path()).constData(), 0755) == 0);
        QCOMPARE(runNatalix({QStringLiteral("--import"), list}, s).code, 0);
        QCOMPARE(modeOf(data.path()) & 0777, mode_t(0700));
        for (const char* name : {"Geburtstage.db", "natalix.ini", "natalix.lock"})
            QCOMPARE(modeOf(data.filePath(name)) & 0777, mode_t(0600));
        // The window's settings store is where the command line put the list's name.
        QCOMPARE(SettingsStore::parseIni(readFileBytes(home.file(".config/NX/Natalix.conf")))
                     .value(QStringLiteral("Global/filename")),
                 list);
    }

    // Saving the default list over a link planted in the data folder replaces the link, the
    // file behind it untouched. Logging out while a name is typed: it is stored before the end.
    void plantedListAndLogout() {
        WindowHarness h(manyRecords(2));
        const QString victim = h.dataDir.file(QStringLiteral("fremd.txt"));
        const QString planted = h.dir.defaultListPath();
        QVERIFY(writeFileBytes(victim, secret) && QFile::link(victim, planted));
        h.state().dateinamemitpfad = planted;
        h.window().mnuDateispeichern->trigger();
        QCOMPARE(readFileBytes(victim), secret);
        QCOMPARE(readFileBytes(planted), renderListFile(manyRecords(2)));
        QVERIFY(!QFileInfo(planted).isSymLink() && h.services.allAnswered());
        FrmMain& w = h.window();
        storePendingEditOnTermination(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.txtName->setFocus();
        w.txtName->selectAll();
        QTest::keyClicks(w.txtName, QStringLiteral("  Neuer Name  "));
        ::raise(SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(h.storedRecords().front().name == QStringLiteral("Neuer Name"),
                                 5000);
        std::signal(SIGTERM, SIG_DFL);
    }

    // Imported out of order, exported by number. Export and scan only read, so they run beside
    // the window: the scan prints what the window has not given yet and leaves the marking to
    // it; alone it prints each line once. Qt Core and SQLite only: the window's part unloaded.
    void commandsOnAList() {
        const std::vector<Record> list{
            makeRecord(1, "Anna Beispiel", 1980, 3, 7),
            makeRecord(2, "Jürgen Groß", 1990, 3, 10, {"1 Woche vorher"}),
            makeRecord(5, "Sommer Kind", 1970, 7, 15)};
        ProgramWorld w;
        QVERIFY(w.fill({list[2], list[0], list[1]}));
        const QByteArray due("Anna Beispiel wird heute 45 Jahre alt ...\n"
                             "J\xC3\xBCrgen Gro\xC3\x9F wird am 10.3.2025 35 Jahre alt ...\n");
        {
            InstanceLock window(DataDir{w.data(), true});
            QCOMPARE(window.acquire(), InstanceLock::State::Acquired);
            QCOMPARE(w.run({QStringLiteral("--export"), w.file("export.nxd")}).code, 0);
            QCOMPARE(readFileBytes(w.file("export.nxd")), renderListFile(list));
            RunSetup traced;
            traced.env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
            traced.env.insert(QStringLiteral("LD_DEBUG_OUTPUT"), w.file(QStringLiteral("geladen")));
            const RunResult scan = w.run({QStringLiteral("--scan")}, traced);
            QVERIFY2(scan.code == 0 && scan.err.isEmpty(), scan.err);
            QCOMPARE(scan.out, due);
            QString trace; // the loader names each file it maps "file=<path>"
            for (const QString& name : QDir(w.home()).entryList({QStringLiteral("geladen.*")}))
                trace += QString::fromLocal8Bit(readFileBytes(w.file(name)));
            QStringList mapped;
            for (const char* name : {"libQt6Core", "libsqlite3", "libQt6Gui", "libQt6Widgets",
                                     "libQt6DBus", "natalix_window"})
                if (trace.contains(QRegularExpression(QStringLiteral("file=\\S*") + name)))
                    mapped << name;
            QCOMPARE(mapped, QStringList({"libQt6Core", "libsqlite3"}));
        }
        QCOMPARE(w.run({QStringLiteral("--scan")}).out, due);
        QCOMPARE(w.run({QStringLiteral("--scan")}).out, QByteArray());
    }

    // The window starts over an empty lock, its module beside the program or installed; it maps
    // network and keyring only for an account, after its first day's sync and scan. A logout's
    // signal ends it at any stage within 2 s, status 0, the lock let go; the lines of a reminder
    // it showed stay open for its next start.
    void windowStartsAndEnds_data() {
        QTest::addColumn<QString>("stage"); // what the window has done when the signal comes
        QTest::addColumn<bool>("installed");
        QTest::addColumn<QByteArray>("account");
        for (const char* stage : {"nothing", "module loaded", "lock taken", "reminder open"})
            QTest::newRow(stage) << stage << false << QByteArray();
        QTest::newRow("installed layout") << "reminder open" << true << QByteArray();
        // Nobody listens there: the sync fails at once and the scan follows.
        QTest::newRow("with an account")
            << "reminder open" << false
            << QByteArray("[Abgleich]\nadressbuch=\"http://127.0.0.1:9/\"\n");
    }
    void windowStartsAndEnds() {
        QFETCH(QString, stage);
        QFETCH(bool, installed);
        QFETCH(QByteArray, account);
        ProgramWorld w;
        QVERIFY(w.fill({makeRecord(1, "Anna", 1980, 3, 7)}));
        const DataDir dir{w.data(), true};
        const QString ini = dir.file("NX.ini");
        const QString lockFile = dir.file(QStringLiteral("natalix.lock"));
        QVERIFY(writeFileBytes(ini, readFileBytes(ini) + '\n' + account) &&
                writeFileBytes(lockFile, QByteArray()));
        RunSetup s;
        s.home = w.home();
        s.holdTermination = true;
        s.env.insert(QStringLiteral("NATALIX_NOW"), QStringLiteral("2025-03-07T09:00:00"));
        // The sanitizer's search for leaks at the exit is not the program's time.
        s.env.insert(QStringLiteral("ASAN_OPTIONS"),
                     qEnvironmentVariable("ASAN_OPTIONS") + QStringLiteral(":detect_leaks=0"));
        // No keyring to ask: it answers "none" at once.
        s.env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString());
        if (installed)
            QVERIFY(!(s.program = programCopy(w.home(),
                                              NATALIX_MODULE_DIR "/" + QFileInfo(module).fileName(),
                                              readFileBytes(module)))
                         .isEmpty());
        QProcess window;
        startNatalix(window, {"/auto", "--datadir", dir.path}, s);
        QVERIFY(window.waitForStarted(10000));
        const QByteArray pid = QByteArray::number(window.processId());
        const auto openWindows = [&dir] {
            auto store = TableStore::openBeside(dir.databasePath(), true).store;
            return store ? OpenLines(*store).windows().size() : size_t(0);
        };
        // Watched from outside: a probe of the lock could take it before the window does.
        const auto reached = [&] {
            if (stage == u"module loaded")
                return readFileBytes("/proc/" + pid + "/maps").contains("natalix_window");
            if (stage == u"lock taken")
                return readFileBytes(lockFile).startsWith(pid + '\n');
            return stage != u"reminder open" || openWindows() == 1;
        };
        QVERIFY(QTest::qWaitFor([&] { return reached() || window.state() != QProcess::Running; },
                                30000));
        const QByteArray maps = readFileBytes("/proc/" + pid + "/maps");
        window.terminate();
        QVERIFY(window.waitForFinished(2000) && window.exitStatus() == QProcess::NormalExit &&
                window.exitCode() == 0);
        QCOMPARE(InstanceLock(dir).acquire(), InstanceLock::State::Acquired);
        QCOMPARE(openWindows(), size_t(stage == u"reminder open" ? 1 : 0));
        for (const char* library : {"libQt6Network", "libqt6keychain", "natalix_syncwindow"})
            QVERIFY2(maps.contains(library) == !account.isEmpty(), library);
    }
};

QTEST_MAIN(TestFaults)
#include "test_faults.moc"
